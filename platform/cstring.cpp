#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "core/pool.h"
#include "tavrin/platform.h"

void CString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

void CString::FormatV(const char* format, va_list args) {
  char small[128];
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) { m_s.clear(); return; }
  if (static_cast<std::size_t>(n) < sizeof small) { m_s.assign(small, n); return; }
  std::vector<char> big(static_cast<std::size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), format, args);
  m_s.assign(big.data(), n);
}

int CString::Compare(const char* s) const { return std::strcmp(m_s.c_str(), s ? s : ""); }

int CString::CompareNoCase(const char* s) const {
  const unsigned char* a = reinterpret_cast<const unsigned char*>(m_s.c_str());
  const unsigned char* b = reinterpret_cast<const unsigned char*>(s ? s : "");
  for (;; ++a, ++b) {
    int x = (*a >= 'A' && *a <= 'Z') ? *a + 32 : *a;
    int y = (*b >= 'A' && *b <= 'Z') ? *b + 32 : *b;
    if (x != y) return x < y ? -1 : 1;
    if (!x) return 0;
  }
}

CString& CString::TrimLeft(const char* chars) {
  std::size_t i = m_s.find_first_not_of(chars);
  m_s.erase(0, i == std::string::npos ? m_s.size() : i);
  return *this;
}

CString& CString::TrimRight(const char* chars) {
  std::size_t i = m_s.find_last_not_of(chars);
  m_s.erase(i == std::string::npos ? 0 : i + 1);
  return *this;
}

CString CString::Left(int n) const {
  if (n <= 0) return CString();
  return CString(m_s.substr(0, static_cast<std::size_t>(n)));
}

CString CString::Right(int n) const {
  if (n <= 0) return CString();
  std::size_t k = static_cast<std::size_t>(n);
  if (k >= m_s.size()) return *this;
  return CString(m_s.substr(m_s.size() - k));
}

CString CString::Mid(int first) const {
  if (first < 0) first = 0;
  std::size_t f = static_cast<std::size_t>(first);
  if (f >= m_s.size()) return CString();
  return CString(m_s.substr(f));
}

CString CString::Mid(int first, int n) const {
  if (n <= 0) return CString();
  if (first < 0) first = 0;
  std::size_t f = static_cast<std::size_t>(first);
  if (f >= m_s.size()) return CString();
  return CString(m_s.substr(f, static_cast<std::size_t>(n)));
}

int CString::Find(char c, int start) const {
  if (start < 0) start = 0;
  std::size_t i = m_s.find(c, static_cast<std::size_t>(start));
  return i == std::string::npos ? -1 : static_cast<int>(i);
}

int CString::ReverseFind(char c) const {
  std::size_t i = m_s.rfind(c);
  return i == std::string::npos ? -1 : static_cast<int>(i);
}

// ---- string lists ------------------------------------------------------------------
//
// Nodes and texts are pool blocks of the list's heap record (tagged blocks
// of the general allocator when it has none), so each block knows where it
// goes back to.

struct CStringList::Node : __POSITION {
  char* text;
  Node* prev;
  Node* next;
};

CStringList::CStringList(int /*blockSize*/, HANDLEMA* heap) : m_heap(heap) {}

CStringList::~CStringList() { RemoveAll(); }

POSITION CStringList::Link(const char* s, Node* prev, Node* next) {
  if (!s) s = "";
  std::size_t size = std::strlen(s) + 1;
  void* block = tavrin::PoolAlloc(m_heap, sizeof(Node));
  char* text = block ? tavrin::TextAlloc(m_heap, size) : nullptr;
  if (!text) {
    tavrin::PoolFree(block);
    return nullptr;
  }
  if (text != tavrin::SharedEmptyText()) std::memcpy(text, s, size);
  Node* n = new (block) Node;
  n->text = text;
  n->prev = prev;
  n->next = next;
  if (prev) prev->next = n; else m_head = n;
  if (next) next->prev = n; else m_tail = n;
  ++m_count;
  return n;
}

POSITION CStringList::AddTail(const char* s) { return Link(s, m_tail, nullptr); }
POSITION CStringList::AddHead(const char* s) { return Link(s, nullptr, m_head); }
POSITION CStringList::GetHeadPosition() const { return m_head; }
POSITION CStringList::GetTailPosition() const { return m_tail; }
CString CStringList::GetHead() const { return CString(m_head->text); }
CString CStringList::GetTail() const { return CString(m_tail->text); }

CString CStringList::GetNext(POSITION& pos) const {
  Node* n = static_cast<Node*>(pos);
  pos = n->next;
  return CString(n->text);
}

CString CStringList::GetPrev(POSITION& pos) const {
  Node* n = static_cast<Node*>(pos);
  pos = n->prev;
  return CString(n->text);
}

CString CStringList::GetAt(POSITION pos) const { return CString(static_cast<Node*>(pos)->text); }

void CStringList::RemoveAt(POSITION pos) {
  Node* n = static_cast<Node*>(pos);
  if (n->prev) n->prev->next = n->next; else m_head = n->next;
  if (n->next) n->next->prev = n->prev; else m_tail = n->prev;
  tavrin::TextFree(n->text);
  tavrin::PoolFree(n);
  --m_count;
}

void CStringList::RemoveAll() {
  for (Node* n = m_head; n;) {
    Node* next = n->next;
    tavrin::TextFree(n->text);
    tavrin::PoolFree(n);
    n = next;
  }
  m_head = m_tail = nullptr;
  m_count = 0;
}

POSITION CStringList::Find(const char* s) const {
  if (!s) s = "";
  for (Node* n = m_head; n; n = n->next)
    if (std::strcmp(n->text, s) == 0) return n;
  return nullptr;
}
