// Growable text and collection classes used in the interface: CString,
// CStringList, CPtrList, CMapStringToString and CMapStringToOb. Small value
// types over the standard library; keys are exact and case-sensitive.
#ifndef TAVRIN_PLATFORM_H
#define TAVRIN_PLATFORM_H

#include <cstdarg>
#include <cstddef>
#include <string>
#include <unordered_map>

#include "tavrin/export.h"

// Opaque position handle of the lists and maps below; null ends a walk.
struct __POSITION {};
typedef __POSITION* POSITION;

class TAVRIN_API CString {
 public:
  CString() {}
  CString(const char* s) : m_s(s ? s : "") {}
  CString(const std::string& s) : m_s(s) {}
  CString(const char* s, int n) : m_s(s ? std::string(s, n < 0 ? 0 : n) : std::string()) {}

  int GetLength() const { return static_cast<int>(m_s.size()); }
  bool IsEmpty() const { return m_s.empty(); }
  void Empty() { m_s.clear(); }
  operator const char*() const { return m_s.c_str(); }
  const char* GetString() const { return m_s.c_str(); }
  const std::string& str() const { return m_s; }
  char GetAt(int i) const { return m_s[static_cast<std::size_t>(i)]; }
  char operator[](int i) const { return GetAt(i); }

  CString& operator=(const char* s) { m_s = s ? s : ""; return *this; }
  CString& operator+=(const char* s) { if (s) m_s += s; return *this; }
  CString& operator+=(char c) { m_s += c; return *this; }
  friend CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }

  // printf-style formatting that follows the C runtime exactly.
  void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void FormatV(const char* format, va_list args);

  int Compare(const char* s) const;        // byte-wise, like strcmp
  int CompareNoCase(const char* s) const;  // ASCII letters folded
  bool operator==(const char* s) const { return Compare(s) == 0; }
  bool operator!=(const char* s) const { return Compare(s) != 0; }
  bool operator==(const CString& s) const { return m_s == s.m_s; }
  bool operator<(const CString& s) const { return m_s < s.m_s; }

  // Removes leading / trailing characters found in `chars` (white space by default).
  CString& TrimLeft(const char* chars = " \t\n\r\v\f");
  CString& TrimRight(const char* chars = " \t\n\r\v\f");
  CString& Trim() { TrimRight(); return TrimLeft(); }
  CString Left(int n) const;
  CString Right(int n) const;
  CString Mid(int first) const;             // from first to the end
  CString Mid(int first, int n) const;      // at most n characters; none when n <= 0
  int Find(char c, int start = 0) const;   // -1 when absent
  int ReverseFind(char c) const;           // -1 when absent

 private:
  std::string m_s;
};

namespace tavrin {
// A doubly linked list of values with position handles and tail insertion.
template <class T>
class PositionList {
  struct Node : __POSITION {
    T value;
    Node* prev;
    Node* next;
  };

 public:
  explicit PositionList(int /*blockSize*/ = 10) {}
  PositionList(const PositionList&) = delete;
  PositionList& operator=(const PositionList&) = delete;
  ~PositionList() { RemoveAll(); }

  int GetCount() const { return m_count; }
  bool IsEmpty() const { return m_count == 0; }
  POSITION AddTail(const T& v) { return Link(v, m_tail, nullptr); }
  POSITION AddHead(const T& v) { return Link(v, nullptr, m_head); }
  POSITION GetHeadPosition() const { return m_head; }
  POSITION GetTailPosition() const { return m_tail; }
  T& GetHead() { return m_head->value; }
  T& GetTail() { return m_tail->value; }
  // Returns the value at pos and moves pos to the next / previous entry.
  T& GetNext(POSITION& pos) const {
    Node* n = static_cast<Node*>(pos);
    pos = n->next;
    return n->value;
  }
  T& GetPrev(POSITION& pos) const {
    Node* n = static_cast<Node*>(pos);
    pos = n->prev;
    return n->value;
  }
  T& GetAt(POSITION pos) const { return static_cast<Node*>(pos)->value; }
  void RemoveAt(POSITION pos) {
    Node* n = static_cast<Node*>(pos);
    if (n->prev) n->prev->next = n->next; else m_head = n->next;
    if (n->next) n->next->prev = n->prev; else m_tail = n->prev;
    delete n;
    --m_count;
  }
  void RemoveAll() {
    Node* n = m_head;
    while (n) { Node* next = n->next; delete n; n = next; }
    m_head = m_tail = nullptr;
    m_count = 0;
  }

 private:
  POSITION Link(const T& v, Node* prev, Node* next) {
    Node* n = new Node;
    n->value = v;
    n->prev = prev;
    n->next = next;
    if (prev) prev->next = n; else m_head = n;
    if (next) next->prev = n; else m_tail = n;
    ++m_count;
    return n;
  }
  Node* m_head = nullptr;
  Node* m_tail = nullptr;
  int m_count = 0;
};

// A string-keyed map that remembers insertion order for walking.
template <class V>
class StringMap {
  struct Entry : __POSITION {
    CString key;
    V value;
    Entry* next;
    Entry* prev;
  };

 public:
  explicit StringMap(int /*blockSize*/ = 10) {}
  StringMap(const StringMap&) = delete;
  StringMap& operator=(const StringMap&) = delete;
  ~StringMap() { RemoveAll(); }

  int GetCount() const { return static_cast<int>(m_index.size()); }
  bool IsEmpty() const { return m_index.empty(); }
  bool Lookup(const char* key, V& out) const {
    auto it = m_index.find(key ? key : "");
    if (it == m_index.end()) return false;
    out = it->second->value;
    return true;
  }
  // Inserts or replaces.
  void SetAt(const char* key, const V& value) { Slot(key) = value; }
  V& operator[](const char* key) { return Slot(key); }
  bool RemoveKey(const char* key) {
    auto it = m_index.find(key ? key : "");
    if (it == m_index.end()) return false;
    Entry* e = it->second;
    m_index.erase(it);
    if (e->prev) e->prev->next = e->next; else m_head = e->next;
    if (e->next) e->next->prev = e->prev; else m_tail = e->prev;
    delete e;
    return true;
  }
  void RemoveAll() {
    Entry* e = m_head;
    while (e) { Entry* n = e->next; delete e; e = n; }
    m_head = m_tail = nullptr;
    m_index.clear();
  }
  POSITION GetStartPosition() const { return m_head; }
  void GetNextAssoc(POSITION& pos, CString& key, V& value) const {
    Entry* e = static_cast<Entry*>(pos);
    key = e->key;
    value = e->value;
    pos = e->next;
  }

 private:
  V& Slot(const char* key) {
    std::string k(key ? key : "");
    auto it = m_index.find(k);
    if (it != m_index.end()) return it->second->value;
    Entry* e = new Entry;
    e->key = k.c_str();
    e->value = V();
    e->next = nullptr;
    e->prev = m_tail;
    if (m_tail) m_tail->next = e; else m_head = e;
    m_tail = e;
    m_index.emplace(std::move(k), e);
    return e->value;
  }
  std::unordered_map<std::string, Entry*> m_index;
  Entry* m_head = nullptr;
  Entry* m_tail = nullptr;
};
}  // namespace tavrin

struct HANDLEMA;

// A doubly linked list of texts with position handles. Given a session's
// heap record, its nodes and texts come from that heap, so deleting the
// session whole takes them; without one they come from the general
// allocator and the list's destructor (or RemoveAll) frees them. Values are
// handed out as copies.
class TAVRIN_API CStringList {
 public:
  explicit CStringList(int blockSize = 10, HANDLEMA* heap = nullptr);
  CStringList(const CStringList&) = delete;
  CStringList& operator=(const CStringList&) = delete;
  ~CStringList();

  HANDLEMA* GetHeap() const { return m_heap; }
  int GetCount() const { return m_count; }
  bool IsEmpty() const { return m_count == 0; }
  // Add a copy of the text (null as the empty text); the new position, or
  // null (nothing added) when memory is exhausted.
  POSITION AddTail(const char* s);
  POSITION AddTail(const CString& s) { return AddTail(s.GetString()); }
  POSITION AddHead(const char* s);
  POSITION AddHead(const CString& s) { return AddHead(s.GetString()); }
  POSITION GetHeadPosition() const;
  POSITION GetTailPosition() const;
  CString GetHead() const;
  CString GetTail() const;
  // The text at pos; pos moves to the next / previous entry.
  CString GetNext(POSITION& pos) const;
  CString GetPrev(POSITION& pos) const;
  CString GetAt(POSITION pos) const;
  void RemoveAt(POSITION pos);
  void RemoveAll();
  // Position of the first entry equal to `s` (case-sensitive), or null.
  POSITION Find(const char* s) const;

 private:
  struct Node;
  TAVRIN_LOCAL POSITION Link(const char* s, Node* prev, Node* next);

  HANDLEMA* m_heap;
  Node* m_head = nullptr;
  Node* m_tail = nullptr;
  int m_count = 0;
};

class TAVRIN_API CPtrList : public tavrin::PositionList<void*> {
 public:
  explicit CPtrList(int blockSize = 10) : PositionList(blockSize) {}
};

class TAVRIN_API CMapStringToString : public tavrin::StringMap<CString> {
 public:
  explicit CMapStringToString(int blockSize = 10) : StringMap(blockSize) {}
};

// Values are untyped object pointers the map does not own.
class TAVRIN_API CMapStringToOb : public tavrin::StringMap<void*> {
 public:
  explicit CMapStringToOb(int blockSize = 10) : StringMap(blockSize) {}
};

#endif
