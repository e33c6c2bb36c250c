// The project-wide constraint definitions: constraint sets, constraints and
// constraint groups by name, each owned by the project.
#include "persist/record.h"
#include "tavrin/design.h"
#include "tavrin/props.h"

namespace {

template <class T>
T* Lookup(const RelMap<CharM, T*>& map, const char* name) {
  if (!name) return nullptr;
  auto it = map.find(name);
  return it == map.end() ? nullptr : it->second;
}

// A new named object on the heap, filed under its own name text.
template <class T>
T* CreateNamed(RelMap<CharM, T*>& map, HANDLEMA* heap, const char* name) {
  if (!name) return nullptr;
  T* object = new (heap) T();
  if (!object) return nullptr;
  object->SetName(name);
  if (!object->GetName() || RelMap<CharM, T*>::Failed(map.insert(CharM(object->GetName()), object))) {
    delete object;
    return nullptr;
  }
  return object;
}

template <class T>
void DeleteAll(RelMap<CharM, T*>& map) {
  for (auto it = map.begin(); it != map.end(); ++it) delete it->second;
}

}  // namespace

SConstraintSet* SProject::CreateConstraintSet(const char* name) { return CreateNamed(m_constraintSets, m_heap, name); }
SConstraintSet* SProject::GetConstraintSet(const char* name) const { return Lookup(m_constraintSets, name); }
bool SProject::HasConstraintSet(const char* name) { return Lookup(m_constraintSets, name) != nullptr; }
bool SProject::DestroyConstraintSet(const char* name) { return name && m_constraintSets.eraseKey(CharM(name)); }

SConstraint* SProject::CreateConstraint(const char* name) { return CreateNamed(m_constraints, m_heap, name); }
SConstraint* SProject::GetConstraint(const char* name) const { return Lookup(m_constraints, name); }
bool SProject::HasConstraint(const char* name) { return Lookup(m_constraints, name) != nullptr; }
bool SProject::DestroyConstraint(const char* name) { return name && m_constraints.eraseKey(CharM(name)); }

SConstraintGroup* SProject::CreateConstraintGroup(const char* name) {
  return CreateNamed(m_constraintGroups, m_heap, name);
}
SConstraintGroup* SProject::GetConstraintGroup(const char* name) const { return Lookup(m_constraintGroups, name); }
bool SProject::HasConstraintGroup(const char* name) { return Lookup(m_constraintGroups, name) != nullptr; }
bool SProject::DestroyConstraintGroup(const char* name) {
  return name && m_constraintGroups.eraseKey(CharM(name));
}

// Sets, then constraints, then groups; none of them deletes what it refers to.
void SProject::DestroyConstraintFamilies() {
  DeleteAll(m_constraintSets);
  DeleteAll(m_constraints);
  DeleteAll(m_constraintGroups);
  if (!m_heap) {
    m_constraintSets.clear();
    m_constraints.clear();
    m_constraintGroups.clear();
  }
}

// Record items 8 to 10, in this order: constraint sets, constraints,
// constraint groups (a group files its sets under their names, so the sets
// are read first). Each entry is filed under the key read with it.
void SProject::SerializeConstraintFamilies(tavrin::Record& r) {
  r.ChildMap(m_constraintSets);
  r.ChildMap(m_constraints);
  r.ChildMap(m_constraintGroups);
}
