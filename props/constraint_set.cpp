#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/persist.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SConstraintSet);

SConstraintSet::SConstraintSet()
    : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {
  InternalUpdate();
}

// The constraints and target sets are referred to, not owned. Map nodes in
// a session pool go with the session heap.
SConstraintSet::~SConstraintSet() {
  tavrin::TextFree(m_name);
  m_qualifiers.clear(m_heap);
  m_targetSets.clear(m_heap);
  if (!m_heap) m_constraints.clear();
}

void SConstraintSet::SetName(const char* name) { tavrin::SetText(m_heap, m_name, name); }

int SConstraintSet::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

SConstraint* SConstraintSet::GetConstraint(const char* name) const { return m_constraints.lookup(name); }

bool SConstraintSet::HasConstraint(const char* name) { return GetConstraint(name) != nullptr; }

bool SConstraintSet::SetConstraint(const char* name, SConstraint* c) {
  if (!name || !c || !c->GetName()) return false;
  if (m_constraints.find(name) != m_constraints.end()) return false;
  return !RelMap<CharM, SConstraint*>::Failed(m_constraints.insert(CharM(c->GetName()), c));
}

bool SConstraintSet::RemoveConstraint(const char* name) { return name && m_constraints.eraseKey(CharM(name)); }

bool SConstraintSet::InsertTargetSet(SConstraintSet* s) {
  if (!s || m_targetSets.contains(s)) return false;
  return m_targetSets.insert(s, m_heap);
}

bool SConstraintSet::RemoveTargetSet(SConstraintSet* s) { return m_targetSets.erase(s, m_heap); }

// Constraint entries are keyed by the key text written with them; the record
// ends with a 0 that is read and ignored.
Persistent::Error SConstraintSet::Serialize(PersistentStore& s) {
  if (!s.IsWriting()) InternalUpdate();
  tavrin::Record r(s, m_heap);
  r.String(m_name);
  r.StringList(m_qualifiers, m_heap);
  r.ReferenceMap(m_constraints);
  r.ReferenceList(m_targetSets, m_heap);
  r.Long(m_id);
  r.Fixed(0);
  return r.Result();
}
