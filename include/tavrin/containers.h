// Containers: RelLinkedList (singly linked list, head insertion) and RelMap
// (AVL tree threaded in insertion order, iterated newest first).
//
// Ownership: neither container owns the objects its values point to, and a
// text-keyed map does not own its key texts either; owners delete their
// children themselves. Nodes come from the list-node or map-node pool of the
// HANDLEMA the caller passes (or keeps in the map), or from the general
// allocator when that record is null. A container must see the same record
// throughout its life.
#ifndef TAVRIN_CONTAINERS_H
#define TAVRIN_CONTAINERS_H

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "tavrin/export.h"

struct HANDLEMA;

extern "C++" {
TAVRIN_API void* HeapAllocMapNode(HANDLEMA* heap);
TAVRIN_API int HeapFreeMapNode(HANDLEMA* heap, void* cell);
TAVRIN_API void* HeapAllocListNode(HANDLEMA* heap);
TAVRIN_API int HeapFreeListNode(HANDLEMA* heap, void* cell);
}

namespace tavrin {
// Nodes of either container: from the record's pool, or from the general
// allocator when the record is null. Allocation returns null when memory is
// exhausted.
inline void* AllocListNode(HANDLEMA* heap, std::size_t size) {
  return heap ? HeapAllocListNode(heap) : ::operator new(size, std::nothrow);
}
inline void FreeListNode(HANDLEMA* heap, void* node) {
  if (heap) HeapFreeListNode(heap, node); else ::operator delete(node);
}
inline void* AllocMapNode(HANDLEMA* heap, std::size_t size) {
  return heap ? HeapAllocMapNode(heap) : ::operator new(size, std::nothrow);
}
inline void FreeMapNode(HANDLEMA* heap, void* node) {
  if (heap) HeapFreeMapNode(heap, node); else ::operator delete(node);
}
}  // namespace tavrin

// ---------------------------------------------------------------------------
// RelLinkedList

template <class T>
struct RelListNode {
  T value;
  RelListNode* next;
};

template <class T, class R>
class RelListIterator {
 public:
  RelListIterator() : m_node(nullptr) {}
  explicit RelListIterator(RelListNode<T>* n) : m_node(n) {}
  template <class R2>
  RelListIterator(const RelListIterator<T, R2>& o) : m_node(o.node()) {}

  R operator*() const { return m_node->value; }
  RelListIterator& operator++() { m_node = m_node->next; return *this; }
  RelListIterator operator++(int) { RelListIterator t = *this; m_node = m_node->next; return t; }
  template <class R2>
  bool operator==(const RelListIterator<T, R2>& o) const { return m_node == o.node(); }
  template <class R2>
  bool operator!=(const RelListIterator<T, R2>& o) const { return m_node != o.node(); }
  RelListNode<T>* node() const { return m_node; }

 private:
  RelListNode<T>* m_node;
};

template <class T>
class RelLinkedList {
 public:
  typedef RelListIterator<T, T&> iterator;
  typedef RelListIterator<T, const T&> const_iterator;
  typedef RelListNode<T> Node;
  static_assert(sizeof(Node) <= 2 * sizeof(void*), "a list node must fit a list-node cell");

  RelLinkedList() : m_first(nullptr) {}
  // Frees nothing: nodes are released only by clear().
  ~RelLinkedList() {}
  // Shares the other list's nodes (copies the first-node pointer only).
  RelLinkedList& operator=(const RelLinkedList& o) { m_first = o.m_first; return *this; }
  RelLinkedList(const RelLinkedList& o) : m_first(o.m_first) {}

  // Puts the value at the head. Returns false (and changes nothing) when no
  // node can be allocated.
  bool insert(T value, HANDLEMA* heap) {
    Node* n = static_cast<Node*>(tavrin::AllocListNode(heap, sizeof(Node)));
    if (!n) return false;
    n->value = value;
    n->next = m_first;
    m_first = n;
    return true;
  }
  // Head insertion whatever the position; warns when it is not end().
  bool insert(const_iterator position, T value, HANDLEMA* heap) {
    if (position.node() != nullptr) {
      std::fputs("Trouble: insert() called with non-end() iterator\n", stdout);
    }
    return insert(value, heap);
  }
  // Puts the value at the tail (walks the list).
  bool append(T value, HANDLEMA* heap) {
    Node* n = static_cast<Node*>(tavrin::AllocListNode(heap, sizeof(Node)));
    if (!n) return false;
    n->value = value;
    n->next = nullptr;
    Node** link = &m_first;
    while (*link) link = &(*link)->next;
    *link = n;
    return true;
  }
  // Unlinks and frees the first node holding the value.
  bool erase(T value, HANDLEMA* heap) {
    for (Node** link = &m_first; *link; link = &(*link)->next) {
      if ((*link)->value == value) {
        Node* n = *link;
        *link = n->next;
        tavrin::FreeListNode(heap, n);
        return true;
      }
    }
    return false;
  }
  bool remove(T value, HANDLEMA* heap) { return erase(value, heap); }
  // Unlinks and frees the node at the position; false when it is not in the list.
  bool erase(const_iterator position, HANDLEMA* heap) {
    Node* target = position.node();
    if (!target) return false;
    for (Node** link = &m_first; *link; link = &(*link)->next) {
      if (*link == target) {
        *link = target->next;
        tavrin::FreeListNode(heap, target);
        return true;
      }
    }
    return false;
  }
  iterator find(T value) const {
    for (Node* n = m_first; n; n = n->next)
      if (n->value == value) return iterator(n);
    return iterator();
  }
  bool contains(T value) const { return find(value).node() != nullptr; }
  iterator begin() const { return iterator(m_first); }
  iterator end() const { return iterator(); }
  bool empty() const { return m_first == nullptr; }
  unsigned int size() const {
    unsigned int count = 0;
    for (Node* n = m_first; n; n = n->next) ++count;
    return count;
  }
  void clear(HANDLEMA* heap) {
    Node* n = m_first;
    while (n) {
      Node* next = n->next;
      tavrin::FreeListNode(heap, n);
      n = next;
    }
    m_first = nullptr;
  }

 private:
  Node* m_first;
};

// ---------------------------------------------------------------------------
// RelMap

// A text key: the map stores the pointer it is given and never copies or
// frees the text, which must outlive the entry and not change while keyed.
class CharM {
 public:
  CharM() : m_text(nullptr) {}
  CharM(const char* text) : m_text(const_cast<char*>(text)) {}
  operator char*() const { return m_text; }
  char* c_str() const { return m_text; }

 private:
  char* m_text;
};

namespace tavrin {
template <class K>
struct RelKeyTraits {  // object-pointer keys: unsigned address order
  static int Compare(K a, K b) {
    auto x = reinterpret_cast<std::uintptr_t>(a), y = reinterpret_cast<std::uintptr_t>(b);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  static const bool kTreeSearch = false;
};
template <>
struct RelKeyTraits<int> {
  static int Compare(int a, int b) { return a < b ? -1 : (a > b ? 1 : 0); }
  static const bool kTreeSearch = false;
};
template <>
struct RelKeyTraits<CharM> {
  // Byte-wise over unsigned bytes; a null text sorts as the empty text.
  // Names are short and mostly differ early, so an inline loop beats a
  // library call at every tree level; the order is strcmp's.
  static int Compare(const char* a, const char* b) {
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a ? a : "");
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b ? b : "");
    while (*x && *x == *y) {
      ++x;
      ++y;
    }
    return static_cast<int>(*x) - static_cast<int>(*y);
  }
  static const bool kTreeSearch = true;
};
}  // namespace tavrin

template <class K, class V>
struct relpair {
  K first;
  V second;
};

template <class K, class V>
struct RelNode : relpair<K, V> {
  RelNode* next;   // toward older entries
  RelNode* prev;   // toward newer entries
  RelNode* left;
  RelNode* right;
  int balance;     // height(right) - height(left)
};

template <class K, class V, class R>
class RelMapIterator {
 public:
  typedef RelNode<K, V> Node;
  RelMapIterator() : m_node(nullptr), m_copy(), m_valid(false) {}
  explicit RelMapIterator(Node* n) : m_node(n), m_copy(), m_valid(n != nullptr) {
    if (n) m_copy = *n;
  }
  template <class R2>
  RelMapIterator(const RelMapIterator<K, V, R2>& o)
      : m_node(o.m_node), m_copy(o.m_copy), m_valid(o.m_valid) {}

  R operator*() const { return m_copy; }
  const relpair<K, V>* operator->() const { return &m_copy; }
  RelMapIterator& operator++() {
    Node* n = m_copy.next;
    m_node = n;
    m_valid = n != nullptr;
    if (n) m_copy = *n;
    return *this;
  }
  RelMapIterator operator++(int) { RelMapIterator t = *this; ++*this; return t; }
  template <class R2>
  bool operator==(const RelMapIterator<K, V, R2>& o) const { return m_node == o.m_node; }
  template <class R2>
  bool operator!=(const RelMapIterator<K, V, R2>& o) const { return m_node != o.m_node; }
  Node* node() const { return m_node; }
  K key() const { return m_copy.first; }
  V value() const { return m_copy.second; }

  Node* m_node;
  mutable Node m_copy;  // dereferencing yields the copy, never the node itself
  bool m_valid;
};

template <class K, class V>
class RelMap {
 public:
  typedef RelNode<K, V> Node;
  typedef RelMapIterator<K, V, relpair<K, V>&> iterator;
  typedef RelMapIterator<K, V, const relpair<K, V>&> const_iterator;
  typedef tavrin::RelKeyTraits<K> Traits;
  static_assert(sizeof(Node) + sizeof(void*) <= 64, "a map node must fit a map-node cell");

  RelMap() : m_first(nullptr), m_root(nullptr), m_heap(nullptr) {}
  // Nodes in a session pool stay there (they go with the session heap).
  ~RelMap() { if (!m_heap) clear(); }
  // Shares the other map's nodes.
  RelMap& operator=(const RelMap& o) {
    m_first = o.m_first; m_root = o.m_root; m_heap = o.m_heap;
    return *this;
  }

  void SetHeap(HANDLEMA* heap) { m_heap = heap; }
  HANDLEMA* GetHeap() const { return m_heap; }

  // Inserts, or replaces the key and value of the entry with an equal key
  // (which keeps its place in the iteration). Returns the node's value slot.
  // When no node can be allocated nothing changes and a scratch slot is
  // returned (one per thread), which Failed() recognises.
  V& insert(K key, V value) {
    Ctx ctx;
    insertAVL(key, value, ctx);
    if (!ctx.last) {
      s_scratch = V();
      return s_scratch;
    }
    return ctx.last->second;
  }
  // True when `slot` is the scratch slot of a failed insert.
  static bool Failed(const V& slot) { return &slot == &s_scratch; }
  // Inserts an entry whose key is not present yet. False, with nothing
  // changed, when an entry with an equal key exists (*existed set) or no
  // node can be allocated.
  bool insertNew(K key, V value, bool* existed) {
    Ctx ctx;
    ctx.keepExisting = true;
    insertAVL(key, value, ctx);
    *existed = ctx.existed;
    return !ctx.existed && ctx.last;
  }
  V& operator[](K key) { return insert(key, V()); }

  const_iterator find(const char* key) const { return findImpl(CharM(key)); }
  template <class Q>
  const_iterator find(Q key) const { return findImpl(static_cast<K>(key)); }

  // Text-keyed maps: the value filed under key, or a null value when the key
  // is null or absent.
  V lookup(const char* key) const {
    if (!key) return V();
    Node* n = findAVL(key, m_root);
    return n ? n->second : V();
  }

  Node* findAVL(const char* key, Node* node) const {
    while (node) {
      Prefetch(node);
      int c = Traits::Compare(key, node->first);
      if (c == 0) return node;
      node = c < 0 ? node->left : node->right;
    }
    return nullptr;
  }

  // Removes the entry under the iterator and frees its node. The iterator can
  // still be advanced afterwards and visits the remaining entries in order.
  template <class R>
  bool erase(RelMapIterator<K, V, R>& it) {
    if (!m_first || !it.m_node) return false;
    Ctx ctx;
    ctx.erasing = &it.m_copy;
    bool found = remove_int(it.m_copy.first, m_root, ctx);
    if (!m_root) m_first = nullptr;
    return found;
  }
  // Convenience: removes the entry of a key; false when absent.
  bool eraseKey(K key) {
    const_iterator it = findImpl(key);
    if (!it.m_node) return false;
    return erase(it);
  }

  iterator begin() const { return iterator(m_first); }
  iterator end() const { return iterator(); }
  bool empty() const { return m_first == nullptr; }
  unsigned int size() const {
    unsigned int count = 0;
    for (Node* n = m_first; n; n = n->next) ++count;
    return count;
  }
  void clear() {
    Node* n = m_first;
    while (n) {
      Node* next = n->next;
      tavrin::FreeMapNode(m_heap, n);
      n = next;
    }
    m_first = nullptr;
    m_root = nullptr;
  }
  Node* root() const { return m_root; }

 private:
  // Per-call working state of insert and of the recursive remove.
  struct Ctx {
    bool heightChanged = false;
    Node* last = nullptr;
    Node* erasing = nullptr;  // the copy held by the iterator being erased
    bool keepExisting = false;  // insert: an equal key leaves its entry alone
    bool existed = false;
  };

  const_iterator findImpl(K key) const {
    if constexpr (Traits::kTreeSearch) {
      return const_iterator(findAVL(key, m_root));
    }
    for (Node* n = m_first; n; n = n->next)
      if (Traits::Compare(key, n->first) == 0) return const_iterator(n);
    return const_iterator();
  }

  // A descent loads a node and then the key text it points to, two
  // dependent cache misses per level in a large map. Fetching both children
  // while the key is compared hides the node miss of the next level.
  static void Prefetch(const Node* n) {
#if defined(__GNUC__)
    __builtin_prefetch(n->left);
    __builtin_prefetch(n->right);
#else
    (void)n;
#endif
  }

  // AVL insertion without recursion. The rebalancing that a recursive insert
  // does on its way back up stops at the deepest node of the path whose
  // balance is not 0 (it either evens out or rotates there), so only the
  // path below that node changes balance: the same tree, one descent.
  void insertAVL(K key, V value, Ctx& ctx) {
    Node** link = &m_root;
    Node** topLink = &m_root;  // link to the deepest unbalanced node seen
    for (Node* p = m_root; p; p = *link) {
      Prefetch(p);
      int c = Traits::Compare(key, p->first);
      if (c == 0) {
        if (ctx.keepExisting) {
          ctx.existed = true;
          return;
        }
        p->first = key;
        p->second = value;
        ctx.last = p;
        return;
      }
      if (p->balance != 0) topLink = link;
      link = c < 0 ? &p->left : &p->right;
    }
    Node* n = static_cast<Node*>(tavrin::AllocMapNode(m_heap, sizeof(Node)));
    if (!n) return;
    n->first = key;
    n->second = value;
    n->left = n->right = nullptr;
    n->balance = 0;
    n->prev = nullptr;
    n->next = m_first;
    if (m_first) m_first->prev = n;
    m_first = n;
    *link = n;
    ctx.last = n;
    // Every node from the top one down to n's parent leans toward n.
    Node* top = *topLink;
    for (Node* q = top; q != n;) {
      if (Traits::Compare(key, q->first) < 0) {
        --q->balance;
        q = q->left;
      } else {
        ++q->balance;
        q = q->right;
      }
    }
    if (top->balance == -2) {
      Node* l = top->left;
      if (l->balance == -1) {
        top->left = l->right; l->right = top; top->balance = 0; l->balance = 0;
        *topLink = l;
      } else {
        Node* lr = l->right;
        l->right = lr->left; lr->left = l; top->left = lr->right; lr->right = top;
        top->balance = lr->balance == -1 ? 1 : 0;
        l->balance = lr->balance == 1 ? -1 : 0;
        lr->balance = 0;
        *topLink = lr;
      }
    } else if (top->balance == 2) {
      Node* r = top->right;
      if (r->balance == 1) {
        top->right = r->left; r->left = top; top->balance = 0; r->balance = 0;
        *topLink = r;
      } else {
        Node* rl = r->left;
        r->left = rl->right; rl->right = r; top->right = rl->left; rl->left = top;
        top->balance = rl->balance == 1 ? -1 : 0;
        r->balance = rl->balance == -1 ? 1 : 0;
        rl->balance = 0;
        *topLink = rl;
      }
    }
  }

  // Returns false when the key is not in the subtree (nothing changes).
  bool remove_int(K key, Node*& p, Ctx& ctx) {
    if (!p) { ctx.heightChanged = false; return false; }
    int c = Traits::Compare(key, p->first);
    if (c < 0) {
      if (!remove_int(key, p->left, ctx)) return false;
      if (ctx.heightChanged) balance1(p, ctx);
      return true;
    }
    if (c > 0) {
      if (!remove_int(key, p->right, ctx)) return false;
      if (ctx.heightChanged) balance2(p, ctx);
      return true;
    }
    ctx.last = p;
    if (!p->right) {
      remove_link(p);
      p = p->left;
      ctx.heightChanged = true;
    } else if (!p->left) {
      remove_link(p);
      p = p->right;
      ctx.heightChanged = true;
    } else {
      del(p->left, p, ctx);
      if (ctx.heightChanged) balance1(p, ctx);
    }
    tavrin::FreeMapNode(m_heap, ctx.last);
    return true;
  }

  // Replaces d (the node being removed) by its in-order predecessor r: d
  // takes r's key, value and thread-list place, and r is the node freed.
  void del(Node*& q, Node* d, Ctx& ctx) {
    if (q->right) {
      del(q->right, d, ctx);
      if (ctx.heightChanged) balance2(q, ctx);
      return;
    }
    Node* r = q;
    d->first = r->first;
    d->second = r->second;
    remove_link(d);
    d->prev = r->prev;
    d->next = r->next;
    if (r->prev) r->prev->next = d; else m_first = d;
    if (r->next) r->next->prev = d;
    if (ctx.erasing) {
      if (ctx.erasing->next == r) ctx.erasing->next = d;
      if (ctx.erasing->prev == r) ctx.erasing->prev = d;
    }
    ctx.last = r;
    q = r->left;
    ctx.heightChanged = true;
  }

  void balance1(Node*& p, Ctx& ctx) {
    if (p->balance == -1) { p->balance = 0; return; }
    if (p->balance == 0) { p->balance = 1; ctx.heightChanged = false; return; }
    Node* r = p->right;
    if (r->balance >= 0) {
      p->right = r->left; r->left = p;
      if (r->balance == 0) { p->balance = 1; r->balance = -1; ctx.heightChanged = false; }
      else { p->balance = 0; r->balance = 0; }
      p = r;
    } else {
      Node* rl = r->left;
      r->left = rl->right; rl->right = r; p->right = rl->left; rl->left = p;
      p->balance = rl->balance == 1 ? -1 : 0;
      r->balance = rl->balance == -1 ? 1 : 0;
      rl->balance = 0;
      p = rl;
    }
  }

  void balance2(Node*& p, Ctx& ctx) {
    if (p->balance == 1) { p->balance = 0; return; }
    if (p->balance == 0) { p->balance = -1; ctx.heightChanged = false; return; }
    Node* l = p->left;
    if (l->balance <= 0) {
      p->left = l->right; l->right = p;
      if (l->balance == 0) { p->balance = -1; l->balance = 1; ctx.heightChanged = false; }
      else { p->balance = 0; l->balance = 0; }
      p = l;
    } else {
      Node* lr = l->right;
      l->right = lr->left; lr->left = l; p->left = lr->right; lr->right = p;
      p->balance = lr->balance == -1 ? 1 : 0;
      l->balance = lr->balance == 1 ? -1 : 0;
      lr->balance = 0;
      p = lr;
    }
  }

  void remove_link(Node* n) {
    if (!n->prev) {
      m_first = n->next;
      if (n->next) n->next->prev = nullptr;
    } else {
      n->prev->next = n->next;
      if (n->next) n->next->prev = n->prev;
    }
  }

  Node* m_first;
  Node* m_root;
  HANDLEMA* m_heap;
  static thread_local V s_scratch;
};

template <class K, class V>
thread_local V RelMap<K, V>::s_scratch = V();

#endif
