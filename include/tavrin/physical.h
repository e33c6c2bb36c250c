// Parts and physical design: physical representations and layouts, parts
// with their pins and pin mappings, part instances with their pin instances;
// stack-ups with layers and regions, pad stacks with pads, packages with
// their pins.
//
// As everywhere, a Create sets the new child's back-pointer to its owner and
// nothing else; references between objects are kept in step by the caller.
#ifndef TAVRIN_PHYSICAL_H
#define TAVRIN_PHYSICAL_H

#include <cstdint>

#include "tavrin/connect.h"
#include "tavrin/containers.h"
#include "tavrin/core.h"
#include "tavrin/design.h"
#include "tavrin/export.h"
#include "tavrin/props.h"

// ---- physical representations, layouts, parts, pin mappings, part instances

class SCollection;
class SElectricalNet;
class SDiffPair;
class SPinPair;
class SStackUp;
class SPart;
class SPartPin;
class SPinMapping;
class SPartInstance;
class SPartPinInstance;
class SConnectorPinInstance;
class SPackage;
class SPackagePin;
class SPadStack;
class SEbdPin;
class SObjectType;
class SCondRule;

// Base of the two physical views of a cell, modules and parts. It owns the
// view's electrical nets, differential pairs and pin pairs, which share one
// name map (a lookup, rebuilt on reading); the kind lists carry the order,
// and the electrical nets and pin pairs are what the record writes.
class TAVRIN_API SPhysicalRepresentation : public SRepresentation {
  TAVRIN_CLASS(SPhysicalRepresentation)
 public:
  // Deletes every collection its kind lists hold.
  ~SPhysicalRepresentation() override;
  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  // A new collection filed under `name` (taking over the entry of any
  // collection of that name, which stays in its kind list); null for a null
  // name or when memory is exhausted.
  SElectricalNet* CreateElectricalNet(const char* name);
  SDiffPair* CreateDiffPair(const char* name);
  SPinPair* CreatePinPair(const char* name);
  SCollection* GetCollection(const char* name) const;
  bool HasCollection(const char* name) const;
  // The collection of that name when it is of that kind, else null.
  SElectricalNet* GetElectricalNet(const char* name) const;
  SDiffPair* GetDiffPair(const char* name) const;
  // Unlinks the collection of that name from the map and its kind list
  // (not deleted); false for an absent name.
  bool DestroyCollection(const char* name);
  // Moves the entry under c's current name (whatever it holds) to
  // `newName` and renames c; false, nothing changed, when c's name is not
  // a key.
  bool RenameCollection(SCollection* c, const char* newName);
  // Deletes the electrical nets (clearing their scalars' references) and
  // pin pairs (taking them out of every net scalar's driver-receiver
  // pairs); differential pairs stay listed but leave the name map.
  void RemoveElectrical();

  const RelMap<CharM, SCollection*>& GetAllCollections() const { return m_collections; }
  const RelLinkedList<SElectricalNet*>& GetAllElectricalNets() const { return m_electricalNets; }
  const RelLinkedList<SDiffPair*>& GetAllDiffPairs() const { return m_diffPairs; }
  const RelLinkedList<SPinPair*>& GetAllPinPairs() const { return m_pinPairs; }
  void SetElectricalNetsAllocationSize(int) {}
  void SetPinPairsAllocationSize(int) {}

 protected:
  SPhysicalRepresentation();

 private:
  float m_reserved[3] = {0, 0, 0};
  RelMap<CharM, SCollection*> m_collections;
  RelLinkedList<SElectricalNet*> m_electricalNets;
  RelLinkedList<SDiffPair*> m_diffPairs;
  RelLinkedList<SPinPair*> m_pinPairs;
};

// The holder of a module's stack-up.
class TAVRIN_API SLayout : public TavrinObject {
  TAVRIN_CLASS(SLayout)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  SLayout();
  // Deletes the stack-up.
  ~SLayout() override;
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  void InternalUpdate() {}

  // Deletes the stack-up held and holds a new one; null (none held) when
  // memory is exhausted.
  SStackUp* CreateStackUp();
  SStackUp* GetStackUp() const { return m_stackUp; }
  // Deletes the stack-up; always true.
  bool DestroyStackUp();
  long GetId() const { return m_id; }
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  HANDLEMA* m_heap;
  int32_t m_id;
  SStackUp* m_stackUp = nullptr;
};

// ---- modules (declared by the module family)

// The board view of a cell: on top of its physical representation, an
// index of part instances by name (references), a layout, and
// differential pairs in two forms: by net name (each scalar records its
// partner's name, not saved) and as SDiffPair collections. Object types
// and conditional rules come with their classes.
class TAVRIN_API SModule : public SPhysicalRepresentation {
  TAVRIN_CLASS(SModule)
  TAVRIN_ID_ACCESSORS
 public:
  SModule();
  // Deletes the layout, the object types and the conditional rules with
  // their rule sets; the indexed part instances belong to the
  // representation and stay.
  ~SModule() override;
  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  // ---- layout ----
  // Replaces the layout with a new one; null (the old one kept) when memory
  // is exhausted.
  SLayout* CreateLayout();
  SLayout* GetLayout() const { return m_layout; }
  // Deletes the layout; always true.
  bool DestroyLayout();

  // ---- part-instance index ----
  // Enters pi under pi's own name; false, nothing changed, when `name` is
  // already a key, when name, pi or pi's name is null, or when memory is
  // exhausted.
  bool SetPartInstance(const char* name, SPartInstance* pi);
  SPartInstance* GetPartInstance(const char* name) const;
  bool HasPartInstance(const char* name) const;
  // Removes the entry; the instance is untouched. False for an absent name.
  bool RemovePartInstance(const char* name);
  // The index. It hides the representation's kind list of the same name,
  // which stays reachable as SRepresentation::GetAllPartInstances().
  const RelMap<CharM, SPartInstance*>& GetAllPartInstances() const { return m_partInstanceIndex; }
  // The indexed instance of that name; with a non-empty package type, only
  // when its "PKG_TYPE" assignment (else its cell's) is a string equal to it.
  SPartInstance* FindPartInstance(const char* name, const char* pkgType) const;
  // The pin instance of this module's indexed instance named as ppi's part
  // instance, with ppi's name; null when ppi, its part instance or either
  // lookup is missing.
  SPartPinInstance* FindCorrespondingPartPinInstance(SPartPinInstance* ppi) const;

  // ---- driver-receiver pairs and electrical copying ----
  // Signal types 1 count as receivers, 2, 7 and 8 as drivers, 3 and 4 as
  // both; pins of passive part instances, pins whose part pin instance has
  // client flags, and pins lacking a part pin instance, part instance or
  // port are left out. A pair is a pin pair of this module named
  // "DRIVER_REFDES.PIN->RECEIVER_REFDES.PIN" (a missing text stands empty),
  // its receiver at the head of its pins; a pin is never paired with
  // itself. `max` bounds the pins gathered per kind and the product of the
  // two counts; below 0 it acts as 0.

  // Pairs across every net scalar of `en`, gathered together and listed in
  // `en`: made when drivers x receivers is at most `max` and there is a
  // driver. 1 when no net scalar reached the bound, else 0; 0, nothing
  // changed, for a null `en` or when memory for the working arrays runs out.
  int CreateElectricalNetDriverReceiverPairs(SElectricalNet* en, int max);
  // Unlinks every net scalar's driver-receiver pairs (they stay pin pairs
  // of this module; the new pairs take over their names) and makes new ones
  // for each net scalar outside an electrical net and not at constant
  // voltage, where drivers x receivers is below `max`. 1 when every such net
  // got its pairs, else 0; 0 with every net keeping its pairs when memory
  // for the working arrays runs out.
  int CreateAllDriverReceiverPairs(int max);
  // A new electrical net `name` holding the listed net scalars (each set to
  // it), then its pairs; nothing for a null name or fewer than two nets.
  void BuildElectricalNet(const char* name, RelLinkedList<SNetScalar*>& nets, int max);
  // A pin pair of another module carried here by part instance and pin
  // names, its two pins in the other order. Null when `src` is null, holds
  // fewer than two port instance scalars first, its name is a collection
  // here already, or a pin has no counterpart (with a port instance scalar).
  SPinPair* CopyPinPair(SPinPair* src, bool copyAttributes, bool copyConstraints);
  // Copies of src's driver-receiver pairs listed in `dst`; false, nothing
  // copied, when either is null.
  bool CopyPinPairs(SNetScalar* src, SNetScalar* dst, bool copyAttributes, bool copyConstraints);
  // An electrical net named as `src` over this module's same-named net
  // scalars (their own electrical-net reference untouched), with src's
  // attributes and constraint instances and copies of its driver-receiver
  // pairs. Null, nothing created, when `src` is null, its name is taken
  // here, or one of its net scalars has no same-named net here.
  SElectricalNet* CopyElectricalNet(SElectricalNet* src, bool copyAttributes, bool copyConstraints);
  // CopyElectricalNet for each electrical net of `src` in list order.
  void CopyElectricalNets(SModule* src, bool copyAttributes, bool copyConstraints);
  // CopyPinPairs from a net scalar outside any electrical net to the
  // same-named net scalar here, which is returned; null otherwise.
  SNetScalar* CopyElectricalNetPinPairs(SNetScalar* src, bool copyAttributes, bool copyConstraints);
  // The virtual pins, with their coordinates, of each net scalar of `src`
  // on the same-named net scalar here. Nothing for a null `src` or this
  // module itself.
  void CopyVirtualPins(SModule* src);

 protected:
  friend class ModuleElectricalAccess;  // the tests and the inspector
  // Appends the ports to the arrays at the counts while both counts are
  // below `max`, then terminates both; true when drivers x receivers is
  // below `max`. Each array has room past its count for the pins it may
  // gather (at most `max` in all) and the terminator.
  bool GetDriverReceiverPairs(const RelLinkedList<SPortInstanceScalar*>& ports, SPortInstanceScalar** drivers,
                              SPortInstanceScalar** receivers, int max, int& nDrivers, int& nReceivers);
  // One named pair of this module; null when a port is null or memory runs out.
  SPinPair* CreateDriverReceiverPair(SPortInstanceScalar* driver, SPortInstanceScalar* receiver);
  // The pairs of one net scalar, listed in it; false when the bound is
  // reached (no pairs made) or memory runs out.
  bool CreateNetScalarDriverReceiverPairs(SNetScalar* net, int max, SPortInstanceScalar** drivers,
                                          SPortInstanceScalar** receivers);
  // Empties every net scalar's driver-receiver pairs (not deleted).
  void DeleteAllNetScalarDriverReceiverPairs();

 public:
  // ---- differential pairs by net name ----
  using SPhysicalRepresentation::CreateDiffPair;
  // Each net records the other's name as its partner; false when either is
  // null or memory is exhausted.
  bool CreateDiffPair(SNetScalar* a, SNetScalar* b);
  // Clears both partners; false when either is null.
  bool DeleteDiffPair(SNetScalar* a, SNetScalar* b);
  // As above for the nets of those names; false, nothing changed, when a
  // name is missing or names a bus or bundle.
  bool CreateDiffPair(const char* a, const char* b);
  bool DeleteDiffPair(const char* a, const char* b);

  // ---- differential pairs as collections ----
  // A new SDiffPair holding both electrical nets; null, nothing created,
  // when a net is null (or, by names, not an electrical net of this module).
  SDiffPair* CreateDiffPair2(const char* name, SElectricalNet* a, SElectricalNet* b);
  SDiffPair* CreateDiffPair2(const char* name, const char* a, const char* b);
  SDiffPair* GetDiffPair2(const char* name) const { return GetDiffPair(name); }
  // Unlinks the differential pair of that name (not deleted); false when
  // the name is absent or names another kind of collection.
  bool DeleteDiffPair2(const char* name);

  // ---- object types (owned, by name; not saved) ----
  // A new object type named `name`; null, nothing created, for a null name,
  // a name already a key, or when memory is exhausted.
  SObjectType* CreateObjectType(const char* name);
  // Enters ot under ot's own name; false, nothing changed, when `name` is
  // already a key, when name, ot or ot's name is null, or when memory is
  // exhausted.
  bool SetObjectType(const char* name, SObjectType* ot);
  SObjectType* GetObjectType(const char* name) const;
  bool HasObjectType(const char* name) const;
  // Removes the entries holding ot (not deleted); true also when there is none.
  bool RemoveObjectType(SObjectType* ot);
  // Removes ot from the index and deletes it; false, nothing deleted, when
  // ot is not in this module's index.
  bool DestroyObjectType(SObjectType* ot);
  // Removes and deletes every object type of the index; always true.
  bool DestroyAllObjectTypes();
  const RelMap<CharM, SObjectType*>& GetAllObjectTypes() const { return m_objectTypes; }

  // ---- conditional rules (owned, newest first; not saved) ----
  // A new rule at the front of the list; null when memory is exhausted.
  SCondRule* CreateCondRule();
  SCondRule* CreateCondRule(const char* source, SCondRule::CondRuleObjType sourceType, const char* target,
                            SCondRule::CondRuleObjType targetType);
  // The kinds converted with SCondRule::StrToRuleType.
  SCondRule* CreateCondRule(const char* source, const char* sourceType, const char* target, const char* targetType);
  // The first rule in list order with these kinds and texts (a text not set,
  // or a null argument, matches nothing).
  SCondRule* GetCondRule(const char* source, SCondRule::CondRuleObjType sourceType, const char* target,
                         SCondRule::CondRuleObjType targetType) const;
  typedef RelLinkedList<SCondRule*>::const_iterator CondRuleIterator;
  // Puts `it` on the first rule of this source and target, whatever its
  // kinds, and returns it; null with `it` at the end when there is none.
  SCondRule* GetFirstCondRule(const char* source, const char* target, CondRuleIterator& it) const;
  // Moves `it` past its rule to the next rule of this source and target;
  // null at the end. Only `it` is used.
  SCondRule* GetNextCondRule(const char* source, const char* target, CondRuleIterator& it) const;
  // Unlinks r (not deleted); false when r is not in the list.
  bool RemoveCondRule(SCondRule* r);
  // Destroys r's rule sets, unlinks and deletes r; false, nothing touched,
  // when r is not in this module's list.
  bool DestroyCondRule(SCondRule* r);
  // Destroys every rule with its rule sets; always true.
  bool DestroyAllCondRules();
  const RelLinkedList<SCondRule*>& GetAllCondRules() const { return m_condRules; }

 private:
  char* m_text = nullptr;  // persisted, no meaning here: read and written back
  SLayout* m_layout = nullptr;
  RelMap<CharM, SPartInstance*> m_partInstanceIndex;
  RelMap<CharM, SObjectType*> m_objectTypes;
  RelLinkedList<SCondRule*> m_condRules;
};

// ---- parts, part pins, pin mappings (declared by the part family)

// The kind of a part. Its values belong to the caller (1 to 6 are in use;
// 1, 3, 5 and 6 count as passive); the library stores them unchanged.
enum TavrinPartType : int32_t { TAVRIN_PART_TYPE_NONE = 0 };

// The physical view of a cell: the component with its pins (owned, by pin
// name), the pin mappings and packages it may use (references, keyed by the
// referenced object's own name) with one selection of each, and the names
// of its discrete pin pairs (not saved).
class TAVRIN_API SPart : public SPhysicalRepresentation {
  TAVRIN_CLASS(SPart)
  TAVRIN_ID_ACCESSORS
 public:
  SPart();
  // Deletes the pins its map holds; packages and pin mappings belong to
  // their libraries.
  ~SPart() override;
  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  // A new pin of this part filed under its name (taking over an existing
  // entry; the older pin stays allocated); null for a null name or when
  // memory is exhausted. Destroy only unlinks.
  SPartPin* CreatePartPin(const char* name);
  SPartPin* GetPartPin(const char* name) const;
  bool HasPartPin(const char* name) const;
  bool DestroyPartPin(const char* name);
  const RelMap<CharM, SPartPin*>& GetAllPartPins() const { return m_partPins; }

  // False, nothing entered, for a null name or package, a package without
  // a name, when `name` is already a key, or when memory is exhausted.
  // Otherwise files the package under its own name (taking over an entry
  // of that name); the selection is not changed.
  bool SetPackage(const char* name, SPackage* package);
  SPackage* GetPackage(const char* name) const;
  bool HasPackage(const char* name) const;
  // Unlinks the entry (the package stays selected if it was); false if absent.
  bool RemovePackage(const char* name);
  const RelMap<CharM, SPackage*>& GetAllPackages() const { return m_packages; }

  // False, nothing entered, for a null name or mapping, a mapping without
  // a name, when `name` already files a mapping that is itself filed under
  // its own name, or when memory is exhausted. Otherwise files the mapping
  // under its own name (taking over an entry of that name) and selects it
  // when nothing is selected.
  bool SetPinMapping(const char* name, SPinMapping* mapping);
  SPinMapping* GetPinMapping(const char* name) const;
  bool HasPinMapping(const char* name) const;
  // Unlinks the entry (the mapping stays selected if it was); false if absent.
  bool RemovePinMapping(const char* name);
  const RelMap<CharM, SPinMapping*>& GetAllPinMappings() const { return m_pinMappings; }

  // Plain fields: membership is not checked.
  SPackage* GetSelectedPackage() const { return m_selectedPackage; }
  bool SetSelectedPackage(SPackage* p) {
    m_selectedPackage = p;
    return true;
  }
  SPinMapping* GetSelectedMapping() const { return m_selectedMapping; }
  bool SetSelectedMapping(SPinMapping* m) {
    m_selectedMapping = m;
    return true;
  }

  // Discrete pin pairs, in insertion order. Adding copies the text (a null
  // text adds nothing); adding a list copies all its texts or, when memory
  // runs out, none. The list lives in the part's heap, so a session deleted
  // whole takes it too.
  void AddDiscretePinPair(const char* text);
  void AddDiscretePinPair(const CStringList& list);
  // Removes the first equal text from the head; false if none.
  bool DestroyDiscretePinPair(const char* text);
  bool DestroyAllDiscretePinPairs();
  // Whether the list holds an equal text (the one Destroy would remove).
  bool HasDiscretePinPair(const char* text) const;
  const CStringList& GetAllDiscretePinPairs() const { return m_discretePinPairs; }

  TavrinPartType GetType() const { return m_type; }
  void SetType(TavrinPartType t) { m_type = t; }

  void SetPartPinsAllocationSize(int) {}
  void SetPackagesAllocationSize(int) {}
  void SetPinMappingsAllocationSize(int) {}

 private:
  TavrinPartType m_type = TAVRIN_PART_TYPE_NONE;
  RelMap<CharM, SPartPin*> m_partPins;
  SPackage* m_selectedPackage = nullptr;
  RelMap<CharM, SPinMapping*> m_pinMappings;
  SPinMapping* m_selectedMapping = nullptr;
  RelMap<CharM, SPackage*> m_packages;
  CStringList m_discretePinPairs{10, m_heap};
};

// A pin of a part: its position (plain numbers, no unit conversion), the
// owning part and the package pin it lands on.
class TAVRIN_API SPartPin : public SInstantiator {
  TAVRIN_CLASS(SPartPin)
  TAVRIN_ID_ACCESSORS
 public:
  SPartPin();
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  long GetX() const { return m_x; }
  void SetX(long x) { m_x = static_cast<int32_t>(x); }
  long GetY() const { return m_y; }
  void SetY(long y) { m_y = static_cast<int32_t>(y); }
  SPart* GetPart() const { return m_part; }
  SPackagePin* GetPackagePin() const { return m_packagePin; }
  bool SetPackagePin(SPackagePin* p) {
    m_packagePin = p;
    return true;
  }

 protected:
  friend class SPart;
  void SetPart(SPart* part) { m_part = part; }

 private:
  int32_t m_x = 0;
  int32_t m_y = 0;
  SPart* m_part = nullptr;
  SPackagePin* m_packagePin = nullptr;
};

// Which pin of the aggregate (the physical part) carries which port of a
// member placed in one of its slots: global entries hold for every slot,
// slot entries for one slot number. Pairs are not unique and are not saved.
// Names are compared exactly; a null name is never found.
class TAVRIN_API SPinMapping : public TavrinObject {
  TAVRIN_CLASS(SPinMapping)
 public:
  TAVRIN_ALLOCATION_OPERATORS

  // One pair: the aggregate's pin name and the member's port name. Pairs,
  // texts and slot lists belong to the mapping and live in its heap.
  struct CPorts {
    char* aggregate = nullptr;
    char* member = nullptr;
  };
  typedef RelLinkedList<CPorts*> Entries;

  SPinMapping();
  // Frees every entry with its texts and the slot lists.
  ~SPinMapping() override;
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  void InternalUpdate() { m_slotEntries.SetHeap(m_heap); }
  HANDLEMA* GetHeap() const { return m_heap; }

  // A new pair at the head of the global entries, or of the slot's list
  // (made when the slot has none). False, nothing changed, for a null name
  // or when memory is exhausted.
  bool AddGlobalEntry(const char* aggregate, const char* member);
  bool AddSlotEntry(int slot, const char* aggregate, const char* member);
  // Removes and frees the first pair from the head matching both names;
  // false if none (or the slot is absent). An emptied slot stays.
  bool RemoveGlobalEntry(const char* aggregate, const char* member);
  bool RemoveSlotEntry(int slot, const char* aggregate, const char* member);
  // Removes and frees the pair at `position` of the slot's list; false when
  // the slot is absent or the position is not in its list.
  bool RemoveSlotEntryInternal(int slot, RelListIterator<CPorts*, CPorts*&> position);

  // The member name of the first global pair of that aggregate name, or null.
  char* GetGlobalMemberName(const char* aggregate) const;
  // The aggregate names of every global pair of that member name, each put
  // at the head as found (so in the order the pairs were added). The texts
  // are the pairs' own; the nodes come from GetHeap() and are the caller's
  // to clear. Stops early when memory runs out.
  RelLinkedList<char*> GetGlobalAggregateNames(const char* member) const;
  char* GetSlotMemberName(int slot, const char* aggregate) const;
  char* GetSlotAggregateName(int slot, const char* member) const;
  // 0 when a global pair has that aggregate name; else the first slot, in
  // the slot map's order, with such a pair; -1 when none has.
  int GetSlotNumber(const char* aggregate) const;

  const Entries& GetAllGlobalEntries() const { return m_globalEntries; }
  const RelMap<int, Entries*>& GetAllSlotEntries() const { return m_slotEntries; }

  char* GetName() const { return m_name; }
  void SetName(const char* name);
  long GetId() const { return m_id; }
  void SetId(long id) { m_id = static_cast<int32_t>(id); }
  SPinMappingLibrary* GetPinMappingLibrary() const { return m_library; }
  bool SetPinMappingLibrary(SPinMappingLibrary* library) {
    m_library = library;
    return true;
  }

 private:
  TAVRIN_LOCAL CPorts* NewPair(const char* aggregate, const char* member) const;
  TAVRIN_LOCAL static void FreePair(CPorts* pair);
  TAVRIN_LOCAL Entries* NewList() const;
  TAVRIN_LOCAL static void FreeList(Entries* list);
  TAVRIN_LOCAL static CPorts* FindPair(const Entries& list, const char* aggregate, const char* member);
  TAVRIN_LOCAL bool RemovePair(Entries& list, const char* aggregate, const char* member);
  TAVRIN_LOCAL const Entries* Slot(int slot) const;

  HANDLEMA* m_heap;
  char* m_name = nullptr;
  int32_t m_id;
  SPinMappingLibrary* m_library = nullptr;
  Entries m_globalEntries;
  RelMap<int, Entries*> m_slotEntries;
};

// ---- part instances, part pin instances, connector pin instances

enum g_TavrinUnitType : int;  // length units (props.h)

// A placed component: a cell instance with a reference designator, a layer,
// a rotation in thousandths of a degree and a position in internal length
// units. It owns its pin instances and its EBD pins (not saved), each filed
// under its own name.
class TAVRIN_API SPartInstance : public SCellInstance {
  TAVRIN_CLASS(SPartInstance)
  TAVRIN_ID_ACCESSORS
 public:
  SPartInstance();
  // Deletes the pin instances, then the EBD pins, of its maps.
  ~SPartInstance() override;
  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  void SetId(long id) { SDesignElement::SetId(id); }

  // A new pin instance of this part instance filed under its name (taking
  // over an entry of that name; the older one is no longer held); null for
  // a null name or when memory is exhausted. Destroy only unlinks.
  SPartPinInstance* CreatePartPinInstance(const char* name);
  SPartPinInstance* GetPartPinInstance(const char* name) const;
  bool HasPartPinInstance(const char* name) const;
  bool DestroyPartPinInstance(const char* name);
  const RelMap<CharM, SPartPinInstance*>& GetAllPartPinInstances() const { return m_partPinInstances; }

  // EBD pins, as the pin instances.
  SEbdPin* CreateEbdPin(const char* name);
  SEbdPin* GetEbdPin(const char* name) const;
  bool HasEbdPin(const char* name) const;
  bool DestroyEbdPin(const char* name);
  const RelMap<CharM, SEbdPin*>& GetAllEbdPins() const { return m_ebdPins; }
  // True exactly when it holds an EBD pin.
  bool GetbIsEBD() const { return !m_ebdPins.empty(); }

  // Whether the first part of its cell's part list is of type 1, 3, 5 or 6;
  // false without cell or part.
  bool IsPassive() const;
  // The string value of the attribute or constraint instance of that name,
  // on this instance or else on its cell; a value of another class counts
  // as none. Null when neither has one.
  SStringValue* GetAttributeValue(const char* name) const;

  char* GetRefDes() const { return m_refDes; }
  // Copies the text; a null text clears it.
  void SetRefDes(const char* refDes);
  int GetLayer() const { return m_layer; }
  void SetLayer(int layer) { m_layer = layer; }
  int GetRotation1000() const { return m_rotation; }
  void SetRotation1000(int rotation) { m_rotation = rotation; }
  // Whole degrees, truncated toward zero.
  int GetRotation() const { return m_rotation / 1000; }
  // Whole degrees: beyond a full turn either way, reduced modulo 360 and
  // keeping the sign (360 and -360 stay).
  void SetRotation(int degrees);

  long GetXVal() const { return m_x; }
  long GetYVal() const { return m_y; }
  // In and from `unit`, converted as unitless values are.
  double GetX(g_TavrinUnitType unit) const;
  double GetY(g_TavrinUnitType unit) const;
  bool SetX(double value, g_TavrinUnitType unit);
  bool SetY(double value, g_TavrinUnitType unit);

  void SetPartPinInstancesAllocationSize(int) {}
  void SetEbdPinsAllocationSize(int) {}

 private:
  int32_t m_layer = 0;
  char* m_refDes = nullptr;
  int32_t m_rotation = 0;
  RelMap<CharM, SPartPinInstance*> m_partPinInstances;
  RelMap<CharM, SEbdPin*> m_ebdPins;
  int32_t m_x = 0;
  int32_t m_y = 0;
};

// One placed pin of a part instance: its position, the pad stack used with
// optional override texts, the part pin it places and the port instance
// scalar through which it meets a net. The references are plain fields.
class TAVRIN_API SPartPinInstance : public SInstance {
  TAVRIN_CLASS(SPartPinInstance)
  TAVRIN_ID_ACCESSORS
 public:
  SPartPinInstance();
  // Frees the override texts.
  ~SPartPinInstance() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  void SetId(long id) { SDesignElement::SetId(id); }

  // Texts are copied; a null text clears them.
  char* GetDrillOverride() const { return m_drillOverride; }
  void SetDrillOverride(const char* text);
  char* GetPadStackOverride() const { return m_padStackOverride; }
  void SetPadStackOverride(const char* text);

  SPadStack* GetPadStack() const { return m_padStack; }
  bool SetPadStack(SPadStack* p) {
    m_padStack = p;
    return true;
  }
  SPartPin* GetPartPin() const { return m_partPin; }
  bool SetPartPin(SPartPin* p) {
    m_partPin = p;
    return true;
  }
  SPartInstance* GetPartInstance() const { return m_partInstance; }
  SPortInstanceScalar* GetPortInstanceScalar() const { return m_portInstanceScalar; }
  bool SetPortInstanceScalar(SPortInstanceScalar* p) {
    m_portInstanceScalar = p;
    return true;
  }

  long GetXVal() const { return m_x; }
  long GetYVal() const { return m_y; }
  double GetX(g_TavrinUnitType unit) const;
  double GetY(g_TavrinUnitType unit) const;
  bool SetX(double value, g_TavrinUnitType unit);
  bool SetY(double value, g_TavrinUnitType unit);

  // The part instance's name, a hyphen and this pin instance's name ("U1-14");
  // a missing name (or part instance) stands as the empty text ("-14").
  void GetPinName(CString& out) const;

 protected:
  friend class SPartInstance;
  bool SetPartInstance(SPartInstance* owner) {
    m_partInstance = owner;
    return true;
  }

 private:
  char* m_drillOverride = nullptr;
  char* m_padStackOverride = nullptr;
  SPadStack* m_padStack = nullptr;
  SPartPin* m_partPin = nullptr;
  SPartInstance* m_partInstance = nullptr;
  SPortInstanceScalar* m_portInstanceScalar = nullptr;
  int32_t m_x = 0;
  int32_t m_y = 0;
};

// A named object a caller attaches to a port instance scalar; nothing in the
// system creates or owns one. Port instance scalars save only a reference
// to it: its own record is written and read only when a caller calls
// Serialize.
class TAVRIN_API SConnectorPinInstance : public TavrinObject {
  TAVRIN_CLASS(SConnectorPinInstance)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  SConnectorPinInstance();
  // Frees the name.
  ~SConnectorPinInstance() override;
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  void InternalUpdate() {}
  HANDLEMA* GetHeap() const { return m_heap; }

  char* GetName() const { return m_name; }
  // Copies the text; a null text clears it.
  void SetName(const char* name);
  long GetId() const { return m_id; }
  void SetId(long id) { m_id = static_cast<int32_t>(id); }
  SPortInstanceScalar* GetPortInstanceScalar() const { return m_portInstanceScalar; }
  bool SetPortInstanceScalar(SPortInstanceScalar* p) {
    m_portInstanceScalar = p;
    return true;
  }

 private:
  HANDLEMA* m_heap;
  char* m_name = nullptr;
  int32_t m_id;
  SPortInstanceScalar* m_portInstanceScalar = nullptr;
};

// (end of physical representations, layouts, parts, pin mappings, part instances)
//
// Everything below concerns the board's physical build-up: the layers a
// layout stacks, the regions on them, and the library pad stacks and
// packages that parts refer to.
//
// ---- stack-ups, layers, regions, pad stacks, pads, packages, package pins

class SLayer;
class SRegion;
class SSignalRegion;
class SPowerPlaneRegion;
class SInsulatorRegion;
class SUnitlessValue;

// The layer structure of a layout: layers owned under their numbers (the
// map's order is not the board's order: that is given only by the top and
// bottom layers and each layer's next layer, which the caller keeps), and
// the pad stacks defined on it (references).
//
// No destructor here clears references held elsewhere (a net's power-plane
// regions, a segment's region, a pad stack's stack-up, neighbouring layers'
// next layer, top and bottom): callers unlink first.
class TAVRIN_API SStackUp : public TavrinObject {
  TAVRIN_CLASS(SStackUp)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  SStackUp();
  // Deletes every layer its map holds; the pad stacks belong to their library.
  ~SStackUp() override;
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  void InternalUpdate() { m_layers.SetHeap(m_heap); }
  HANDLEMA* GetHeap() const { return m_heap; }

  // A new layer filed under `number` (taking over the entry of a layer of
  // that number, which stays allocated), its number and stack-up set; no
  // name, no next layer. Null when memory is exhausted.
  SLayer* CreateLayer(int number);
  SLayer* GetLayer(int number) const;
  bool HasLayer(int number) const;
  // Unlinks the entry (the layer is not deleted); false if absent.
  bool DestroyLayer(int number);
  const RelMap<int, SLayer*>& GetAllLayers() const { return m_layers; }

  // Plain fields; membership is not checked.
  SLayer* GetTopLayer() const { return m_topLayer; }
  bool SetTopLayer(SLayer* layer) {
    m_topLayer = layer;
    return true;
  }
  SLayer* GetBottomLayer() const { return m_bottomLayer; }
  bool SetBottomLayer(SLayer* layer) {
    m_bottomLayer = layer;
    return true;
  }

  // At the head unless listed (false then, or for null or no memory).
  bool InsertPadStack(SPadStack* padStack);
  // Unlinks; false if absent.
  bool RemovePadStack(SPadStack* padStack);
  bool HasPadStack(SPadStack* padStack) const { return m_padStacks.contains(padStack); }
  const RelLinkedList<SPadStack*>& GetAllPadStacks() const { return m_padStacks; }

  char* GetName() const { return m_name; }
  // Copies the text; a null text clears it.
  void SetName(const char* name);
  long GetId() const { return m_id; }
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  HANDLEMA* m_heap;
  char* m_name = nullptr;
  int32_t m_id;
  RelMap<int, SLayer*> m_layers;
  RelLinkedList<SPadStack*> m_padStacks;
  SLayer* m_topLayer = nullptr;
  SLayer* m_bottomLayer = nullptr;
};

// One layer of a stack-up: material texts and numbers, an optional
// thickness and via diameter (owned lengths), the next layer (a reference)
// and its regions, owned and found by name; each is also in the list of its
// kind, and the three lists are what the record writes.
class TAVRIN_API SLayer : public SDesignElement {
  TAVRIN_CLASS(SLayer)
  TAVRIN_ID_ACCESSORS
 public:
  SLayer();
  // Deletes the regions of the three kind lists (also one whose name a
  // later region took over) and both values.
  ~SLayer() override;
  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  void SetId(long id) { SDesignElement::SetId(id); }

  // A new region filed under `name` (taking over an entry of that name;
  // the older region stays in its kind list) at the head of its kind list,
  // its layer set. Null, nothing changed, for a null name or when memory
  // is exhausted.
  SSignalRegion* CreateSignalRegion(const char* name);
  SPowerPlaneRegion* CreatePowerPlaneRegion(const char* name);
  SInsulatorRegion* CreateInsulatorRegion(const char* name);
  SRegion* GetRegion(const char* name) const;
  bool HasRegion(const char* name) const;
  // Unlinks the region of that name from the map and its kind list (not
  // deleted); false if absent.
  bool DestroyRegion(const char* name);
  const RelMap<CharM, SRegion*>& GetAllRegions() const { return m_regions; }
  const RelLinkedList<SSignalRegion*>& GetAllSignalRegions() const { return m_signalRegions; }
  const RelLinkedList<SPowerPlaneRegion*>& GetAllPowerPlaneRegions() const { return m_powerPlaneRegions; }
  const RelLinkedList<SInsulatorRegion*>& GetAllInsulatorRegions() const { return m_insulatorRegions; }

  // Create deletes the value held and holds a new empty one (null, the old
  // one kept, when memory is exhausted); Destroy deletes it, always true.
  SUnitlessValue* CreateThicknessValUnitlessValue();
  SUnitlessValue* CreateViaDiameterValUnitlessValue();
  bool DestroyThicknessVal();
  bool DestroyViaDiameterVal();
  SUnitlessValue* GetThicknessVal() const { return m_thickness; }
  SUnitlessValue* GetViaDiameterVal() const { return m_viaDiameter; }
  // Sets the value (made when absent) from `unit`; false only when no
  // value could be made.
  bool SetThickness(double value, g_TavrinUnitType unit);
  bool SetViaDiameter(double value, g_TavrinUnitType unit);
  // In `unit`; 0.0 without a value.
  double GetThickness(g_TavrinUnitType unit) const;
  double GetViaDiameter(g_TavrinUnitType unit) const;

  // Texts are copied; a null text clears them.
  char* GetType() const { return m_type; }
  void SetType(const char* text);
  char* GetConductor() const { return m_conductor; }
  void SetConductor(const char* text);
  char* GetDielectricName() const { return m_dielectricName; }
  void SetDielectricName(const char* text);
  double GetDielectricConstant() const { return m_dielectricConstant; }
  void SetDielectricConstant(double v) { m_dielectricConstant = v; }
  // The number does not move the layer in its stack-up's map.
  int GetNumber() const { return m_number; }
  void SetNumber(int number) { m_number = number; }
  SStackUp* GetStackUp() const { return m_stackUp; }
  bool SetStackUp(SStackUp* stackUp) {
    m_stackUp = stackUp;
    return true;
  }
  SLayer* GetNextLayer() const { return m_nextLayer; }
  bool SetNextLayer(SLayer* layer) {
    m_nextLayer = layer;
    return true;
  }

  void SetRegionsAllocationSize(int) {}

 private:
  template <class R>
  R* CreateRegion(const char* name, RelLinkedList<R*>& list);

  char* m_type = nullptr;
  char* m_conductor = nullptr;
  double m_dielectricConstant = 1.0;
  char* m_dielectricName = nullptr;
  int32_t m_number = -1;
  SStackUp* m_stackUp = nullptr;
  RelMap<CharM, SRegion*> m_regions;
  RelLinkedList<SPowerPlaneRegion*> m_powerPlaneRegions;
  RelLinkedList<SSignalRegion*> m_signalRegions;
  RelLinkedList<SInsulatorRegion*> m_insulatorRegions;
  SUnitlessValue* m_thickness = nullptr;
  SUnitlessValue* m_viaDiameter = nullptr;
  SLayer* m_nextLayer = nullptr;
};

// Base of the three kinds of region: a named area of one layer.
class TAVRIN_API SRegion : public SDesignElement {
  TAVRIN_CLASS(SRegion)
 public:
  Persistent::Error Serialize(PersistentStore& s) override;
  SLayer* GetLayer() const { return m_layer; }
  bool SetLayer(SLayer* layer) {
    m_layer = layer;
    return true;
  }

 protected:
  SRegion() {}

 private:
  SLayer* m_layer = nullptr;
};

// A routing area with its trace rules, each an optional owned length.
class TAVRIN_API SSignalRegion : public SRegion {
  TAVRIN_CLASS(SSignalRegion)
  TAVRIN_ID_ACCESSORS
 public:
  SSignalRegion() {}
  // Deletes the three values.
  ~SSignalRegion() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  void SetId(long id) { SDesignElement::SetId(id); }

  // As the thickness of a layer.
  SUnitlessValue* CreateTLFValUnitlessValue();
  SUnitlessValue* CreateTraceSpacingValUnitlessValue();
  SUnitlessValue* CreateTraceWidthValUnitlessValue();
  bool DestroyTLFVal();
  bool DestroyTraceSpacingVal();
  bool DestroyTraceWidthVal();
  SUnitlessValue* GetTLFVal() const { return m_tlf; }
  SUnitlessValue* GetTraceSpacingVal() const { return m_traceSpacing; }
  SUnitlessValue* GetTraceWidthVal() const { return m_traceWidth; }
  bool SetTLF(double value, g_TavrinUnitType unit);
  bool SetTraceSpacing(double value, g_TavrinUnitType unit);
  bool SetTraceWidth(double value, g_TavrinUnitType unit);
  double GetTLF(g_TavrinUnitType unit) const;
  double GetTraceSpacing(g_TavrinUnitType unit) const;
  double GetTraceWidth(g_TavrinUnitType unit) const;

 private:
  SUnitlessValue* m_tlf = nullptr;
  SUnitlessValue* m_traceSpacing = nullptr;
  SUnitlessValue* m_traceWidth = nullptr;
};

// A plane of a supply net; nets refer to it. Its type text is the caller's.
class TAVRIN_API SPowerPlaneRegion : public SRegion {
  TAVRIN_CLASS(SPowerPlaneRegion)
  TAVRIN_ID_ACCESSORS
 public:
  // The type a new region reports (and saves) until one is set.
  static const char* const kUnknownType;
  SPowerPlaneRegion();
  // Frees the type text (never the shared "<Unknown>").
  ~SPowerPlaneRegion() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  void SetId(long id) { SDesignElement::SetId(id); }

  // "<Unknown>" until set; copies the text, a null text clears it (null).
  const char* GetType() const { return m_type; }
  void SetType(const char* text);

 private:
  // Either kUnknownType (not owned) or an owned text or null.
  char* m_type;
};

// An area without copper.
class TAVRIN_API SInsulatorRegion : public SRegion {
  TAVRIN_CLASS(SInsulatorRegion)
  TAVRIN_ID_ACCESSORS
 public:
  SInsulatorRegion() {}
  Persistent::Error Serialize(PersistentStore& s) override;
  void SetId(long id) { SDesignElement::SetId(id); }
};

// ---- pad stacks, pads, packages, package pins

class SPad;

// The copper of one pin or via through the board: a pad per layer number
// (owned), the span of layers and the overall extent (owned values, may be
// absent). Owned by a pad-stack library; the part pin instance, physical
// node and stack-up are plain references. Deleting a pad stack takes it out
// of nothing: callers unlink it from its library, a stack-up, pin
// instances and nodes first.
class TAVRIN_API SPadStack : public SDesignElement {
  TAVRIN_CLASS(SPadStack)
  TAVRIN_ID_ACCESSORS
 public:
  SPadStack();
  // Deletes the pads its map holds and the extent values.
  ~SPadStack() override;
  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  // A new pad on that layer, filed under the number (a pad held there
  // before is no longer held, and not deleted); null, nothing changed, when
  // memory is exhausted. Destroy only unlinks.
  SPad* CreatePad(int layer);
  SPad* GetPad(int layer) const;
  bool HasPad(int layer) const;
  bool DestroyPad(int layer);
  const RelMap<int, SPad*>& GetAllPads() const { return m_pads; }

  // Create holds a new empty value in place of the old one (deleted); null,
  // the old one kept, when memory is exhausted. Destroy deletes the value
  // and holds null; always true.
  SUnitlessValue* CreateXExtentValUnitlessValue();
  SUnitlessValue* CreateYExtentValUnitlessValue();
  bool DestroyXExtentVal();
  bool DestroyYExtentVal();
  SUnitlessValue* GetXExtentVal() const { return m_xExtent; }
  SUnitlessValue* GetYExtentVal() const { return m_yExtent; }

  // Plain numbers: nothing compares them with a stack-up or the pads.
  int GetBottomLayer() const { return m_bottomLayer; }
  void SetBottomLayer(int layer) { m_bottomLayer = layer; }
  int GetTopLayer() const { return m_topLayer; }
  void SetTopLayer(int layer) { m_topLayer = layer; }

  SPartPinInstance* GetPartPinInstance() const { return m_partPinInstance; }
  bool SetPartPinInstance(SPartPinInstance* p) {
    m_partPinInstance = p;
    return true;
  }
  SPhysicalNode* GetPhysicalNode() const { return m_physicalNode; }
  bool SetPhysicalNode(SPhysicalNode* n) {
    m_physicalNode = n;
    return true;
  }
  SPadStackLibrary* GetPadStackLibrary() const { return m_library; }
  bool SetPadStackLibrary(SPadStackLibrary* library) {
    m_library = library;
    return true;
  }
  SStackUp* GetStackUp() const { return m_stackUp; }
  bool SetStackUp(SStackUp* stackUp) {
    m_stackUp = stackUp;
    return true;
  }

  void SetPadsAllocationSize(int) {}

 private:
  int32_t m_bottomLayer = 0;
  int32_t m_topLayer = 0;
  SPartPinInstance* m_partPinInstance = nullptr;
  SPhysicalNode* m_physicalNode = nullptr;
  SPadStackLibrary* m_library = nullptr;
  RelMap<int, SPad*> m_pads;
  SStackUp* m_stackUp = nullptr;
  SUnitlessValue* m_xExtent = nullptr;
  SUnitlessValue* m_yExtent = nullptr;
};

// The shape of a pad stack on one layer: its position (owned values, may
// be absent) and the regions it touches (references). It has no pointer
// back to its pad stack; deleting it does not unlink it from one.
class TAVRIN_API SPad : public SDesignElement {
  TAVRIN_CLASS(SPad)
  TAVRIN_ID_ACCESSORS
 public:
  SPad();
  // Deletes the position values and releases the region list.
  ~SPad() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  // As the pad stack's extents.
  SUnitlessValue* CreateXValUnitlessValue();
  SUnitlessValue* CreateYValUnitlessValue();
  bool DestroyXVal();
  bool DestroyYVal();
  SUnitlessValue* GetXVal() const { return m_x; }
  SUnitlessValue* GetYVal() const { return m_y; }

  // At the head; false when null, already listed or memory is exhausted.
  bool InsertRegion(SRegion* region);
  bool RemoveRegion(SRegion* region);  // false when absent
  bool HasRegion(SRegion* region) const { return m_regions.contains(region); }
  const RelLinkedList<SRegion*>& GetAllRegions() const { return m_regions; }

  int GetLayer() const { return m_layer; }
  void SetLayer(int layer) { m_layer = layer; }

  void SetRegionsAllocationSize(int) {}

 private:
  int32_t m_layer = 1;
  RelLinkedList<SRegion*> m_regions;
  SUnitlessValue* m_x = nullptr;
  SUnitlessValue* m_y = nullptr;
};

// The kind of a package. Its values belong to the caller; any 32-bit value
// is stored and returned unchanged.
enum TavrinPackageType : int { TAVRIN_PACKAGE_TYPE_NONE = 0 };

class SPackagePin;

// The physical body a part is placed in: kind, power rating, footprint
// lengths (plain numbers) and its pins (owned, newest first). Owned by a
// package library. Deleting a package clears no part's or part pin's
// reference to it or its pins.
class TAVRIN_API SPackage : public SDesignElement {
  TAVRIN_CLASS(SPackage)
  TAVRIN_ID_ACCESSORS
 public:
  SPackage();
  // Deletes the pins of its list.
  ~SPackage() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  // A new unnamed pin of this package at the head of its list; null,
  // nothing changed, when memory is exhausted.
  SPackagePin* CreatePackagePin();
  // Unlinks and deletes a pin of this package; false, nothing deleted, for
  // null or a pin it does not list.
  bool DestroyPackagePin(SPackagePin* pin);
  bool HasPackagePin(SPackagePin* pin) const { return m_pins.contains(pin); }
  const RelLinkedList<SPackagePin*>& GetAllPackagePins() const { return m_pins; }

  float GetPower() const { return m_power; }
  void SetPower(float power) { m_power = power; }
  TavrinPackageType GetType() const { return m_type; }
  void SetType(TavrinPackageType type) { m_type = type; }
  long GetXLength() const { return m_xLength; }
  void SetXLength(long length) { m_xLength = static_cast<int32_t>(length); }
  long GetYLength() const { return m_yLength; }
  void SetYLength(long length) { m_yLength = static_cast<int32_t>(length); }
  SPackageLibrary* GetPackageLibrary() const { return m_library; }
  bool SetPackageLibrary(SPackageLibrary* library) {
    m_library = library;
    return true;
  }

  void SetPackagePinsAllocationSize(int) {}

 private:
  float m_power = 0;
  TavrinPackageType m_type = TAVRIN_PACKAGE_TYPE_NONE;
  int32_t m_xLength = 0;
  int32_t m_yLength = 0;
  RelLinkedList<SPackagePin*> m_pins;
  SPackageLibrary* m_library = nullptr;
};

// A pin of a package: its position (plain numbers) and its package.
class TAVRIN_API SPackagePin : public SDesignElement {
  TAVRIN_CLASS(SPackagePin)
  TAVRIN_ID_ACCESSORS
 public:
  SPackagePin();
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  int GetX() const { return m_x; }
  void SetX(int x) { m_x = x; }
  int GetY() const { return m_y; }
  void SetY(int y) { m_y = y; }
  SPackage* GetPackage() const { return m_package; }

 protected:
  friend class SPackage;
  void SetPackage(SPackage* package) { m_package = package; }

 private:
  int32_t m_x = 0;
  int32_t m_y = 0;
  SPackage* m_package = nullptr;
};

// (end of stack-ups, layers, regions, pad stacks, pads, packages, package pins)

#endif
