// Bus ports: members by index, owned index ranges, sub-buses by range.
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/design.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SPortBus);

SPortBus::SPortBus() { SPortBus::InternalUpdate(); }

SPortBus::~SPortBus() {
  tavrin::DeleteListed(m_indices, m_heap);
  m_portScalars.clear();
  m_subPortBi.clear();
}

void SPortBus::InternalUpdate() {
  m_portScalars.SetHeap(m_heap);
  m_subPortBi.SetHeap(m_heap);
}

bool SPortBus::SetPortScalar(int index, SPortScalar* scalar) {
  if (m_portScalars.find(index) != m_portScalars.end()) return false;
  return !RelMap<int, SPortScalar*>::Failed(m_portScalars.insert(index, scalar));
}

SPortScalar* SPortBus::GetPortScalar(int index) const {
  auto it = m_portScalars.find(index);
  return it == m_portScalars.end() ? nullptr : it->second;
}

bool SPortBus::HasPortScalar(int index) { return m_portScalars.find(index) != m_portScalars.end(); }

bool SPortBus::RemovePortScalar(int index) { return m_portScalars.eraseKey(index); }

SRangeValue* SPortBus::CreateIndicesRangeValue() {
  SRangeValue* v = new (m_heap) SRangeValue();
  if (!v) return nullptr;
  if (!m_indices.insert(v, m_heap)) {
    delete v;
    return nullptr;
  }
  return v;
}

bool SPortBus::HasIndices(SRangeValue* range) { return m_indices.contains(range); }

// A sub-bus keyed by the range is dropped with it.
bool SPortBus::DestroyIndices(SRangeValue* range) {
  if (!range || !m_indices.erase(range, m_heap)) return false;
  m_subPortBi.eraseKey(range);
  delete range;
  return true;
}

bool SPortBus::SetSubPortBus(SRangeValue* range, SPortBus* bus) {
  if (m_subPortBi.find(range) != m_subPortBi.end()) return false;
  return !RelMap<SRangeValue*, SPortBus*>::Failed(m_subPortBi.insert(range, bus));
}

SPortBus* SPortBus::GetSubPortBus(SRangeValue* range) const {
  auto it = m_subPortBi.find(range);
  return it == m_subPortBi.end() ? nullptr : it->second;
}

// By value: any bound range that matches.
bool SPortBus::HasSubPortBus(SRangeValue* range) {
  if (!range) return false;
  for (auto it = m_subPortBi.begin(); it != m_subPortBi.end(); ++it)
    if (range->Matches(it->first)) return true;
  return false;
}

bool SPortBus::RemoveSubPortBus(SRangeValue* range) { return m_subPortBi.eraseKey(range); }

// 1. the port record; 2. the size; 3. the members (index, reference);
// 4. the sub-buses (range and bus references); 5. the id; 6. the index
// ranges (owned).
Persistent::Error SPortBus::Serialize(PersistentStore& s) {
  Persistent::Error e = SPort::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.Int(m_size);
  r.NumberedReferenceMap(m_portScalars);
  r.ReferencePairs(m_subPortBi);
  r.Long(m_id);
  r.ChildList(m_indices, m_heap);
  return r.Result();
}
