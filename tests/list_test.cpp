// RelLinkedList: order, removal, shared nodes after assignment, node pools.
// The cases run with a session record and with none (general allocator).
#include <vector>

#include "fixture.h"

namespace {

class ListTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    session = AllocSession();
    ASSERT_NE(session, nullptr);
    heap = GetParam() ? session->GetHeap() : nullptr;
  }
  void TearDown() override {
    list.clear(heap);
    delete session;
  }
  std::vector<int*> Items() const {
    std::vector<int*> v;
    for (auto it = list.begin(); it != list.end(); ++it) v.push_back(*it);
    return v;
  }
  SSession* session = nullptr;
  HANDLEMA* heap = nullptr;
  int a = 1, b = 2, c = 3;
  RelLinkedList<int*> list;
};

TEST_P(ListTest, HeadInsertionReversesAppendKeepsOrder) {
  for (int* p : {&a, &b, &c}) ASSERT_TRUE(list.insert(p, heap));
  EXPECT_EQ(Items(), (std::vector<int*>{&c, &b, &a}));
  list.clear(heap);
  EXPECT_EQ(list.size(), 0u);
  list.clear(heap);  // clearing an empty list does nothing
  for (int* p : {&a, &b, &c}) ASSERT_TRUE(list.append(p, heap));
  EXPECT_EQ(Items(), (std::vector<int*>{&a, &b, &c}));
  EXPECT_EQ(*list.find(&b), &b);
  int absent = 4;
  EXPECT_TRUE(list.find(&absent) == list.end());
}

TEST_P(ListTest, EraseByValueAndPosition) {
  EXPECT_FALSE(list.erase(&a, heap));  // empty list
  for (int* p : {&a, &b, &a, &c}) list.append(p, heap);
  EXPECT_TRUE(list.erase(&a, heap));  // the first occurrence only
  EXPECT_EQ(Items(), (std::vector<int*>{&b, &a, &c}));
  EXPECT_TRUE(list.remove(&a, heap));
  EXPECT_FALSE(list.erase(&a, heap));
  EXPECT_EQ(Items(), (std::vector<int*>{&b, &c}));
  RelLinkedList<int*> other;
  other.insert(&b, heap);
  EXPECT_FALSE(list.erase(other.begin(), heap));  // a node of another list
  EXPECT_FALSE(list.erase(list.end(), heap));
  EXPECT_TRUE(list.erase(list.find(&c), heap));  // the tail
  EXPECT_TRUE(list.erase(list.begin(), heap));   // the last one
  EXPECT_EQ(list.size(), 0u);
  other.clear(heap);
}

TEST_P(ListTest, InsertAtPositionWarnsUnlessEnd) {
  list.insert(&a, heap);
  testing::internal::CaptureStdout();
  list.insert(list.end(), &b, heap);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  testing::internal::CaptureStdout();
  list.insert(list.find(&a), &c, heap);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Trouble: insert() called with non-end() iterator\n");
  EXPECT_EQ(Items(), (std::vector<int*>{&c, &b, &a}));
}

TEST_P(ListTest, AssignmentSharesNodes) {
  list.insert(&a, heap);
  list.insert(&b, heap);
  RelLinkedList<int*> copy;
  copy = list;
  list.insert(&c, heap);  // a new head: the copy does not see it
  EXPECT_EQ(copy.size(), 2u);
  list.erase(&a, heap);  // a node both reach
  EXPECT_EQ(copy.size(), 1u);
  EXPECT_EQ(*copy.begin(), &b);
}

INSTANTIATE_TEST_SUITE_P(HeapOrNot, ListTest, ::testing::Bool());

TEST(List, NodesComeFromTheSessionPoolAndGoBackToIt) {
  SSession* s = AllocSession();
  ASSERT_NE(s, nullptr);
  HANDLEMA* heap = s->GetHeap();
  int x = 0, y = 0;
  RelLinkedList<int*> list;
  list.insert(&x, heap);
  char* node = reinterpret_cast<char*>(list.begin().node());
  char* cell = node - 8;  // a cell is a link word and a node
  EXPECT_EQ(heap->listNodeFree, cell + 24);
  list.erase(&x, heap);
  EXPECT_EQ(heap->listNodeFree, cell);
  list.insert(&y, heap);
  EXPECT_EQ(reinterpret_cast<char*>(list.begin().node()), node);
  {
    RelLinkedList<int*> scoped;  // its destructor frees nothing
    scoped.insert(&x, heap);
    list = scoped;
  }
  EXPECT_EQ(*list.begin(), &x);
  // With the pool drained and the heap failing, insertion reports false and
  // leaves the list as it was.
  while (heap->listNodeFree) ASSERT_TRUE(list.append(&y, heap));
  unsigned n = list.size();
  for (int i = 0; i < 2; ++i) {
    tavrin_test::FailAfter fail(1);
    EXPECT_FALSE(i ? list.append(&x, heap) : list.insert(&x, heap));
  }
  EXPECT_EQ(list.size(), n);
  EXPECT_EQ(*list.begin(), &x);
  delete s;
}

}  // namespace
