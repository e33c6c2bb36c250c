// Port instances: the common part (owner, port, bundles), scalars and
// bundles. Buses are in port_instance_bus.cpp.
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/connect.h"
#include "tavrin/design.h"
#include "tavrin/physical.h"

TAVRIN_REGISTER_FACTORY(SPortInstanceScalar);
TAVRIN_REGISTER_FACTORY(SPortInstanceBundle);

// ---- common part -------------------------------------------------------------------

SPortInstance::SPortInstance() {}

SPortInstance::~SPortInstance() { m_portInstanceBundles.clear(m_heap); }

bool SPortInstance::InsertPortInstanceBundle(SPortInstanceBundle* bundle) {
  return tavrin::InsertOnce(m_portInstanceBundles, bundle, m_heap);
}
bool SPortInstance::RemovePortInstanceBundle(SPortInstanceBundle* bundle) {
  return m_portInstanceBundles.erase(bundle, m_heap);
}
bool SPortInstance::HasPortInstanceBundle(SPortInstanceBundle* bundle) {
  return m_portInstanceBundles.contains(bundle);
}

// 1. the design element record; 2. the cell instance; 3. the bundles it
// belongs to; 4. the port.
Persistent::Error SPortInstance::Serialize(PersistentStore& s) {
  Persistent::Error e = SInstance::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.Reference(m_cellInstance);
  r.ReferenceList(m_portInstanceBundles, m_heap);
  r.Reference(m_port);
  return r.Result();
}

// ---- scalars -------------------------------------------------------------------------

SPortInstanceScalar::SPortInstanceScalar() {}

int SPortInstanceScalar::WritePointer(PersistentStore& s) { return s.WritePointer(tavrin::AsObject(this)); }

SPortInstanceScalar::~SPortInstanceScalar() {
  m_portInstanceBi.clear(m_heap);
  tavrin::PoolFree(m_rare);
}

template <class T>
bool SPortInstanceScalar::SetRare(T* RareLinks::*field, T* value) {
  if (!m_rare) {
    if (!value) return true;  // nothing to keep: no block
    m_rare = static_cast<RareLinks*>(tavrin::PoolAlloc(m_heap, sizeof(RareLinks)));
    if (!m_rare) return false;
    *m_rare = RareLinks{nullptr, nullptr};
  }
  m_rare->*field = value;
  return true;
}

bool SPortInstanceScalar::SetPhysicalNode(SPhysicalNode* node) { return SetRare(&RareLinks::physicalNode, node); }

bool SPortInstanceScalar::SetConnectorPinInstance(SConnectorPinInstance* pin) {
  return SetRare(&RareLinks::connectorPinInstance, pin);
}

bool SPortInstanceScalar::InsertPortInstanceBus(SPortInstanceBus* bus) {
  return tavrin::InsertOnce(m_portInstanceBi, bus, m_heap);
}
bool SPortInstanceScalar::RemovePortInstanceBus(SPortInstanceBus* bus) { return m_portInstanceBi.erase(bus, m_heap); }
bool SPortInstanceScalar::HasPortInstanceBus(SPortInstanceBus* bus) { return m_portInstanceBi.contains(bus); }

// The port instance record; the buses it belongs to; the net, the physical
// node, the part pin instance and the connector pin instance; the id.
Persistent::Error SPortInstanceScalar::Serialize(PersistentStore& s) {
  Persistent::Error e = SPortInstance::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.ReferenceList(m_portInstanceBi, m_heap);
  r.Reference(m_netScalar);
  r.Reference(this, &SPortInstanceScalar::GetPhysicalNode, &SPortInstanceScalar::SetPhysicalNode);
  r.Reference(m_partPinInstance);
  r.Reference(this, &SPortInstanceScalar::GetConnectorPinInstance, &SPortInstanceScalar::SetConnectorPinInstance);
  r.Long(m_id);
  return r.Result();
}

// ---- bundles ---------------------------------------------------------------------------

SPortInstanceBundle::SPortInstanceBundle() {}

SPortInstanceBundle::~SPortInstanceBundle() { m_portInstances.clear(m_heap); }

bool SPortInstanceBundle::InsertPortInstance(SPortInstance* member) {
  return tavrin::InsertOnce(m_portInstances, member, m_heap);
}
bool SPortInstanceBundle::RemovePortInstance(SPortInstance* member) { return m_portInstances.erase(member, m_heap); }
bool SPortInstanceBundle::HasPortInstance(SPortInstance* member) { return m_portInstances.contains(member); }

// The port instance record; the members; the id.
Persistent::Error SPortInstanceBundle::Serialize(PersistentStore& s) {
  Persistent::Error e = SPortInstance::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.ReferenceList(m_portInstances, m_heap);
  r.Long(m_id);
  return r.Result();
}
