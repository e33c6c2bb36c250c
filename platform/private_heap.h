// Private heaps: a growable heap that hands out blocks and can be destroyed
// as a whole in one call, releasing every block still in it. Each session
// owns one; pools carve their chunks from it.
#ifndef TAVRIN_PLATFORM_PRIVATE_HEAP_H
#define TAVRIN_PLATFORM_PRIVATE_HEAP_H

#include <cstddef>

namespace tavrin {

struct PrivateHeap;

// Creates an empty heap, or returns null when memory is exhausted.
PrivateHeap* HeapCreate();
// Returns a block of at least `size` bytes aligned to 16 bytes, or null.
void* HeapAlloc(PrivateHeap* heap, std::size_t size);
// Returns a block of `size` zero bytes, or null.
void* HeapAllocZero(PrivateHeap* heap, std::size_t size);
// Returns a zero-filled block aligned to 64 bytes that lives until the heap
// is destroyed (it cannot be freed alone), or null. Such blocks are cut one
// after another from large regions of the heap, so that a pool's chunks lie
// close together, and destroying the heap releases a few regions rather than
// many blocks.
void* HeapAllocChunk(PrivateHeap* heap, std::size_t size);
// Frees one block taken with HeapAlloc or HeapAllocZero. Null is ignored.
void HeapFree(PrivateHeap* heap, void* block);
// Frees every block of the heap, then the heap itself.
void HeapDestroy(PrivateHeap* heap);
// Bytes currently held by the heap's blocks (including the headers of blocks
// that can be freed alone).
std::size_t HeapBytesInUse(const PrivateHeap* heap);

// Test hook: when set, the n-th following allocation of any kind (counting
// from 1) fails. 0 disables it.
void HeapFailAfter(long n);

}  // namespace tavrin

#endif
