// Slots of a cell and slot instances of a cell instance.
#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/design.h"

TAVRIN_REGISTER_FACTORY(SSlot);
TAVRIN_REGISTER_FACTORY(SSlotInstance);

SSlot::SSlot() {}
SSlot::~SSlot() {}

// 1. the design element record; 2. the number; 3, 4. the member and the
// aggregate cell; 5. the id.
Persistent::Error SSlot::Serialize(PersistentStore& s) {
  Persistent::Error e = SInstantiator::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.Int(m_number);
  r.Reference(m_memberCell);
  r.Reference(m_aggregateCell);
  r.Long(m_id);
  return r.Result();
}

SSlotInstance::SSlotInstance() {}

SSlotInstance::~SSlotInstance() {
  tavrin::TextFree(m_gateName);
  tavrin::TextFree(m_gateUID);
}

char* SSlotInstance::GetGateName() const {
  if (m_gateName && *m_gateName) return m_gateName;
  if (m_memberCellInstance) return m_memberCellInstance->GetName();
  return m_gateName;
}

char* SSlotInstance::GetGateUID() const {
  if (m_gateUID && *m_gateUID) return m_gateUID;
  if (m_memberCellInstance) return m_memberCellInstance->GetUID();
  return m_gateUID;
}

void SSlotInstance::SetGateName(const char* name) {
  if (name) tavrin::SetText(m_heap, m_gateName, name);
}

void SSlotInstance::SetGateUID(const char* uid) {
  if (uid) tavrin::SetText(m_heap, m_gateUID, uid);
}

// The gate texts become copies of the instance's name and UID (a null one
// clears the gate text).
bool SSlotInstance::SetMemberCellInstance(SCellInstance* ci) {
  m_memberCellInstance = ci;
  if (ci) {
    tavrin::SetText(m_heap, m_gateName, ci->GetName());
    tavrin::SetText(m_heap, m_gateUID, ci->GetUID());
  }
  return true;
}

// 1. the design element record; 2 to 4. the slot, the member and the
// aggregate cell instance; 5. the id; 6, 7. the gate name and gate UID.
Persistent::Error SSlotInstance::Serialize(PersistentStore& s) {
  Persistent::Error e = SInstance::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.Reference(m_slot);
  r.Reference(m_memberCellInstance);
  r.Reference(m_aggregateCellInstance);
  r.Long(m_id);
  r.String(m_gateName);
  r.String(m_gateUID);
  return r.Result();
}
