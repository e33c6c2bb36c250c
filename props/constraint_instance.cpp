#include "persist/record.h"
#include "tavrin/persist.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SConstraintInstance);

SConstraintInstance::SConstraintInstance() : m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

// The assignment record, the constraint's reference, the id. The drcCode is
// not saved.
Persistent::Error SConstraintInstance::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SAssignment::Serialize(s)) return e;
  tavrin::Record r(s, GetHeap());
  r.Reference(m_constraint);
  r.Long(m_id);
  return r.Result();
}
