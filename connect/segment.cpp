#include "connect/references.h"
#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/connect.h"
#include "tavrin/physical.h"

TAVRIN_REGISTER_FACTORY(SSegment);

SSegment::SSegment()
    : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

// The end nodes are referred to, not owned: only the list nodes go.
SSegment::~SSegment() { m_endpoints.clear(m_heap); }

int SSegment::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

bool SSegment::InsertEndpoint(SPhysicalNode* node) { return tavrin::InsertReference(m_endpoints, node, m_heap); }
bool SSegment::RemoveEndpoint(SPhysicalNode* node) { return m_endpoints.erase(node, m_heap); }

// 1. impedance and velocity; 2. the net and the region; 3. the end nodes as
// count and references; 4. the victim net; 5. the id.
Persistent::Error SSegment::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  r.Float(m_impedance);
  r.Float(m_velocity);
  r.Reference(m_netScalar);
  r.Reference(m_region);
  r.ReferenceList(m_endpoints, m_heap);
  r.Reference(m_victimNet);
  r.Long(m_id);
  return r.Result();
}
