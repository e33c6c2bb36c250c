// The map-node and list-node pools of a session: fixed-size cells carved
// from chunks of the session heap, each cell a link word (used while the cell
// is free) followed by one node. Cells go back to their pool's free list and
// chunks are released only with the session heap.
#include <cstdio>

#include "core/pool.h"
#include "platform/private_heap.h"

using namespace tavrin;

namespace {

// Where HeapAllocMapNode records its complaint about a missing heap record
// (one per thread, like the sessions that can meet it).
thread_local char g_internalError[64];

// Chunks come zero-filled, which the map-node pool relies on.
void* CarveCell(HANDLEMA* heap, void*& freeList, std::size_t chunkBytes, std::size_t cellBytes) {
  if (!freeList) {
    char* chunk = static_cast<char*>(HeapAllocChunk(heap->heap, chunkBytes));
    if (!chunk) return nullptr;
    std::size_t cells = chunkBytes / cellBytes;
    for (std::size_t i = 0; i < cells; ++i) {
      void* next = (i + 1 < cells) ? chunk + (i + 1) * cellBytes : nullptr;
      *reinterpret_cast<void**>(chunk + i * cellBytes) = next;
    }
    freeList = chunk;
  }
  char* cell = static_cast<char*>(freeList);
  freeList = *reinterpret_cast<void**>(cell);
  return cell + sizeof(void*);
}

}  // namespace

void* HeapAllocMapNode(HANDLEMA* heap) {
  if (!heap) {
    std::snprintf(g_internalError, sizeof g_internalError, "Internal Error: hHeap = %x", 0u);
    return nullptr;
  }
  return CarveCell(heap, heap->mapNodeFree, kMapChunkBytes, kMapCellBytes);
}

int HeapFreeMapNode(HANDLEMA* heap, void* cell) {
  if (heap && cell) {
    char* c = static_cast<char*>(cell) - sizeof(void*);
    *reinterpret_cast<void**>(c) = heap->mapNodeFree;
    heap->mapNodeFree = c;
  }
  return 1;
}

void* HeapAllocListNode(HANDLEMA* heap) {
  if (!heap) return nullptr;
  return CarveCell(heap, heap->listNodeFree, kListChunkBytes, kListCellBytes);
}

int HeapFreeListNode(HANDLEMA* heap, void* cell) {
  if (heap && cell) {
    char* c = static_cast<char*>(cell) - sizeof(void*);
    *reinterpret_cast<void**>(c) = heap->listNodeFree;
    heap->listNodeFree = c;
  }
  return 1;
}

