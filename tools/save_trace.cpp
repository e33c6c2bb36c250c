#include "save_trace.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <tavrin/design.h>
#include <tavrin/physical.h>
#include <tavrin/props.h>

#include "tool_common.h"

namespace tool {

namespace {

std::size_t Digits(int32_t v) {
  char text[16];
  return static_cast<std::size_t>(std::snprintf(text, sizeof text, "%d", v));
}

template <class T>
bool Named(void* p, const char*& name) {
  const T* named = T::Cast(p);
  if (named) name = named->GetName() ? named->GetName() : "";
  return named != nullptr;
}

}  // namespace

std::string TraceValue::Shown() const {
  char line[400];
  switch (kind) {
    case kFloat: std::snprintf(line, sizeof line, "%.8f", real); return line;
    case kDouble: std::snprintf(line, sizeof line, "%.12f", real); return line;
    case kText: return Quote(text.c_str());
    default: return std::to_string(number);
  }
}

std::size_t TraceValue::FileBytes() const {
  switch (kind) {
    case kFloat:
    case kDouble: return Shown().size() + 1;
    case kText: return Digits(number) + 1 + text.size() + 1;
    default: return Digits(number) + 1;
  }
}

const char* TraceValue::KindName(Kind kind) {
  static const char* const names[] = {"unsigned", "int", "long", "key", "float", "double", "text"};
  return names[kind];
}

SaveTrace::SaveTrace(TraceSink& sink) : PersistentStore(1), m_sink(sink) {}

SaveTrace::~SaveTrace() = default;

void SaveTrace::Run(SSession& session) {
  m_openDepths.assign(1, 0);
  m_openIndices.assign(1, 0);
  m_sink.Open(nullptr, 0, 0);
  session.Serialize(*this);
  // What is still pending belongs to the last record.
  if (m_hasLength) {
    m_hasLength = false;
    CloseDeeperThan(m_lengthDepth);
    m_sink.Value(m_length);
  }
  if (m_hasPending) {
    m_hasPending = false;
    CloseDeeperThan(m_pendingDepth);
    m_sink.Reference(m_objects[m_pending], m_pending);
  }
  CloseDeeperThan(-1);
}

void SaveTrace::CloseDeeperThan(int depth) {
  while (!m_openDepths.empty() && m_openDepths.back() > depth) {
    m_sink.Close(m_openIndices.back());
    m_openDepths.pop_back();
    m_openIndices.pop_back();
  }
}

void SaveTrace::Settle() {
  if (m_hasLength) {
    m_hasLength = false;
    CloseDeeperThan(m_lengthDepth);
    m_sink.Value(m_length);
  }
  if (!m_hasPending) {
    CloseDeeperThan(Depth());
    return;
  }
  m_hasPending = false;
  // Records nested deeper than the one that wrote the reference have ended.
  CloseDeeperThan(m_pendingDepth);
  const TavrinObject* obj = m_objects[m_pending];
  if (Depth() == m_pendingDepth + 1 && obj && !m_owned[m_pending]) {
    m_owned[m_pending] = 1;
    m_openDepths.push_back(Depth());
    m_openIndices.push_back(m_pending);
    m_sink.Open(obj, m_pending, Depth());
    return;
  }
  m_sink.Reference(obj, m_pending);
  CloseDeeperThan(Depth());
}

void SaveTrace::Emit(const TraceValue& value) {
  Settle();
  m_sink.Value(value);
}

unsigned SaveTrace::Integers(TraceValue::Kind kind, const void* buf, unsigned count) {
  for (unsigned i = 0; i < count; ++i) {
    TraceValue v;
    v.kind = kind;
    std::memcpy(&v.number, static_cast<const char*>(buf) + 4 * static_cast<std::size_t>(i), 4);
    // An unsigned may be the length of the text that follows: held back
    // until the next event tells.
    if (kind == TraceValue::kUnsigned && v.number > 0 && count == 1) {
      Settle();
      m_hasLength = true;
      m_length = v;
      m_lengthDepth = Depth();
      continue;
    }
    Emit(v);
  }
  return count;
}

unsigned SaveTrace::Reals(TraceValue::Kind kind, const void* buf, unsigned width, unsigned count) {
  for (unsigned i = 0; i < count; ++i) {
    TraceValue v;
    v.kind = kind;
    const char* at = static_cast<const char*>(buf) + width * static_cast<std::size_t>(i);
    if (width == 4) {
      float f;
      std::memcpy(&f, at, 4);
      v.real = f;
    } else {
      std::memcpy(&v.real, at, 8);
    }
    Emit(v);
  }
  return count;
}

unsigned SaveTrace::WriteUnsigned(const void* buf, unsigned, unsigned count) {
  return Integers(TraceValue::kUnsigned, buf, count);
}
unsigned SaveTrace::WriteInt(const void* buf, unsigned, unsigned count) {
  return Integers(TraceValue::kInt, buf, count);
}
unsigned SaveTrace::WriteLong(const void* buf, unsigned, unsigned count) {
  return Integers(TraceValue::kLong, buf, count);
}
unsigned SaveTrace::WriteKey(const void* buf, unsigned, unsigned count) {
  return Integers(TraceValue::kKey, buf, count);
}
unsigned SaveTrace::WriteFloat(const void* buf, unsigned, unsigned count) {
  return Reals(TraceValue::kFloat, buf, 4, count);
}
unsigned SaveTrace::WriteDouble(const void* buf, unsigned, unsigned count) {
  return Reals(TraceValue::kDouble, buf, 8, count);
}

unsigned SaveTrace::WriteChars(const char* buf, unsigned size, unsigned count) {
  if (!buf || size == 0 || count == 0) return 0;
  TraceValue v;
  v.kind = TraceValue::kText;
  v.text = buf;
  if (m_hasLength && m_lengthDepth == Depth() && static_cast<uint32_t>(m_length.number) == v.text.size()) {
    m_hasLength = false;
    v.number = m_length.number;
    m_sink.Value(v);
    return count;
  }
  // Characters without their length: a text of its own.
  v.number = static_cast<int32_t>(v.text.size());
  Emit(v);
  return count;
}

uint32_t& SaveTrace::Slot(const void* key) {
  if (2 * (m_indexed + 1) > m_index.size()) {
    std::vector<std::pair<const void*, uint32_t>> old(std::max<std::size_t>(1024, 2 * m_index.size()));
    old.swap(m_index);
    m_indexed = 0;
    for (const auto& e : old)
      if (e.first) Slot(e.first) = e.second;
  }
  std::size_t mask = m_index.size() - 1;
  uint64_t h = reinterpret_cast<uintptr_t>(key);
  h = (h ^ (h >> 29)) * 0xbf58476d1ce4e5b9ULL;
  for (std::size_t i = static_cast<std::size_t>(h ^ (h >> 32)) & mask;; i = (i + 1) & mask) {
    if (m_index[i].first == key) return m_index[i].second;
    if (!m_index[i].first) {
      m_index[i].first = key;
      ++m_indexed;
      return m_index[i].second;
    }
  }
}

int SaveTrace::WritePointer(const TavrinObject* obj) {
  Settle();
  uint32_t index = 0;
  if (obj) {
    // One object reached through two of its bases is one index, as in a save.
    uint32_t& slot = Slot(dynamic_cast<const void*>(obj));
    if (!slot) {
      slot = static_cast<uint32_t>(m_objects.size());
      m_objects.push_back(obj);
      m_owned.push_back(0);
    }
    index = slot;
  }
  m_pending = index;
  m_hasPending = true;
  m_pendingDepth = Depth();
  return static_cast<int>(index);
}

std::string ClassOf(const TavrinObject* object) {
  if (!object) return "SSession";
  std::string text = object->GetClassName();
  if (text.compare(0, 6, "class ") == 0) text.erase(0, 6);
  return text;
}

const char* NameOf(const TavrinObject* object) {
  if (!object) return nullptr;
  // The named classes that are not design elements are listed here.
  void* p = const_cast<TavrinObject*>(object);
  const char* name = nullptr;
  if (!Named<SDesignElement>(p, name) && !Named<SLibrary>(p, name) && !Named<SFile>(p, name) &&
      !Named<SAssignment>(p, name) && !Named<SConstraint>(p, name) && !Named<SConstraintSet>(p, name) &&
      !Named<SConstraintGroup>(p, name) && !Named<SPinMapping>(p, name) && !Named<SConnectorPinInstance>(p, name))
    Named<SStackUp>(p, name);
  return name;
}

std::string Label(const TavrinObject* object) {
  std::string text = ClassOf(object);
  const char* name = NameOf(object);
  if (name) text += ' ' + Quote(name);
  return text;
}

}  // namespace tool
