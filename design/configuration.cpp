// Configurations: which representation of its cell each cell instance of a
// representation uses.
#include "persist/record.h"
#include "tavrin/design.h"

TAVRIN_REGISTER_FACTORY(SConfiguration);

SConfiguration::SConfiguration() { m_selected.SetHeap(m_heap); }

SConfiguration::~SConfiguration() { m_selected.clear(); }

bool SConfiguration::SetSelectedRepresentation(SCellInstance* ci, SRepresentation* rep) {
  if (m_selected.find(ci) != m_selected.end()) return false;
  return !RelMap<SCellInstance*, SRepresentation*>::Failed(m_selected.insert(ci, rep));
}

SRepresentation* SConfiguration::GetSelectedRepresentation(SCellInstance* ci) const {
  auto it = m_selected.find(ci);
  return it == m_selected.end() ? nullptr : it->second;
}

bool SConfiguration::HasSelectedRepresentation(SCellInstance* ci) { return m_selected.find(ci) != m_selected.end(); }

bool SConfiguration::RemoveSelectedRepresentation(SCellInstance* ci) { return m_selected.eraseKey(ci); }

// 1. the design element record; 2. the selections as pairs of references
// (cell instance, representation); 3. the owning representation; 4. the id.
Persistent::Error SConfiguration::Serialize(PersistentStore& s) {
  Persistent::Error e = SDesignElement::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.ReferencePairs(m_selected);
  r.Reference(m_representation);
  r.Long(m_id);
  return r.Result();
}
