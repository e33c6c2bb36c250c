#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/persist.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SConstraint);

SConstraint::SConstraint()
    : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

SConstraint::~SConstraint() {
  tavrin::TextFree(m_name);
  m_owners.clear(m_heap);
}

void SConstraint::SetName(const char* name) { tavrin::SetText(m_heap, m_name, name); }

int SConstraint::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

// The basis and the default value are references only: their records are
// written by their owners.
Persistent::Error SConstraint::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  r.Reference(m_basis);
  r.Reference(m_defaultValue);
  r.String(m_name);
  r.StringList(m_owners, m_heap);
  r.Long(m_id);
  return r.Result();
}
