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
