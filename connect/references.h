// Reference helpers of the connectivity classes: the Insert operation of
// every reference list, and references to classes that come later.
#ifndef TAVRIN_CONNECT_REFERENCES_H
#define TAVRIN_CONNECT_REFERENCES_H

#include <algorithm>
#include <initializer_list>
#include <new>
#include <vector>

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

// Deletes the children an owner keeps in its name maps, each once: a child
// filed twice (under two names, or in two of the maps) is not deleted
// twice. The maps are emptied. Without memory to sort the children out
// they stay allocated (a session heap reclaims them with the session).
template <class T>
void DeleteMappedOnce(std::initializer_list<RelMap<CharM, T*>*> maps) {
  try {
    std::vector<T*> owned;
    for (RelMap<CharM, T*>* m : maps)
      for (auto it = m->begin(); it != m->end(); ++it)
        if (it->second) owned.push_back(it->second);
    std::sort(owned.begin(), owned.end());
    owned.erase(std::unique(owned.begin(), owned.end()), owned.end());
    for (T* child : owned) delete child;
  } catch (const std::bad_alloc&) {
  }
  for (RelMap<CharM, T*>* m : maps) m->clear();
}

// True when some child is filed twice across the maps. Such a child would
// be written twice as an owned record, which no restore accepts, so a save
// that meets one fails instead. Memory running out counts as a repeat.
template <class T>
bool FiledTwice(std::initializer_list<const RelMap<CharM, T*>*> maps) {
  try {
    std::vector<T*> seen;
    for (const RelMap<CharM, T*>* m : maps)
      for (auto it = m->begin(); it != m->end(); ++it) seen.push_back(it->second);
    std::sort(seen.begin(), seen.end());
    return std::adjacent_find(seen.begin(), seen.end()) != seen.end();
  } catch (const std::bad_alloc&) {
    return true;
  }
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
