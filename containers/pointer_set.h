// A set of object addresses in one block of a session heap: open addressing
// with linear probing, for membership checks on long reference lists.
#ifndef TAVRIN_CONTAINERS_POINTER_SET_H
#define TAVRIN_CONTAINERS_POINTER_SET_H

#include <cstddef>

struct HANDLEMA;

namespace tavrin {

struct PointerSet;

// True when `p` is in the set (a null set holds nothing).
bool PointerSetContains(const PointerSet* set, const void* p);
// Adds `p`, which must not be in the set yet, growing the block when it is
// three quarters full. Returns the set (it may have moved), or null when
// memory ran out: the set is then freed and the caller goes without it.
PointerSet* PointerSetAdd(HANDLEMA* heap, PointerSet* set, const void* p);
// Removes `p` when present.
void PointerSetErase(PointerSet* set, const void* p);
// Releases the set's block. Null is ignored.
void PointerSetFree(HANDLEMA* heap, PointerSet* set);

}  // namespace tavrin

#endif
