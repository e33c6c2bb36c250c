// RelLinkedList, with a session record and with none (general allocator).
#include "fixture.h"

namespace {

using tavrin_test::Items;
typedef std::vector<int*> V;

class ListTest : public tavrin_test::SessionHeapOrNot {
 protected:
  void TearDown() override {
    list.clear(heap);
    SessionHeapOrNot::TearDown();
  }
  int a = 1, b = 2, c = 3;
  RelLinkedList<int*> list;
};

// Insertion before other than end() warns and goes to the head; a copy shares the nodes (none freed
// twice); removal by value takes the first occurrence, by position only a node of this list.
TEST_P(ListTest, InsertAppendCopiesAndErase) {
  EXPECT_FALSE(list.erase(&a, heap));  // empty list
  for (int* p : {&a, &b, &c}) ASSERT_TRUE(list.insert(p, heap));
  EXPECT_EQ(Items(list), (V{&c, &b, &a}));
  {
    RelLinkedList<int*> copy;
    copy = list;
    list.insert(&a, heap);
    list.erase(&b, heap);
    EXPECT_EQ(Items(copy), (V{&c, &a}));
  }
  list.clear(heap);
  for (int* p : {&a, &b}) ASSERT_TRUE(list.append(p, heap));
  testing::internal::CaptureStdout();
  list.insert(list.end(), &c, heap);
  list.insert(list.find(&b), &c, heap);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Trouble: insert() called with non-end() iterator\n");
  EXPECT_EQ(Items(list), (V{&c, &c, &a, &b}));
  list.append(&a, heap);
  EXPECT_TRUE(list.erase(&a, heap));
  EXPECT_EQ(Items(list), (V{&c, &c, &b, &a}));
  RelLinkedList<int*> other;
  other.insert(&b, heap);
  EXPECT_FALSE(list.erase(other.begin(), heap) || list.erase(list.end(), heap));
  other.clear(heap);
  EXPECT_TRUE(list.erase(list.find(&a), heap));  // the tail
  EXPECT_TRUE(list.erase(list.begin(), heap));
  EXPECT_EQ(Items(list), (V{&c, &b}));
}

INSTANTIATE_TEST_SUITE_P(HeapOrNot, ListTest, ::testing::Bool());

}  // namespace
