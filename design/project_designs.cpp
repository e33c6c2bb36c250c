// The designs of a project and its top cells. Designs are cells, whose class
// comes later: until then the designs map stays empty, its record is a count
// of 0, and a file that claims designs or top cells is damaged. With the
// cell class, SerializeDesigns reads `r.ChildMap(m_designs, <set project>)`,
// SerializeTopCells `r.ReferenceList(m_topCells, m_heap)`, DestroyDesign
// checks the instance count and deletes, and DestroyDesigns deletes them all.
#include "persist/record.h"
#include "tavrin/design.h"

SCell* SProject::GetDesign(const char* name) const { return m_designs.lookup(name); }

bool SProject::HasDesign(const char* name) { return name && m_designs.find(name) != m_designs.end(); }

// No cell can exist yet, so there is never one to destroy.
bool SProject::DestroyDesign(const char* name) {
  (void)name;
  return false;
}

void SProject::DestroyDesigns() {
  if (!m_heap) m_designs.clear();
}

void SProject::SerializeTopCells(tavrin::Record& r) {
  // A top cell cannot be written without the cell class.
  if (r.Count(m_topCells.size()) != 0) r.store().MarkDamaged();
}

void SProject::SerializeDesigns(tavrin::Record& r) {
  if (r.Count(m_designs.size()) != 0) r.store().MarkDamaged();
}
