// The reference numbering of a save: one index per object, whatever base a pointer names.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "persist/reference_index.h"
#include "tavrin/core.h"

namespace {

struct Left : TavrinObject { const char* GetClassName() const override { return "class Left"; } };
struct Right : TavrinObject { const char* GetClassName() const override { return "class Right"; } };
struct Both : Left, Right { const char* GetClassName() const override { return "class Both"; } };

const TavrinObject* ViaRight(const Both& b) { return static_cast<const Right*>(&b); }
const TavrinObject* ViaLeft(const Both& b) { return static_cast<const Left*>(&b); }

// Objects on the heap and on the stack lie in different address windows; either may come first.
TEST(ReferenceIndexTest, OneIndexPerObjectWhateverBaseOrPlaceAcrossGrowth) {
  for (bool stackFirst : {true, false}) {
    tavrin::ReferenceIndex refs(0);
    Both onStack;
    std::vector<std::unique_ptr<Both>> onHeap;
    for (int i = 0; i < 5000; ++i) onHeap.emplace_back(new Both);
    EXPECT_EQ(refs.IndexOf(nullptr), 0);
    std::vector<int64_t> first;
    if (stackFirst) first.push_back(refs.IndexOf(ViaRight(onStack)));
    for (std::size_t i = 0; i < onHeap.size(); ++i)
      first.push_back(refs.IndexOf(i % 2 ? ViaRight(*onHeap[i]) : ViaLeft(*onHeap[i])));
    if (!stackFirst) first.push_back(refs.IndexOf(ViaRight(onStack)));
    for (std::size_t i = 0; i < first.size(); ++i) ASSERT_EQ(first[i], int64_t(i + 1));
    ASSERT_EQ(refs.Count(), onHeap.size() + 2);
    EXPECT_EQ(refs.IndexOf(ViaLeft(onStack)), stackFirst ? 1 : int64_t(onHeap.size() + 1));
    for (std::size_t i = 0; i < onHeap.size(); ++i) {
      int64_t want = static_cast<int64_t>(i) + (stackFirst ? 2 : 1);
      ASSERT_EQ(refs.IndexOf(ViaLeft(*onHeap[i])), want) << i;
      ASSERT_EQ(refs.IndexOf(ViaRight(*onHeap[i])), want) << i;
    }
    EXPECT_STREQ(refs.ClassOf(1), "class Both");
  }
}

}  // namespace
