// Private heaps: blocks, chunks, accounting, one-call destruction.
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

// Blocks are 16-byte aligned and freed alone (also from the middle of the
// heap's chain), a zeroed block is zero on dirty memory, chunks (filling
// several regions, one larger than any region the heap picks by itself) are
// 64-byte aligned, zero, disjoint and counted. Destroying the heap frees the
// blocks never freed alone (leak checkers verify) and unmaps the regions.
TEST(PrivateHeap, BlocksChunksAndDestruction) {
  long before = VirtualKb();
  PrivateHeap* h = HeapCreate();
  ASSERT_NE(h, nullptr);
  std::vector<char*> b;
  for (std::size_t n : {1u, 100u, 4096u}) {
    b.push_back(static_cast<char*>(HeapAlloc(h, n)));
    ASSERT_NE(b.back(), nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(b.back()) % 16, 0u);
    std::memset(b.back(), 0xA5, n);
  }
  std::size_t held = HeapBytesInUse(h);
  HeapFree(h, b[1]);
  HeapFree(h, nullptr);
  EXPECT_LE(HeapBytesInUse(h), held - 100);
  EXPECT_EQ(static_cast<unsigned char>(b[2][4095]), 0xA5);
  std::memset(HeapAlloc(h, 4000), 0xFF, 4000);
  unsigned char* z = static_cast<unsigned char*>(HeapAllocZero(h, 8000));
  EXPECT_EQ(std::vector<unsigned char>(z, z + 8000), std::vector<unsigned char>(8000, 0));
  for (void* p : {HeapAlloc(nullptr, 8), HeapAllocChunk(nullptr, 8), HeapAlloc(h, std::size_t(-1) / 2),
                  HeapAllocChunk(h, std::size_t(-1) / 2)})
    EXPECT_EQ(p, nullptr);
  std::vector<std::size_t> sizes(300, 65504);
  sizes.push_back(std::size_t(100) << 20);
  sizes.push_back(72);
  std::vector<unsigned char*> chunks;
  std::size_t total = HeapBytesInUse(h);
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    unsigned char* c = static_cast<unsigned char*>(HeapAllocChunk(h, sizes[i]));
    ASSERT_NE(c, nullptr) << i;
    total += sizes[i];
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(c) % 64, 0u);
    EXPECT_EQ(c[0] | c[sizes[i] / 2] | c[sizes[i] - 1], 0) << i;
    c[0] = static_cast<unsigned char>(i * 7 + 1);
    c[sizes[i] - 1] = static_cast<unsigned char>(i * 13 + 5);
    chunks.push_back(c);
  }
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    ASSERT_EQ(chunks[i][0], static_cast<unsigned char>(i * 7 + 1)) << i;
    ASSERT_EQ(chunks[i][sizes[i] - 1], static_cast<unsigned char>(i * 13 + 5)) << i;
  }
  EXPECT_EQ(HeapBytesInUse(h), total);
  EXPECT_GT(VirtualKb(), before + 100 * 1024);
  HeapDestroy(h);
  HeapDestroy(nullptr);
  EXPECT_LT(VirtualKb(), before + 4 * 1024);
}
