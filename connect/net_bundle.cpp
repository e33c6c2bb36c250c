#include "connect/references.h"
#include "persist/record.h"
#include "tavrin/connect.h"

TAVRIN_REGISTER_FACTORY(SNetBundle);

// The member nets are referred to, not owned.
SNetBundle::~SNetBundle() { m_nets.clear(m_heap); }

bool SNetBundle::InsertNet(SNet* net) { return tavrin::InsertReference(m_nets, net, m_heap); }
bool SNetBundle::RemoveNet(SNet* net) { return m_nets.erase(net, m_heap); }

// After the net record: the member nets as count and references, then the id.
Persistent::Error SNetBundle::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SNet::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.ReferenceList(m_nets, m_heap);
  r.Long(m_id);
  return r.Result();
}
