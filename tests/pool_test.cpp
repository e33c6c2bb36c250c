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
using tavrin_test::SessionTest;

namespace {

struct Counts {
  int large = -1, zero = -1, classes = -1;
  int* chunks = nullptr;
  int result = -1;
};
Counts ReadCounts() {
  Counts c;
  c.result = GetCntTavrin(c.large, c.zero, c.classes, c.chunks);
  return c;
}

std::ptrdiff_t Distance(const void* a, const void* b) {
  return static_cast<const char*>(b) - static_cast<const char*>(a);
}

// Runs in a process of its own, before any session ever existed there.
int CountersOfAFreshProcess() {
  Counts c = ReadCounts();
  if (c.result != 0 || c.classes != 0 || c.chunks != nullptr || c.zero != 0) return 1;
  if (TablesBuilt() || LiveSessions() != 0) return 2;
  SSession* s = AllocSession();
  if (!s) return 3;
  c = ReadCounts();
  if (c.classes != 9 || !c.chunks || LiveSessions() != 1) return 4;
  for (int k = 0; k < kSizeClassCount; ++k)
    if (c.chunks[k] != 0) return 5;  // no pooled block taken yet
  delete s;
  c = ReadCounts();
  if (c.classes != 9 || c.chunks != nullptr || TablesBuilt()) return 6;
  return 0;
}

}  // namespace

TEST(PoolDeathTest, CountersOfAFreshProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // re-executes: fresh globals
  EXPECT_EXIT(std::exit(CountersOfAFreshProcess()), testing::ExitedWithCode(0), "");
}

TEST(Pool, TablesLiveFromTheFirstSessionToTheLast) {
  ASSERT_EQ(LiveSessions(), 0) << "a test left a session alive";
  SSession* a = AllocSession();
  SSession* b = AllocSession();
  ASSERT_TRUE(a && b);
  EXPECT_EQ(LiveSessions(), 2);
  ASSERT_NE(PoolAlloc(a->GetHeap(), 40), nullptr);
  EXPECT_EQ(ReadCounts().chunks[3], 1);
  delete a;
  EXPECT_TRUE(TablesBuilt());  // b still lives
  EXPECT_EQ(SizeClassOf(40), 3);
  delete b;
  EXPECT_FALSE(TablesBuilt());
  EXPECT_EQ(SizeClassOf(40), -1);
  Counts c = ReadCounts();
  EXPECT_EQ(c.chunks, nullptr);
  EXPECT_EQ(c.classes, 9);
  // The next session builds fresh tables with zero chunk counters.
  SSession* d = AllocSession();
  ASSERT_NE(d, nullptr);
  c = ReadCounts();
  ASSERT_NE(c.chunks, nullptr);
  for (int k = 0; k < kSizeClassCount; ++k) EXPECT_EQ(c.chunks[k], 0) << k;
  EXPECT_EQ(SizeClassOf(40), 3);
  delete d;
}

TEST(Pool, FailedSessionHeapLeavesCountersAlone) {
  ASSERT_EQ(LiveSessions(), 0);
  {
    FailAfter fail(1);  // the heap record
    EXPECT_EQ(AllocSession(), nullptr);
  }
  {
    FailAfter fail(2);  // the session block
    EXPECT_EQ(AllocateSession(), nullptr);
  }
  EXPECT_EQ(LiveSessions(), 0);
  EXPECT_FALSE(TablesBuilt());
}

TEST(Pool, GetTavrinCntsSetsZeros) {
  int a = 5, b = 6, c = 7, d = 8;
  GetTavrinCnts(a, b, c, d);
  EXPECT_EQ(a + b + c + d, 0);
  EXPECT_TRUE(a == 0 && b == 0 && c == 0 && d == 0);
}

using PoolTest = SessionTest;

TEST_F(PoolTest, SizeClassBoundaries) {
  const std::size_t lo[] = {0, 9, 17, 33, 57, 73, 89, 105, 121};
  const std::size_t hi[] = {8, 16, 32, 56, 72, 88, 104, 120, 248};
  for (int k = 0; k < kSizeClassCount; ++k) {
    EXPECT_EQ(SizeClassOf(lo[k]), k) << lo[k];
    EXPECT_EQ(SizeClassOf(hi[k]), k) << hi[k];
    EXPECT_EQ(static_cast<std::size_t>(kClassSizes[k]), hi[k]);
    EXPECT_EQ(BlocksPerChunk(k), 65528 / (kClassSizes[k] + 8));
  }
  EXPECT_EQ(SizeClassOf(249), -1);
}

TEST_F(PoolTest, FirstPooledBlockTakesOneChunkOfEveryClass) {
  int before[kSizeClassCount];
  std::memcpy(before, ReadCounts().chunks, sizeof before);
  std::size_t bytes = HeapBytes(heap);
  void* p = PoolAlloc(heap, 1);
  ASSERT_NE(p, nullptr);
  std::size_t grown = HeapBytes(heap) - bytes;
  EXPECT_GE(grown, 589232u);
  EXPECT_LT(grown, 589232u + 1024u);  // plus the heads table and heap headers
  for (int k = 0; k < kSizeClassCount; ++k) EXPECT_EQ(ReadCounts().chunks[k], before[k] + 1);
}

TEST_F(PoolTest, ChunksAreCutInAddressOrderAndHeadersCarryClassAndRecord) {
  for (int k = 0; k < kSizeClassCount; ++k) {
    void* a = PoolAlloc(heap, kClassSizes[k]);
    void* b = PoolAlloc(heap, kClassSizes[k]);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(Distance(a, b), kClassSizes[k] + 8) << "class " << k;
    EXPECT_EQ(BlockTag(a), static_cast<unsigned>(k));
    EXPECT_EQ(BlockHeap(a), heap);
    std::memset(a, 0x5A, kClassSizes[k]);  // the caller owns every byte (ASan)
    EXPECT_EQ(BlockTag(b), static_cast<unsigned>(k));  // neighbour's header intact
  }
}

TEST_F(PoolTest, FreedBlocksAreReusedWithinTheirClassOnly) {
  void* a = PoolAlloc(heap, 20);  // class 32
  ASSERT_NE(a, nullptr);
  PoolFree(a);
  void* small = PoolAlloc(heap, 10);  // class 16: not the freed block
  EXPECT_NE(small, a);
  EXPECT_EQ(PoolAlloc(heap, 30), a);  // same class: reused, last freed first
  void* b = PoolAlloc(heap, 32);
  PoolFree(a);
  PoolFree(b);
  EXPECT_EQ(PoolAlloc(heap, 17), b);
  EXPECT_EQ(PoolAlloc(heap, 17), a);
}

TEST_F(PoolTest, ExhaustedClassTakesAnotherChunk) {
  int before = ReadCounts().chunks[8];
  std::vector<void*> blocks;
  blocks.push_back(PoolAlloc(heap, 200));  // takes the first chunk of all classes
  int first = ReadCounts().chunks[8];
  EXPECT_EQ(first, before + 1);
  for (int i = 1; i < BlocksPerChunk(8); ++i) blocks.push_back(PoolAlloc(heap, 248));
  EXPECT_EQ(ReadCounts().chunks[8], first);
  void* extra = PoolAlloc(heap, 248);
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(ReadCounts().chunks[8], first + 1);
  for (void* p : blocks) EXPECT_NE(p, extra);
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
  EXPECT_GE(HeapBytes(heap), bytes + 249 + 8);
  std::memset(big, 1, 249);
  PoolFree(big);
  EXPECT_EQ(HeapBytes(heap), bytes);
  PoolFree(pooled);  // back on its free list, the heap keeps the chunk
  EXPECT_EQ(HeapBytes(heap), bytes);
}

TEST_F(PoolTest, SharedEmptyText) {
  char* e = SharedEmptyText();
  EXPECT_EQ(TextAlloc(heap, 0), e);
  EXPECT_EQ(TextAlloc(heap, 1), e);
  EXPECT_EQ(TextAlloc(nullptr, 1), e);
  EXPECT_EQ(e[0], '\0');
  TextFree(e);
  TextFree(nullptr);
  char* two = TextAlloc(heap, 2);
  ASSERT_NE(two, e);
  EXPECT_EQ(BlockTag(two), 0u);
  EXPECT_EQ(TextAlloc(heap, 1), e);  // freeing the shared text changed nothing
}

TEST_F(PoolTest, ResizeKeepsTheBlockWhileItsClassFits) {
  char* t = TextAlloc(heap, 10);  // class 16
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(TextResize(heap, t, 15), t);
  EXPECT_EQ(TextResize(heap, t, 16), t);
  char* bigger = TextResize(heap, t, 17);
  ASSERT_NE(bigger, t);
  EXPECT_EQ(BlockTag(bigger), 2u);  // class 32
  EXPECT_EQ(TextAlloc(heap, 12), t);  // the old block went back to class 16
  // From the shared empty text or null, resizing takes a new block.
  char* fromEmpty = TextResize(heap, SharedEmptyText(), 5);
  EXPECT_NE(fromEmpty, SharedEmptyText());
  EXPECT_EQ(BlockTag(fromEmpty), 0u);
  // A heap block is freed to the heap when replaced.
  std::size_t bytes = HeapBytes(heap);
  char* large = TextResize(heap, nullptr, 300);
  ASSERT_NE(large, nullptr);
  EXPECT_EQ(BlockTag(large), kTagLarge);
  char* back = TextResize(heap, large, 10);
  EXPECT_EQ(BlockTag(back), 1u);
  EXPECT_EQ(HeapBytes(heap), bytes);
}

TEST_F(PoolTest, SetTextCopiesReusesAndClears) {
  char* field = nullptr;
  ASSERT_TRUE(SetText(heap, field, "0123456789"));
  char* block = field;
  EXPECT_STREQ(field, "0123456789");
  ASSERT_TRUE(SetText(heap, field, "short"));
  EXPECT_EQ(field, block);
  EXPECT_STREQ(field, "short");
  ASSERT_TRUE(SetText(heap, field, ""));  // an empty text still takes a block
  EXPECT_NE(field, SharedEmptyText());
  std::string longText(400, 'x');
  ASSERT_TRUE(SetText(heap, field, longText.c_str()));
  EXPECT_EQ(field, longText);
  ASSERT_TRUE(SetText(heap, field, field + 100));  // source inside the old heap block
  EXPECT_EQ(std::string(field), std::string(300, 'x'));
  ASSERT_TRUE(SetText(heap, field, nullptr));
  EXPECT_EQ(field, nullptr);
  // Without a record the general allocator serves (freed again: leak checkers).
  ASSERT_TRUE(SetText(nullptr, field, "outside"));
  EXPECT_EQ(BlockTag(field), kTagGeneral);
  TextFree(field);
}

TEST_F(PoolTest, CountedAllocationsAreCounted) {
  int before = ReadCounts().large;
  char* a = CountedAlloc(heap, 10);
  char* b = CountedAlloc(heap, 1000);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(ReadCounts().large, before + 2);
  EXPECT_EQ(BlockTag(a), kTagLarge);
  std::size_t bytes = HeapBytes(heap);
  TextFree(b);
  EXPECT_LE(HeapBytes(heap), bytes - 1000);
  EXPECT_EQ(ReadCounts().zero, 0);
}

TEST_F(PoolTest, MapNodePool) {
  EXPECT_EQ(HeapAllocMapNode(nullptr), nullptr);
  std::size_t bytes = HeapBytes(heap);
  std::vector<char*> cells;
  cells.push_back(static_cast<char*>(HeapAllocMapNode(heap)));
  ASSERT_NE(cells[0], nullptr);
  std::size_t oneChunk = HeapBytes(heap) - bytes;
  EXPECT_GE(oneChunk, kMapChunkBytes);
  for (std::size_t i = 0; i < kMapCellBytes - 8; ++i) ASSERT_EQ(cells[0][i], 0);  // zero-filled
  for (std::size_t i = 1; i < kMapChunkBytes / kMapCellBytes; ++i)
    cells.push_back(static_cast<char*>(HeapAllocMapNode(heap)));
  EXPECT_EQ(Distance(cells[0], cells[1]), static_cast<std::ptrdiff_t>(kMapCellBytes));
  EXPECT_EQ(HeapBytes(heap) - bytes, oneChunk);  // 1023 cells: one chunk
  void* next = HeapAllocMapNode(heap);
  EXPECT_EQ(HeapBytes(heap) - bytes, 2 * oneChunk);  // the 1024th takes a second
  for (char* c : cells) std::memset(c, 0x77, kMapCellBytes - 8);  // ASan: room for a node
  EXPECT_EQ(HeapFreeMapNode(heap, cells[5]), 1);
  EXPECT_EQ(HeapFreeMapNode(heap, next), 1);
  EXPECT_EQ(HeapAllocMapNode(heap), next);  // last freed, first reused
  EXPECT_EQ(HeapAllocMapNode(heap), cells[5]);
}

TEST_F(PoolTest, ListNodePool) {
  EXPECT_EQ(HeapAllocListNode(nullptr), nullptr);
  std::size_t bytes = HeapBytes(heap);
  std::vector<char*> cells;
  for (std::size_t i = 0; i < kListChunkBytes / kListCellBytes; ++i)
    cells.push_back(static_cast<char*>(HeapAllocListNode(heap)));
  std::size_t oneChunk = HeapBytes(heap) - bytes;
  EXPECT_GE(oneChunk, kListChunkBytes);
  EXPECT_LT(oneChunk, kListChunkBytes + 64);
  EXPECT_EQ(Distance(cells[0], cells[1]), static_cast<std::ptrdiff_t>(kListCellBytes));
  ASSERT_NE(HeapAllocListNode(heap), nullptr);
  EXPECT_EQ(HeapBytes(heap) - bytes, 2 * oneChunk);
  for (char* c : cells) std::memset(c, 0x33, kListCellBytes - 8);
  EXPECT_EQ(HeapFreeListNode(heap, cells[7]), 1);
  EXPECT_EQ(HeapAllocListNode(heap), cells[7]);
}

TEST_F(PoolTest, ExhaustionGivesNullAndNothingBreaks) {
  {
    FailAfter fail(1);  // the table of free-list heads
    EXPECT_EQ(PoolAlloc(heap, 8), nullptr);
  }
  {
    FailAfter fail(2);  // the chunk of class 0 fails; the other classes get theirs
    void* p = PoolAlloc(heap, 50);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(BlockTag(p), 3u);
  }
  {
    FailAfter fail(1);  // class 0 has no chunk yet: its next chunk fails
    EXPECT_EQ(PoolAlloc(heap, 8), nullptr);
  }
  EXPECT_NE(PoolAlloc(heap, 8), nullptr);
  {
    FailAfter fail(1);
    EXPECT_EQ(PoolAlloc(heap, 1000), nullptr);
  }
  {
    FailAfter fail(1);
    EXPECT_EQ(HeapAllocMapNode(heap), nullptr);
  }
  {
    FailAfter fail(1);
    EXPECT_EQ(HeapAllocListNode(heap), nullptr);
  }
  {
    FailAfter fail(1);
    EXPECT_EQ(CountedAlloc(heap, 10), nullptr);
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
  EXPECT_NE(HeapAllocMapNode(heap), nullptr);
  EXPECT_NE(HeapAllocListNode(heap), nullptr);
}
