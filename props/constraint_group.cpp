#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/persist.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SConstraintGroup);

SConstraintGroup::SConstraintGroup()
    : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {
  InternalUpdate();
}

// The sets are referred to, not owned.
SConstraintGroup::~SConstraintGroup() {
  tavrin::TextFree(m_name);
  if (!m_heap) m_sets.clear();
}

void SConstraintGroup::SetName(const char* name) { tavrin::SetText(m_heap, m_name, name); }

int SConstraintGroup::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

SConstraintSet* SConstraintGroup::GetConstraintSet(const char* name) const { return m_sets.lookup(name); }

bool SConstraintGroup::HasConstraintSet(const char* name) { return GetConstraintSet(name) != nullptr; }

bool SConstraintGroup::SetConstraintSet(const char* name, SConstraintSet* s) {
  if (!name || !s || !s->GetName()) return false;
  if (m_sets.find(name) != m_sets.end()) return false;
  return !RelMap<CharM, SConstraintSet*>::Failed(m_sets.insert(CharM(s->GetName()), s));
}

bool SConstraintGroup::RemoveConstraintSet(const char* name) { return name && m_sets.eraseKey(CharM(name)); }

// Each entry is written as its key and the set's reference. Reading files
// each set under the set's own name (a project reads its sets before its
// groups); a set whose name has not been read yet keeps the key read.
Persistent::Error SConstraintGroup::Serialize(PersistentStore& s) {
  if (!s.IsWriting()) InternalUpdate();
  tavrin::Record r(s, m_heap);
  r.String(m_name);
  uint32_t n = r.Count(m_sets.size());
  if (r.Writing()) {
    for (auto it = m_sets.begin(); it != m_sets.end(); ++it) {
      r.WriteKeyText(it->first);
      it->second->WritePointer(s);
    }
  }
  for (uint32_t i = 0; r.Reading() && i < n && r.ok(); ++i) {
    char* key = r.ReadKey();
    SConstraintSet* set = nullptr;
    r.Reference(set);
    if (!r.ok() || !set) {
      tavrin::TextFree(key);
      continue;
    }
    const char* name = set->GetName();
    if (name) {
      tavrin::TextFree(key);
    } else {
      name = key;
    }
    if (RelMap<CharM, SConstraintSet*>::Failed(m_sets.insert(CharM(name), set))) s.MarkDamaged();
  }
  r.Long(m_id);
  return r.Result();
}
