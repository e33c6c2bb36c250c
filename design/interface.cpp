// Interfaces: the ports of a cell's pin-out and the swappable-port map.
#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/design.h"

TAVRIN_REGISTER_FACTORY(SInterface);

SInterface::SInterface()
    : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {
  InternalUpdate();
}

// Every port its kind lists hold is owned (one taken over by name too).
SInterface::~SInterface() {
  tavrin::DeleteListed(m_portScalars, m_heap);
  tavrin::DeleteListed(m_portBi, m_heap);
  tavrin::DeleteListed(m_portBundles, m_heap);
  m_ports.clear();
  m_swappable.clear();
}

void SInterface::InternalUpdate() {
  m_ports.SetHeap(m_heap);
  m_swappable.SetHeap(m_heap);
}

int SInterface::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

template <class P>
P* SInterface::CreatePort(const char* name, RelLinkedList<P*>& list) {
  P* p = tavrin::CreateListedChild(m_ports, list, m_heap, name);
  if (p) p->SetInterface(this);
  return p;
}

SPortScalar* SInterface::CreatePortScalar(const char* name) { return CreatePort(name, m_portScalars); }
SPortBus* SInterface::CreatePortBus(const char* name) { return CreatePort(name, m_portBi); }
SPortBundle* SInterface::CreatePortBundle(const char* name) { return CreatePort(name, m_portBundles); }

SPort* SInterface::GetPort(const char* name) const { return m_ports.lookup(name); }

bool SInterface::HasPort(const char* name) { return m_ports.lookup(name) != nullptr; }

bool SInterface::DestroyPort(const char* name) {
  if (!name) return false;
  auto it = m_ports.find(name);
  if (it == m_ports.end()) return false;
  SPort* p = it->second;
  m_ports.erase(it);
  if (SPortScalar* s = SPortScalar::Cast(p)) m_portScalars.erase(s, m_heap);
  else if (SPortBus* b = SPortBus::Cast(p)) m_portBi.erase(b, m_heap);
  else if (SPortBundle* u = SPortBundle::Cast(p)) m_portBundles.erase(u, m_heap);
  return true;
}

bool SInterface::SetSwappablePort(SPort* port, SPort* partner) {
  if (m_swappable.find(port) != m_swappable.end()) return false;
  return !RelMap<SPort*, SPort*>::Failed(m_swappable.insert(port, partner));
}

SPort* SInterface::GetSwappablePort(SPort* port) const {
  auto it = m_swappable.find(port);
  return it == m_swappable.end() ? nullptr : it->second;
}

bool SInterface::HasSwappablePort(SPort* port) { return m_swappable.find(port) != m_swappable.end(); }

bool SInterface::RemoveSwappablePort(SPort* port) { return m_swappable.eraseKey(port); }

// 1. the cell (reference); 2. the swappable ports as pairs of references;
// 3. the id; 4. the port scalars, buses and bundles (owned, each filed by
// name once read). No design element record: an interface has no name.
Persistent::Error SInterface::Serialize(PersistentStore& s) {
  if (!s.IsWriting()) InternalUpdate();
  tavrin::Record r(s, m_heap);
  r.Reference(m_cell);
  r.ReferencePairs(m_swappable);
  r.Long(m_id);
  r.NamedChildList(m_portScalars, m_heap, m_ports);
  r.NamedChildList(m_portBi, m_heap, m_ports);
  r.NamedChildList(m_portBundles, m_heap, m_ports);
  return r.Result();
}
