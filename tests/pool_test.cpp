// Pools: size classes, pooled blocks and texts, counters, process-wide
// tables, node pools and heap exhaustion.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/pool.h"
#include "fixture.h"

using namespace tavrin;
using tavrin_test::FailAfter;
using tavrin_test::HeapBytes;

namespace {

struct Counts {
  int large = -1, zero = -1, classes = -1, result = -1;
  int* chunks = nullptr;
};
Counts ReadCounts() {
  Counts c;
  c.result = GetCntTavrin(c.large, c.zero, c.classes, c.chunks);
  return c;
}
std::ptrdiff_t Distance(const void* a, const void* b) {
  return static_cast<const char*>(b) - static_cast<const char*>(a);
}

// Runs in a process of its own, where no session ever existed before.
int CountersOfAFreshProcess() {
  Counts c = ReadCounts();
  if (c.result != 0 || c.classes != 0 || c.chunks || c.zero != 0 || TablesBuilt()) return 1;
  SSession* s = AllocSession();
  if (!s) return 2;
  c = ReadCounts();
  if (c.classes != 9 || !c.chunks || c.chunks[0] != 0 || LiveSessions() != 1) return 3;
  delete s;
  c = ReadCounts();
  return c.classes == 9 && !c.chunks && !TablesBuilt() ? 0 : 4;
}

}  // namespace

TEST(PoolDeathTest, CountersOfAFreshProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // re-executes: fresh globals
  EXPECT_EXIT(std::exit(CountersOfAFreshProcess()), testing::ExitedWithCode(0), "");
}

TEST(Pool, TablesLiveFromTheFirstSessionToTheLast) {
  ASSERT_EQ(LiveSessions(), 0) << "a test left a session alive";
  {
    FailAfter fail(2);  // the session block: no session, counters untouched
    EXPECT_EQ(AllocateSession(), nullptr);
  }
  EXPECT_FALSE(TablesBuilt());
  SSession* a = AllocSession();
  SSession* b = AllocSession();
  ASSERT_TRUE(a && b);
  ASSERT_NE(PoolAlloc(a->GetHeap(), 40), nullptr);
  EXPECT_EQ(ReadCounts().chunks[3], 1);
  delete a;
  EXPECT_EQ(SizeClassOf(40), 3);  // b still lives
  delete b;
  EXPECT_FALSE(TablesBuilt());
  EXPECT_EQ(SizeClassOf(40), -1);
  EXPECT_EQ(ReadCounts().chunks, nullptr);
  EXPECT_EQ(ReadCounts().classes, 9);
  SSession* d = AllocSession();  // fresh tables, counters back to zero
  ASSERT_NE(d, nullptr);
  for (int k = 0; k < kSizeClassCount; ++k) EXPECT_EQ(ReadCounts().chunks[k], 0) << k;
  EXPECT_EQ(SizeClassOf(40), 3);
  delete d;
  int w = 5, x = 6, y = 7, z = 8;
  GetTavrinCnts(w, x, y, z);
  EXPECT_TRUE(w == 0 && x == 0 && y == 0 && z == 0);
}

using PoolTest = tavrin_test::SessionTest;

TEST_F(PoolTest, SizeClasses) {
  const std::size_t lo[] = {0, 9, 17, 33, 57, 73, 89, 105, 121};
  const std::size_t hi[] = {8, 16, 32, 56, 72, 88, 104, 120, 248};
  for (int k = 0; k < kSizeClassCount; ++k) {
    EXPECT_EQ(SizeClassOf(lo[k]), k) << lo[k];
    EXPECT_EQ(SizeClassOf(hi[k]), k) << hi[k];
    EXPECT_EQ(BlocksPerChunk(k), 65528 / (kClassSizes[k] + 8));
  }
  EXPECT_EQ(SizeClassOf(249), -1);
}

TEST_F(PoolTest, ChunksOfEveryClassAndTheirBlocks) {
  int before[kSizeClassCount];
  std::memcpy(before, ReadCounts().chunks, sizeof before);
  std::size_t bytes = HeapBytes(heap);
  ASSERT_NE(PoolAlloc(heap, 1), nullptr);  // the first block takes a chunk of each class
  EXPECT_GE(HeapBytes(heap) - bytes, 589232u);
  EXPECT_LT(HeapBytes(heap) - bytes, 589232u + 1024u);
  for (int k = 0; k < kSizeClassCount; ++k) {
    EXPECT_EQ(ReadCounts().chunks[k], before[k] + 1);
    void* a = PoolAlloc(heap, kClassSizes[k]);
    void* b = PoolAlloc(heap, kClassSizes[k]);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(Distance(a, b), kClassSizes[k] + 8) << "blocks in address order, class " << k;
    EXPECT_EQ(BlockTag(a), static_cast<unsigned>(k));
    EXPECT_EQ(BlockHeap(a), heap);
    std::memset(a, 0x5A, kClassSizes[k]);  // the caller owns every byte (ASan)
    EXPECT_EQ(BlockTag(b), static_cast<unsigned>(k));
  }
  // Class 248 runs out after its blocks per chunk and takes another chunk.
  std::vector<void*> blocks;
  while (heap->sizeClassHeads[8]) blocks.push_back(PoolAlloc(heap, 248));
  EXPECT_EQ(ReadCounts().chunks[8], before[8] + 1);
  void* extra = PoolAlloc(heap, 200);
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(ReadCounts().chunks[8], before[8] + 2);
  for (void* p : blocks) ASSERT_NE(p, extra);
}

TEST_F(PoolTest, FreedBlocksAreReusedWithinTheirClassOnly) {
  void* a = PoolAlloc(heap, 20);  // class 32
  ASSERT_NE(a, nullptr);
  PoolFree(a);
  EXPECT_NE(PoolAlloc(heap, 10), a);  // class 16
  EXPECT_EQ(PoolAlloc(heap, 30), a);
  void* b = PoolAlloc(heap, 32);
  PoolFree(a);
  PoolFree(b);
  EXPECT_EQ(PoolAlloc(heap, 17), b);  // last freed, first reused
  EXPECT_EQ(PoolAlloc(heap, 17), a);
}

TEST_F(PoolTest, BlocksAbove248BytesComeFromTheHeapAndGoBackToIt) {
  void* pooled = PoolAlloc(heap, 248);
  ASSERT_NE(pooled, nullptr);
  EXPECT_EQ(BlockTag(pooled), 8u);
  std::size_t bytes = HeapBytes(heap);
  void* big = PoolAlloc(heap, 249);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(BlockTag(big), kTagLarge);
  EXPECT_EQ(BlockHeap(big), heap);
  std::memset(big, 1, 249);
  PoolFree(big);
  EXPECT_EQ(HeapBytes(heap), bytes);
  PoolFree(pooled);  // back on its free list: the chunk stays
  EXPECT_EQ(HeapBytes(heap), bytes);
  // Counted allocations are heap blocks too, and counted.
  int counted = ReadCounts().large;
  char* c = CountedAlloc(heap, 1000);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(ReadCounts().large, counted + 1);
  TextFree(c);
  EXPECT_EQ(HeapBytes(heap), bytes);
}

TEST_F(PoolTest, Texts) {
  char* e = SharedEmptyText();
  EXPECT_EQ(TextAlloc(heap, 0), e);
  EXPECT_EQ(TextAlloc(heap, 1), e);
  TextFree(e);
  EXPECT_EQ(e[0], '\0');
  char* t = TextAlloc(heap, 10);  // class 16
  ASSERT_NE(t, e);
  EXPECT_EQ(TextResize(heap, t, 16), t);
  char* bigger = TextResize(heap, t, 17);
  EXPECT_EQ(BlockTag(bigger), 2u);
  EXPECT_EQ(TextAlloc(heap, 12), t);  // the old block went back to class 16
  EXPECT_EQ(BlockTag(TextResize(heap, e, 5)), 0u);
  // The text setter: reuse while the class fits, a copy always.
  char* field = nullptr;
  ASSERT_TRUE(SetText(heap, field, "0123456789"));
  char* block = field;
  ASSERT_TRUE(SetText(heap, field, "short"));
  EXPECT_EQ(field, block);
  EXPECT_STREQ(field, "short");
  ASSERT_TRUE(SetText(heap, field, ""));
  EXPECT_NE(field, e);  // an empty text takes a block like any other
  std::string longText(400, 'x');
  ASSERT_TRUE(SetText(heap, field, longText.c_str()));
  ASSERT_TRUE(SetText(heap, field, field + 100));  // source inside the replaced heap block
  EXPECT_EQ(std::string(field), std::string(300, 'x'));
  ASSERT_TRUE(SetText(heap, field, nullptr));
  EXPECT_EQ(field, nullptr);
  ASSERT_TRUE(SetText(nullptr, field, "outside"));  // no record: general allocator
  EXPECT_EQ(BlockTag(field), kTagGeneral);
  TextFree(field);
}

TEST_F(PoolTest, NodePools) {
  EXPECT_EQ(HeapAllocMapNode(nullptr), nullptr);
  EXPECT_EQ(HeapAllocListNode(nullptr), nullptr);
  struct Pool {
    void* (*alloc)(HANDLEMA*);
    int (*release)(HANDLEMA*, void*);
    std::size_t chunk, cell;
    bool zeroed;
  };
  for (Pool p : {Pool{HeapAllocMapNode, HeapFreeMapNode, kMapChunkBytes, kMapCellBytes, true},
                 Pool{HeapAllocListNode, HeapFreeListNode, kListChunkBytes, kListCellBytes, false}}) {
    std::size_t bytes = HeapBytes(heap);
    std::vector<char*> cells;
    for (std::size_t i = 0; i < p.chunk / p.cell; ++i) cells.push_back(static_cast<char*>(p.alloc(heap)));
    std::size_t oneChunk = HeapBytes(heap) - bytes;
    EXPECT_GE(oneChunk, p.chunk);
    EXPECT_LT(oneChunk, p.chunk + 64);
    EXPECT_EQ(Distance(cells[0], cells[1]), static_cast<std::ptrdiff_t>(p.cell));
    for (char* c : cells) {
      for (std::size_t i = 0; p.zeroed && i < p.cell - 8; ++i) ASSERT_EQ(c[i], 0);
      std::memset(c, 0x77, p.cell - 8);  // room for one node (ASan)
    }
    void* next = p.alloc(heap);  // one more cell: a second chunk
    EXPECT_EQ(HeapBytes(heap) - bytes, 2 * oneChunk);
    EXPECT_EQ(p.release(heap, cells[5]), 1);
    EXPECT_EQ(p.release(heap, next), 1);
    EXPECT_EQ(p.alloc(heap), next);
    EXPECT_EQ(p.alloc(heap), cells[5]);
  }
}

TEST_F(PoolTest, ExhaustionGivesNullAndNothingBreaks) {
  {
    FailAfter fail(1);  // the table of free-list heads
    EXPECT_EQ(PoolAlloc(heap, 8), nullptr);
  }
  {
    FailAfter fail(2);  // the chunk of class 0; the other classes get theirs
    EXPECT_EQ(BlockTag(PoolAlloc(heap, 50)), 3u);
  }
  {
    FailAfter fail(1);  // class 0 still has no chunk
    EXPECT_EQ(PoolAlloc(heap, 8), nullptr);
  }
  EXPECT_NE(PoolAlloc(heap, 8), nullptr);
  for (auto attempt : {+[](HANDLEMA* h) { return PoolAlloc(h, 1000); },
                       +[](HANDLEMA* h) { return static_cast<void*>(CountedAlloc(h, 10)); },
                       +[](HANDLEMA* h) { return HeapAllocMapNode(h); },
                       +[](HANDLEMA* h) { return HeapAllocListNode(h); }}) {
    FailAfter fail(1);
    EXPECT_EQ(attempt(heap), nullptr);
  }
  // An object whose block cannot be had is not constructed, and the record
  // meant for it does not reach a later object.
  int k = SizeClassOf(sizeof(SPackageLibrary));
  while (heap->sizeClassHeads[k]) ASSERT_NE(PoolAlloc(heap, kClassSizes[k]), nullptr);
  {
    FailAfter fail(1);
    EXPECT_EQ(new (heap) SPackageLibrary(), nullptr);
  }
  EXPECT_EQ(ClaimPendingHeap(), nullptr);
  SPackageLibrary* lib = new (heap) SPackageLibrary();
  ASSERT_NE(lib, nullptr);
  EXPECT_EQ(lib->GetHeap(), heap);
}
