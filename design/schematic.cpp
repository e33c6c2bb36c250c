// Schematic representations and their sheets.
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/connect.h"
#include "tavrin/design.h"

TAVRIN_REGISTER_FACTORY(SSchematicRepresentation);
TAVRIN_REGISTER_FACTORY(SSchematicSheet);

SSchematicRepresentation::SSchematicRepresentation() { SSchematicRepresentation::InternalUpdate(); }

SSchematicRepresentation::~SSchematicRepresentation() { tavrin::DeleteMapped(m_sheets); }

void SSchematicRepresentation::InternalUpdate() {
  SRepresentation::InternalUpdate();
  m_sheets.SetHeap(m_heap);
}

SSchematicSheet* SSchematicRepresentation::CreateSchematicSheet(int key) {
  SSchematicSheet* sheet = new (m_heap) SSchematicSheet();
  if (!sheet) return nullptr;
  if (RelMap<int, SSchematicSheet*>::Failed(m_sheets.insert(key, sheet))) {
    delete sheet;
    return nullptr;
  }
  sheet->SetSchematicRepresentation(this);
  return sheet;
}

SSchematicSheet* SSchematicRepresentation::GetSchematicSheet(int key) const {
  auto it = m_sheets.find(key);
  return it == m_sheets.end() ? nullptr : it->second;
}

bool SSchematicRepresentation::HasSchematicSheet(int key) { return m_sheets.find(key) != m_sheets.end(); }

bool SSchematicRepresentation::DestroySchematicSheet(int key) { return m_sheets.eraseKey(key); }

// 1. the representation record; 2. the id; 3. the sheets by key (owned).
Persistent::Error SSchematicRepresentation::Serialize(PersistentStore& s) {
  Persistent::Error e = SRepresentation::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.Long(m_id);
  r.NumberedChildMap(m_sheets);
  return r.Result();
}

SSchematicSheet::~SSchematicSheet() {
  m_instances.clear(m_heap);
  m_nets.clear(m_heap);
}

bool SSchematicSheet::InsertGenericCellInstance(SGenericCellInstance* ci) { return tavrin::InsertOnce(m_instances, ci, m_heap); }
bool SSchematicSheet::RemoveGenericCellInstance(SGenericCellInstance* ci) { return m_instances.erase(ci, m_heap); }
bool SSchematicSheet::HasGenericCellInstance(SGenericCellInstance* ci) { return m_instances.contains(ci); }
bool SSchematicSheet::InsertNet(SNet* net) { return tavrin::InsertOnce(m_nets, net, m_heap); }
bool SSchematicSheet::RemoveNet(SNet* net) { return m_nets.erase(net, m_heap); }
bool SSchematicSheet::HasNet(SNet* net) { return m_nets.contains(net); }

// 1. the design element record; 2. the number; 3, 4. the generic cell
// instances and nets drawn on it (references); 5. the owning representation;
// 6. the id.
Persistent::Error SSchematicSheet::Serialize(PersistentStore& s) {
  Persistent::Error e = SDesignElement::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.Int(m_number);
  r.ReferenceList(m_instances, m_heap);
  r.ReferenceList(m_nets, m_heap);
  r.Reference(m_representation);
  r.Long(m_id);
  return r.Result();
}
