#include "platform/private_heap.h"

#include <sys/mman.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/asan_interface.h>
#endif

namespace tavrin {

namespace {

// Every block that can be freed alone is preceded by a link header so the
// heap can find and free all of its blocks when it is destroyed.
struct alignas(16) BlockHeader {
  BlockHeader* prev;
  BlockHeader* next;
  std::size_t size;
};

// A region that chunks are cut from; the header sits at its start.
struct alignas(64) Region {
  Region* next;
  std::size_t size;  // bytes mapped
};

constexpr std::size_t kChunkAlign = 64;
constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kFirstRegion = std::size_t(1) << 20;
constexpr std::size_t kMaxRegion = std::size_t(64) << 20;
constexpr std::size_t kMaxRequest = std::size_t(1) << 48;

// Allocation failure injection (tests); read by the allocations of every thread.
std::atomic<long> g_failAfter{0};

bool FailNow() {
  return g_failAfter.load(std::memory_order_relaxed) > 0 && g_failAfter.fetch_sub(1, std::memory_order_relaxed) == 1;
}

// Maps `size` bytes (a multiple of the huge page size from 2 MB on, aligned
// to it and marked for huge pages so that the pools' random accesses need
// fewer translations). Null when the system refuses.
Region* MapRegion(std::size_t size) {
  std::size_t align = size >= kHugePage ? kHugePage : 4096;
  std::size_t span = size + (align > 4096 ? align : 0);
  void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  auto base = reinterpret_cast<std::uintptr_t>(raw);
  auto start = (base + align - 1) & ~(align - 1);
  if (start > base) munmap(raw, start - base);
  if (span > size + (start - base)) {
    munmap(reinterpret_cast<void*>(start + size), span - size - (start - base));
  }
#ifdef MADV_HUGEPAGE
  if (align == kHugePage) madvise(reinterpret_cast<void*>(start), size, MADV_HUGEPAGE);
#endif
  Region* r = reinterpret_cast<Region*>(start);
  r->next = nullptr;
  r->size = size;
  return r;
}

}  // namespace

struct PrivateHeap {
  BlockHeader* first = nullptr;
  std::size_t bytes = 0;
  Region* regions = nullptr;  // newest first
  char* cursor = nullptr;     // free part of the newest region
  char* limit = nullptr;
  std::size_t nextRegion = kFirstRegion;
};

void HeapFailAfter(long n) { g_failAfter.store(n, std::memory_order_relaxed); }

PrivateHeap* HeapCreate() {
  return new (std::nothrow) PrivateHeap();
}

void* HeapAlloc(PrivateHeap* heap, std::size_t size) {
  if (!heap) return nullptr;
  if (FailNow()) return nullptr;
  if (size > kMaxRequest) return nullptr;
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

void* HeapAllocChunk(PrivateHeap* heap, std::size_t size) {
  if (!heap) return nullptr;
  if (FailNow()) return nullptr;
  if (size > kMaxRequest) return nullptr;
  std::size_t rounded = (size + kChunkAlign - 1) & ~(kChunkAlign - 1);
  if (static_cast<std::size_t>(heap->limit - heap->cursor) < rounded) {
    // A new region; the unused end of the old one is left (under one chunk).
    std::size_t want = heap->nextRegion;
    std::size_t need = rounded + sizeof(Region);
    if (want < need) want = (need + kHugePage - 1) & ~(kHugePage - 1);
    Region* r = MapRegion(want);
    if (!r) return nullptr;
    r->next = heap->regions;
    heap->regions = r;
    heap->cursor = reinterpret_cast<char*>(r) + sizeof(Region);
    heap->limit = reinterpret_cast<char*>(r) + want;
    if (heap->nextRegion < kMaxRegion) heap->nextRegion *= 2;
  }
  char* p = heap->cursor;
  heap->cursor += rounded;
  heap->bytes += size;
  return p;  // fresh mapped memory: already zero
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
  Region* r = heap->regions;
  while (r) {
    Region* next = r->next;
#ifdef __SANITIZE_ADDRESS__
    // The pools' debug mode poisons freed blocks; the next mapping here is clean.
    ASAN_UNPOISON_MEMORY_REGION(r, r->size);
#endif
    munmap(r, r->size);
    r = next;
  }
  delete heap;
}

std::size_t HeapBytesInUse(const PrivateHeap* heap) { return heap ? heap->bytes : 0; }

}  // namespace tavrin
