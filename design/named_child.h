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

}  // namespace tavrin

#endif
