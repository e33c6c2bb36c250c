// Representations: the cell instances, nets, configurations and OAT
// contexts of one view of a cell; the connectivity view.
#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/connect.h"
#include "tavrin/design.h"
#include "tavrin/physical.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SConnectivityRepresentation);

SRepresentation::SRepresentation() { SRepresentation::InternalUpdate(); }

// Instances and nets go by their kind lists (a child whose name a later one
// took over is still owned); configurations and OAT contexts by their maps.
SRepresentation::~SRepresentation() {
  tavrin::DeleteListed(m_genericCellInstances, m_heap);
  tavrin::DeleteListed(m_moduleInstances, m_heap);
  tavrin::DeleteListed(m_partInstances, m_heap);
  m_cellInstances.clear();
  tavrin::DeleteListed(m_netScalars, m_heap);
  tavrin::DeleteListed(m_netBi, m_heap);
  tavrin::DeleteListed(m_netBundles, m_heap);
  m_nets.clear();
  tavrin::DeleteMapped(m_configurations);
  tavrin::DeleteMapped(m_oatContexts);
  m_files.clear(m_heap);
  tavrin::TextFree(m_units);
  m_units = nullptr;
}

void SRepresentation::InternalUpdate() {
  m_cellInstances.SetHeap(m_heap);
  m_nets.SetHeap(m_heap);
  m_configurations.SetHeap(m_heap);
  m_oatContexts.SetHeap(m_heap);
}

void SRepresentation::SetUnits(const char* text) { tavrin::SetText(m_heap, m_units, text); }

bool SRepresentation::SetCell(SCell* cell) {
  if (cell && !cell->GetDefaultRepresentation()) cell->SetDefaultRepresentation(this);
  m_cell = cell;
  return true;
}

// ---- cell instances ----------------------------------------------------------------

template <class I>
I* SRepresentation::CreateCellInstance(const char* name, SCell* cell, RelLinkedList<I*>& list) {
  if (!cell) return nullptr;
  I* ci = tavrin::CreateListedChild(m_cellInstances, list, m_heap, name);
  if (ci) ci->SetCell(cell);
  return ci;
}

SGenericCellInstance* SRepresentation::CreateGenericCellInstance(const char* name, SCell* cell) {
  return CreateCellInstance(name, cell, m_genericCellInstances);
}

SModuleInstance* SRepresentation::CreateModuleInstance(const char* name, SCell* cell) {
  return CreateCellInstance(name, cell, m_moduleInstances);
}

SPartInstance* SRepresentation::CreatePartInstance(const char* name, SCell* cell) {
  return CreateCellInstance(name, cell, m_partInstances);
}

SCellInstance* SRepresentation::GetCellInstance(const char* name) const { return m_cellInstances.lookup(name); }

bool SRepresentation::HasCellInstance(const char* name) { return m_cellInstances.lookup(name) != nullptr; }

// The map's key is the instance's own name text, which the deletion frees:
// the instance leaves the configurations, its kind list and the map first.
// It also leaves the sheets of this view, which would otherwise keep an
// entry for a deleted object that the next save writes.
bool SRepresentation::DestroyCellInstance(const char* name) {
  if (!name) return false;
  auto it = m_cellInstances.find(name);
  if (it == m_cellInstances.end()) return false;
  SCellInstance* ci = it->second;
  for (auto c = m_configurations.begin(); c != m_configurations.end(); ++c)
    if (c->second) c->second->RemoveSelectedRepresentation(ci);
  SSchematicRepresentation* drawing = SSchematicRepresentation::Cast(this);
  SGenericCellInstance* drawn = SGenericCellInstance::Cast(ci);
  if (drawing && drawn) {
    const RelMap<int, SSchematicSheet*>& sheets = drawing->GetAllSchematicSheets();
    for (auto s = sheets.begin(); s != sheets.end(); ++s)
      if (s->second)
        while (s->second->RemoveGenericCellInstance(drawn)) {
        }
  }
  if (SCell* cell = ci->GetCell()) cell->RemoveCellRef();
  if (SGenericCellInstance* g = SGenericCellInstance::Cast(ci)) m_genericCellInstances.erase(g, m_heap);
  else if (SModuleInstance* m = SModuleInstance::Cast(ci)) m_moduleInstances.erase(m, m_heap);
  else if (SPartInstance* p = SPartInstance::Cast(ci)) m_partInstances.erase(p, m_heap);
  m_cellInstances.erase(it);
  delete ci;
  return true;
}

// ---- nets ------------------------------------------------------------------------------

template <class N>
N* SRepresentation::CreateNet(const char* name, RelLinkedList<N*>& list) {
  return tavrin::CreateListedChild(m_nets, list, m_heap, name);
}

SNetScalar* SRepresentation::CreateNetScalar(const char* name) { return CreateNet(name, m_netScalars); }
SNetBus* SRepresentation::CreateNetBus(const char* name) { return CreateNet(name, m_netBi); }
SNetBundle* SRepresentation::CreateNetBundle(const char* name) { return CreateNet(name, m_netBundles); }

SNet* SRepresentation::GetNet(const char* name) const { return m_nets.lookup(name); }

bool SRepresentation::HasNet(const char* name) { return m_nets.lookup(name) != nullptr; }

bool SRepresentation::DestroyNet(const char* name) {
  if (!name) return false;
  auto it = m_nets.find(name);
  if (it == m_nets.end()) return false;
  SNet* n = it->second;
  m_nets.erase(it);
  if (SNetScalar* s = SNetScalar::Cast(n)) m_netScalars.erase(s, m_heap);
  else if (SNetBus* b = SNetBus::Cast(n)) m_netBi.erase(b, m_heap);
  else if (SNetBundle* u = SNetBundle::Cast(n)) m_netBundles.erase(u, m_heap);
  return true;
}

// ---- configurations, OAT contexts, files --------------------------------------------------

SConfiguration* SRepresentation::CreateConfiguration(const char* name) {
  SConfiguration* c = tavrin::CreateNamedChild(m_configurations, m_heap, name);
  if (c) c->SetRepresentation(this);
  return c;
}

SConfiguration* SRepresentation::GetConfiguration(const char* name) const { return m_configurations.lookup(name); }
bool SRepresentation::HasConfiguration(const char* name) { return m_configurations.lookup(name) != nullptr; }
bool SRepresentation::DestroyConfiguration(const char* name) {
  return name && m_configurations.eraseKey(CharM(name));
}

SOATContext* SRepresentation::CreateOATContext(const char* name) {
  return tavrin::CreateNamedChild(m_oatContexts, m_heap, name);
}

SOATContext* SRepresentation::GetOATContext(const char* name) const { return m_oatContexts.lookup(name); }
bool SRepresentation::HasOATContext(const char* name) { return m_oatContexts.lookup(name) != nullptr; }
bool SRepresentation::DestroyOATContext(const char* name) { return name && m_oatContexts.eraseKey(CharM(name)); }

bool SRepresentation::InsertFile(SFile* file) {
  if (!file || m_files.contains(file)) return false;
  return m_files.insert(file, m_heap);
}
bool SRepresentation::RemoveFile(SFile* file) { return m_files.erase(file, m_heap); }
bool SRepresentation::HasFile(SFile* file) { return m_files.contains(file); }

// ---- records -------------------------------------------------------------------------------

// 1. the design element record; 2. the units; 3. the files (references);
// 4, 5. the cell and the default configuration (references); 6. the generic,
// module and part instances; 7. the net scalars, buses and bundles (owned,
// each filed by name once read); 8. the configurations and 9. the OAT
// contexts, each entry as its key, reference and record.
Persistent::Error SRepresentation::Serialize(PersistentStore& s) {
  Persistent::Error e = SDesignElement::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.String(m_units);
  r.ReferenceList(m_files, m_heap);
  r.Reference(m_cell);
  r.Reference(m_defaultConfiguration);
  r.NamedChildList(m_genericCellInstances, m_heap, m_cellInstances);
  r.NamedChildList(m_moduleInstances, m_heap, m_cellInstances);
  r.NamedChildList(m_partInstances, m_heap, m_cellInstances);
  r.NamedChildList(m_netScalars, m_heap, m_nets);
  r.NamedChildList(m_netBi, m_heap, m_nets);
  r.NamedChildList(m_netBundles, m_heap, m_nets);
  r.ChildMap(m_configurations);
  r.ChildMap(m_oatContexts);
  return r.Result();
}

Persistent::Error SConnectivityRepresentation::Serialize(PersistentStore& s) {
  Persistent::Error e = SRepresentation::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.Long(m_id);
  return r.Result();
}
