#include "persist/record.h"
#include "tavrin/persist.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SConstraintOverride);

SConstraintOverride::SConstraintOverride()
    : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

// The current value and the constraint are referred to, not owned.
SConstraintOverride::~SConstraintOverride() {}

int SConstraintOverride::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

Persistent::Error SConstraintOverride::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  r.Long(m_clientFlags);
  r.Reference(m_currentValue);
  r.Long(m_staticClientFlags);
  r.Bool(m_bOverridden);
  r.Reference(m_constraint);
  r.Long(m_id);
  return r.Result();
}
