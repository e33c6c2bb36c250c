// The attribute and constraint-instance lists of SDesignElement. Until the
// assignment classes exist, the lists are always empty: they are written as
// two zero counts, and a file that claims any entry is damaged.
#include "persist/record.h"
#include "tavrin/core.h"

void SDesignElement::DestroyAssignmentLists() {
  m_attributes.clear(m_heap);
  m_constraintInstances.clear(m_heap);
}

void SDesignElement::SerializeAssignmentLists(tavrin::Record& r) {
  if (r.Count(0) != 0) r.store().MarkDamaged();
  if (r.Count(0) != 0) r.store().MarkDamaged();
}
