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

// Removes every entry whose key or value is `object`: a net deleting one of
// its children also drops it from its own maps, so that no later call (a
// save above all) reads the freed child.
template <class K, class V>
void DropEntriesOf(RelMap<K, V>& map, const void* object) {
  for (auto it = map.begin(); it != map.end(); ++it)
    if (static_cast<const void*>(it->first) == object || static_cast<const void*>(it->second) == object) map.erase(it);
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
