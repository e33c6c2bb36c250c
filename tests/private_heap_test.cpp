// Private heaps: blocks, chunks, accounting, one-call destruction, injected
// failure.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "fixture.h"

using namespace tavrin;

namespace {
long VirtualKb() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmSize:", 0) == 0) return std::stol(line.substr(7));
  return -1;
}
}  // namespace

TEST(PrivateHeap, BlocksAreAlignedAccountedAndFreedAlone) {
  PrivateHeap* h = HeapCreate();
  ASSERT_NE(h, nullptr);
  std::vector<char*> blocks;
  for (std::size_t n : {1u, 100u, 4096u}) {
    blocks.push_back(static_cast<char*>(HeapAlloc(h, n)));
    ASSERT_NE(blocks.back(), nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(blocks.back()) % 16, 0u);
    std::memset(blocks.back(), 0xA5, n);
  }
  std::size_t held = HeapBytesInUse(h);
  EXPECT_GT(held, 4197u);
  HeapFree(h, blocks[1]);  // from the middle of the heap's chain
  EXPECT_LE(HeapBytesInUse(h), held - 100);
  EXPECT_EQ(static_cast<unsigned char>(blocks[2][4095]), 0xA5);
  std::memset(HeapAlloc(h, 4000), 0xFF, 4000);  // dirty memory for the zeroed block
  unsigned char* z = static_cast<unsigned char*>(HeapAllocZero(h, 8000));
  for (int i = 0; i < 8000; ++i) ASSERT_EQ(z[i], 0) << i;
  HeapFree(h, nullptr);
  HeapDestroy(h);  // frees the blocks never freed alone (leak checkers verify)
  HeapDestroy(nullptr);
}

TEST(PrivateHeap, ChunksAreAlignedZeroedCountedAndUnmappedOnDestroy) {
  long before = VirtualKb();
  PrivateHeap* h = HeapCreate();
  ASSERT_NE(h, nullptr);
  // Enough 64 KB chunks to fill several regions, one larger than any region
  // the heap picks by itself, and a small one.
  std::vector<std::size_t> sizes(300, 65504);
  sizes.push_back(std::size_t(100) << 20);
  sizes.push_back(72);
  std::vector<unsigned char*> chunks;
  std::size_t total = 0;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    unsigned char* c = static_cast<unsigned char*>(HeapAllocChunk(h, sizes[i]));
    ASSERT_NE(c, nullptr) << i;
    total += sizes[i];
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(c) % 64, 0u);
    EXPECT_EQ(c[0] | c[sizes[i] / 2] | c[sizes[i] - 1], 0) << i;
    c[0] = static_cast<unsigned char>(i * 7 + 1);  // writable to the end ...
    c[sizes[i] - 1] = static_cast<unsigned char>(i * 13 + 5);
    chunks.push_back(c);
  }
  for (std::size_t i = 0; i < chunks.size(); ++i) {  // ... and no two overlap
    ASSERT_EQ(chunks[i][0], static_cast<unsigned char>(i * 7 + 1)) << i;
    ASSERT_EQ(chunks[i][sizes[i] - 1], static_cast<unsigned char>(i * 13 + 5)) << i;
  }
  EXPECT_EQ(HeapBytesInUse(h), total);
  EXPECT_GT(VirtualKb(), before + 100 * 1024);
  HeapDestroy(h);
  EXPECT_LT(VirtualKb(), before + 4 * 1024);  // the regions went back to the system
}

TEST(PrivateHeap, FailureHookFailsExactlyTheNthAllocation) {
  PrivateHeap* h = HeapCreate();
  ASSERT_NE(h, nullptr);
  {
    tavrin_test::FailAfter fail(3);
    EXPECT_NE(HeapAlloc(h, 8), nullptr);
    EXPECT_NE(HeapAllocChunk(h, 8), nullptr);
    EXPECT_EQ(HeapAllocZero(h, 8), nullptr);
    EXPECT_NE(HeapAlloc(h, 8), nullptr);  // one failure only
  }
  for (void* p : {HeapAlloc(nullptr, 8), HeapAllocChunk(nullptr, 8), HeapAlloc(h, std::size_t(-1) / 2),
                  HeapAllocChunk(h, std::size_t(-1) / 2)})
    EXPECT_EQ(p, nullptr);
  HeapDestroy(h);
}
