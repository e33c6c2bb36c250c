// The project-wide constraint definitions: constraint sets, constraints and
// constraint groups by name. Their classes come with the constraints; until
// then the maps stay empty, each record is a count of 0, and a file that
// claims any entry is damaged. With the classes, SerializeConstraintFamilies
// becomes the three calls r.ChildMap(m_constraintSets), r.ChildMap(m_constraints)
// and r.ChildMap(m_constraintGroups), and DestroyConstraintFamilies deletes
// every entry of the three maps in that order.
#include "persist/record.h"
#include "tavrin/design.h"

namespace {
template <class T>
T* Lookup(const RelMap<CharM, T*>& map, const char* name) {
  if (!name) return nullptr;
  auto it = map.find(name);
  return it == map.end() ? nullptr : it->second;
}
}  // namespace

SConstraintSet* SProject::GetConstraintSet(const char* name) const { return Lookup(m_constraintSets, name); }
bool SProject::HasConstraintSet(const char* name) { return Lookup(m_constraintSets, name) != nullptr; }
bool SProject::DestroyConstraintSet(const char* name) { return name && m_constraintSets.eraseKey(CharM(name)); }

SConstraint* SProject::GetConstraint(const char* name) const { return Lookup(m_constraints, name); }
bool SProject::HasConstraint(const char* name) { return Lookup(m_constraints, name) != nullptr; }
bool SProject::DestroyConstraint(const char* name) { return name && m_constraints.eraseKey(CharM(name)); }

SConstraintGroup* SProject::GetConstraintGroup(const char* name) const { return Lookup(m_constraintGroups, name); }
bool SProject::HasConstraintGroup(const char* name) { return Lookup(m_constraintGroups, name) != nullptr; }
bool SProject::DestroyConstraintGroup(const char* name) {
  return name && m_constraintGroups.eraseKey(CharM(name));
}

void SProject::DestroyConstraintFamilies() {
  if (!m_heap) {
    m_constraintSets.clear();
    m_constraints.clear();
    m_constraintGroups.clear();
  }
}

// Record items 8 to 10, in this order: constraint sets, constraints,
// constraint groups.
void SProject::SerializeConstraintFamilies(tavrin::Record& r) {
  if (r.Count(m_constraintSets.size()) != 0) r.store().MarkDamaged();
  if (r.Count(m_constraints.size()) != 0) r.store().MarkDamaged();
  if (r.Count(m_constraintGroups.size()) != 0) r.store().MarkDamaged();
}
