#include "core/pool.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <atomic>
#include <mutex>
#include <new>

#include "platform/private_heap.h"

#if defined(TAVRIN_POOL_DEBUG) && defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define TAVRIN_POOL_ASAN 1
#else
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

namespace tavrin {

const int kClassSizes[kSizeClassCount] = {8, 16, 32, 56, 72, 88, 104, 120, 248};

namespace {

// Process-wide state. Any number of threads may each work in sessions of
// their own, so everything here is either built once, atomic or per thread:
// - the class-of-size and blocks-per-chunk tables are computed once (they
//   depend only on the class sizes) and never change afterwards;
// - "built" and "discarded" are a flag raised with the first live session
//   and lowered with the last. Sessions are created and deleted under a
//   lock, so the flag and the live-session count change together; while
//   the count is 0 no pool is in use, which makes resetting the chunk
//   counters then safe;
// - the chunk counters and the large-allocation statistics are raised
//   atomically (the chunk counters stay plain ints, handed out as a table);
// - the record handed from an allocation operator to the constructor it
//   runs is per thread.
std::once_flag g_tablesOnce;
signed char g_classOfSize[kPoolLimit + 1];
int g_blocksPerChunk[kSizeClassCount];
std::mutex g_sessionsLock;  // session creation and deletion
std::atomic<bool> g_tablesLive{false};
std::atomic<int> g_classCount{0};
std::atomic<int*> g_chunkCounts{nullptr};
int g_chunkCountStore[kSizeClassCount];
std::atomic<int> g_liveSessions{0};
std::atomic<int> g_largeCount{0};
std::atomic<long> g_largeBytes{0};
// Touched twice per object: the initial-exec model makes it one plain access
// (the general model calls __tls_get_addr each time, about 8 ns per object).
// The 8 bytes fit the static TLS room the loader keeps for libraries loaded
// later with dlopen.
__attribute__((tls_model("initial-exec"))) thread_local HANDLEMA* g_pendingHeap = nullptr;
char g_sharedEmpty[1] = {0};

void ComputeTables() {
  // The class sizes are already unique and ascending.
  int c = 0;
  for (std::size_t n = 0; n <= kPoolLimit; ++n) {
    while (static_cast<std::size_t>(kClassSizes[c]) < n) ++c;
    g_classOfSize[n] = static_cast<signed char>(c);
  }
  for (int k = 0; k < kSizeClassCount; ++k) g_blocksPerChunk[k] = 65528 / (kClassSizes[k] + 8);
}

void EnsureTablesComputed() { std::call_once(g_tablesOnce, ComputeTables); }

// Called under g_sessionsLock. The class count stays: it reports 9 from the
// first session on.
void BuildTables() {
  EnsureTablesComputed();
  for (int k = 0; k < kSizeClassCount; ++k) __atomic_store_n(&g_chunkCountStore[k], 0, __ATOMIC_RELAXED);
  g_classCount.store(kSizeClassCount, std::memory_order_relaxed);
  g_chunkCounts.store(g_chunkCountStore, std::memory_order_release);
  g_tablesLive.store(true, std::memory_order_release);
}

void DiscardTables() {
  g_tablesLive.store(false, std::memory_order_release);
  g_chunkCounts.store(nullptr, std::memory_order_release);
}

void SessionBorn() {
  std::lock_guard<std::mutex> hold(g_sessionsLock);
  if (g_liveSessions.fetch_add(1, std::memory_order_relaxed) == 0) BuildTables();
}

void SessionGone() {
  std::lock_guard<std::mutex> hold(g_sessionsLock);
  if (g_liveSessions.fetch_sub(1, std::memory_order_relaxed) == 1) DiscardTables();
}

inline std::uintptr_t& HeaderOf(void* block) {
  return *reinterpret_cast<std::uintptr_t*>(static_cast<char*>(block) - kBlockHeader);
}

inline void* Stamp(void* raw, HANDLEMA* heap, unsigned tag) {
  *static_cast<std::uintptr_t*>(raw) = reinterpret_cast<std::uintptr_t>(heap) | tag;
  return static_cast<char*>(raw) + kBlockHeader;
}

#ifdef TAVRIN_POOL_DEBUG
// Debug mode: a freed pooled block is filled with kPoison (and poisoned for
// AddressSanitizer), so a read through a stale pointer meets garbage and a
// write through one is found when the block is handed out again. Blocks of a
// fresh chunk are not filled: they start with a word other than the poison.
constexpr unsigned char kPoison = 0xDB;
constexpr std::uintptr_t kPoisonWord = 0xDBDBDBDBDBDBDBDBu;

void PoisonFreed(void* block, std::size_t n) {
  std::memset(block, kPoison, n);
  ASAN_POISON_MEMORY_REGION(block, n);
}

void CheckReused(void* block, int c) {
  std::size_t n = static_cast<std::size_t>(kClassSizes[c]);
  ASAN_UNPOISON_MEMORY_REGION(block, n);
  const unsigned char* p = static_cast<const unsigned char*>(block);
  if (*reinterpret_cast<const std::uintptr_t*>(p) != kPoisonWord) return;  // never freed
  for (std::size_t i = 8; i < n; ++i) {
    if (p[i] != kPoison) {
      std::fprintf(stderr, "tavrin pool: block %p of %zu bytes was written at byte %zu after it was freed\n", block,
                   n, i);
      std::abort();
    }
  }
  *static_cast<std::uintptr_t*>(block) = 0;  // in use again
}
#endif

// Takes one chunk of class c from the record's heap and makes it the class's
// free list (blocks linked in address order). False when the heap is exhausted.
bool TakeChunk(HANDLEMA* heap, int c) {
  std::size_t stride = static_cast<std::size_t>(kClassSizes[c]) + kBlockHeader;
  int count = g_blocksPerChunk[c];
  char* chunk = static_cast<char*>(HeapAllocChunk(heap->heap, stride * count));
  if (!chunk) return false;
  __atomic_fetch_add(&g_chunkCountStore[c], 1, __ATOMIC_RELAXED);
  for (int i = 0; i < count; ++i) {
    char* header = chunk + i * stride;
    void* next = (i + 1 < count) ? chunk + (i + 1) * stride + kBlockHeader : nullptr;
    *reinterpret_cast<void**>(header) = next;
  }
  heap->sizeClassHeads[c] = chunk + kBlockHeader;
  return true;
}

bool EnsureClassTable(HANDLEMA* heap) {
  if (heap->sizeClassHeads) return true;
  EnsureTablesComputed();
  void** heads = static_cast<void**>(HeapAllocZero(heap->heap, sizeof(void*) * kSizeClassCount));
  if (!heads) return false;
  heap->sizeClassHeads = heads;
  for (int c = 0; c < kSizeClassCount; ++c) TakeChunk(heap, c);  // a failure leaves that list empty
  return true;
}

// Requests beyond this are refused before the header is added, so that the
// size cannot wrap around to a small block.
constexpr std::size_t kMaxBlock = std::size_t(1) << 48;

// A block above the pool limit, taken from the record's heap by itself.
void* LargeBlock(HANDLEMA* heap, std::size_t n) {
  if (n > kMaxBlock) return nullptr;
  void* raw = HeapAlloc(heap->heap, n + kBlockHeader);
  return raw ? Stamp(raw, heap, kTagLarge) : nullptr;
}

}  // namespace

int BlocksPerChunk(int c) { return 65528 / (kClassSizes[c] + 8); }
int SizeClassOf(std::size_t n) {
  if (!TablesBuilt() || n > kPoolLimit) return -1;
  return g_classOfSize[n];
}
bool TablesBuilt() { return g_tablesLive.load(std::memory_order_acquire); }
int LiveSessions() { return g_liveSessions.load(std::memory_order_relaxed); }

void* PoolAlloc(HANDLEMA* heap, std::size_t n) {
  if (!heap) {
    if (n > kMaxBlock) return nullptr;
    void* raw = std::malloc(n + kBlockHeader);
    return raw ? Stamp(raw, nullptr, kTagGeneral) : nullptr;
  }
  if (!EnsureClassTable(heap)) return nullptr;
  if (n <= kPoolLimit) {
    int c = g_classOfSize[n];
    if (!heap->sizeClassHeads[c] && !TakeChunk(heap, c)) return nullptr;
    void* block = heap->sizeClassHeads[c];
#ifdef TAVRIN_POOL_DEBUG
    CheckReused(block, c);
#endif
    heap->sizeClassHeads[c] = reinterpret_cast<void*>(HeaderOf(block));
    HeaderOf(block) = reinterpret_cast<std::uintptr_t>(heap) | static_cast<unsigned>(c);
    return block;
  }
  return LargeBlock(heap, n);
}

const void* PoolAddressHint(const HANDLEMA* heap) {
  if (!heap || !heap->sizeClassHeads) return nullptr;
  for (int c = kSizeClassCount - 1; c >= 0; --c)
    if (heap->sizeClassHeads[c]) return heap->sizeClassHeads[c];
  return nullptr;
}

unsigned BlockTag(const void* block) {
  return static_cast<unsigned>(HeaderOf(const_cast<void*>(block)) & 0xF);
}
HANDLEMA* BlockHeap(const void* block) {
  return reinterpret_cast<HANDLEMA*>(HeaderOf(const_cast<void*>(block)) & ~std::uintptr_t(0xF));
}

void PoolFree(void* block) {
  if (!block || block == g_sharedEmpty) return;
  unsigned tag = BlockTag(block);
  HANDLEMA* heap = BlockHeap(block);
  if (tag < kSizeClassCount) {
#ifdef TAVRIN_POOL_DEBUG
    PoisonFreed(block, static_cast<std::size_t>(kClassSizes[tag]));
#endif
    HeaderOf(block) = reinterpret_cast<std::uintptr_t>(heap->sizeClassHeads[tag]);
    heap->sizeClassHeads[tag] = block;
  } else if (tag == kTagLarge) {
    HeapFree(heap->heap, static_cast<char*>(block) - kBlockHeader);
  } else if (tag == kTagGeneral) {
    std::free(static_cast<char*>(block) - kBlockHeader);
  }
}

bool PoolDebug() {
#ifdef TAVRIN_POOL_DEBUG
  return true;
#else
  return false;
#endif
}

bool BlockFreed(const void* block) {
#ifdef TAVRIN_POOL_DEBUG
#ifdef TAVRIN_POOL_ASAN
  return __asan_address_is_poisoned(block) != 0;
#else
  return *static_cast<const std::uintptr_t*>(block) == kPoisonWord;
#endif
#else
  (void)block;
  return false;
#endif
}

char* SharedEmptyText() { return g_sharedEmpty; }

char* TextAlloc(HANDLEMA* heap, std::size_t n) {
  if (n < 2) return g_sharedEmpty;
  return static_cast<char*>(PoolAlloc(heap, n));
}

void TextFree(char* text) { PoolFree(text); }

bool SetText(HANDLEMA* heap, char*& field, const char* text) {
  if (!text) {
    TextFree(field);
    field = nullptr;
    return true;
  }
  std::size_t size = std::strlen(text) + 1;
  char* block;
  if (field && field != g_sharedEmpty && BlockTag(field) < kSizeClassCount &&
      size <= static_cast<std::size_t>(kClassSizes[BlockTag(field)])) {
    block = field;
  } else {
    block = static_cast<char*>(PoolAlloc(heap, size));
    if (!block) return false;
    // Copy before releasing the old block: the text may lie inside it.
    std::memcpy(block, text, size);
    TextFree(field);
    field = block;
    return true;
  }
  std::memmove(block, text, size);
  field = block;
  return true;
}

char* CountedAlloc(HANDLEMA* heap, std::size_t n) {
  g_largeCount.fetch_add(1, std::memory_order_relaxed);
  g_largeBytes.fetch_add(static_cast<long>(n), std::memory_order_relaxed);
  return static_cast<char*>(heap ? LargeBlock(heap, n) : PoolAlloc(nullptr, n));
}

void* CreateSessionHeap(std::size_t size, HANDLEMA** record) {
  *record = nullptr;
  SessionBorn();
  PrivateHeap* ph = HeapCreate();
  HANDLEMA* rec = ph ? static_cast<HANDLEMA*>(HeapAlloc(ph, sizeof(HANDLEMA))) : nullptr;
  void* raw = rec ? HeapAlloc(ph, size + kBlockHeader) : nullptr;
  if (!raw) {
    HeapDestroy(ph);
    SessionGone();
    return nullptr;
  }
  rec->heap = ph;
  rec->mapNodeFree = rec->listNodeFree = nullptr;
  rec->sizeClassHeads = nullptr;
  *record = rec;
  return Stamp(raw, rec, kTagSession);
}

void* PlaceSessionInHeap(HANDLEMA* host, std::size_t size, HANDLEMA** record) {
  *record = nullptr;
  if (!host) {
    std::printf("\n malloc SSession %d", static_cast<int>(size));
    std::fflush(stdout);
    return PoolAlloc(nullptr, size);
  }
  HANDLEMA* rec = static_cast<HANDLEMA*>(HeapAlloc(host->heap, sizeof(HANDLEMA)));
  void* raw = rec ? HeapAlloc(host->heap, size + kBlockHeader) : nullptr;
  if (!raw) return nullptr;
  rec->heap = host->heap;
  rec->mapNodeFree = rec->listNodeFree = nullptr;
  rec->sizeClassHeads = nullptr;
  *record = rec;
  return Stamp(raw, rec, kTagEmbeddedSession);
}

void ReleaseSessionBlock(void* block) {
  if (!block) return;
  unsigned tag = BlockTag(block);
  if (tag == kTagSession) {
    HANDLEMA* rec = BlockHeap(block);
    HeapDestroy(rec->heap);
    SessionGone();
  } else if (tag == kTagGeneral) {
    PoolFree(block);
  }
  // An embedded session goes with its host heap.
}

void SetPendingHeap(HANDLEMA* heap) { g_pendingHeap = heap; }

void* ObjectAlloc(HANDLEMA* heap, std::size_t size) noexcept {
  void* p = PoolAlloc(heap, size);
  g_pendingHeap = p ? heap : nullptr;
  return p;
}

void ObjectFree(void* block) noexcept { PoolFree(block); }

HANDLEMA* ClaimPendingHeap() noexcept {
  HANDLEMA* h = g_pendingHeap;
  g_pendingHeap = nullptr;
  return h;
}

}  // namespace tavrin

using namespace tavrin;

int GetCntTavrin(int& largeCount, int& zero, int& classCount, int*& chunkCounts) {
  largeCount = g_largeCount.load(std::memory_order_relaxed);
  zero = 0;
  classCount = g_classCount.load(std::memory_order_relaxed);
  chunkCounts = g_chunkCounts.load(std::memory_order_acquire);
  return 0;
}

void GetTavrinCnts(int& a, int& b, int& c, int& d) { a = b = c = d = 0; }
