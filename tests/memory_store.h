// An in-memory store for record round trips: each primitive becomes the text
// lines of the file encoding (a decimal line per 32-bit integer, "%.8f"
// floats, "%.12f" doubles, a characters line per text, an index line per
// reference). Writing builds the object table; reading creates one object
// per table entry by class name on a session heap and resolves references
// through it.
#ifndef TAVRIN_TESTS_MEMORY_STORE_H
#define TAVRIN_TESTS_MEMORY_STORE_H

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <tavrin/tavrin.h>

namespace tavrin_test {

class MemoryStore : public PersistentStore {
 public:
  // A writing store.
  MemoryStore() : PersistentStore(1), m_classes(1) {}

  // A reading store over `lines`; `classes` names the class of each index
  // ("class X" or "X"; entry 0 is the null reference). Unknown names give
  // null entries.
  MemoryStore(std::vector<std::string> lines, std::vector<std::string> classes, HANDLEMA* heap)
      : PersistentStore(0), m_lines(std::move(lines)), m_classes(std::move(classes)) {
    std::vector<TavrinObject*> objects(m_classes.size(), nullptr);
    for (std::size_t i = 1; i < m_classes.size(); ++i) {
      std::string name = m_classes[i];
      if (name.compare(0, 6, "class ") == 0) name.erase(0, 6);
      objects[i] = Dynamic::CreateByClassName(name.c_str(), heap);
    }
    SetReadObjects(objects);
  }

  const std::vector<std::string>& lines() const { return m_lines; }
  const std::vector<std::string>& classes() const { return m_classes; }
  std::size_t position() const { return m_pos; }
  bool AtEnd() const { return m_pos == m_lines.size(); }

  // Reads the root reference and claims it, as an owner would.
  TavrinObject* ReadRoot() {
    TavrinObject* o = ReadPointer();
    if (o && !ClaimOwned(o)) MarkDamaged();
    return o;
  }

  unsigned WriteUnsigned(const void* b, unsigned, unsigned n) override { return WriteInts(b, n); }
  unsigned WriteKey(const void* b, unsigned, unsigned n) override { return WriteInts(b, n); }
  unsigned WriteInt(const void* b, unsigned, unsigned n) override { return WriteInts(b, n); }
  unsigned WriteLong(const void* b, unsigned, unsigned n) override { return WriteInts(b, n); }
  unsigned WriteFloat(const void* b, unsigned, unsigned n) override {
    const float* f = static_cast<const float*>(b);
    for (unsigned i = 0; i < n; ++i) Push("%.8f", static_cast<double>(f[i]));
    return n;
  }
  unsigned WriteDouble(const void* b, unsigned, unsigned n) override {
    const double* d = static_cast<const double*>(b);
    for (unsigned i = 0; i < n; ++i) Push("%.12f", d[i]);
    return n;
  }
  unsigned WriteChars(const char* b, unsigned size, unsigned n) override {
    if (!size || !n) return 0;
    m_lines.push_back(b);
    return n;
  }
  int WritePointer(const TavrinObject* o) override {
    unsigned index = 0;
    if (o) {
      auto it = m_index.find(o);
      if (it == m_index.end()) {
        it = m_index.emplace(o, static_cast<unsigned>(m_classes.size())).first;
        m_classes.push_back(o->GetClassName());
      }
      index = it->second;
    }
    Push("%u", index);
    return 1;
  }

  unsigned ReadUnsigned(void* b, unsigned, unsigned n) override { return ReadInts(b, n); }
  unsigned ReadInt(void* b, unsigned, unsigned n) override { return ReadInts(b, n); }
  unsigned ReadLong(void* b, unsigned, unsigned n) override { return ReadInts(b, n); }
  unsigned ReadFloat(void* b, unsigned, unsigned n) override {
    for (unsigned i = 0; i < n; ++i) {
      const std::string* line = Next();
      if (!line) return i;
      static_cast<float*>(b)[i] = static_cast<float>(std::strtod(line->c_str(), nullptr));
    }
    return n;
  }
  unsigned ReadDouble(void* b, unsigned, unsigned n) override {
    for (unsigned i = 0; i < n; ++i) {
      const std::string* line = Next();
      if (!line) return i;
      static_cast<double*>(b)[i] = std::strtod(line->c_str(), nullptr);
    }
    return n;
  }
  unsigned ReadChars(char* b, unsigned size, unsigned n) override {
    if (!size || !n) return 0;
    const std::string* line = Next();
    if (!line) return 0;
    std::size_t k = std::min<std::size_t>(line->size(), std::size_t(size) * n);
    std::memcpy(b, line->data(), k);
    b[k] = '\0';
    return n;
  }
  unsigned ReadLine(char* b, unsigned size, unsigned n) override {
    const std::string* line = Next();
    if (!line || !size || !n) return 0;
    std::size_t k = std::min<std::size_t>(line->size(), std::size_t(size) * n - 1);
    std::memcpy(b, line->data(), k);
    b[k] = '\0';
    return n;
  }
  TavrinObject* ReadPointer() override {
    const std::string* line = Next();
    if (!line) return nullptr;
    unsigned long i = std::strtoul(line->c_str(), nullptr, 10);
    return i < ReadObjects().size() ? ReadObjects()[i] : nullptr;
  }
  long Tell() override { return static_cast<long>(m_pos); }
  bool Seek(long p) override {
    if (p < 0 || static_cast<std::size_t>(p) > m_lines.size()) return false;
    m_pos = static_cast<std::size_t>(p);
    return true;
  }

 private:
  template <class V>
  void Push(const char* format, V v) {
    char buf[512];
    std::snprintf(buf, sizeof buf, format, v);
    m_lines.push_back(buf);
  }
  unsigned WriteInts(const void* b, unsigned n) {
    for (unsigned i = 0; i < n; ++i) Push("%d", static_cast<const int32_t*>(b)[i]);
    return n;
  }
  unsigned ReadInts(void* b, unsigned n) {
    for (unsigned i = 0; i < n; ++i) {
      const std::string* line = Next();
      if (!line) return i;
      static_cast<int32_t*>(b)[i] = static_cast<int32_t>(std::strtoll(line->c_str(), nullptr, 10));
    }
    return n;
  }
  // The next line; null (and the store damaged) past the end.
  const std::string* Next() {
    if (m_pos >= m_lines.size()) {
      MarkDamaged();
      return nullptr;
    }
    return &m_lines[m_pos++];
  }

  std::vector<std::string> m_lines;
  std::vector<std::string> m_classes;  // class name per index; entry 0 unused
  std::map<const TavrinObject*, unsigned> m_index;
  std::size_t m_pos = 0;
};

// What writing one object produced: the lines and the class of each index.
struct Saved {
  std::vector<std::string> lines;
  std::vector<std::string> classes;
};

// Writes the object's reference followed by its record.
template <class T>
Saved Save(T* object) {
  MemoryStore out;
  out.WritePointer(object);
  object->Serialize(out);
  EXPECT_FALSE(out.IsDamaged());
  return Saved{out.lines(), out.classes()};
}

// Reads back what Save wrote into new objects on `heap`: the root object,
// or null when the record is damaged or not all lines were read.
template <class T>
T* Load(const Saved& saved, HANDLEMA* heap) {
  MemoryStore in(saved.lines, saved.classes, heap);
  T* root = T::Cast(in.ReadRoot());
  if (!root) return nullptr;
  if (root->Serialize(in) != 0 || in.IsDamaged() || !in.AtEnd()) return nullptr;
  return root;
}

template <class T>
T* RoundTrip(T* object, HANDLEMA* heap) {
  return Load<T>(Save(object), heap);
}

}  // namespace tavrin_test

#endif
