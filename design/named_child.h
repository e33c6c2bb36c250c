// The Create operation that every owner of a text-keyed map of children
// shares: allocate the child on the owner's heap, name it, and file it under
// its own name text (taking over an existing entry of that name).
#ifndef TAVRIN_DESIGN_NAMED_CHILD_H
#define TAVRIN_DESIGN_NAMED_CHILD_H

#include "tavrin/containers.h"
#include "tavrin/core.h"

namespace tavrin {

// Null for a null name or when memory is exhausted; nothing changes then.
template <class T>
T* CreateNamedChild(RelMap<CharM, T*>& map, HANDLEMA* heap, const char* name) {
  if (!name) return nullptr;
  T* child = new (heap) T();
  if (!child) return nullptr;
  child->SetName(name);
  if (!child->GetName() || RelMap<CharM, T*>::Failed(map.insert(CharM(child->GetName()), child))) {
    delete child;
    return nullptr;
  }
  return child;
}

// As CreateNamedChild, for owners that also keep each child in the list of
// its kind: at the head (or the tail) of `list`, and in the map under its
// name. The list goes first because undoing a list insertion is exact,
// whereas a map insertion may have taken over another child's entry.
template <class T, class V>
T* CreateListedChild(RelMap<CharM, V*>& map, RelLinkedList<T*>& list, HANDLEMA* heap, const char* name,
                     bool atTail = false) {
  if (!name) return nullptr;
  T* child = new (heap) T();
  if (!child) return nullptr;
  child->SetName(name);
  if (!child->GetName() || !(atTail ? list.append(child, heap) : list.insert(child, heap))) {
    delete child;
    return nullptr;
  }
  if (RelMap<CharM, V*>::Failed(map.insert(CharM(child->GetName()), child))) {
    list.erase(child, heap);
    delete child;
    return nullptr;
  }
  return child;
}

// Puts a reference at the head of a list unless it is already there or null
// (false): a null entry would be written but skipped by a restore, so the
// session read back would differ from the one saved.
template <class T>
bool InsertOnce(RelLinkedList<T*>& list, T* item, HANDLEMA* heap) {
  if (!item || list.contains(item)) return false;
  return list.insert(item, heap);
}

// Deletes every element of an owner's list and frees the list's nodes.
template <class T>
void DeleteListed(RelLinkedList<T*>& list, HANDLEMA* heap) {
  for (auto it = list.begin(); it != list.end(); ++it) delete *it;
  list.clear(heap);
}

// Deletes every value of an owner's map and frees the map's nodes.
template <class K, class T>
void DeleteMapped(RelMap<K, T*>& map) {
  for (auto it = map.begin(); it != map.end(); ++it) delete it->second;
  map.clear();
}

}  // namespace tavrin

#endif
