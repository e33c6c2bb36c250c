// Connectivity: nets, buses and bundles; electrical nets and differential
// pairs; pins, pin pairs, from-tos, virtual pins and board-description pins;
// physical nodes and routed segments.
//
// Connections between objects are references held on both sides and kept in
// step by the caller: no operation here sets the other side of a relation,
// except that a Create sets the new child's net.
#ifndef TAVRIN_CONNECT_H
#define TAVRIN_CONNECT_H

#include <cstdint>

#include "tavrin/containers.h"
#include "tavrin/core.h"
#include "tavrin/export.h"

class SNet;
namespace tavrin {
struct PointerSet;
}
class SNetScalar;
class SNetBus;
class SNetBundle;
class SPhysicalNode;
class SSegment;
class SPortInstanceScalar;
class SSchematicSheet;
class SPowerPlaneRegion;
class SElectricalNet;
class SPinPair;
class SFromTo;
class SVirtualPin;
class SPadStack;
class SRegion;
class SRangeValue;
class SUnitlessValue;
class SDiffPair;
class SPartInstance;
class SPartPinInstance;
enum g_TavrinUnitType : int;
class SModule;

// ---- nets -----------------------------------------------------------------------

// A named electrical connection of a representation: an optional unique
// identifier, a global flag, and the bundles, power-plane regions and
// schematic sheets it takes part in (references).
class TAVRIN_API SNet : public SDesignElement {
  TAVRIN_CLASS(SNet)
 public:
  ~SNet() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  // The UID when set and not empty, otherwise the name.
  char* GetUID() const;
  // Replaces the UID with a copy; a null text leaves it unchanged.
  void SetUID(const char* uid);
  bool GetbIsGlobal() const { return m_global; }
  void SetbIsGlobal(bool global) { m_global = global; }

  // Insert puts the element at the head (false when already listed); Remove
  // unlinks it (false when absent) without deleting it.
  bool InsertNetBundle(SNetBundle* bundle);
  bool RemoveNetBundle(SNetBundle* bundle);
  bool HasNetBundle(SNetBundle* bundle) const { return m_netBundles.contains(bundle); }
  const RelLinkedList<SNetBundle*>& GetAllNetBundles() const { return m_netBundles; }
  bool InsertPowerPlaneRegion(SPowerPlaneRegion* region);
  bool RemovePowerPlaneRegion(SPowerPlaneRegion* region);
  bool HasPowerPlaneRegion(SPowerPlaneRegion* region) const { return m_powerPlaneRegions.contains(region); }
  const RelLinkedList<SPowerPlaneRegion*>& GetAllPowerPlaneRegions() const { return m_powerPlaneRegions; }
  bool InsertSchematicSheet(SSchematicSheet* sheet);
  bool RemoveSchematicSheet(SSchematicSheet* sheet);
  bool HasSchematicSheet(SSchematicSheet* sheet) const { return m_schematicSheets.contains(sheet); }
  const RelLinkedList<SSchematicSheet*>& GetAllSchematicSheets() const { return m_schematicSheets; }

  void SetNetBundlesAllocationSize(int) {}
  void SetPowerPlaneRegionsAllocationSize(int) {}
  void SetSchematicSheetsAllocationSize(int) {}

 protected:
  SNet() {}

 private:
  char* m_uid = nullptr;
  bool m_global = false;
  RelLinkedList<SNetBundle*> m_netBundles;
  RelLinkedList<SPowerPlaneRegion*> m_powerPlaneRegions;
  RelLinkedList<SSchematicSheet*> m_schematicSheets;
};

// A single signal. It owns its routed segments and physical nodes and the
// pin pairs, from-tos and virtual pins of its name maps, and refers to the
// port instances connected to it, the buses it belongs to and its
// electrical net. The differential partner is held by name.
class TAVRIN_API SNetScalar : public SNet {
  TAVRIN_CLASS(SNetScalar)
  TAVRIN_ID_ACCESSORS
 public:
  SNetScalar();
  // Deletes the segments, the physical nodes, then the children of the name
  // maps; releases the lists and maps. Nothing that refers to the net is
  // unlinked.
  ~SNetScalar() override;
  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  // ---- owned segments and physical nodes ----
  // A new child at the head of its list with this net as its net; null when
  // memory is exhausted (nothing linked).
  SSegment* CreateSegment();
  SPhysicalNode* CreatePhysicalNode();
  // Unlinks and deletes a listed child; false (nothing deleted) otherwise.
  bool DestroySegment(SSegment* segment);
  bool DestroyPhysicalNode(SPhysicalNode* node);
  bool HasSegment(SSegment* segment) const { return m_segments.contains(segment); }
  bool HasPhysicalNode(SPhysicalNode* node) const { return m_physicalNodes.contains(node); }
  const RelLinkedList<SSegment*>& GetAllSegments() const { return m_segments; }
  const RelLinkedList<SPhysicalNode*>& GetAllPhysicalNodes() const { return m_physicalNodes; }

  // ---- pin pairs, from-tos and virtual pins by name ----
  // A new child named `name` whose net is this one, filed under its name
  // (an entry of that name is taken over; the earlier child is not
  // deleted). Null for a null name or when memory is exhausted (nothing
  // changes).
  SPinPair* CreatePinPair(const char* name);
  SFromTo* CreateFromTo(const char* name);
  SFromTo* CreateRoutedFromTo(const char* name);
  SVirtualPin* CreateVirtualPin(const char* name);
  // A new pin pair whose net is this one, listed among the driver-receiver
  // pairs only: the net refers to it and does not delete it.
  SPinPair* CreateDriverReceiverPair(const char* name);
  // Files an existing child under its current name and makes this its net:
  // the net owns it from then on. A child without a name is refused.
  void InsertPinPair(SPinPair* pair);
  void InsertFromTo(SFromTo* fromTo);
  void InsertRoutedFromTo(SFromTo* fromTo);
  // A from-to by name; a name "A,B" not found is tried as "B,A" (split at
  // the first comma). Null / false when absent or null.
  SFromTo* GetFromTo(const char* name) const;
  bool HasFromTo(const char* name) const;
  SFromTo* GetRoutedFromTo(const char* name) const;
  bool HasRoutedFromTo(const char* name) const;
  // True when some from-to (routed from-to) is scheduled (routed); Set sets
  // the flag on every one. The net keeps no flag of its own.
  bool GetbScheduled() const;
  void SetbScheduled(bool on);
  bool GetbRouted() const;
  void SetbRouted(bool on);
  // Exact lookups; null / false for an absent or null name.
  SPinPair* GetPinPair(const char* name) const;
  bool HasPinPair(const char* name) const;
  SVirtualPin* GetVirtualPin(const char* name) const;
  bool HasVirtualPin(const char* name) const;
  // Remove the entry (the child is not deleted and keeps its net); false
  // for an absent or null name.
  bool DestroyPinPair(const char* name);
  bool DestroyFromTo(const char* name);
  bool DestroyRoutedFromTo(const char* name);
  bool DestroyVirtualPin(const char* name);
  const RelMap<CharM, SPinPair*>& GetAllPinPairs() const { return m_pinPairs; }
  const RelMap<CharM, SFromTo*>& GetAllFromTos() const { return m_fromTos; }
  const RelMap<CharM, SFromTo*>& GetAllRoutedFromTos() const { return m_routedFromTos; }
  const RelMap<CharM, SVirtualPin*>& GetAllVirtualPins() const { return m_virtualPins; }

  // ---- references ----
  // Insert puts the element at the head (false when already listed); Remove
  // unlinks it (false when absent); neither touches the other side.
  bool InsertPortInstanceScalar(SPortInstanceScalar* pin);
  bool RemovePortInstanceScalar(SPortInstanceScalar* pin);
  bool HasPortInstanceScalar(SPortInstanceScalar* pin) const { return m_portInstanceScalars.contains(pin); }
  const RelLinkedList<SPortInstanceScalar*>& GetAllPortInstanceScalars() const { return m_portInstanceScalars; }
  // 1 when a port instance scalar of this net has a part pin instance named
  // `pin` whose part instance has the reference designator `refDes` (both
  // exact), else 0. A null text matches nothing.
  int NetConnectsToPin(const char* refDes, const char* pin) const;
  bool InsertNetBus(SNetBus* bus);
  bool RemoveNetBus(SNetBus* bus);
  bool HasNetBus(SNetBus* bus) const { return m_netBi.contains(bus); }
  const RelLinkedList<SNetBus*>& GetAllNetBi() const { return m_netBi; }
  bool InsertDriverReceiverPair(SPinPair* pair);
  bool RemoveDriverReceiverPair(SPinPair* pair);
  bool HasDriverReceiverPair(SPinPair* pair) const { return m_driverReceiverPairs.contains(pair); }
  // Empties the list; the pin pairs are not deleted.
  void RemoveAllDriverReceiverPairs();
  const RelLinkedList<SPinPair*>& GetAllDriverReceiverPairs() const { return m_driverReceiverPairs; }

  SElectricalNet* GetElectricalNet() const { return m_electricalNet; }
  bool SetElectricalNet(SElectricalNet* net) {
    m_electricalNet = net;
    return true;
  }

  // The partner of a differential pair, by name (not saved).
  const char* GetDiffNet() const { return m_diffNet; }
  // The scalar net of the module named as the partner; null without a
  // partner or module, or when that name is absent or not a scalar net.
  SNetScalar* GetDiffNet(SModule* module) const;
  // A copy of the text, or none for null; true unless memory is exhausted.
  bool SetDiffNet(const char* name);
  // A copy of the net's name; none when the net or its name is null.
  bool SetDiffNet(SNetScalar* net);

  // Victim segments: one value per key segment.
  SSegment* GetVictimSegment(SSegment* segment) const;
  // False (no change) when the key is present or memory is exhausted.
  bool SetVictimSegment(SSegment* segment, SSegment* victim);
  bool RemoveVictimSegment(SSegment* segment);
  bool HasVictimSegment(SSegment* segment) const;
  const RelMap<SSegment*, SSegment*>& GetAllVictimSegments() const { return m_victimSegments; }

  float GetVoltage() const { return m_voltage; }
  void SetVoltage(float v) { m_voltage = v; }
  bool GetbConstantVoltage() const { return m_constantVoltage; }
  void SetbConstantVoltage(bool on) { m_constantVoltage = on; }

  void SetNetBiAllocationSize(int) {}
  void SetSegmentsAllocationSize(int) {}
  void SetPortInstanceScalarsAllocationSize(int) {}
  void SetPhysicalNodesAllocationSize(int) {}
  void SetPinPairsAllocationSize(int) {}
  void SetFromTosAllocationSize(int) {}
  void SetRoutedFromTosAllocationSize(int) {}
  void SetVirtualPinsAllocationSize(int) {}
  void SetDriverReceiverPairsAllocationSize(int) {}
  void SetVictimSegmentsAllocationSize(int) {}

 private:
  float m_voltage = 0;
  bool m_constantVoltage = false;
  RelLinkedList<SNetBus*> m_netBi;
  RelLinkedList<SSegment*> m_segments;
  RelLinkedList<SPortInstanceScalar*> m_portInstanceScalars;
  // The same port instances as a hash set, kept once the list is long, so
  // that Insert rejects a duplicate without walking a power net's list.
  tavrin::PointerSet* m_portInstanceSet = nullptr;
  SElectricalNet* m_electricalNet = nullptr;
  char* m_diffNet = nullptr;
  RelLinkedList<SPhysicalNode*> m_physicalNodes;
  RelMap<CharM, SPinPair*> m_pinPairs;
  RelMap<CharM, SFromTo*> m_fromTos;
  RelMap<CharM, SFromTo*> m_routedFromTos;
  RelMap<CharM, SVirtualPin*> m_virtualPins;
  RelLinkedList<SPinPair*> m_driverReceiverPairs;
  RelMap<SSegment*, SSegment*> m_victimSegments;
};

// A group of scalar nets addressed by bit index, with a name prefix and
// suffix, owned index ranges and sub-buses keyed by range object.
class TAVRIN_API SNetBus : public SNet {
  TAVRIN_CLASS(SNetBus)
  TAVRIN_ID_ACCESSORS
 public:
  SNetBus();
  // Deletes the ranges; members and sub-buses are not deleted.
  ~SNetBus() override;
  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  char* GetPrefix() const { return m_prefix; }
  // Copies the text; a null text leaves the prefix unchanged.
  void SetPrefix(const char* prefix);
  char* GetSuffix() const { return m_suffix; }
  // Copies the text; a null text leaves the suffix unchanged.
  void SetSuffix(const char* suffix);
  int GetSize() const { return m_size; }
  void SetSize(int size) { m_size = size; }

  // A new empty range at the head of the bus's ranges; null when memory is
  // exhausted.
  SRangeValue* CreateIndicesRangeValue();
  // Unlinks and deletes a listed range, and drops the sub-bus entry keyed
  // by it; false (nothing deleted) otherwise.
  bool DestroyIndices(SRangeValue* range);
  bool HasIndices(SRangeValue* range) const { return m_indiceses.contains(range); }
  const RelLinkedList<SRangeValue*>& GetAllIndiceses() const { return m_indiceses; }

  // Members by bit index (any int). Set refuses a taken index (the member
  // stays) and does not touch the scalar's own list of buses.
  SNetScalar* GetNetScalar(int index) const;
  bool SetNetScalar(int index, SNetScalar* net);
  bool RemoveNetScalar(int index);
  bool HasNetScalar(int index) const;
  const RelMap<int, SNetScalar*>& GetAllNetScalars() const { return m_netScalars; }

  // Sub-buses keyed by the very range object: Get, Set and Remove compare
  // the key by pointer; Set refuses a key already present.
  SNetBus* GetSubNetBus(SRangeValue* range) const;
  bool SetSubNetBus(SRangeValue* range, SNetBus* bus);
  bool RemoveSubNetBus(SRangeValue* range);
  // True when some key range matches `range` (SRangeValue::Matches); false
  // for a null range.
  bool HasSubNetBus(SRangeValue* range) const;
  const RelMap<SRangeValue*, SNetBus*>& GetAllSubNetBi() const { return m_subNetBi; }

  void SetIndicesesAllocationSize(int) {}
  void SetNetScalarsAllocationSize(int) {}
  void SetSubNetBiAllocationSize(int) {}

 private:
  char* m_prefix = nullptr;
  int32_t m_size = 0;
  char* m_suffix = nullptr;
  RelLinkedList<SRangeValue*> m_indiceses;
  RelMap<int, SNetScalar*> m_netScalars;
  RelMap<SRangeValue*, SNetBus*> m_subNetBi;
};

// An unordered group of nets of any kind (references).
class TAVRIN_API SNetBundle : public SNet {
  TAVRIN_CLASS(SNetBundle)
  TAVRIN_ID_ACCESSORS
 public:
  SNetBundle() {}
  ~SNetBundle() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  bool InsertNet(SNet* net);  // false when already listed
  bool RemoveNet(SNet* net);  // false when absent; never deletes
  bool HasNet(SNet* net) const { return m_nets.contains(net); }
  const RelLinkedList<SNet*>& GetAllNets() const { return m_nets; }
  void SetNetsAllocationSize(int) {}

 private:
  RelLinkedList<SNet*> m_nets;
};

// ---- physical nodes and segments ---------------------------------------------------

// A point of a scalar net's route: at a pin, a virtual pin or a via, with an
// optional pad stack and position. Owned by its net.
class TAVRIN_API SPhysicalNode : public SDesignElement {
  TAVRIN_CLASS(SPhysicalNode)
  TAVRIN_ID_ACCESSORS
 public:
  SPhysicalNode() {}
  // Deletes the position values and releases the segment list.
  ~SPhysicalNode() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  // The node side of a node-segment connection only.
  bool InsertSegment(SSegment* segment);  // false when already listed
  bool RemoveSegment(SSegment* segment);  // false when absent
  bool HasSegment(SSegment* segment) const { return m_segments.contains(segment); }
  const RelLinkedList<SSegment*>& GetAllSegments() const { return m_segments; }

  SPortInstanceScalar* GetPortInstanceScalar() const { return m_portInstanceScalar; }
  bool SetPortInstanceScalar(SPortInstanceScalar* pin) {
    m_portInstanceScalar = pin;
    return true;
  }
  SPadStack* GetPadStack() const { return m_padStack; }
  bool SetPadStack(SPadStack* padStack) {
    m_padStack = padStack;
    return true;
  }
  SVirtualPin* GetVirtualPin() const { return m_virtualPin; }
  bool SetVirtualPin(SVirtualPin* pin) {
    m_virtualPin = pin;
    return true;
  }
  SNetScalar* GetNetScalar() const { return m_netScalar; }

  // Position: Create deletes the value held and holds a new empty one (null
  // when memory is exhausted); Destroy deletes it and holds null (true).
  SUnitlessValue* CreateXValUnitlessValue();
  SUnitlessValue* CreateYValUnitlessValue();
  bool DestroyXVal();
  bool DestroyYVal();
  SUnitlessValue* GetXVal() const { return m_x; }
  SUnitlessValue* GetYVal() const { return m_y; }

  void SetSegmentsAllocationSize(int) {}

 private:
  friend class SNetScalar;
  bool SetNetScalar(SNetScalar* net) {
    m_netScalar = net;
    return true;
  }

  SPortInstanceScalar* m_portInstanceScalar = nullptr;
  SPadStack* m_padStack = nullptr;
  SNetScalar* m_netScalar = nullptr;
  SVirtualPin* m_virtualPin = nullptr;
  SUnitlessValue* m_x = nullptr;
  SUnitlessValue* m_y = nullptr;
  RelLinkedList<SSegment*> m_segments;
};

// A piece of trace between physical nodes, lying in a layer region. Owned
// by its net; it has no name.
class TAVRIN_API SSegment : public TavrinObject {
  TAVRIN_CLASS(SSegment)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  SSegment();
  // Releases the endpoint list (the nodes are not deleted).
  ~SSegment() override;

  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  void InternalUpdate() {}
  HANDLEMA* GetHeap() const { return m_heap; }
  long GetId() const { return m_id; }

  float GetImpedance() const { return m_impedance; }
  void SetImpedance(float v) { m_impedance = v; }
  float GetVelocity() const { return m_velocity; }
  void SetVelocity(float v) { m_velocity = v; }
  SNetScalar* GetNetScalar() const { return m_netScalar; }
  bool SetNetScalar(SNetScalar* net) {
    m_netScalar = net;
    return true;
  }
  SRegion* GetRegion() const { return m_region; }
  bool SetRegion(SRegion* region) {
    m_region = region;
    return true;
  }
  SNetScalar* GetVictimNet() const { return m_victimNet; }
  bool SetVictimNet(SNetScalar* net) {
    m_victimNet = net;
    return true;
  }

  // The segment side of a node-segment connection only; any number of nodes.
  bool InsertEndpoint(SPhysicalNode* node);  // false when already listed
  bool RemoveEndpoint(SPhysicalNode* node);  // false when absent
  bool HasEndpoint(SPhysicalNode* node) const { return m_endpoints.contains(node); }
  const RelLinkedList<SPhysicalNode*>& GetAllEndpoints() const { return m_endpoints; }

  void SetEndpointsAllocationSize(int) {}

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  HANDLEMA* m_heap;
  float m_impedance = 0;
  float m_velocity = 0;
  int32_t m_id;
  SNetScalar* m_netScalar = nullptr;
  SRegion* m_region = nullptr;
  RelLinkedList<SPhysicalNode*> m_endpoints;
  SNetScalar* m_victimNet = nullptr;
};

// ---- collections ----------------------------------------------------------------

// The common base of the objects a physical representation keeps by name:
// electrical nets, differential pairs and pin pairs.
class TAVRIN_API SCollection : public SDesignElement {
  TAVRIN_CLASS(SCollection)
 protected:
  SCollection() {}
};

// The scalar nets carrying one electrical signal, with the pin pairs
// defined on it (owned, by name) and its driver-receiver pairs.
class TAVRIN_API SElectricalNet : public SCollection {
  TAVRIN_CLASS(SElectricalNet)
  TAVRIN_ID_ACCESSORS
 public:
  SElectricalNet();
  // Deletes the pin pairs of both maps; the listed references stay.
  ~SElectricalNet() override;
  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  void SetId(long id) { SDesignElement::SetId(id); }

  // A new pin pair named `name` whose electrical net is this one; an entry
  // of that name is taken over (the earlier pin pair is not deleted). Null
  // for a null name or when memory is exhausted (nothing changes).
  SPinPair* CreatePinPair(const char* name);
  SPinPair* CreateConnPinPair(const char* name);
  // Files an existing pin pair under its current name and makes this its
  // electrical net: the net owns it from then on. A pin pair without a name
  // is refused.
  void InsertPinPair(SPinPair* pair);
  void InsertConnPinPair(SPinPair* pair);
  // Remove the entry (the pin pair is not deleted); false when absent.
  bool DestroyPinPair(const char* name);
  bool DestroyConnPinPair(const char* name);
  const RelMap<CharM, SPinPair*>& GetAllPinPairs() const { return m_pinPairs; }
  const RelMap<CharM, SPinPair*>& GetAllConnPinPairs() const { return m_connPinPairs; }

  // Insert puts the element at the head (false when already listed or
  // null); Remove unlinks it (false when absent) without deleting it.
  bool InsertNetScalar(SNetScalar* net);
  bool RemoveNetScalar(SNetScalar* net);
  bool HasNetScalar(SNetScalar* net) const { return m_netScalars.contains(net); }
  const RelLinkedList<SNetScalar*>& GetAllNetScalars() const { return m_netScalars; }
  bool InsertElectricalNet(SElectricalNet* net);
  bool RemoveElectricalNet(SElectricalNet* net);
  bool HasElectricalNet(SElectricalNet* net) const { return m_electricalNets.contains(net); }
  const RelLinkedList<SElectricalNet*>& GetAllElectricalNets() const { return m_electricalNets; }
  bool InsertDriverReceiverPair(SPinPair* pair);
  bool RemoveDriverReceiverPair(SPinPair* pair);
  bool HasDriverReceiverPair(SPinPair* pair) const { return m_driverReceiverPairs.contains(pair); }
  const RelLinkedList<SPinPair*>& GetAllDriverReceiverPairs() const { return m_driverReceiverPairs; }

  // The electrical net this one is grouped under (not saved).
  SElectricalNet* GetElectricalNet() const { return m_electricalNet; }
  bool SetElectricalNet(SElectricalNet* net) {
    m_electricalNet = net;
    return true;
  }
  // Half of a differential pair (not saved).
  bool GetbDiffPair() const { return m_diffPair; }
  void SetbDiffPair(bool on) { m_diffPair = on; }

  void SetNetScalarsAllocationSize(int) {}
  void SetElectricalNetsAllocationSize(int) {}
  void SetPinPairsAllocationSize(int) {}
  void SetDriverReceiverPairsAllocationSize(int) {}
  void SetConnPinPairsAllocationSize(int) {}

 private:
  bool m_diffPair = false;
  RelLinkedList<SNetScalar*> m_netScalars;
  RelLinkedList<SElectricalNet*> m_electricalNets;
  RelMap<CharM, SPinPair*> m_pinPairs;
  RelLinkedList<SPinPair*> m_driverReceiverPairs;
  SElectricalNet* m_electricalNet = nullptr;
  RelMap<CharM, SPinPair*> m_connPinPairs;
};

// The electrical nets of the two halves of a differential signal, with pin
// pairs of its own. Nothing of it is saved: a restored pair is empty.
class TAVRIN_API SDiffPair : public SCollection {
  TAVRIN_CLASS(SDiffPair)
  TAVRIN_ID_ACCESSORS
 public:
  SDiffPair();
  // Deletes the pin pairs of both maps.
  ~SDiffPair() override;
  void InternalUpdate() override;
  // Writes and reads nothing.
  Persistent::Error Serialize(PersistentStore& s) override;
  void SetId(long id) { SDesignElement::SetId(id); }

  // As SElectricalNet's, but no back-reference is set on the pin pair.
  SPinPair* CreatePinPair(const char* name);
  SPinPair* CreateDiffPinPair(const char* name);
  void InsertPinPair(SPinPair* pair);
  void InsertDiffPinPair(SPinPair* pair);
  bool DestroyPinPair(const char* name);
  bool DestroyDiffPinPair(const char* name);
  const RelMap<CharM, SPinPair*>& GetAllPinPairs() const { return m_pinPairs; }
  const RelMap<CharM, SPinPair*>& GetAllDiffPinPairs() const { return m_diffPinPairs; }

  bool InsertElectricalNet(SElectricalNet* net);
  bool RemoveElectricalNet(SElectricalNet* net);
  bool HasElectricalNet(SElectricalNet* net) const { return m_electricalNets.contains(net); }
  const RelLinkedList<SElectricalNet*>& GetAllElectricalNets() const { return m_electricalNets; }

  void SetElectricalNetsAllocationSize(int) {}
  void SetPinPairsAllocationSize(int) {}
  void SetDiffPinPairsAllocationSize(int) {}

 private:
  RelLinkedList<SElectricalNet*> m_electricalNets;
  RelMap<CharM, SPinPair*> m_pinPairs;
  RelMap<CharM, SPinPair*> m_diffPinPairs;
};

// ---- pins and pin pairs ---------------------------------------------------------
//
// The classes below with two TavrinObject bases are one object each: the
// first base is the view the class factory returns and file references
// resolve to; Cast reaches the other view from it. Both views write the
// same reference.

// What can stand at the end of a connection: a port instance scalar, a
// virtual pin or a board-description pin. No data; its record is empty.
class TAVRIN_API SPin : public TavrinObject {
  TAVRIN_CLASS(SPin)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  ~SPin() override {}
  virtual Persistent::Error Serialize(PersistentStore&) { return 0; }
  virtual int WritePointer(PersistentStore& s);
  virtual long GetId() const = 0;

 protected:
  SPin() {}
};

// A list of pins (references), the common part of pin pairs and from-tos.
class TAVRIN_API SPinPairAbstract : public TavrinObject {
  TAVRIN_CLASS(SPinPairAbstract)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  // The count of pins, then their references from the head.
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  virtual long GetId() const = 0;
  void InternalUpdate() {}

  // Puts the pin at the head; false when already listed or null.
  bool InsertPin(SPin* pin);
  bool RemovePin(SPin* pin);
  bool HasPin(SPin* pin) const { return m_pins.contains(pin); }
  const RelLinkedList<SPin*>& GetAllPins() const { return m_pins; }
  void SetPinsAllocationSize(int) {}

 protected:
  SPinPairAbstract();
  // Releases the pin list.
  ~SPinPairAbstract() override;

  HANDLEMA* m_pinHeap;  // claimed from the allocation: this is the first base
  RelLinkedList<SPin*> m_pins;
};

// A named pair of pins held by a scalar net, an electrical net or a
// differential pair.
class TAVRIN_API SPinPair : public SPinPairAbstract, public SCollection {
  TAVRIN_CLASS(SPinPair)
  TAVRIN_ID_ACCESSORS
 public:
  typedef SPinPairAbstract FirstBase;
  TAVRIN_ALLOCATION_OPERATORS
  SPinPair();
  ~SPinPair() override {}
  void InternalUpdate() override {}
  // The pin list, the design element record, the net scalar, the
  // electrical net, the id.
  Persistent::Error Serialize(PersistentStore& s) override;
  int WritePointer(PersistentStore& s) override;
  void SetId(long id) { SDesignElement::SetId(id); }

  SNetScalar* GetNetScalar() const { return m_netScalar; }
  bool SetNetScalar(SNetScalar* net) {
    m_netScalar = net;
    return true;
  }
  SElectricalNet* GetElectricalNet() const { return m_electricalNet; }
  bool SetElectricalNet(SElectricalNet* net) {
    m_electricalNet = net;
    return true;
  }

 private:
  SNetScalar* m_netScalar = nullptr;
  SElectricalNet* m_electricalNet = nullptr;
};

// A connection from one pin to another within a scalar net, named after its
// two ends ("U1.1,U2.3"), with the segments that route it. Owned by its net.
class TAVRIN_API SFromTo : public SPinPairAbstract, public SDesignElement {
  TAVRIN_CLASS(SFromTo)
  TAVRIN_ID_ACCESSORS
 public:
  typedef SPinPairAbstract FirstBase;
  TAVRIN_ALLOCATION_OPERATORS
  SFromTo();
  // Releases the segment list (the segments are not deleted).
  ~SFromTo() override;
  void InternalUpdate() override {}
  // The pin list, the design element record, the net scalar, the segments,
  // the id, the scheduled and routed flags (the user-defined flag is not
  // saved).
  Persistent::Error Serialize(PersistentStore& s) override;
  int WritePointer(PersistentStore& s) override;
  void SetId(long id) { SDesignElement::SetId(id); }

  bool InsertSegment(SSegment* segment);  // false when already listed or null
  bool RemoveSegment(SSegment* segment);  // false when absent
  bool HasSegment(SSegment* segment) const { return m_segments.contains(segment); }
  const RelLinkedList<SSegment*>& GetAllSegments() const { return m_segments; }
  void SetSegmentsAllocationSize(int) {}

  bool GetbScheduled() const { return m_scheduled; }
  void SetbScheduled(bool on) { m_scheduled = on; }
  bool GetbRouted() const { return m_routed; }
  void SetbRouted(bool on) { m_routed = on; }
  bool GetbUserDefined() const { return m_userDefined; }
  void SetbUserDefined(bool on) { m_userDefined = on; }
  SNetScalar* GetNetScalar() const { return m_netScalar; }

 private:
  friend class SNetScalar;
  bool SetNetScalar(SNetScalar* net) {
    m_netScalar = net;
    return true;
  }

  bool m_scheduled = false;
  bool m_routed = false;
  bool m_userDefined = false;
  SNetScalar* m_netScalar = nullptr;
  RelLinkedList<SSegment*> m_segments;
};

// A named point of a scalar net that is no component pin (a junction or a
// guide point), with a position and a physical node. Owned by its net.
class TAVRIN_API SVirtualPin : public SPin, public SDesignElement {
  TAVRIN_CLASS(SVirtualPin)
  TAVRIN_ID_ACCESSORS
 public:
  typedef SPin FirstBase;
  TAVRIN_ALLOCATION_OPERATORS
  SVirtualPin();
  // Deletes the position values and releases the pin list.
  ~SVirtualPin() override;
  void InternalUpdate() override {}
  // The design element record, the net scalar, the physical node, the id,
  // then X and Y (the guide flag and the pins are not saved).
  Persistent::Error Serialize(PersistentStore& s) override;
  int WritePointer(PersistentStore& s) override;
  void SetId(long id) { SDesignElement::SetId(id); }

  // Design elements attached to the virtual pin (references, not saved).
  bool InsertPin(SDesignElement* pin);  // false when already listed or null
  bool RemovePin(SDesignElement* pin);  // false when absent
  bool HasPin(SDesignElement* pin) const { return m_pins.contains(pin); }
  const RelLinkedList<SDesignElement*>& GetAllPins() const { return m_pins; }
  void SetPinsAllocationSize(int) {}

  bool IsGuidePin() const { return m_guidePin; }
  void SetGuidePin(bool on) { m_guidePin = on; }
  SPhysicalNode* GetPhysicalNode() const { return m_physicalNode; }
  bool SetPhysicalNode(SPhysicalNode* node) {
    m_physicalNode = node;
    return true;
  }
  SNetScalar* GetNetScalar() const { return m_netScalar; }

  // Position in the given unit; 0.0 without a value object. Set creates the
  // value object when there is none (false when memory is exhausted).
  double GetX(g_TavrinUnitType unit) const;
  double GetY(g_TavrinUnitType unit) const;
  bool SetX(double x, g_TavrinUnitType unit);
  bool SetY(double y, g_TavrinUnitType unit);
  SUnitlessValue* GetXVal() const { return m_x; }
  SUnitlessValue* GetYVal() const { return m_y; }
  // Create deletes the value held and holds a new empty one (null when
  // memory is exhausted); Destroy deletes it and holds null (true).
  SUnitlessValue* CreateXValUnitlessValue();
  SUnitlessValue* CreateYValUnitlessValue();
  bool DestroyXVal();
  bool DestroyYVal();

 private:
  friend class SNetScalar;
  bool SetNetScalar(SNetScalar* net) {
    m_netScalar = net;
    return true;
  }

  bool m_guidePin = false;
  SNetScalar* m_netScalar = nullptr;
  SPhysicalNode* m_physicalNode = nullptr;
  SUnitlessValue* m_x = nullptr;
  SUnitlessValue* m_y = nullptr;
  RelLinkedList<SDesignElement*> m_pins;
};

// A named pin of a part instance grouping part pin instances (references),
// with a group text. Owned by its part instance, which creates it and sets
// itself as its part instance. Nothing of it is saved.
class TAVRIN_API SEbdPin : public SPin, public SDesignElement {
  TAVRIN_CLASS(SEbdPin)
  TAVRIN_ID_ACCESSORS
 public:
  typedef SPin FirstBase;
  TAVRIN_ALLOCATION_OPERATORS
  SEbdPin();
  // Releases the pin list and the group text.
  ~SEbdPin() override;
  void InternalUpdate() override {}
  // Writes and reads nothing.
  Persistent::Error Serialize(PersistentStore& s) override;
  int WritePointer(PersistentStore& s) override;
  void SetId(long id) { SDesignElement::SetId(id); }

  bool InsertPin(SPartPinInstance* pin);  // false when already listed or null
  bool RemovePin(SPartPinInstance* pin);  // false when absent
  bool HasPin(SPartPinInstance* pin) const { return m_pins.contains(pin); }
  const RelLinkedList<SPartPinInstance*>& GetAllPins() const { return m_pins; }
  void SetPinsAllocationSize(int) {}

  const char* GetGroup() const { return m_group; }
  // Copies the text; null clears the group. False when memory is exhausted.
  bool SetGroup(const char* group);
  SPartInstance* GetPartInstance() const { return m_partInstance; }

 protected:
  friend class SPartInstance;
  bool SetPartInstance(SPartInstance* owner) {
    m_partInstance = owner;
    return true;
  }

 private:
  char* m_group = nullptr;
  RelLinkedList<SPartPinInstance*> m_pins;
  SPartInstance* m_partInstance = nullptr;
};

#endif
