// Private heaps: blocks, accounting, one-call destruction, injected failure.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "fixture.h"

using namespace tavrin;

TEST(PrivateHeap, BlocksAreAlignedDistinctAndAccounted) {
  PrivateHeap* h = HeapCreate();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(HeapBytesInUse(h), 0u);
  std::vector<char*> blocks;
  for (std::size_t n : {1u, 7u, 16u, 100u, 4096u, 65504u}) {
    char* b = static_cast<char*>(HeapAlloc(h, n));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(b) % 16, 0u);
    std::memset(b, 0xA5, n);  // the whole block is writable (ASan checks)
    blocks.push_back(b);
  }
  std::size_t held = HeapBytesInUse(h);
  EXPECT_GT(held, 1u + 7 + 16 + 100 + 4096 + 65504);
  // Freeing one block in the middle of the heap's chain gives back its bytes
  // and leaves the others intact.
  HeapFree(h, blocks[3]);
  EXPECT_LE(HeapBytesInUse(h), held - 100);
  EXPECT_EQ(static_cast<unsigned char>(blocks[4][4095]), 0xA5);
  HeapFree(h, nullptr);
  HeapFree(nullptr, blocks[0]);  // ignored: no heap given
  // Destruction releases the blocks never freed one by one (leak checkers
  // would report them otherwise).
  HeapDestroy(h);
  HeapDestroy(nullptr);
}

TEST(PrivateHeap, ZeroFilledBlocks) {
  PrivateHeap* h = HeapCreate();
  ASSERT_NE(h, nullptr);
  // Reuse freed memory first so that zeroes are not an accident of fresh pages.
  void* dirty = HeapAlloc(h, 4000);
  ASSERT_NE(dirty, nullptr);
  std::memset(dirty, 0xFF, 4000);
  HeapFree(h, dirty);
  unsigned char* z = static_cast<unsigned char*>(HeapAllocZero(h, 4000));
  ASSERT_NE(z, nullptr);
  for (int i = 0; i < 4000; ++i) ASSERT_EQ(z[i], 0) << "byte " << i;
  HeapDestroy(h);
}

TEST(PrivateHeap, FailureHookFailsExactlyTheNthAllocation) {
  PrivateHeap* h = HeapCreate();
  ASSERT_NE(h, nullptr);
  {
    tavrin_test::FailAfter fail(3);
    EXPECT_NE(HeapAlloc(h, 8), nullptr);
    EXPECT_NE(HeapAllocZero(h, 8), nullptr);
    EXPECT_EQ(HeapAlloc(h, 8), nullptr);
    EXPECT_NE(HeapAlloc(h, 8), nullptr);  // one failure only
  }
  EXPECT_EQ(HeapAlloc(nullptr, 8), nullptr);
  EXPECT_EQ(HeapAlloc(h, std::size_t(-1) / 2), nullptr);  // absurd size: null, no wrap-around
  EXPECT_EQ(HeapBytesInUse(nullptr), 0u);
  HeapDestroy(h);
}

namespace {
long VirtualKb() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmSize:", 0) == 0) return std::stol(line.substr(7));
  return -1;
}
}  // namespace

TEST(PrivateHeap, ChunksAreAlignedZeroedCountedAndUnmappedOnDestroy) {
  long before = VirtualKb();
  PrivateHeap* h = HeapCreate();
  ASSERT_NE(h, nullptr);
  // Enough 64 KB chunks to fill several regions, then one larger than any
  // region the heap picks by itself, then a small one.
  std::vector<unsigned char*> chunks;
  for (int i = 0; i < 300; ++i)
    chunks.push_back(static_cast<unsigned char*>(HeapAllocChunk(h, 65504)));
  std::size_t total = 300 * 65504;
  chunks.push_back(static_cast<unsigned char*>(HeapAllocChunk(h, std::size_t(100) << 20)));
  chunks.push_back(static_cast<unsigned char*>(HeapAllocChunk(h, 72)));
  total += (std::size_t(100) << 20) + 72;
  EXPECT_EQ(HeapBytesInUse(h), total);
  auto sizeOf = [](std::size_t i) { return i < 300 ? 65504 : (i == 300 ? std::size_t(100) << 20 : 72); };
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    unsigned char* c = chunks[i];
    ASSERT_NE(c, nullptr) << i;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(c) % 64, 0u);
    std::size_t size = sizeOf(i);
    EXPECT_EQ(c[0] | c[size / 2] | c[size - 1], 0) << i;
    c[0] = static_cast<unsigned char>(i * 7 + 1);  // writable to the end ...
    c[size - 1] = static_cast<unsigned char>(i * 13 + 5);
  }
  for (std::size_t i = 0; i < chunks.size(); ++i) {  // ... and no two overlap
    ASSERT_EQ(chunks[i][0], static_cast<unsigned char>(i * 7 + 1)) << i;
    ASSERT_EQ(chunks[i][sizeOf(i) - 1], static_cast<unsigned char>(i * 13 + 5)) << i;
  }
  {
    tavrin_test::FailAfter fail(1);
    EXPECT_EQ(HeapAllocChunk(h, 64), nullptr);
  }
  EXPECT_EQ(HeapAllocChunk(nullptr, 64), nullptr);
  EXPECT_EQ(HeapAllocChunk(h, std::size_t(-1) / 2), nullptr);
  EXPECT_GT(VirtualKb(), before + 100 * 1024);
  HeapDestroy(h);
  // The regions are returned to the system (leak checkers do not see them).
  EXPECT_LT(VirtualKb(), before + 4 * 1024);
}
