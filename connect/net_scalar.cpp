#include <cstring>
#include <new>
#include <string>

#include "connect/references.h"
#include "containers/pointer_set.h"
#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/connect.h"
#include "tavrin/design.h"
#include "tavrin/physical.h"

TAVRIN_REGISTER_FACTORY(SNetScalar);

SNetScalar::SNetScalar() { InternalUpdate(); }

// Segments, then physical nodes, then the pin pairs, from-tos, routed
// from-tos and virtual pins of the name maps are deleted (a child filed
// twice only once). The other lists hold references: only their nodes go.
SNetScalar::~SNetScalar() {
  for (auto it = m_segments.begin(); it != m_segments.end(); ++it) delete *it;
  for (auto it = m_physicalNodes.begin(); it != m_physicalNodes.end(); ++it) delete *it;
  tavrin::DeleteMappedOnce<SPinPair>({&m_pinPairs});
  tavrin::DeleteMappedOnce<SFromTo>({&m_fromTos, &m_routedFromTos});
  tavrin::DeleteMappedOnce<SVirtualPin>({&m_virtualPins});
  m_physicalNodes.clear(m_heap);
  m_segments.clear(m_heap);
  m_driverReceiverPairs.clear(m_heap);
  m_portInstanceScalars.clear(m_heap);
  tavrin::PointerSetFree(m_heap, m_portInstanceSet);
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

namespace {
// A from-to is named after its two ends, "A,B": a name not found as given
// is tried again as "B,A", split at its first comma.
SFromTo* FindFromTo(const RelMap<CharM, SFromTo*>& map, const char* name) {
  if (!name) return nullptr;
  auto it = map.find(name);
  if (it != map.end()) return it->second;
  const char* comma = std::strchr(name, ',');
  if (!comma) return nullptr;
  try {
    std::string swapped = std::string(comma + 1) + ',' + std::string(name, comma);
    return map.lookup(swapped.c_str());
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

// Files an existing child under its own name; one without a name cannot
// be keyed and is refused.
template <class T>
bool FileByName(RelMap<CharM, T*>& map, T* child) {
  return child && child->GetName() && !RelMap<CharM, T*>::Failed(map.insert(CharM(child->GetName()), child));
}
}  // namespace

SPinPair* SNetScalar::CreatePinPair(const char* name) {
  SPinPair* pair = tavrin::CreateNamedChild(m_pinPairs, m_heap, name);
  if (pair) pair->SetNetScalar(this);
  return pair;
}

SFromTo* SNetScalar::CreateFromTo(const char* name) {
  SFromTo* fromTo = tavrin::CreateNamedChild(m_fromTos, m_heap, name);
  if (fromTo) fromTo->SetNetScalar(this);
  return fromTo;
}

SFromTo* SNetScalar::CreateRoutedFromTo(const char* name) {
  SFromTo* fromTo = tavrin::CreateNamedChild(m_routedFromTos, m_heap, name);
  if (fromTo) fromTo->SetNetScalar(this);
  return fromTo;
}

SVirtualPin* SNetScalar::CreateVirtualPin(const char* name) {
  SVirtualPin* pin = tavrin::CreateNamedChild(m_virtualPins, m_heap, name);
  if (pin) pin->SetNetScalar(this);
  return pin;
}

// Listed only: the net refers to it and does not delete it.
SPinPair* SNetScalar::CreateDriverReceiverPair(const char* name) {
  if (!name) return nullptr;
  SPinPair* pair = new (m_heap) SPinPair();
  if (!pair) return nullptr;
  pair->SetName(name);
  if (!pair->GetName() || !InsertDriverReceiverPair(pair)) {
    delete pair;
    return nullptr;
  }
  pair->SetNetScalar(this);
  return pair;
}

void SNetScalar::InsertPinPair(SPinPair* pair) {
  if (FileByName(m_pinPairs, pair)) pair->SetNetScalar(this);
}
void SNetScalar::InsertFromTo(SFromTo* fromTo) {
  if (FileByName(m_fromTos, fromTo)) fromTo->SetNetScalar(this);
}
void SNetScalar::InsertRoutedFromTo(SFromTo* fromTo) {
  if (FileByName(m_routedFromTos, fromTo)) fromTo->SetNetScalar(this);
}

SFromTo* SNetScalar::GetFromTo(const char* name) const { return FindFromTo(m_fromTos, name); }
bool SNetScalar::HasFromTo(const char* name) const { return FindFromTo(m_fromTos, name) != nullptr; }
SFromTo* SNetScalar::GetRoutedFromTo(const char* name) const { return FindFromTo(m_routedFromTos, name); }
bool SNetScalar::HasRoutedFromTo(const char* name) const { return FindFromTo(m_routedFromTos, name) != nullptr; }

// The net keeps no flag of its own: it reports and sets its from-tos'.
bool SNetScalar::GetbScheduled() const {
  for (auto it = m_fromTos.begin(); it != m_fromTos.end(); ++it)
    if (it->second->GetbScheduled()) return true;
  return false;
}
void SNetScalar::SetbScheduled(bool on) {
  for (auto it = m_fromTos.begin(); it != m_fromTos.end(); ++it) it->second->SetbScheduled(on);
}
bool SNetScalar::GetbRouted() const {
  for (auto it = m_routedFromTos.begin(); it != m_routedFromTos.end(); ++it)
    if (it->second->GetbRouted()) return true;
  return false;
}
void SNetScalar::SetbRouted(bool on) {
  for (auto it = m_routedFromTos.begin(); it != m_routedFromTos.end(); ++it) it->second->SetbRouted(on);
}

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

namespace {
// List length from which a net keeps its port instances in a hash set too.
constexpr unsigned kPortInstanceSetFrom = 32;
}  // namespace

// Same result and list order as a scan of the list: the set only answers
// the membership question. Without memory for the set the net scans.
bool SNetScalar::InsertPortInstanceScalar(SPortInstanceScalar* pin) {
  if (!pin) return false;
  unsigned listed = 0;
  if (m_portInstanceSet) {
    if (tavrin::PointerSetContains(m_portInstanceSet, pin)) return false;
  } else {
    for (auto it = m_portInstanceScalars.begin(); it != m_portInstanceScalars.end(); ++it, ++listed)
      if (*it == pin) return false;
  }
  if (!m_portInstanceScalars.insert(pin, m_heap)) return false;
  if (m_portInstanceSet) {
    m_portInstanceSet = tavrin::PointerSetAdd(m_heap, m_portInstanceSet, pin);
  } else if (listed + 1 >= kPortInstanceSetFrom) {
    tavrin::PointerSet* set = nullptr;
    for (auto it = m_portInstanceScalars.begin(); it != m_portInstanceScalars.end(); ++it) {
      if (!*it || tavrin::PointerSetContains(set, *it)) continue;  // a restored list may repeat one
      if (!(set = tavrin::PointerSetAdd(m_heap, set, *it))) break;
    }
    m_portInstanceSet = set;
  }
  return true;
}
bool SNetScalar::RemovePortInstanceScalar(SPortInstanceScalar* pin) {
  if (!m_portInstanceScalars.erase(pin, m_heap)) return false;
  // A reference listed twice (a restored file may hold one) stays in the set.
  if (m_portInstanceSet && !m_portInstanceScalars.contains(pin)) tavrin::PointerSetErase(m_portInstanceSet, pin);
  return true;
}

int SNetScalar::NetConnectsToPin(const char* refDes, const char* pin) const {
  if (!refDes || !pin) return 0;
  for (auto it = m_portInstanceScalars.begin(); it != m_portInstanceScalars.end(); ++it) {
    SPartPinInstance* ppi = *it ? (*it)->GetPartPinInstance() : nullptr;
    if (!ppi || !ppi->GetName() || std::strcmp(ppi->GetName(), pin) != 0) continue;
    SPartInstance* owner = ppi->GetPartInstance();
    if (owner && owner->GetRefDes() && std::strcmp(owner->GetRefDes(), refDes) == 0) return 1;
  }
  return 0;
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
// pins, each entry as its key, reference and record (the key read keys the
// entry). The pin pairs and the partner name are not saved. A from-to filed
// twice would be written twice, which no restore accepts: such a save fails.
Persistent::Error SNetScalar::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SNet::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  if (r.Writing() && (tavrin::FiledTwice<SFromTo>({&m_fromTos, &m_routedFromTos}) ||
                      tavrin::FiledTwice<SVirtualPin>({&m_virtualPins})))
    s.MarkDamaged();
  r.Float(m_voltage);
  r.Bool(m_constantVoltage);
  r.ReferenceList(m_netBi, m_heap);
  if (!r.Writing()) {  // the list read replaces the one the set mirrors
    tavrin::PointerSetFree(m_heap, m_portInstanceSet);
    m_portInstanceSet = nullptr;
  }
  r.ReferenceList(m_portInstanceScalars, m_heap);
  r.Reference(m_electricalNet);
  r.ReferenceList(m_driverReceiverPairs, m_heap);
  r.ReferencePairs(m_victimSegments);
  r.Long(m_id);
  r.ChildList(m_segments, m_heap);
  r.ChildList(m_physicalNodes, m_heap);
  r.ChildMap(m_fromTos);
  r.ChildMap(m_routedFromTos);
  r.ChildMap(m_virtualPins);
  return r.Result();
}
