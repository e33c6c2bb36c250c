// The Insert operation of every reference list of the connectivity classes.
#ifndef TAVRIN_CONNECT_REFERENCE_LIST_H
#define TAVRIN_CONNECT_REFERENCE_LIST_H

#include "tavrin/containers.h"

namespace tavrin {

// Puts the element at the head of the list. False when it is already listed,
// when it is null (a null reference would not survive a save and restore)
// or when memory is exhausted.
template <class T>
bool InsertReference(RelLinkedList<T*>& list, T* element, HANDLEMA* heap) {
  return element && !list.contains(element) && list.insert(element, heap);
}

}  // namespace tavrin

#endif
