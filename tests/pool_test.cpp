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

// In a process where no session ever existed: 0 classes and no counters.
bool FreshProcessCounts() {
  Counts c = ReadCounts();
  return c.result == 0 && c.classes == 0 && !c.chunks && c.zero == 0 && !TablesBuilt();
}

}  // namespace

// The tables live from the first live session to the last and come back with
// zeroed chunk counters; a session that cannot be allocated changes nothing.
TEST(PoolDeathTest, TablesLiveFromTheFirstSessionToTheLast) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // re-executes: fresh globals
  EXPECT_EXIT(std::exit(FreshProcessCounts() ? 0 : 1), testing::ExitedWithCode(0), "");
  ASSERT_EQ(LiveSessions(), 0) << "a test left a session alive";
  {
    FailAfter fail(2);  // the session block
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
  EXPECT_EQ(SizeClassOf(40), -1);
  EXPECT_EQ(ReadCounts().chunks, nullptr);
  EXPECT_EQ(ReadCounts().classes, 9);
  SSession* d = AllocSession();
  ASSERT_NE(d, nullptr);
  for (int k = 0; k < kSizeClassCount; ++k) EXPECT_EQ(ReadCounts().chunks[k], 0) << k;
  EXPECT_EQ(SizeClassOf(40), 3);
  delete d;
  int w = 5, x = 6, y = 7, z = 8;
  GetTavrinCnts(w, x, y, z);
  EXPECT_TRUE(w == 0 && x == 0 && y == 0 && z == 0);
  EXPECT_EQ(ReadCounts().zero, 0);
}

using PoolTest = tavrin_test::SessionTest;

// Class bounds, and the first block of a record taking one chunk of every
// class (589,232 bytes): blocks in address order, tagged with their class;
// a class that runs dry takes another chunk; freed blocks are reused last
// freed first, within their class only.
TEST_F(PoolTest, SizeClassesAndChunks) {
  const std::size_t lo[] = {0, 9, 17, 33, 57, 73, 89, 105, 121};
  const int perChunk[] = {4095, 2730, 1638, 1023, 819, 682, 585, 511, 255};
  int before[kSizeClassCount];
  std::memcpy(before, ReadCounts().chunks, sizeof before);
  std::size_t bytes = HeapBytes(heap);
  ASSERT_NE(PoolAlloc(heap, 1), nullptr);
  EXPECT_GE(HeapBytes(heap) - bytes, 589232u);
  EXPECT_LT(HeapBytes(heap) - bytes, 589232u + 1024u);
  for (int k = 0; k < kSizeClassCount; ++k) {
    EXPECT_EQ(SizeClassOf(lo[k]), k);
    EXPECT_EQ(SizeClassOf(kClassSizes[k]), k);
    EXPECT_EQ(BlocksPerChunk(k), perChunk[k]);
    EXPECT_EQ(ReadCounts().chunks[k], before[k] + 1);
    char* a = static_cast<char*>(PoolAlloc(heap, kClassSizes[k]));
    char* b = static_cast<char*>(PoolAlloc(heap, lo[k]));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(b - a, kClassSizes[k] + 8) << k;
    EXPECT_EQ(BlockTag(a), static_cast<unsigned>(k));
    EXPECT_EQ(BlockTag(b), static_cast<unsigned>(k));
    EXPECT_EQ(BlockHeap(a), heap);
    std::memset(a, 0x5A, kClassSizes[k]);  // the caller owns every byte (ASan)
  }
  EXPECT_EQ(SizeClassOf(249), -1);
  std::vector<void*> blocks;
  while (heap->sizeClassHeads[8]) blocks.push_back(PoolAlloc(heap, 248));
  EXPECT_EQ(ReadCounts().chunks[8], before[8] + 1);
  void* extra = PoolAlloc(heap, 200);
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(ReadCounts().chunks[8], before[8] + 2);
  for (void* p : blocks) ASSERT_NE(p, extra);
  // A freed block goes on the head of its class's list, reused by that class only.
  PoolFree(blocks[7]);
  PoolFree(blocks[3]);
  EXPECT_NE(PoolAlloc(heap, 120), blocks[3]);
  EXPECT_EQ(PoolAlloc(heap, 121), blocks[3]);
  EXPECT_EQ(PoolAlloc(heap, 248), blocks[7]);
}

// Above 248 bytes a block comes from the heap by itself and goes back to it;
// counted allocations are such blocks too. Sizes that would wrap around
// with the header are refused.
TEST_F(PoolTest, LargeAndCountedBlocks) {
  void* pooled = PoolAlloc(heap, 248);
  ASSERT_NE(pooled, nullptr);
  EXPECT_EQ(BlockTag(pooled), 8u);
  std::size_t bytes = HeapBytes(heap);
  void* big = PoolAlloc(heap, 249);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(BlockTag(big), kTagLarge);
  EXPECT_EQ(BlockHeap(big), heap);
  std::memset(big, 1, 249);
  int counted = ReadCounts().large;
  char* c = CountedAlloc(heap, 1000);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(ReadCounts().large, counted + 1);
  EXPECT_EQ(BlockTag(c), kTagLarge);
  for (void* p : {big, pooled, static_cast<void*>(c)}) PoolFree(p);
  EXPECT_EQ(HeapBytes(heap), bytes);  // the pooled block stays in its chunk
  for (HANDLEMA* h : {heap, static_cast<HANDLEMA*>(nullptr)}) {
    EXPECT_EQ(PoolAlloc(h, std::size_t(-1)), nullptr);
    EXPECT_EQ(CountedAlloc(h, std::size_t(-1) - 4), nullptr);
  }
}

// Texts: the shared empty text below 2 bytes (never freed), resizing in place
// while the class fits, an empty text set into a block of its own, clearing,
// and the general allocator without a record.
TEST_F(PoolTest, Texts) {
  char* e = SharedEmptyText();
  EXPECT_EQ(TextAlloc(heap, 0), e);
  EXPECT_EQ(TextAlloc(heap, 1), e);
  TextFree(e);
  EXPECT_EQ(e[0], '\0');
  char* t = TextAlloc(heap, 10);  // class 16
  EXPECT_EQ(TextResize(heap, t, 15), t);
  EXPECT_EQ(BlockTag(TextResize(heap, t, 17)), 2u);
  EXPECT_EQ(TextAlloc(heap, 12), t);  // the old block went back to class 16
  EXPECT_EQ(BlockTag(TextResize(heap, e, 5)), 0u);
  char* field = nullptr;
  ASSERT_TRUE(SetText(heap, field, ""));
  EXPECT_NE(field, e);
  EXPECT_EQ(BlockTag(field), 0u);
  ASSERT_TRUE(SetText(heap, field, nullptr));
  EXPECT_EQ(field, nullptr);
  ASSERT_TRUE(SetText(nullptr, field, "outside"));
  EXPECT_EQ(BlockTag(field), kTagGeneral);
  TextFree(field);
}

// Node pools: chunks of the fixed sizes (map chunks zeroed), cells in address
// order, a second chunk when the first is used up, last freed first reused.
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
    EXPECT_EQ(static_cast<std::size_t>(cells[1] - cells[0]), p.cell);
    for (char* c : cells) {
      for (std::size_t i = 0; p.zeroed && i < p.cell - 8; ++i) ASSERT_EQ(c[i], 0);
      std::memset(c, 0x77, p.cell - 8);  // room for one node (ASan)
    }
    void* next = p.alloc(heap);
    EXPECT_EQ(HeapBytes(heap) - bytes, 2 * oneChunk);
    EXPECT_EQ(p.release(heap, cells[5]), 1);
    EXPECT_EQ(p.release(heap, next), 1);
    EXPECT_EQ(p.alloc(heap), next);
    EXPECT_EQ(p.alloc(heap), cells[5]);
  }
}

// Exhaustion: every allocation path gives null and leaves the pools usable;
// an object whose block cannot be had is not constructed, and the record
// meant for it does not reach a later object.
TEST_F(PoolTest, ExhaustionGivesNullAndNothingBreaks) {
  {
    FailAfter fail(1);  // the table of free-list heads
    EXPECT_EQ(PoolAlloc(heap, 8), nullptr);
  }
  {
    FailAfter fail(2);  // the chunk of class 0; the other classes get theirs
    EXPECT_EQ(BlockTag(PoolAlloc(heap, 50)), 3u);
  }
  EXPECT_NE(PoolAlloc(heap, 8), nullptr);  // class 0 takes its chunk now
  for (auto attempt : {+[](HANDLEMA* h) { return PoolAlloc(h, 1000); },
                       +[](HANDLEMA* h) { return static_cast<void*>(CountedAlloc(h, 10)); },
                       +[](HANDLEMA* h) { return HeapAllocMapNode(h); },
                       +[](HANDLEMA* h) { return HeapAllocListNode(h); }}) {
    FailAfter fail(1);
    EXPECT_EQ(attempt(heap), nullptr);
  }
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
