// Collections: electrical nets and differential pairs, with the pin pairs
// they own by name.
#include "connect/references.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/connect.h"

TAVRIN_REGISTER_FACTORY(SElectricalNet);
TAVRIN_REGISTER_FACTORY(SDiffPair);

namespace {
// Files an existing pin pair under its own name; a pin pair without a name
// cannot be keyed and is refused.
bool FileByName(RelMap<CharM, SPinPair*>& map, SPinPair* pair) {
  return pair && pair->GetName() && !RelMap<CharM, SPinPair*>::Failed(map.insert(CharM(pair->GetName()), pair));
}
bool EraseName(RelMap<CharM, SPinPair*>& map, const char* name) { return name && map.eraseKey(CharM(name)); }
}  // namespace

// ---- electrical nets -------------------------------------------------------------------

SElectricalNet::SElectricalNet() { InternalUpdate(); }

// The pin pairs of both maps are owned; the lists hold references. The
// grouped nets' list nodes go too, so that nothing is left to a heap that
// outlives the net.
SElectricalNet::~SElectricalNet() {
  tavrin::DeleteMappedOnce<SPinPair>({&m_pinPairs, &m_connPinPairs});
  m_driverReceiverPairs.clear(m_heap);
  m_netScalars.clear(m_heap);
  m_electricalNets.clear(m_heap);
}

void SElectricalNet::InternalUpdate() {
  m_pinPairs.SetHeap(m_heap);
  m_connPinPairs.SetHeap(m_heap);
  SCollection::InternalUpdate();
}

SPinPair* SElectricalNet::CreatePinPair(const char* name) {
  SPinPair* pair = tavrin::CreateNamedChild(m_pinPairs, m_heap, name);
  if (pair) pair->SetElectricalNet(this);
  return pair;
}

SPinPair* SElectricalNet::CreateConnPinPair(const char* name) {
  SPinPair* pair = tavrin::CreateNamedChild(m_connPinPairs, m_heap, name);
  if (pair) pair->SetElectricalNet(this);
  return pair;
}

void SElectricalNet::InsertPinPair(SPinPair* pair) {
  if (FileByName(m_pinPairs, pair)) pair->SetElectricalNet(this);
}

void SElectricalNet::InsertConnPinPair(SPinPair* pair) {
  if (FileByName(m_connPinPairs, pair)) pair->SetElectricalNet(this);
}

bool SElectricalNet::DestroyPinPair(const char* name) { return EraseName(m_pinPairs, name); }
bool SElectricalNet::DestroyConnPinPair(const char* name) { return EraseName(m_connPinPairs, name); }

bool SElectricalNet::InsertNetScalar(SNetScalar* net) { return tavrin::InsertReference(m_netScalars, net, m_heap); }
bool SElectricalNet::RemoveNetScalar(SNetScalar* net) { return m_netScalars.erase(net, m_heap); }
bool SElectricalNet::InsertElectricalNet(SElectricalNet* net) {
  return tavrin::InsertReference(m_electricalNets, net, m_heap);
}
bool SElectricalNet::RemoveElectricalNet(SElectricalNet* net) { return m_electricalNets.erase(net, m_heap); }
bool SElectricalNet::InsertDriverReceiverPair(SPinPair* pair) {
  return tavrin::InsertReference(m_driverReceiverPairs, pair, m_heap);
}
bool SElectricalNet::RemoveDriverReceiverPair(SPinPair* pair) { return m_driverReceiverPairs.erase(pair, m_heap); }

// After the design element record: the scalar nets and the driver-receiver
// pairs as counts and references, then the id. The differential flag, the
// grouped nets, the grouping net and both pin-pair maps are not saved.
Persistent::Error SElectricalNet::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SCollection::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.ReferenceList(m_netScalars, m_heap);
  r.ReferenceList(m_driverReceiverPairs, m_heap);
  r.Long(m_id);
  return r.Result();
}

// ---- differential pairs ------------------------------------------------------------------

SDiffPair::SDiffPair() { InternalUpdate(); }

SDiffPair::~SDiffPair() {
  tavrin::DeleteMappedOnce<SPinPair>({&m_pinPairs, &m_diffPinPairs});
  m_electricalNets.clear(m_heap);
}

void SDiffPair::InternalUpdate() {
  m_pinPairs.SetHeap(m_heap);
  m_diffPinPairs.SetHeap(m_heap);
  SCollection::InternalUpdate();
}

SPinPair* SDiffPair::CreatePinPair(const char* name) { return tavrin::CreateNamedChild(m_pinPairs, m_heap, name); }
SPinPair* SDiffPair::CreateDiffPinPair(const char* name) {
  return tavrin::CreateNamedChild(m_diffPinPairs, m_heap, name);
}
void SDiffPair::InsertPinPair(SPinPair* pair) { FileByName(m_pinPairs, pair); }
void SDiffPair::InsertDiffPinPair(SPinPair* pair) { FileByName(m_diffPinPairs, pair); }
bool SDiffPair::DestroyPinPair(const char* name) { return EraseName(m_pinPairs, name); }
bool SDiffPair::DestroyDiffPinPair(const char* name) { return EraseName(m_diffPinPairs, name); }

bool SDiffPair::InsertElectricalNet(SElectricalNet* net) {
  return tavrin::InsertReference(m_electricalNets, net, m_heap);
}
bool SDiffPair::RemoveElectricalNet(SElectricalNet* net) { return m_electricalNets.erase(net, m_heap); }

// A differential pair has an empty record: not even its name is saved.
Persistent::Error SDiffPair::Serialize(PersistentStore&) { return 0; }
