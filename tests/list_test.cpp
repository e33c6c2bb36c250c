// RelLinkedList, with a session record and with none (general allocator).
#include <vector>

#include "fixture.h"

namespace {

std::vector<int*> Items(const RelLinkedList<int*>& list) {
  std::vector<int*> v;
  for (auto it = list.begin(); it != list.end(); ++it) v.push_back(*it);
  return v;
}

class ListTest : public tavrin_test::SessionHeapOrNot {
 protected:
  void TearDown() override {
    list.clear(heap);
    SessionHeapOrNot::TearDown();
  }
  int a = 1, b = 2, c = 3;
  RelLinkedList<int*> list;
};

// Head insertion reverses, append keeps order; insertion at a position other
// than end() warns and still goes to the head; clear empties. Assignment
// shares the nodes: a new head of one is not seen by the other, a node
// removed from one is gone from both.
TEST_P(ListTest, InsertAppendClearAssign) {
  list.clear(heap);  // clearing an empty list does nothing
  for (int* p : {&a, &b, &c}) ASSERT_TRUE(list.insert(p, heap));
  EXPECT_EQ(Items(list), (std::vector<int*>{&c, &b, &a}));
  RelLinkedList<int*> copy;
  copy = list;
  list.insert(&a, heap);
  list.erase(&b, heap);
  EXPECT_EQ(Items(copy), (std::vector<int*>{&c, &a}));
  list.clear(heap);
  EXPECT_EQ(list.size(), 0u);
  for (int* p : {&a, &b}) ASSERT_TRUE(list.append(p, heap));
  testing::internal::CaptureStdout();
  list.insert(list.end(), &c, heap);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  testing::internal::CaptureStdout();
  list.insert(list.find(&b), &c, heap);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Trouble: insert() called with non-end() iterator\n");
  EXPECT_EQ(Items(list), (std::vector<int*>{&c, &c, &a, &b}));
}

// Removal by value takes the first occurrence only; by position only a node
// of this list; both report false when nothing is removed.
TEST_P(ListTest, EraseByValueAndPosition) {
  EXPECT_FALSE(list.erase(&a, heap));  // empty list
  for (int* p : {&a, &b, &a, &c}) list.append(p, heap);
  EXPECT_TRUE(list.erase(&a, heap));
  EXPECT_EQ(Items(list), (std::vector<int*>{&b, &a, &c}));
  EXPECT_TRUE(list.remove(&a, heap));
  EXPECT_FALSE(list.erase(&a, heap));
  RelLinkedList<int*> other;
  other.insert(&b, heap);
  EXPECT_FALSE(list.erase(other.begin(), heap));
  EXPECT_FALSE(list.erase(list.end(), heap));
  EXPECT_TRUE(list.erase(list.find(&c), heap));  // the tail
  EXPECT_TRUE(list.erase(list.begin(), heap));   // the last one
  EXPECT_TRUE(list.begin() == list.end());
  other.clear(heap);
}

INSTANTIATE_TEST_SUITE_P(HeapOrNot, ListTest, ::testing::Bool());

// Nodes come from the session's list-node pool and go back to it; the
// destructor frees nothing; a failed node allocation leaves the list as it was.
TEST(List, NodesComeFromTheSessionPool) {
  SSession* s = AllocSession();
  ASSERT_NE(s, nullptr);
  HANDLEMA* heap = s->GetHeap();
  int x = 0;
  RelLinkedList<int*> list;
  {
    RelLinkedList<int*> scoped;
    scoped.insert(&x, heap);
    list = scoped;
  }
  char* cell = reinterpret_cast<char*>(list.begin().node()) - 8;  // a link word and a node
  EXPECT_NE(heap->listNodeFree, cell);
  list.erase(&x, heap);
  EXPECT_EQ(heap->listNodeFree, cell);
  while (heap->listNodeFree) ASSERT_TRUE(list.append(&x, heap));
  unsigned n = list.size();
  for (int i = 0; i < 2; ++i) {
    tavrin_test::FailAfter fail(1);
    EXPECT_FALSE(i ? list.append(&x, heap) : list.insert(&x, heap));
  }
  EXPECT_EQ(list.size(), n);
  delete s;
}

}  // namespace
