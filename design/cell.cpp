// Cells: the interface, the representations of each kind, the global ports
// and the member slots of a design block.
#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/design.h"
#include "tavrin/physical.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SCell);

Persistent::Error SInstantiator::Serialize(PersistentStore& s) { return SDesignElement::Serialize(s); }

SCell::SCell() { InternalUpdate(); }

// Every child its kind lists hold is owned and saved, including one whose
// name a later child took over, so the kind lists (not the name maps) say
// what is deleted.
SCell::~SCell() {
  tavrin::DeleteListed(m_connectivityRepresentations, m_heap);
  tavrin::DeleteListed(m_schematicRepresentations, m_heap);
  tavrin::DeleteListed(m_modules, m_heap);
  tavrin::DeleteListed(m_parts, m_heap);
  m_representations.clear();
  delete m_interface;
  m_interface = nullptr;
  tavrin::DeleteListed(m_portScalars, m_heap);
  tavrin::DeleteListed(m_portBi, m_heap);
  tavrin::DeleteListed(m_portBundles, m_heap);
  m_globalPorts.clear();
  tavrin::DeleteMapped(m_memberSlots);
  m_aggregateSlots.clear(m_heap);
}

void SCell::InternalUpdate() {
  m_representations.SetHeap(m_heap);
  m_globalPorts.SetHeap(m_heap);
  m_memberSlots.SetHeap(m_heap);
}

// ---- interface ----------------------------------------------------------------------

SInterface* SCell::CreateInterface() {
  SInterface* i = new (m_heap) SInterface();
  if (!i) return nullptr;
  delete m_interface;
  m_interface = i;
  i->SetCell(this);
  return i;
}

bool SCell::DestroyInterface() {
  delete m_interface;
  m_interface = nullptr;
  return true;
}

// ---- representations ------------------------------------------------------------------

template <class R>
R* SCell::CreateRepresentation(const char* name, RelLinkedList<R*>& list) {
  R* r = tavrin::CreateListedChild(m_representations, list, m_heap, name);
  if (r) r->SetCell(this);
  return r;
}

SConnectivityRepresentation* SCell::CreateConnectivityRepresentation(const char* name) {
  return CreateRepresentation(name, m_connectivityRepresentations);
}

SSchematicRepresentation* SCell::CreateSchematicRepresentation(const char* name) {
  return CreateRepresentation(name, m_schematicRepresentations);
}

// Modules keep their creation order: each goes to the tail of its list.
SModule* SCell::CreateModule(const char* name) {
  SModule* m = tavrin::CreateListedChild(m_representations, m_modules, m_heap, name, true);
  if (m) m->SetCell(this);
  return m;
}

SPart* SCell::CreatePart(const char* name) { return CreateRepresentation(name, m_parts); }

SRepresentation* SCell::GetRepresentation(const char* name) const { return m_representations.lookup(name); }

bool SCell::HasRepresentation(const char* name) { return m_representations.lookup(name) != nullptr; }

bool SCell::DestroyRepresentation(const char* name) {
  if (!name) return false;
  auto it = m_representations.find(name);
  if (it == m_representations.end()) return false;
  SRepresentation* r = it->second;
  m_representations.erase(it);
  if (SConnectivityRepresentation* c = SConnectivityRepresentation::Cast(r)) m_connectivityRepresentations.erase(c, m_heap);
  else if (SModule* m = SModule::Cast(r)) m_modules.erase(m, m_heap);
  else if (SSchematicRepresentation* s = SSchematicRepresentation::Cast(r)) m_schematicRepresentations.erase(s, m_heap);
  else if (SPart* p = SPart::Cast(r)) m_parts.erase(p, m_heap);
  return true;
}

// ---- global ports ----------------------------------------------------------------------

template <class P>
P* SCell::CreateGlobalPort(const char* name, RelLinkedList<P*>& list) {
  return tavrin::CreateListedChild(m_globalPorts, list, m_heap, name);
}

SPortScalar* SCell::CreateGlobalPortPortScalar(const char* name) { return CreateGlobalPort(name, m_portScalars); }
SPortBus* SCell::CreateGlobalPortPortBus(const char* name) { return CreateGlobalPort(name, m_portBi); }
SPortBundle* SCell::CreateGlobalPortPortBundle(const char* name) { return CreateGlobalPort(name, m_portBundles); }

SPort* SCell::GetGlobalPort(const char* name) const { return m_globalPorts.lookup(name); }

bool SCell::HasGlobalPort(const char* name) { return m_globalPorts.lookup(name) != nullptr; }

bool SCell::DestroyGlobalPort(const char* name) {
  if (!name) return false;
  auto it = m_globalPorts.find(name);
  if (it == m_globalPorts.end()) return false;
  SPort* p = it->second;
  m_globalPorts.erase(it);
  if (SPortScalar* s = SPortScalar::Cast(p)) m_portScalars.erase(s, m_heap);
  else if (SPortBus* b = SPortBus::Cast(p)) m_portBi.erase(b, m_heap);
  else if (SPortBundle* u = SPortBundle::Cast(p)) m_portBundles.erase(u, m_heap);
  return true;
}

// ---- slots --------------------------------------------------------------------------------

SSlot* SCell::CreateMemberSlotSlot(int number) {
  SSlot* slot = new (m_heap) SSlot();
  if (!slot) return nullptr;
  if (RelMap<int, SSlot*>::Failed(m_memberSlots.insert(number, slot))) {
    delete slot;
    return nullptr;
  }
  slot->SetNumber(number);
  slot->SetAggregateCell(this);
  return slot;
}

SSlot* SCell::GetMemberSlot(int number) const {
  auto it = m_memberSlots.find(number);
  return it == m_memberSlots.end() ? nullptr : it->second;
}

bool SCell::HasMemberSlot(int number) { return m_memberSlots.find(number) != m_memberSlots.end(); }

bool SCell::DestroyMemberSlot(int number) { return m_memberSlots.eraseKey(number); }

bool SCell::InsertAggregateSlot(SSlot* slot) {
  if (!slot || m_aggregateSlots.contains(slot)) return false;
  return m_aggregateSlots.insert(slot, m_heap);
}

bool SCell::RemoveAggregateSlot(SSlot* slot) { return m_aggregateSlots.erase(slot, m_heap); }

bool SCell::HasAggregateSlot(SSlot* slot) { return m_aggregateSlots.contains(slot); }

void SCell::RemoveSlots() {
  m_aggregateSlots.clear(m_heap);
  m_memberSlots.clear();
}

// ---- record ----------------------------------------------------------------------------------

// 1. the design element record; 2. the instance count; 3, 4. the default
// representation and the project (references); 5. the aggregate slots
// (references); 6. the id; 7 to 10. the connectivity representations,
// modules, parts and schematic representations (owned, each filed by name
// once read); 11. the interface (owned, or null); 12. the global port
// scalars, buses and bundles (owned, filed by name once read); 13. the member
// slots by number (owned).
Persistent::Error SCell::Serialize(PersistentStore& s) {
  Persistent::Error e = SInstantiator::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.Int(m_instanceCount);
  r.Reference(m_defaultRepresentation);
  r.Reference(m_project);
  r.ReferenceList(m_aggregateSlots, m_heap);
  r.Long(m_id);
  r.NamedChildList(m_connectivityRepresentations, m_heap, m_representations);
  r.NamedChildList(m_modules, m_heap, m_representations);
  r.NamedChildList(m_parts, m_heap, m_representations);
  r.NamedChildList(m_schematicRepresentations, m_heap, m_representations);
  if (r.Reading() && m_interface) {
    delete m_interface;
    m_interface = nullptr;
  }
  r.OptionalChild(m_interface);
  r.NamedChildList(m_portScalars, m_heap, m_globalPorts);
  r.NamedChildList(m_portBi, m_heap, m_globalPorts);
  r.NamedChildList(m_portBundles, m_heap, m_globalPorts);
  r.NumberedChildMap(m_memberSlots);
  return r.Result();
}
