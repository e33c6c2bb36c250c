// The project-wide constraint definitions: constraint sets, constraints and
// constraint groups by name, each owned by the project.
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/design.h"
#include "tavrin/props.h"

namespace {

template <class T>
void DeleteAll(RelMap<CharM, T*>& map) {
  for (auto it = map.begin(); it != map.end(); ++it) delete it->second;
}

}  // namespace

SConstraintSet* SProject::CreateConstraintSet(const char* name) { return tavrin::CreateNamedChild(m_constraintSets, m_heap, name); }
SConstraintSet* SProject::GetConstraintSet(const char* name) const { return m_constraintSets.lookup(name); }
bool SProject::HasConstraintSet(const char* name) { return m_constraintSets.lookup(name) != nullptr; }
bool SProject::DestroyConstraintSet(const char* name) { return name && m_constraintSets.eraseKey(CharM(name)); }

SConstraint* SProject::CreateConstraint(const char* name) { return tavrin::CreateNamedChild(m_constraints, m_heap, name); }
SConstraint* SProject::GetConstraint(const char* name) const { return m_constraints.lookup(name); }
bool SProject::HasConstraint(const char* name) { return m_constraints.lookup(name) != nullptr; }
bool SProject::DestroyConstraint(const char* name) { return name && m_constraints.eraseKey(CharM(name)); }

SConstraintGroup* SProject::CreateConstraintGroup(const char* name) {
  return tavrin::CreateNamedChild(m_constraintGroups, m_heap, name);
}
SConstraintGroup* SProject::GetConstraintGroup(const char* name) const { return m_constraintGroups.lookup(name); }
bool SProject::HasConstraintGroup(const char* name) { return m_constraintGroups.lookup(name) != nullptr; }
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
