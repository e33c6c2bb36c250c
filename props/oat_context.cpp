// OAT contexts: named sets of properties, attributes and constraint
// instances, each kind in a list and all of them in one map by name.
#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/persist.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SOATContext);

SOATContext::SOATContext() : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {
  InternalUpdate();
}

// Every assignment stands in one list, also one whose name a later one took
// over in the map, so deletion follows the lists.
SOATContext::~SOATContext() {
  tavrin::DeleteListed(m_properties, m_heap);
  tavrin::DeleteListed(m_attributes, m_heap);
  tavrin::DeleteListed(m_constraintInstances, m_heap);
  m_assignments.clear();
  tavrin::TextFree(m_name);
}

void SOATContext::SetName(const char* name) { tavrin::SetText(m_heap, m_name, name); }

int SOATContext::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

SProperty* SOATContext::CreateProperty(const char* name) {
  return tavrin::CreateListedChild(m_assignments, m_properties, m_heap, name);
}

SAttribute* SOATContext::CreateAttribute(const char* name) {
  return tavrin::CreateListedChild(m_assignments, m_attributes, m_heap, name);
}

SConstraintInstance* SOATContext::CreateConstraintInstance(const char* name, SConstraint* c) {
  SConstraintInstance* ci = tavrin::CreateListedChild(m_assignments, m_constraintInstances, m_heap, name);
  if (ci) ci->SetConstraint(c);
  return ci;
}

SAssignment* SOATContext::GetAssignment(const char* name) const { return m_assignments.lookup(name); }

bool SOATContext::HasAssignment(const char* name) const { return GetAssignment(name) != nullptr; }

// The map's key is the assignment's own name text: the entry goes first.
bool SOATContext::DestroyAssignment(const char* name) {
  if (!name) return false;
  auto it = m_assignments.find(name);
  if (it == m_assignments.end()) return false;
  SAssignment* a = it->second;
  m_assignments.erase(it);
  if (SProperty* p = SProperty::Cast(a)) m_properties.erase(p, m_heap);
  else if (SAttribute* at = SAttribute::Cast(a)) m_attributes.erase(at, m_heap);
  else if (SConstraintInstance* ci = SConstraintInstance::Cast(a)) m_constraintInstances.erase(ci, m_heap);
  return true;
}

// 1. the name; 2. the id; 3, 4, 5. the properties, attributes and
// constraint instances, each as count, then reference and record from the
// head. Reading puts each at the head of its list and files it in the map
// right after its record, in file order: of two of one name, the one read
// last holds the entry.
Persistent::Error SOATContext::Serialize(PersistentStore& s) {
  if (!s.IsWriting()) InternalUpdate();
  tavrin::Record r(s, m_heap);
  r.String(m_name);
  r.Long(m_id);
  r.NamedChildList(m_properties, m_heap, m_assignments);
  r.NamedChildList(m_attributes, m_heap, m_assignments);
  r.NamedChildList(m_constraintInstances, m_heap, m_assignments);
  return r.Result();
}
