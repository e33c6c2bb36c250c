#include "platform/private_heap.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace tavrin {

namespace {

// Every block is preceded by a link header so the heap can find and free all
// of its blocks when it is destroyed.
struct alignas(16) BlockHeader {
  BlockHeader* prev;
  BlockHeader* next;
  std::size_t size;
};

long g_failAfter = 0;

}  // namespace

struct PrivateHeap {
  BlockHeader* first = nullptr;
  std::size_t bytes = 0;
};

void HeapFailAfter(long n) { g_failAfter = n; }

PrivateHeap* HeapCreate() {
  return new (std::nothrow) PrivateHeap();
}

void* HeapAlloc(PrivateHeap* heap, std::size_t size) {
  if (!heap) return nullptr;
  if (g_failAfter > 0 && --g_failAfter == 0) return nullptr;
  if (size > (std::size_t(1) << 48)) return nullptr;
  auto* h = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
  if (!h) return nullptr;
  h->prev = nullptr;
  h->next = heap->first;
  h->size = size;
  if (heap->first) heap->first->prev = h;
  heap->first = h;
  heap->bytes += sizeof(BlockHeader) + size;
  return h + 1;
}

void* HeapAllocZero(PrivateHeap* heap, std::size_t size) {
  void* p = HeapAlloc(heap, size);
  if (p) std::memset(p, 0, size);
  return p;
}

void HeapFree(PrivateHeap* heap, void* block) {
  if (!heap || !block) return;
  BlockHeader* h = static_cast<BlockHeader*>(block) - 1;
  if (h->prev) h->prev->next = h->next; else heap->first = h->next;
  if (h->next) h->next->prev = h->prev;
  heap->bytes -= sizeof(BlockHeader) + h->size;
  std::free(h);
}

void HeapDestroy(PrivateHeap* heap) {
  if (!heap) return;
  BlockHeader* h = heap->first;
  while (h) {
    BlockHeader* next = h->next;
    std::free(h);
    h = next;
  }
  delete heap;
}

std::size_t HeapBytesInUse(const PrivateHeap* heap) { return heap ? heap->bytes : 0; }

}  // namespace tavrin
