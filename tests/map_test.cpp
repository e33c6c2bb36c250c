// RelMap against std::map and a newest-first list (int keys are searched as object-pointer keys are).
#include <algorithm>
#include <deque>
#include <list>
#include <map>
#include <random>
#include <set>

#include "fixture.h"

namespace {

int g_values[64];
std::deque<std::string> g_texts;  // stable storage for the text keys

CharM MakeKey(std::mt19937& rng, CharM*) {
  static const char alphabet[] = {'A', 'B', 'a', 'b', 'N', 'n', '\x7f', '\x80', '\xff'};
  std::string s;
  for (int n = rng() % 4; n > 0; --n) s += alphabet[rng() % sizeof alphabet];
  g_texts.push_back(s);  // a fresh copy: replacement must store this pointer
  return CharM(g_texts.back().c_str());
}
int MakeKey(std::mt19937& rng, int*) { return static_cast<int>(rng() % 601) - 300; }
std::string Model(CharM k) { return k.c_str(); }  // ordered as unsigned bytes
int Model(int k) { return k; }

template <class K>
struct Harness {
  typedef decltype(Model(K())) M;
  typedef RelMap<K, int*> Map;
  typedef typename Map::Node Node;

  explicit Harness(HANDLEMA* heap) { map.SetHeap(heap); }
  // Through insert, or through operator[] (which nulls the value first).
  void Insert(K key, int* value, bool viaIndex) {
    if (!model.count(Model(key))) order.push_front(Model(key));
    model[Model(key)] = {key, value};
    int*& slot = viaIndex ? map[key] : map.insert(key, value);
    ASSERT_FALSE(Map::Failed(slot));
    ASSERT_EQ(viaIndex ? std::exchange(slot, value) : nullptr, nullptr);
    ASSERT_EQ(slot, value);
  }
  void EraseByFind(K key) {
    auto it = map.find(key);
    ASSERT_TRUE(it != map.end() && map.erase(it));
    ASSERT_TRUE(map.find(key) == map.end() && !map.eraseKey(key));
    Forget(Model(key));
  }
  // Walks the map erasing under the iterator; every entry is visited once, newest first.
  void WalkErasing(std::mt19937& rng, unsigned percent) {
    std::vector<M> visited, expected(order.begin(), order.end());
    for (auto it = map.begin(); it != map.end(); ++it) {
      visited.push_back(Model(it->first));
      if (rng() % 100 >= percent) continue;
      if (it.node()->left && it.node()->right) ++twoChildWalkErases;
      ASSERT_TRUE(map.erase(it));
      Forget(visited.back());
    }
    ASSERT_EQ(visited, expected);
  }
  void Forget(const M& m) { model.erase(m), order.remove(m); }
  // The subtree's height; its nodes are listed in order.
  int CheckTree(Node* n, std::vector<Node*>& inorder) {
    if (!n) return 0;
    int hl = CheckTree(n->left, inorder);
    inorder.push_back(n);
    int hr = CheckTree(n->right, inorder);
    EXPECT_TRUE(n->balance == hr - hl && std::abs(hr - hl) <= 1) << n->balance << " for heights " << hl << ", " << hr;
    return 1 + std::max(hl, hr);
  }
  void Check() {
    std::vector<Node*> inorder;
    CheckTree(map.root(), inorder);
    ASSERT_EQ(inorder.size(), model.size());
    auto mit = model.begin();
    for (Node* n : inorder) {
      ASSERT_EQ(Model(n->first), mit->first);
      ASSERT_TRUE(n->second == mit->second.second && n->first == (mit++)->second.first);  // a replaced key too
    }
    std::set<Node*> treeNodes(inorder.begin(), inorder.end());
    std::vector<M> threaded;
    ASSERT_TRUE(!map.begin().node() || !map.begin().node()->prev);
    for (Node* n = map.begin().node(); n; n = n->next) {
      ASSERT_TRUE(treeNodes.count(n) && (!n->next || n->next->prev == n));
      threaded.push_back(Model(n->first));
    }
    ASSERT_EQ(threaded, std::vector<M>(order.begin(), order.end()));
    ASSERT_EQ(map.size(), model.size());
  }
  Map map;
  std::map<M, std::pair<K, int*>> model;  // key object and value
  std::list<M> order;                     // newest first
  int twoChildWalkErases = 0;
};

template <class K>
void RunRandomized(HANDLEMA* heap) {
  for (unsigned seed : {1, 2, 3}) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    Harness<K> h(heap);
    for (int step = 0; step < 1500 && !::testing::Test::HasFailure(); ++step) {
      unsigned op = rng() % 100;
      if (op < 55 || h.model.empty())
        h.Insert(MakeKey(rng, static_cast<K*>(nullptr)), &g_values[rng() % 64], op % 5 == 0);
      else if (op < 97) h.EraseByFind(std::next(h.model.begin(), rng() % h.model.size())->second.first);
      else h.WalkErasing(rng, 35);
      if (!::testing::Test::HasFatalFailure()) h.Check();
    }
    if (::testing::Test::HasFailure()) return;
    h.WalkErasing(rng, 100);
    h.Check();
    auto none = h.map.begin();
    EXPECT_FALSE(h.map.erase(none));  // the map is empty
    EXPECT_GT(h.twoChildWalkErases, 0) << "the walks must erase nodes with two children";
  }
}

using MapTest = tavrin_test::SessionHeapOrNot;

TEST_P(MapTest, TextKeys) { RunRandomized<CharM>(heap); }
TEST_P(MapTest, IntKeys) { RunRandomized<int>(heap); }

INSTANTIATE_TEST_SUITE_P(HeapOrNot, MapTest, ::testing::Bool());

}  // namespace
