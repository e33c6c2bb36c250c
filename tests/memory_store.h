// An in-memory store for record round trips. Each primitive becomes the text
// lines of the file encoding: a decimal line per 32-bit integer, "%.8f"
// floats, "%.12f" doubles, a line per text, an index line per reference.
// Writing builds the object table; reading creates one object per table entry
// by class name on a session heap and resolves references through it.
#ifndef TAVRIN_TESTS_MEMORY_STORE_H
#define TAVRIN_TESTS_MEMORY_STORE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include <tavrin/tavrin.h>

namespace tavrin_test {

typedef std::vector<std::string> Lines;

class MemoryStore : public PersistentStore {
 public:
  MemoryStore() : PersistentStore(1), m_classes(1) {}
  // Reads `lines`; classes[i] ("X" or "class X") is the class of index i > 0.
  MemoryStore(Lines lines, Lines classes, HANDLEMA* heap)
      : PersistentStore(0), m_lines(std::move(lines)), m_classes(std::move(classes)) {
    std::vector<TavrinObject*> objects(m_classes.size(), nullptr);
    for (std::size_t i = 1; i < m_classes.size(); ++i) {
      const char* name = m_classes[i].c_str();
      objects[i] = Dynamic::CreateByClassName(std::strncmp(name, "class ", 6) ? name : name + 6, heap);
    }
    SetReadObjects(objects);
  }

  const Lines& lines() const { return m_lines; }
  const Lines& classes() const { return m_classes; }
  bool AtEnd() const { return m_pos == m_lines.size(); }
  // Reads a reference and claims the object, as its owner would.
  TavrinObject* ReadRoot() {
    TavrinObject* o = ReadPointer();
    if (o && !ClaimOwned(o)) MarkDamaged();
    return o;
  }

  unsigned WriteUnsigned(const void* b, unsigned, unsigned n) override { return Put<int32_t>(b, n, "%d"); }
  unsigned WriteKey(const void* b, unsigned, unsigned n) override { return Put<int32_t>(b, n, "%d"); }
  unsigned WriteInt(const void* b, unsigned, unsigned n) override { return Put<int32_t>(b, n, "%d"); }
  unsigned WriteLong(const void* b, unsigned, unsigned n) override { return Put<int32_t>(b, n, "%d"); }
  unsigned WriteFloat(const void* b, unsigned, unsigned n) override { return Put<float>(b, n, "%.8f"); }
  unsigned WriteDouble(const void* b, unsigned, unsigned n) override { return Put<double>(b, n, "%.12f"); }
  unsigned WriteChars(const char* b, unsigned size, unsigned n) override {
    if (!size || !n) return 0;
    m_lines.push_back(b);
    return n;
  }
  int WritePointer(const TavrinObject* o) override {
    unsigned index = 0;
    if (o) {
      auto it = m_index.emplace(o, static_cast<unsigned>(m_classes.size()));
      if (it.second) m_classes.push_back(o->GetClassName());
      index = it.first->second;
    }
    m_lines.push_back(std::to_string(index));
    return 1;
  }

  unsigned ReadUnsigned(void* b, unsigned, unsigned n) override { return Get<int32_t>(b, n); }
  unsigned ReadInt(void* b, unsigned, unsigned n) override { return Get<int32_t>(b, n); }
  unsigned ReadLong(void* b, unsigned, unsigned n) override { return Get<int32_t>(b, n); }
  unsigned ReadFloat(void* b, unsigned, unsigned n) override { return Get<float>(b, n); }
  unsigned ReadDouble(void* b, unsigned, unsigned n) override { return Get<double>(b, n); }
  unsigned ReadChars(char* b, unsigned size, unsigned n) override {
    const std::string* line = size && n ? Next() : nullptr;
    if (!line) return 0;
    std::size_t k = std::min<std::size_t>(line->size(), std::size_t(size) * n);
    std::memcpy(b, line->data(), k);
    b[k] = '\0';
    return n;
  }
  TavrinObject* ReadPointer() override {
    const std::string* line = Next();
    unsigned long i = line ? std::strtoul(line->c_str(), nullptr, 10) : 0;
    return i < ReadObjects().size() ? ReadObjects()[i] : nullptr;
  }
  // Records never use these.
  unsigned ReadLine(char*, unsigned, unsigned) override { return 0; }
  long Tell() override { return 0; }
  bool Seek(long) override { return false; }

 private:
  template <class V>
  unsigned Put(const void* b, unsigned n, const char* format) {
    char buf[512];
    for (unsigned i = 0; i < n; ++i) {
      std::snprintf(buf, sizeof buf, format, static_cast<const V*>(b)[i]);
      m_lines.push_back(buf);
    }
    return n;
  }
  template <class V>
  unsigned Get(void* b, unsigned n) {
    for (unsigned i = 0; i < n; ++i) {
      const std::string* line = Next();
      if (!line) return i;
      double d = std::strtod(line->c_str(), nullptr);
      static_cast<V*>(b)[i] = std::is_integral<V>::value ? V(std::strtoll(line->c_str(), nullptr, 10)) : V(d);
    }
    return n;
  }
  // The next line; null, and the store damaged, past the end.
  const std::string* Next() {
    if (m_pos < m_lines.size()) return &m_lines[m_pos++];
    MarkDamaged();
    return nullptr;
  }

  Lines m_lines;
  Lines m_classes;  // class name per index; entry 0 is the null reference
  std::map<const TavrinObject*, unsigned> m_index;
  std::size_t m_pos = 0;
};

// What writing one object produced.
struct Saved {
  Lines lines;
  Lines classes;
};

// The object's reference followed by its record.
template <class T>
Saved Save(T* object) {
  MemoryStore out;
  out.WritePointer(object);
  object->Serialize(out);
  EXPECT_FALSE(out.IsDamaged());
  return Saved{out.lines(), out.classes()};
}

// The root object read back on `heap`; null when the record is damaged or
// leaves lines unread.
template <class T>
T* Load(const Saved& saved, HANDLEMA* heap) {
  MemoryStore in(saved.lines, saved.classes, heap);
  T* root = T::Cast(in.ReadRoot());
  return root && root->Serialize(in) == 0 && !in.IsDamaged() && in.AtEnd() ? root : nullptr;
}

template <class T>
T* RoundTrip(T* object, HANDLEMA* heap) {
  return Load<T>(Save(object), heap);
}

// The elements of a list, head first.
template <class T>
std::vector<T> Items(const RelLinkedList<T>& list) {
  std::vector<T> out;
  for (auto it = list.begin(); it != list.end(); ++it) out.push_back(*it);
  return out;
}

}  // namespace tavrin_test

#endif
