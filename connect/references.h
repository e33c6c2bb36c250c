// Reference helpers of the connectivity classes: the Insert operation of
// every reference list, and references to classes that come later.
#ifndef TAVRIN_CONNECT_REFERENCES_H
#define TAVRIN_CONNECT_REFERENCES_H

#include "persist/record.h"
#include "tavrin/containers.h"

namespace tavrin {

// Puts the element at the head of the list. False when it is already listed,
// when it is null (a null reference would not survive a save and restore)
// or when memory is exhausted.
template <class T>
bool InsertReference(RelLinkedList<T*>& list, T* element, HANDLEMA* heap) {
  return element && !list.contains(element) && list.insert(element, heap);
}

// A reference to a class this system does not hold yet: written as null,
// and a save that holds one fails rather than dropping it; read, anything
// but null is damage.
template <class T>
void LaterReference(Record& r, T* p) {
  if (r.Writing() && p) r.store().MarkDamaged();
  r.NullYet();
}

}  // namespace tavrin

#endif
