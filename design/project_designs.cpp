// The designs of a project (cells, owned by name) and its top cells
// (references to some of them, in insertion order).
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/design.h"
#include "tavrin/physical.h"

SCell* SProject::CreateDesignCell(const char* name) {
  SCell* cell = tavrin::CreateNamedChild(m_designs, m_heap, name);
  if (cell) cell->SetProject(this);
  return cell;
}

SCell* SProject::GetDesign(const char* name) const { return m_designs.lookup(name); }

bool SProject::HasDesign(const char* name) { return name && m_designs.find(name) != m_designs.end(); }

namespace {
// Deleting a cell deletes the cell instances of its representations (of
// every kind: modules and parts hold part and module instances too); each
// deleted instance stops counting in the cell it instantiates.
template <class R>
void ReleaseInstancedCells(const RelLinkedList<R*>& representations) {
  auto release = [](const auto& instances) {
    for (auto it = instances.begin(); it != instances.end(); ++it)
      if (SCell* c = (*it)->GetCell()) c->RemoveCellRef();
  };
  for (auto r = representations.begin(); r != representations.end(); ++r) {
    const SRepresentation* view = *r;
    release(view->GetAllGenericCellInstances());
    release(view->GetAllModuleInstances());
    release(view->GetAllPartInstances());
  }
}
}  // namespace

bool SProject::DestroyDesign(const char* name) {
  if (!name) return false;
  auto it = m_designs.find(name);
  if (it == m_designs.end()) return false;
  SCell* cell = it->second;
  if (!cell || cell->GetInstanceCount() != 0) return false;
  m_designs.erase(it);
  while (m_topCells.erase(cell, m_heap)) {
  }
  ReleaseInstancedCells(cell->GetAllConnectivityRepresentations());
  ReleaseInstancedCells(cell->GetAllSchematicRepresentations());
  ReleaseInstancedCells(cell->GetAllModules());
  ReleaseInstancedCells(cell->GetAllParts());
  delete cell;
  return true;
}

// The project's destructor deletes every design; counts are left alone,
// since the cells they count in go with the same project or session.
void SProject::DestroyDesigns() {
  tavrin::DeleteMapped(m_designs);
}

void SProject::SerializeTopCells(tavrin::Record& r) { r.ReferenceList(m_topCells, r.heap()); }

void SProject::SerializeDesigns(tavrin::Record& r) { r.ChildMap(m_designs); }
