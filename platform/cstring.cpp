#include <cstdio>
#include <cstring>
#include <vector>

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

POSITION CStringList::Find(const char* s) const {
  for (POSITION p = GetHeadPosition(); p;) {
    POSITION here = p;
    if (GetNext(p) == s) return here;
  }
  return nullptr;
}
