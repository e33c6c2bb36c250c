// Private heaps: blocks, chunks, accounting, one-call destruction.
#include <algorithm>

#include "fixture.h"

using namespace tavrin;

namespace {
long VirtualKb() {
  long pages = -1;
  std::ifstream("/proc/self/statm") >> pages;
  return pages * (sysconf(_SC_PAGESIZE) / 1024);
}
}  // namespace

// Chunks over several regions, one larger than any the heap picks; all unmapped at once.
TEST(PrivateHeap, BlocksChunksAndDestruction) {
  long before = VirtualKb();
  PrivateHeap* h = HeapCreate();
  for (std::size_t n : {1, 100, 4000}) {
    void* p = HeapAlloc(h, n);
    ASSERT_TRUE(p && reinterpret_cast<std::uintptr_t>(p) % 16 == 0) << n;
    std::memset(p, 0xFF, n);
  }
  HeapFree(h, nullptr);
  unsigned char* z = static_cast<unsigned char*>(HeapAllocZero(h, 8000));
  EXPECT_EQ(std::vector<unsigned char>(z, z + 8000), std::vector<unsigned char>(8000, 0));
  for (void* p : {HeapAlloc(nullptr, 8), HeapAllocChunk(nullptr, 8), HeapAlloc(h, std::size_t(-1) / 2),
                  HeapAllocChunk(h, std::size_t(-1) / 2)})
    EXPECT_EQ(p, nullptr);
  std::vector<std::size_t> sizes(300, 65504);
  sizes.insert(sizes.end(), {std::size_t(100) << 20, 72});
  std::vector<std::pair<unsigned char*, std::size_t>> chunks;  // start, size
  std::size_t total = HeapBytesInUse(h);
  for (std::size_t n : sizes) {
    unsigned char* c = static_cast<unsigned char*>(HeapAllocChunk(h, n));
    ASSERT_TRUE(c && reinterpret_cast<std::uintptr_t>(c) % 64 == 0) << n;
    EXPECT_EQ(c[0] | c[n / 2] | c[n - 1], 0) << n;
    chunks.emplace_back(c, n);
    total += n;
  }
  std::sort(chunks.begin(), chunks.end());
  for (std::size_t i = 1; i < chunks.size(); ++i)
    ASSERT_TRUE(chunks[i - 1].first + chunks[i - 1].second <= chunks[i].first) << i;
  EXPECT_EQ(HeapBytesInUse(h), total);
  EXPECT_GT(VirtualKb(), before + 100 * 1024);
  HeapDestroy(h);
  HeapDestroy(nullptr);
  EXPECT_LT(VirtualKb(), before + 4 * 1024);
}
