// Pools: size classes, blocks and texts, counters, process-wide tables, exhaustion.
#include "core/pool.h"
#include "fixture.h"

using namespace tavrin;
using tavrin_test::Counts;
using tavrin_test::FailAfter;
using tavrin_test::HeapBytes;

// The tables live from the first live session to the last and come back with zeroed chunk counters.
TEST(PoolDeathTest, TablesLiveFromTheFirstSessionToTheLast) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // re-executes: fresh globals
  Counts c;  // read in the re-executed process, where no session ever existed
  EXPECT_EXIT(std::exit(c.result == 0 && c.classes == 0 && !c.chunks && c.zero == 0 && !TablesBuilt() ? 0 : 1),
              testing::ExitedWithCode(0), "");
  {
    FailAfter fail(2);  // the session block
    EXPECT_EQ(AllocateSession(), nullptr);
  }
  EXPECT_FALSE(TablesBuilt());
  SSession *a = AllocSession(), *b = AllocSession();
  ASSERT_TRUE(a && b && PoolAlloc(a->GetHeap(), 40));
  EXPECT_EQ(Counts().chunks[3], 1);
  delete a;
  EXPECT_EQ(SizeClassOf(40), 3);  // b still lives
  delete b;
  EXPECT_TRUE(SizeClassOf(40) == -1 && Counts().chunks == nullptr && Counts().classes == 9);
  SSession* d = AllocSession();
  for (int k = 0; k < kSizeClassCount; ++k) EXPECT_EQ(Counts().chunks[k], 0) << k;
  delete d;
}

using PoolTest = tavrin_test::SessionTest;

// A record's first block takes one chunk of every class (589,232 bytes); freed blocks go last in, first out.
TEST_F(PoolTest, SizeClassesAndChunks) {
  const std::size_t lo[] = {0, 9, 17, 33, 57, 73, 89, 105, 121};  // the least size of each class
  int before[kSizeClassCount];
  std::memcpy(before, Counts().chunks, sizeof before);
  std::size_t bytes = HeapBytes(heap);
  ASSERT_NE(PoolAlloc(heap, 1), nullptr);
  std::size_t taken = HeapBytes(heap) - bytes;
  EXPECT_TRUE(taken >= 589232u && taken < 589232u + 1024u) << taken;
  for (int k = 0; k < kSizeClassCount; ++k) {
    EXPECT_TRUE(SizeClassOf(lo[k]) == k && SizeClassOf(kClassSizes[k]) == k) << k;
    EXPECT_EQ(Counts().chunks[k], before[k] + 1);
    char* a = static_cast<char*>(PoolAlloc(heap, kClassSizes[k]));
    char* b = static_cast<char*>(PoolAlloc(heap, lo[k]));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(b - a, kClassSizes[k] + 8) << k;
    EXPECT_TRUE(BlockTag(a) == static_cast<unsigned>(k) && BlockTag(b) == BlockTag(a) && BlockHeap(a) == heap) << k;
    std::memset(a, 0x5A, kClassSizes[k]);  // the caller owns every byte (ASan)
  }
  std::vector<void*> blocks;
  while (heap->sizeClassHeads[8]) blocks.push_back(PoolAlloc(heap, 248));
  EXPECT_EQ(blocks.size() + 2, 255u) << "blocks per chunk of the last class";
  ASSERT_NE(PoolAlloc(heap, 200), nullptr);
  EXPECT_EQ(Counts().chunks[8], before[8] + 2);
  PoolFree(blocks[7]);
  PoolFree(blocks[3]);
  EXPECT_NE(PoolAlloc(heap, 120), blocks[3]) << "another class";
  EXPECT_TRUE(PoolAlloc(heap, 121) == blocks[3] && PoolAlloc(heap, 248) == blocks[7]);
}

// Above 248 bytes a block comes from the heap by itself and goes back to it, as counted ones do.
TEST_F(PoolTest, LargeCountedAndTextBlocks) {
  EXPECT_EQ(SizeClassOf(249), -1);
  void* pooled = PoolAlloc(heap, 248);
  std::size_t bytes = HeapBytes(heap);
  void* big = PoolAlloc(heap, 249);
  ASSERT_TRUE(big && BlockTag(big) == kTagLarge && BlockHeap(big) == heap);
  std::memset(big, 1, 249);
  int counted = Counts().large;
  char* c = CountedAlloc(heap, 1000);
  ASSERT_TRUE(c && BlockTag(c) == kTagLarge);
  EXPECT_EQ(Counts().large, counted + 1);
  for (void* p : {big, pooled, static_cast<void*>(c)}) PoolFree(p);
  EXPECT_EQ(HeapBytes(heap), bytes);  // the pooled block stays in its chunk
  for (HANDLEMA* h : {heap, static_cast<HANDLEMA*>(nullptr)})  // sizes that wrap around with the header
    EXPECT_TRUE(!PoolAlloc(h, std::size_t(-1)) && !CountedAlloc(h, std::size_t(-1) - 4)) << h;
  // Texts: one shared empty text below 2 bytes (never freed).
  char* e = SharedEmptyText();
  EXPECT_TRUE(TextAlloc(heap, 0) == e && TextAlloc(heap, 1) == e);
  TextFree(e);
  EXPECT_EQ(e[0], '\0');
  char* field = nullptr;
  ASSERT_TRUE(SetText(heap, field, ""));
  EXPECT_TRUE(field != e && BlockTag(field) == 0u);
  EXPECT_TRUE(SetText(heap, field, nullptr) && field == nullptr);
}

// SetText keeps its block while the new text fits its class, exactly or from inside the block.
TEST_F(PoolTest, SetTextReusesItsBlockUpToAnExactFit) {
  for (int k = 0; k < kSizeClassCount; ++k) {
    std::size_t fit = kClassSizes[k] - 1;  // characters that fill the class with the NUL
    std::string full(fit, 'a'), other(fit, 'b'), smaller(k ? kClassSizes[k - 1] : 1, 'c'), over(fit + 1, 'd');
    char* field = nullptr;
    ASSERT_TRUE(SetText(heap, field, full.c_str()));
    char* block = field;
    for (const std::string* t : {&other, &smaller}) {
      ASSERT_TRUE(SetText(heap, field, t->c_str()));
      EXPECT_TRUE(field == block && *t == field) << k << " " << t->size();
    }
    ASSERT_TRUE(SetText(heap, field, full.c_str()) && SetText(heap, field, field + 1));
    EXPECT_TRUE(field == block && full.substr(1) == field) << k;
    ASSERT_TRUE(SetText(heap, field, over.c_str()));
    EXPECT_TRUE(field != block && over == field) << k;
    EXPECT_EQ(BlockTag(field), k + 1 < kSizeClassCount ? static_cast<unsigned>(k + 1) : kTagLarge) << k;
    EXPECT_TRUE(BlockFreed(block)) << k;
    TextFree(field);
  }
}

// In debug mode a write into a freed block stops the process when the block is handed out again.
TEST(PoolDebugDeathTest, WriteAfterFreeIsFoundOnReuse) {
  ASSERT_TRUE(PoolDebug());
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  SSession* s = AllocSession();
  HANDLEMA* h = s->GetHeap();
  char* live = static_cast<char*>(PoolAlloc(h, 40));
  PoolFree(live);
  EXPECT_TRUE(PoolAlloc(h, 40) == live && !BlockFreed(live)) << "an untouched freed block is handed out again";
  PoolFree(live);
#ifndef __SANITIZE_ADDRESS__  // there AddressSanitizer stops the write itself
  EXPECT_DEATH((live[20] = 1, PoolAlloc(h, 40)), "written at byte 20 after it was freed");
#endif
  delete s;
}

// Exhaustion gives null; an object without a block is not constructed, nor its record passed on.
TEST_F(PoolTest, ExhaustionGivesNullAndNothingBreaks) {
  auto failing = [&](long n, std::size_t size) {  // the n-th heap allocation fails
    FailAfter fail(n);
    return size ? PoolAlloc(heap, size) : static_cast<void*>(CountedAlloc(heap, 10));
  };
  EXPECT_EQ(failing(1, 8), nullptr);                // the table of free-list heads
  EXPECT_EQ(BlockTag(failing(2, 50)), 3u);          // the chunk of class 0; the others get theirs
  EXPECT_NE(PoolAlloc(heap, 8), nullptr);           // class 0 takes its chunk now
  EXPECT_TRUE(!failing(1, 1000) && !failing(1, 0));  // a large block, a counted one
  int k = SizeClassOf(sizeof(SPackageLibrary));
  while (heap->sizeClassHeads[k]) ASSERT_NE(PoolAlloc(heap, kClassSizes[k]), nullptr);
  {
    FailAfter fail(1);
    EXPECT_EQ(new (heap) SPackageLibrary(), nullptr);
  }
  EXPECT_EQ(ClaimPendingHeap(), nullptr);
  SPackageLibrary* lib = new (heap) SPackageLibrary();
  EXPECT_TRUE(lib && lib->GetHeap() == heap);
}
