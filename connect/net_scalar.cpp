#include "connect/references.h"
#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/connect.h"
#include "tavrin/design.h"
#include "tavrin/physical.h"

TAVRIN_REGISTER_FACTORY(SNetScalar);

SNetScalar::SNetScalar() { InternalUpdate(); }

// Segments, then physical nodes are deleted. The pin pairs, from-tos and
// virtual pins come with their classes; until then their maps stay empty.
// The other lists hold references: only their nodes go.
SNetScalar::~SNetScalar() {
  for (auto it = m_segments.begin(); it != m_segments.end(); ++it) delete *it;
  for (auto it = m_physicalNodes.begin(); it != m_physicalNodes.end(); ++it) delete *it;
  m_physicalNodes.clear(m_heap);
  m_segments.clear(m_heap);
  m_driverReceiverPairs.clear(m_heap);
  m_portInstanceScalars.clear(m_heap);
  m_netBi.clear(m_heap);
  tavrin::TextFree(m_diffNet);
}

void SNetScalar::InternalUpdate() {
  m_pinPairs.SetHeap(m_heap);
  m_fromTos.SetHeap(m_heap);
  m_routedFromTos.SetHeap(m_heap);
  m_virtualPins.SetHeap(m_heap);
  m_victimSegments.SetHeap(m_heap);
  SNet::InternalUpdate();
}

// ---- segments and physical nodes ---------------------------------------------------

SSegment* SNetScalar::CreateSegment() {
  SSegment* segment = new (m_heap) SSegment();
  if (!segment) return nullptr;
  if (!m_segments.insert(segment, m_heap)) {
    delete segment;
    return nullptr;
  }
  segment->SetNetScalar(this);
  return segment;
}

SPhysicalNode* SNetScalar::CreatePhysicalNode() {
  SPhysicalNode* node = new (m_heap) SPhysicalNode();
  if (!node) return nullptr;
  if (!m_physicalNodes.insert(node, m_heap)) {
    delete node;
    return nullptr;
  }
  node->SetNetScalar(this);
  return node;
}

// The segment also leaves the victim map, as key or as victim.
bool SNetScalar::DestroySegment(SSegment* segment) {
  if (!segment || !m_segments.erase(segment, m_heap)) return false;
  tavrin::DropEntriesOf(m_victimSegments, segment);
  delete segment;
  return true;
}

bool SNetScalar::DestroyPhysicalNode(SPhysicalNode* node) {
  if (!node || !m_physicalNodes.erase(node, m_heap)) return false;
  delete node;
  return true;
}

// ---- pin pairs, from-tos and virtual pins ----------------------------------------------

SPinPair* SNetScalar::GetPinPair(const char* name) const { return m_pinPairs.lookup(name); }
bool SNetScalar::HasPinPair(const char* name) const { return name && m_pinPairs.find(name) != m_pinPairs.end(); }
SVirtualPin* SNetScalar::GetVirtualPin(const char* name) const { return m_virtualPins.lookup(name); }
bool SNetScalar::HasVirtualPin(const char* name) const {
  return name && m_virtualPins.find(name) != m_virtualPins.end();
}

bool SNetScalar::DestroyPinPair(const char* name) { return name && m_pinPairs.eraseKey(CharM(name)); }
bool SNetScalar::DestroyFromTo(const char* name) { return name && m_fromTos.eraseKey(CharM(name)); }
bool SNetScalar::DestroyRoutedFromTo(const char* name) { return name && m_routedFromTos.eraseKey(CharM(name)); }
bool SNetScalar::DestroyVirtualPin(const char* name) { return name && m_virtualPins.eraseKey(CharM(name)); }

// ---- references ------------------------------------------------------------------------

bool SNetScalar::InsertPortInstanceScalar(SPortInstanceScalar* pin) {
  return tavrin::InsertReference(m_portInstanceScalars, pin, m_heap);
}
bool SNetScalar::RemovePortInstanceScalar(SPortInstanceScalar* pin) {
  return m_portInstanceScalars.erase(pin, m_heap);
}

bool SNetScalar::InsertNetBus(SNetBus* bus) { return tavrin::InsertReference(m_netBi, bus, m_heap); }
bool SNetScalar::RemoveNetBus(SNetBus* bus) { return m_netBi.erase(bus, m_heap); }

bool SNetScalar::InsertDriverReceiverPair(SPinPair* pair) {
  return tavrin::InsertReference(m_driverReceiverPairs, pair, m_heap);
}
bool SNetScalar::RemoveDriverReceiverPair(SPinPair* pair) { return m_driverReceiverPairs.erase(pair, m_heap); }
void SNetScalar::RemoveAllDriverReceiverPairs() { m_driverReceiverPairs.clear(m_heap); }

bool SNetScalar::SetDiffNet(const char* name) { return tavrin::SetText(m_heap, m_diffNet, name); }

bool SNetScalar::SetDiffNet(SNetScalar* net) { return SetDiffNet(net ? net->GetName() : nullptr); }

SNetScalar* SNetScalar::GetDiffNet(SModule* module) const {
  if (!m_diffNet || !module) return nullptr;
  return SNetScalar::Cast(module->GetNet(m_diffNet));
}

SSegment* SNetScalar::GetVictimSegment(SSegment* segment) const {
  auto it = m_victimSegments.find(segment);
  return it != m_victimSegments.end() ? it->second : nullptr;
}

bool SNetScalar::SetVictimSegment(SSegment* segment, SSegment* victim) {
  if (HasVictimSegment(segment)) return false;
  return !RelMap<SSegment*, SSegment*>::Failed(m_victimSegments.insert(segment, victim));
}

bool SNetScalar::RemoveVictimSegment(SSegment* segment) { return m_victimSegments.eraseKey(segment); }

bool SNetScalar::HasVictimSegment(SSegment* segment) const {
  return m_victimSegments.find(segment) != m_victimSegments.end();
}

// ---- record ------------------------------------------------------------------------------

// After the net record: 1. voltage; 2. the constant-voltage flag; 3, 4. the
// buses and port instances as counts and references; 5. the electrical
// net; 6. the driver-receiver pairs; 7. the victim segments as pairs of
// references; 8. the id; 9, 10. the segments and physical nodes, each as its
// reference and record; 11 to 13. the from-tos, routed from-tos and virtual
// pins. Electrical nets, pin pairs, from-tos and virtual pins come with
// their classes: until then they are written empty and a file that holds
// any is damaged. The pin pairs and the partner name are not saved.
Persistent::Error SNetScalar::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SNet::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Float(m_voltage);
  r.Bool(m_constantVoltage);
  r.ReferenceList(m_netBi, m_heap);
  r.ReferenceList(m_portInstanceScalars, m_heap);
  tavrin::LaterReference(r, m_electricalNet);
  r.NoneYet(m_driverReceiverPairs.size());
  r.ReferencePairs(m_victimSegments);
  r.Long(m_id);
  r.ChildList(m_segments, m_heap);
  r.ChildList(m_physicalNodes, m_heap);
  r.NoneYet(m_fromTos.size());
  r.NoneYet(m_routedFromTos.size());
  r.NoneYet(m_virtualPins.size());
  return r.Result();
}
