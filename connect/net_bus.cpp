#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/connect.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SNetBus);

SNetBus::SNetBus() { InternalUpdate(); }

// The ranges are owned; members and sub-buses are referred to.
SNetBus::~SNetBus() {
  for (auto it = m_indiceses.begin(); it != m_indiceses.end(); ++it) delete *it;
  m_indiceses.clear(m_heap);
  tavrin::TextFree(m_prefix);
  tavrin::TextFree(m_suffix);
}

void SNetBus::InternalUpdate() {
  m_netScalars.SetHeap(m_heap);
  m_subNetBi.SetHeap(m_heap);
  SNet::InternalUpdate();
}

void SNetBus::SetPrefix(const char* prefix) {
  if (prefix) tavrin::SetText(m_heap, m_prefix, prefix);
}

void SNetBus::SetSuffix(const char* suffix) {
  if (suffix) tavrin::SetText(m_heap, m_suffix, suffix);
}

// ---- ranges ------------------------------------------------------------------------------

SRangeValue* SNetBus::CreateIndicesRangeValue() {
  SRangeValue* range = new (m_heap) SRangeValue();
  if (!range) return nullptr;
  if (!m_indiceses.insert(range, m_heap)) {
    delete range;
    return nullptr;
  }
  return range;
}

// A sub-bus keyed by the range is dropped with it.
bool SNetBus::DestroyIndices(SRangeValue* range) {
  if (!range || !m_indiceses.erase(range, m_heap)) return false;
  m_subNetBi.eraseKey(range);
  delete range;
  return true;
}

// ---- members -----------------------------------------------------------------------------

SNetScalar* SNetBus::GetNetScalar(int index) const {
  auto it = m_netScalars.find(index);
  return it != m_netScalars.end() ? it->second : nullptr;
}

bool SNetBus::SetNetScalar(int index, SNetScalar* net) {
  if (HasNetScalar(index)) return false;
  return !RelMap<int, SNetScalar*>::Failed(m_netScalars.insert(index, net));
}

bool SNetBus::RemoveNetScalar(int index) { return m_netScalars.eraseKey(index); }

bool SNetBus::HasNetScalar(int index) const { return m_netScalars.find(index) != m_netScalars.end(); }

// ---- sub-buses ------------------------------------------------------------------------------

SNetBus* SNetBus::GetSubNetBus(SRangeValue* range) const {
  auto it = m_subNetBi.find(range);
  return it != m_subNetBi.end() ? it->second : nullptr;
}

bool SNetBus::SetSubNetBus(SRangeValue* range, SNetBus* bus) {
  if (m_subNetBi.find(range) != m_subNetBi.end()) return false;
  return !RelMap<SRangeValue*, SNetBus*>::Failed(m_subNetBi.insert(range, bus));
}

bool SNetBus::RemoveSubNetBus(SRangeValue* range) { return m_subNetBi.eraseKey(range); }

bool SNetBus::HasSubNetBus(SRangeValue* range) const {
  if (!range) return false;
  for (auto it = m_subNetBi.begin(); it != m_subNetBi.end(); ++it)
    if (range->Matches(it->first)) return true;
  return false;
}

// ---- record ---------------------------------------------------------------------------------

// After the net record: 1. prefix; 2. size; 3. suffix; 4. the members as
// bit index and reference; 5. the sub-buses as range and bus references;
// 6. the id; 7. the ranges, each as its reference and record.
Persistent::Error SNetBus::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SNet::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.String(m_prefix);
  r.Int(m_size);
  r.String(m_suffix);
  r.NumberedReferenceMap(m_netScalars);
  r.ReferencePairs(m_subNetBi);
  r.Long(m_id);
  r.ChildList(m_indiceses, m_heap);
  return r.Result();
}
