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

  // Stack-ups come with their class: until then a layout holds none.
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
  // Deletes the layout; the indexed part instances belong to the
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

 private:
  char* m_text = nullptr;  // persisted, no meaning here: read and written back
  SLayout* m_layout = nullptr;
  RelMap<CharM, SPartInstance*> m_partInstanceIndex;
};

// ---- parts, part pins, pin mappings (declared by the part family)

// ---- part instances, part pin instances, connector pin instances

// (end of physical representations, layouts, parts, pin mappings, part instances)
//
// Everything below concerns the board's physical build-up: the layers a
// layout stacks, the regions on them, and the library pad stacks and
// packages that parts refer to.
//
// ---- stack-ups, layers, regions, pad stacks, pads, packages, package pins

// (end of stack-ups, layers, regions, pad stacks, pads, packages, package pins)

#endif
