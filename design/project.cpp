#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/design.h"

TAVRIN_REGISTER_FACTORY(SProject);

SProject::SProject() { InternalUpdate(); }

// Children go first: files, designs, then the constraint families.
SProject::~SProject() {
  for (auto it = m_files.begin(); it != m_files.end(); ++it) delete it->second;
  DestroyDesigns();
  DestroyConstraintFamilies();
  m_topCells.clear(m_heap);
  if (!m_heap) m_files.clear();
  tavrin::TextFree(m_hostCAD);
  tavrin::TextFree(m_units);
}

void SProject::InternalUpdate() {
  m_files.SetHeap(m_heap);
  m_designs.SetHeap(m_heap);
  m_constraintSets.SetHeap(m_heap);
  m_constraints.SetHeap(m_heap);
  m_constraintGroups.SetHeap(m_heap);
}

void SProject::SetHostCAD(const char* text) { tavrin::SetText(m_heap, m_hostCAD, text); }
void SProject::SetUnits(const char* text) { tavrin::SetText(m_heap, m_units, text); }

// 1. the design element record; 2, 3. host CAD and units; 4. the top cells
// (references); 5. the id; 6 to 10. the files, designs, constraint sets,
// constraints and constraint groups, each as count and per entry its key,
// reference and record.
Persistent::Error SProject::Serialize(PersistentStore& s) {
  Persistent::Error e = SDesignElement::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.String(m_hostCAD);
  r.String(m_units);
  SerializeTopCells(r);
  r.Long(m_id);
  r.ChildMap(m_files);
  SerializeDesigns(r);
  SerializeConstraintFamilies(r);
  return r.Result();
}

// ---- files ------------------------------------------------------------------------

SFile* SProject::CreateFile(const char* name) { return tavrin::CreateNamedChild(m_files, m_heap, name); }

SFile* SProject::GetFile(const char* name) const { return m_files.lookup(name); }

bool SProject::HasFile(const char* name) { return name && m_files.find(name) != m_files.end(); }

bool SProject::DestroyFile(const char* name) { return name && m_files.eraseKey(CharM(name)); }

// ---- top cells ------------------------------------------------------------------------

bool SProject::InsertTopCell(SCell* cell) {
  if (!cell || m_topCells.contains(cell)) return false;
  return m_topCells.append(cell, m_heap);
}

bool SProject::RemoveTopCell(SCell* cell) { return m_topCells.erase(cell, m_heap); }

bool SProject::HasTopCell(SCell* cell) { return m_topCells.contains(cell); }
