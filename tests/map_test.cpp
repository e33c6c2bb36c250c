// RelMap: randomized insert / replace / erase (also while walking) against
// std::map and an insertion-order model, for text, integer and object-pointer
// keys, with and without a heap record. The AVL and thread-list invariants are
// verified after every step.
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <list>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "fixture.h"

namespace {

struct Obj {
  int v;
};
Obj g_objs[600];
int g_values[64];

// Key kinds: how to make a random key and how the reference model sees it.
struct TextKeys {
  typedef CharM K;
  typedef std::string M;
  std::deque<std::string> texts;  // stable storage for the key texts
  K Make(std::mt19937& rng) {
    static const char alphabet[] = {'A', 'B', 'a', 'b', 'N', 'n', '\x7f', '\x80', '\xff'};
    std::string s;
    for (int n = rng() % 4; n > 0; --n) s += alphabet[rng() % sizeof alphabet];
    texts.push_back(s);  // a fresh copy: replacement must store this pointer
    return CharM(texts.back().c_str());
  }
  static M Model(K k) { return std::string(k.c_str()); }
};
struct IntKeys {
  typedef int K;
  typedef int M;
  K Make(std::mt19937& rng) { return static_cast<int>(rng() % 601) - 300; }
  static M Model(K k) { return k; }
};
struct PtrKeys {
  typedef Obj* K;
  typedef std::uintptr_t M;
  K Make(std::mt19937& rng) { return &g_objs[rng() % 600]; }
  static M Model(K k) { return reinterpret_cast<std::uintptr_t>(k); }
};

template <class Kind>
class Harness {
 public:
  typedef typename Kind::K K;
  typedef typename Kind::M M;
  typedef RelMap<K, int*> Map;
  typedef typename Map::Node Node;
  struct Entry {
    K key;
    int* value;
  };

  explicit Harness(HANDLEMA* heap) { map.SetHeap(heap); }

  // Through insert, or through operator[] (which nulls the value first).
  void Insert(K key, int* value, bool viaIndex) {
    M m = Kind::Model(key);
    if (!model.count(m)) order.push_front(m);
    model[m] = {key, value};
    int*& slot = viaIndex ? map[key] : map.insert(key, value);
    ASSERT_FALSE(Map::Failed(slot));
    if (viaIndex) {
      ASSERT_EQ(slot, nullptr);
      slot = value;
    }
    ASSERT_EQ(slot, value);
  }

  // Afterwards the key is absent: find misses it, eraseKey refuses it.
  void EraseByFind(K key) {
    auto it = map.find(key);
    ASSERT_FALSE(it == map.end());
    ASSERT_TRUE(map.erase(it));
    ASSERT_TRUE(map.find(key) == map.end());
    ASSERT_FALSE(map.eraseKey(key));
    Forget(Kind::Model(key));
  }

  // Walks the whole map, erasing entries under the iterator; every entry
  // must be visited exactly once, newest first.
  void WalkErasing(std::mt19937& rng, unsigned percent) {
    std::vector<M> visited, expected(order.begin(), order.end());
    for (auto it = map.begin(); it != map.end(); ++it) {
      visited.push_back(Kind::Model(it->first));
      if (rng() % 100 < percent) {
        if (it.node()->left && it.node()->right) ++twoChildWalkErases;
        ASSERT_TRUE(map.erase(it));
        Forget(visited.back());
      }
    }
    ASSERT_EQ(visited, expected);
  }

  void Forget(const M& m) {
    model.erase(m);
    order.remove(m);
  }

  // Returns the height of the subtree; records failures.
  int CheckTree(Node* n, std::vector<Node*>& inorder) {
    if (!n) return 0;
    int hl = CheckTree(n->left, inorder);
    inorder.push_back(n);
    int hr = CheckTree(n->right, inorder);
    EXPECT_EQ(n->balance, hr - hl) << "balance field differs from the height difference";
    EXPECT_LE(std::abs(hr - hl), 1) << "tree out of balance";
    return 1 + std::max(hl, hr);
  }

  void Check() {
    std::vector<Node*> inorder;
    CheckTree(map.root(), inorder);
    // In-order keys follow the model (unsigned bytes, signed ints, unsigned
    // addresses); a replaced entry holds the new key pointer and value.
    ASSERT_EQ(inorder.size(), model.size());
    auto mit = model.begin();
    for (Node* n : inorder) {
      ASSERT_EQ(Kind::Model(n->first), mit->first);
      ASSERT_EQ(n->second, mit->second.value);
      ASSERT_TRUE(n->first == mit->second.key);
      ++mit;
    }
    // The thread list holds the same nodes, newest first, doubly linked.
    std::set<Node*> treeNodes(inorder.begin(), inorder.end());
    Node* first = map.begin().node();
    ASSERT_EQ(first == nullptr, map.root() == nullptr);
    ASSERT_TRUE(!first || !first->prev);
    auto oit = order.begin();
    for (Node* n = first; n; n = n->next, ++oit) {
      ASSERT_TRUE(oit != order.end());
      ASSERT_EQ(Kind::Model(n->first), *oit);
      ASSERT_TRUE(treeNodes.count(n));
      ASSERT_TRUE(!n->next || n->next->prev == n);
    }
    ASSERT_TRUE(oit == order.end());
    ASSERT_EQ(map.size(), model.size());
  }

  Map map;
  std::map<M, Entry> model;
  std::list<M> order;  // newest first
  int twoChildWalkErases = 0;
};

template <class Kind>
void RunRandomized(HANDLEMA* heap, unsigned seed, int steps) {
  std::mt19937 rng(seed);
  Kind keys;
  Harness<Kind> h(heap);
  for (int step = 0; step < steps; ++step) {
    unsigned op = rng() % 100;
    if (op < 55 || h.model.empty()) {
      h.Insert(keys.Make(rng), &g_values[rng() % 64], op % 5 == 0);
    } else if (op < 97) {
      auto it = h.model.begin();
      std::advance(it, rng() % h.model.size());
      h.EraseByFind(it->second.key);
    } else {
      h.WalkErasing(rng, 35);
    }
    if (!::testing::Test::HasFatalFailure()) h.Check();
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << "seed " << seed << " step " << step;
      return;
    }
  }
  h.WalkErasing(rng, 100);
  h.Check();
  auto none = h.map.begin();
  EXPECT_FALSE(h.map.erase(none));  // the map is empty
  EXPECT_GT(h.twoChildWalkErases, 0) << "the walks must erase nodes with two children";
}

using MapRandomized = tavrin_test::SessionHeapOrNot;

TEST_P(MapRandomized, TextKeys) { for (unsigned seed : {1, 2, 3}) RunRandomized<TextKeys>(heap, seed, 1500); }
TEST_P(MapRandomized, IntKeys) { for (unsigned seed : {1, 2, 3}) RunRandomized<IntKeys>(heap, seed, 1500); }
TEST_P(MapRandomized, PointerKeys) { for (unsigned seed : {1, 2, 3}) RunRandomized<PtrKeys>(heap, seed, 1500); }

// Ascending and descending runs (every insertion rotates the same way), then
// erasing every third key; find of integer keys sees exactly what is left.
// The map is left full: without a record its destructor frees the nodes
// (leak checkers verify).
TEST_P(MapRandomized, SortedRunsStayBalanced) {
  Harness<IntKeys> h(heap);
  for (int k = 1; k <= 1000; ++k) h.Insert(k, &g_values[k % 64], false);
  h.Check();
  for (int k = -1; k >= -1000; --k) h.Insert(k, &g_values[0], false);
  for (int k = -1000; k <= 1000; k += 3)
    if (k) h.EraseByFind(k);
  h.Check();
  for (int k = -1000; k <= 1000; k += 7)
    EXPECT_EQ(h.map.find(k) != h.map.end(), k != 0 && (k + 1000) % 3 != 0) << k;
}

INSTANTIATE_TEST_SUITE_P(HeapOrNot, MapRandomized, ::testing::Bool());

using MapTest = tavrin_test::SessionTest;

// A node that cannot be allocated: the failure slot, and the map unchanged.
TEST_F(MapTest, FailedNodeAllocationChangesNothing) {
  typedef RelMap<CharM, int*> Map;
  Map m;
  m.SetHeap(heap);
  int x = 0;
  {
    tavrin_test::FailAfter fail(1);  // the first map-node chunk
    EXPECT_TRUE(Map::Failed(m.insert("a", &x)));
  }
  EXPECT_TRUE(m.empty());
  EXPECT_FALSE(Map::Failed(m.insert("a", &x)));
  EXPECT_EQ(m.find("a")->second, &x);
}

}  // namespace
