// Bus port instances: members by index, range-keyed sub-buses and the owned
// index ranges.
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/design.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SPortInstanceBus);

SPortInstanceBus::SPortInstanceBus() { InternalUpdate(); }

SPortInstanceBus::~SPortInstanceBus() {
  tavrin::DeleteListed(m_indices, m_heap);
  if (!m_heap) {
    m_portInstanceScalars.clear();
    m_subPortInstanceBi.clear();
  }
}

void SPortInstanceBus::InternalUpdate() {
  m_portInstanceScalars.SetHeap(m_heap);
  m_subPortInstanceBi.SetHeap(m_heap);
}

bool SPortInstanceBus::SetPortInstanceScalar(int index, SPortInstanceScalar* scalar) {
  if (m_portInstanceScalars.find(index) != m_portInstanceScalars.end()) return false;
  return !RelMap<int, SPortInstanceScalar*>::Failed(m_portInstanceScalars.insert(index, scalar));
}

SPortInstanceScalar* SPortInstanceBus::GetPortInstanceScalar(int index) const {
  auto it = m_portInstanceScalars.find(index);
  return it != m_portInstanceScalars.end() ? it->second : nullptr;
}

bool SPortInstanceBus::HasPortInstanceScalar(int index) {
  return m_portInstanceScalars.find(index) != m_portInstanceScalars.end();
}

bool SPortInstanceBus::RemovePortInstanceScalar(int index) { return m_portInstanceScalars.eraseKey(index); }

// ---- sub-buses ------------------------------------------------------------------------

bool SPortInstanceBus::SetSubPortInstanceBus(SRangeValue* range, SPortInstanceBus* bus) {
  if (m_subPortInstanceBi.find(range) != m_subPortInstanceBi.end()) return false;
  return !RelMap<SRangeValue*, SPortInstanceBus*>::Failed(m_subPortInstanceBi.insert(range, bus));
}

SPortInstanceBus* SPortInstanceBus::GetSubPortInstanceBus(SRangeValue* range) const {
  auto it = m_subPortInstanceBi.find(range);
  return it != m_subPortInstanceBi.end() ? it->second : nullptr;
}

// By value: the first bound range (in map order) that `range` matches.
bool SPortInstanceBus::HasSubPortInstanceBus(SRangeValue* range) {
  if (!range) return false;
  for (auto it = m_subPortInstanceBi.begin(); it != m_subPortInstanceBi.end(); ++it)
    if (range->Matches(it->first)) return true;
  return false;
}

bool SPortInstanceBus::RemoveSubPortInstanceBus(SRangeValue* range) { return m_subPortInstanceBi.eraseKey(range); }

// ---- index ranges -----------------------------------------------------------------------

SRangeValue* SPortInstanceBus::CreateIndicesRangeValue() {
  SRangeValue* range = new (m_heap) SRangeValue();
  if (!range) return nullptr;
  if (!m_indices.insert(range, m_heap)) {
    delete range;
    return nullptr;
  }
  return range;
}

// A sub-bus keyed by the range is dropped with it.
bool SPortInstanceBus::DestroyIndices(SRangeValue* range) {
  if (!range || !m_indices.erase(range, m_heap)) return false;
  m_subPortInstanceBi.eraseKey(range);
  delete range;
  return true;
}

bool SPortInstanceBus::HasIndices(SRangeValue* range) { return m_indices.contains(range); }

// The port instance record; the size; the members by index; the sub-buses
// (range and bus references); the id; the owned index ranges.
Persistent::Error SPortInstanceBus::Serialize(PersistentStore& s) {
  Persistent::Error e = SPortInstance::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.Int(m_size);
  r.NumberedReferenceMap(m_portInstanceScalars);
  r.ReferencePairs(m_subPortInstanceBi);
  r.Long(m_id);
  r.ChildList(m_indices, m_heap);
  return r.Result();
}
