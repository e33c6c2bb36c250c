// Ports: the common port data, scalars and bundles.
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/design.h"

TAVRIN_REGISTER_FACTORY(SPortScalar);
TAVRIN_REGISTER_FACTORY(SPortBundle);

SPort::~SPort() { m_portBundles.clear(m_heap); }

bool SPort::InsertPortBundle(SPortBundle* bundle) { return tavrin::InsertOnce(m_portBundles, bundle, m_heap); }
bool SPort::RemovePortBundle(SPortBundle* bundle) { return m_portBundles.erase(bundle, m_heap); }
bool SPort::HasPortBundle(SPortBundle* bundle) { return m_portBundles.contains(bundle); }

// 1. the design element record; 2. the signal type; 3. the global flag (1 or
// 0); 4. the bundles (references); 5. the interface (reference).
Persistent::Error SPort::Serialize(PersistentStore& s) {
  Persistent::Error e = SInstantiator::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  int32_t type = m_signalType;
  r.Int(type);
  m_signalType = static_cast<TavrinPortType>(type);
  r.Bool(m_isGlobal);
  r.ReferenceList(m_portBundles, m_heap);
  r.Reference(m_interface);
  return r.Result();
}

SPortScalar::~SPortScalar() {
  m_portBi.clear(m_heap);
  m_fans.clear(m_heap);
}

bool SPortScalar::InsertPortBus(SPortBus* bus) { return tavrin::InsertOnce(m_portBi, bus, m_heap); }
bool SPortScalar::RemovePortBus(SPortBus* bus) { return m_portBi.erase(bus, m_heap); }
bool SPortScalar::HasPortBus(SPortBus* bus) { return m_portBi.contains(bus); }
bool SPortScalar::InsertPortScalarFan(SPortScalar* fan) { return tavrin::InsertOnce(m_fans, fan, m_heap); }
bool SPortScalar::RemovePortScalarFan(SPortScalar* fan) { return m_fans.erase(fan, m_heap); }
bool SPortScalar::HasPortScalarFan(SPortScalar* fan) { return m_fans.contains(fan); }

// The port record, the buses and fans (references), the id.
Persistent::Error SPortScalar::Serialize(PersistentStore& s) {
  Persistent::Error e = SPort::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.ReferenceList(m_portBi, m_heap);
  r.ReferenceList(m_fans, m_heap);
  r.Long(m_id);
  return r.Result();
}

SPortBundle::~SPortBundle() { m_ports.clear(m_heap); }

bool SPortBundle::InsertPort(SPort* port) { return tavrin::InsertOnce(m_ports, port, m_heap); }
bool SPortBundle::RemovePort(SPort* port) { return m_ports.erase(port, m_heap); }
bool SPortBundle::HasPort(SPort* port) { return m_ports.contains(port); }

// The port record, the members (references), the id.
Persistent::Error SPortBundle::Serialize(PersistentStore& s) {
  Persistent::Error e = SPort::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.ReferenceList(m_ports, m_heap);
  r.Long(m_id);
  return r.Result();
}
