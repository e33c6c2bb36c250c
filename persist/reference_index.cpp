#include "persist/reference_index.h"

#include <cstdlib>

#include "tavrin/core.h"

namespace tavrin {

namespace {
constexpr std::size_t kDefaultChunk = 30000;
// Larger values would only waste memory on small saves.
constexpr std::size_t kMaxChunk = std::size_t(1) << 24;
constexpr std::size_t kMinBucketBits = 12;
constexpr std::size_t kMaxBucketBits = 30;
// Indices are 32-bit numbers; the last one stays free as the limit.
constexpr std::size_t kMaxEntries = UINT32_MAX;
}  // namespace

std::size_t ReferenceIndex::ChunkSizeFromEnvironment() {
  const char* v = std::getenv("PID_SIZE");
  if (!v || !*v) return kDefaultChunk;
  char* end = nullptr;
  long long n = std::strtoll(v, &end, 10);
  if (*end != '\0' || n <= 0) return kDefaultChunk;
  return static_cast<unsigned long long>(n) > kMaxChunk ? kMaxChunk : static_cast<std::size_t>(n);
}

ReferenceIndex::ReferenceIndex(std::size_t expected) : m_chunkSize(ChunkSizeFromEnvironment()) {
  if (expected > kMaxEntries - 1) expected = kMaxEntries - 1;
  m_bucketBits = kMinBucketBits;
  while (m_bucketBits < 24 && (std::size_t(2) << m_bucketBits) < expected) ++m_bucketBits;
  m_buckets = static_cast<uint32_t*>(std::calloc(std::size_t(1) << m_bucketBits, sizeof(uint32_t)));
  m_capacity = (expected > m_chunkSize ? expected : m_chunkSize) + 1;
  m_entries = static_cast<Entry*>(std::malloc(m_capacity * sizeof *m_entries));
  m_objects = static_cast<const TavrinObject**>(std::malloc(m_capacity * sizeof *m_objects));
  if (!m_buckets || !m_entries || !m_objects) {
    m_failed = true;
  } else {
    m_entries[0] = Entry{nullptr, 0};
    m_objects[0] = nullptr;
  }
}

ReferenceIndex::~ReferenceIndex() {
  std::free(m_buckets);
  std::free(m_entries);
  std::free(m_objects);
}

// Objects are at least 64 bytes apart in their pools (a smaller one only
// lengthens a chain).
std::size_t ReferenceIndex::Bucket(const void* key) const {
  uintptr_t a = reinterpret_cast<uintptr_t>(key) >> 6;
  return static_cast<std::size_t>((a ^ (a >> m_bucketBits)) & ((std::size_t(1) << m_bucketBits) - 1));
}

bool ReferenceIndex::GrowBuckets() {
  if (m_bucketBits >= kMaxBucketBits) return false;
  uint32_t* fresh = static_cast<uint32_t*>(std::calloc(std::size_t(2) << m_bucketBits, sizeof(uint32_t)));
  if (!fresh) return false;  // keep the longer chains
  std::free(m_buckets);
  m_buckets = fresh;
  ++m_bucketBits;
  for (uint32_t i = 1; i < m_count; ++i) {
    std::size_t b = Bucket(m_entries[i].key);
    m_entries[i].next = m_buckets[b];
    m_buckets[b] = i;
  }
  return true;
}

bool ReferenceIndex::GrowEntries() {
  std::size_t step = m_capacity / 2 > m_chunkSize ? m_capacity / 2 : m_chunkSize;
  std::size_t cap = m_capacity + step > kMaxEntries ? kMaxEntries : m_capacity + step;
  if (cap <= m_capacity) return false;
  auto* entries = static_cast<Entry*>(std::realloc(m_entries, cap * sizeof *m_entries));
  if (!entries) return false;
  m_entries = entries;
  auto* objects = static_cast<const TavrinObject**>(std::realloc(m_objects, cap * sizeof *m_objects));
  if (!objects) return false;
  m_objects = objects;
  m_capacity = cap;
  return true;
}

int64_t ReferenceIndex::IndexOf(const TavrinObject* obj) {
  if (!obj) return 0;
  if (m_failed) return -1;
  const void* key = dynamic_cast<const void*>(obj);
  std::size_t b = Bucket(key);
  for (uint32_t i = m_buckets[b]; i; i = m_entries[i].next)
    if (m_entries[i].key == key) return i;
  if (m_count >= kMaxEntries - 1) return -1;
  if (m_count >= m_capacity && !GrowEntries()) return -1;
  uint32_t index = m_count++;
  m_entries[index] = Entry{key, m_buckets[b]};
  m_objects[index] = obj;
  m_buckets[b] = index;
  if (m_count > (std::size_t(1) << m_bucketBits)) GrowBuckets();
  return index;
}

}  // namespace tavrin
