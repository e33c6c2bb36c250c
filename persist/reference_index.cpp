#include "persist/reference_index.h"

#include <cstdlib>
#include <new>

#include "tavrin/core.h"

namespace tavrin {

namespace {
constexpr std::size_t kDefaultChunk = 30000;
// Larger values would only waste memory on small saves.
constexpr std::size_t kMaxChunk = std::size_t(1) << 24;
constexpr std::size_t kMinSlots = 1024;
// Indices are 32-bit numbers; the last one stays free as the limit. The
// remainder by multiplication needs a slot count below 2^32.
constexpr std::size_t kMaxEntries = UINT32_MAX;
constexpr std::size_t kMaxSlots = std::size_t(1) << 31;
}  // namespace

std::size_t ReferenceIndex::ChunkSizeFromEnvironment() {
  const char* v = std::getenv("PID_SIZE");
  if (!v || !*v) return kDefaultChunk;
  char* end = nullptr;
  long long n = std::strtoll(v, &end, 10);
  if (*end != '\0' || n <= 0) return kDefaultChunk;
  return static_cast<unsigned long long>(n) > kMaxChunk ? kMaxChunk : static_cast<std::size_t>(n);
}

ReferenceIndex::ReferenceIndex(std::size_t expected, const void* near) : m_chunkSize(ChunkSizeFromEnvironment()) {
  if (near) m_window = reinterpret_cast<uintptr_t>(near) >> kWindowShift;
  if (expected > kMaxSlots / 2) expected = kMaxSlots / 2;
  m_capacity = (expected > m_chunkSize ? expected : m_chunkSize) + 1;
  m_classes = static_cast<const char**>(std::malloc(m_capacity * sizeof *m_classes));
  if (!m_classes || !SetSlots(2 * expected > kMinSlots ? 2 * expected : kMinSlots)) {
    m_failed = true;
    m_window = UINTPTR_MAX;  // no table to search: every lookup reports the failure
    return;
  }
  m_classes[0] = nullptr;
}

ReferenceIndex::~ReferenceIndex() {
  std::free(m_slots);
  std::free(m_classes);
}

// A fresh zeroed table of `count` slots holding the entries of the old one.
bool ReferenceIndex::SetSlots(std::size_t count) {
  if (count > kMaxSlots) return false;
  Slot* fresh = static_cast<Slot*>(std::calloc(count, sizeof(Slot)));
  if (!fresh) return false;
  Slot* old = m_slots;
  std::size_t oldCount = m_slotCount;
  m_slots = fresh;
  m_slotCount = count;
  m_modMagic = UINT64_MAX / count + 1;
  for (std::size_t i = 0; i < oldCount; ++i)
    if (old[i].index) *const_cast<Slot*>(FindTag(old[i].tag)) = old[i];
  std::free(old);
  return true;
}

uint32_t ReferenceIndex::Known(const void* p) const {
  uintptr_t a = reinterpret_cast<uintptr_t>(p);
  if ((a >> kWindowShift) == m_window) return Find(a)->index;
  auto hit = m_far.find(p);
  return hit == m_far.end() ? 0 : hit->second;
}

bool ReferenceIndex::Enter(const void* p, uint32_t index) {
  uintptr_t a = reinterpret_cast<uintptr_t>(p);
  if ((a >> kWindowShift) != m_window) {
    try {
      m_far.emplace(p, index);
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }
  Slot* s = const_cast<Slot*>(Find(a));
  s->tag = Tag(a);
  s->index = index;
  ++m_used;
  return true;
}

bool ReferenceIndex::GrowClasses() {
  std::size_t step = m_capacity / 2 > m_chunkSize ? m_capacity / 2 : m_chunkSize;
  std::size_t cap = m_capacity + step > kMaxEntries ? kMaxEntries : m_capacity + step;
  if (cap <= m_capacity) return false;
  auto* classes = static_cast<const char**>(std::realloc(m_classes, cap * sizeof *m_classes));
  if (!classes) return false;
  m_classes = classes;
  m_capacity = cap;
  return true;
}

// obj is not in the table: a new object, another base of one numbered, or
// a pointer outside the window.
int64_t ReferenceIndex::Add(const TavrinObject* obj) {
  if (m_failed) return -1;
  if (m_window == UINTPTR_MAX) m_window = reinterpret_cast<uintptr_t>(obj) >> kWindowShift;
  // Room for two more slots (the complete object and an alias) keeps the
  // table at most half full.
  if (2 * (m_used + 2) > m_slotCount && !SetSlots(2 * m_slotCount) && m_used + 2 >= m_slotCount)
    return -1;  // full: no free slot would end a search
  if ((reinterpret_cast<uintptr_t>(obj) >> kWindowShift) != m_window) {
    auto hit = m_far.find(obj);
    if (hit != m_far.end()) return hit->second;
  }
  const void* whole = dynamic_cast<const void*>(obj);
  uint32_t index = whole != obj ? Known(whole) : 0;
  bool fresh = index == 0;
  if (fresh) {
    if (m_count >= kMaxEntries - 1) return -1;
    if (m_count >= m_capacity && !GrowClasses()) return -1;
    index = m_count;
  }
  // A pointer entered without its index handed out would leave the table
  // inconsistent: the numbering fails for good.
  if ((fresh && !Enter(whole, index)) || (whole != obj && !Enter(obj, index))) {
    m_failed = true;
    return -1;
  }
  if (fresh) {
    m_classes[index] = obj->GetClassName();
    ++m_count;
  }
  return index;
}

}  // namespace tavrin
