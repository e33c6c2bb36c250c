#include "persist/reference_index.h"

#include <cstdlib>

#include "tavrin/core.h"

namespace tavrin {

namespace {
constexpr std::size_t kDefaultChunk = 30000;
// Larger values would only waste memory on small saves.
constexpr std::size_t kMaxChunk = std::size_t(1) << 24;
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
  while (m_bucketBits < 24 && (std::size_t(1) << m_bucketBits) < expected) ++m_bucketBits;
  m_buckets = static_cast<Node**>(std::calloc(std::size_t(1) << m_bucketBits, sizeof(Node*)));
  m_capacity = m_chunkSize + 1;
  m_objects = static_cast<const TavrinObject**>(std::malloc(m_capacity * sizeof *m_objects));
  if (!m_buckets || !m_objects) m_failed = true;
  else m_objects[0] = nullptr;
}

ReferenceIndex::~ReferenceIndex() {
  for (std::size_t i = 0; i < m_chunkCount; ++i) std::free(m_chunks[i]);
  std::free(m_chunks);
  std::free(m_buckets);
  std::free(m_objects);
}

// Objects are at least 64 bytes apart in their pools (a smaller one only
// lengthens a chain).
std::size_t ReferenceIndex::Bucket(const void* key) const {
  uintptr_t a = reinterpret_cast<uintptr_t>(key) >> 6;
  return static_cast<std::size_t>((a ^ (a >> m_bucketBits)) & ((std::size_t(1) << m_bucketBits) - 1));
}

bool ReferenceIndex::GrowBuckets() {
  std::size_t oldCount = std::size_t(1) << m_bucketBits;
  Node** fresh = static_cast<Node**>(std::calloc(oldCount * 2, sizeof(Node*)));
  if (!fresh) return false;  // keep the longer chains
  Node** old = m_buckets;
  m_buckets = fresh;
  ++m_bucketBits;
  for (std::size_t b = 0; b < oldCount; ++b) {
    for (Node* n = old[b]; n;) {
      Node* next = n->next;
      std::size_t nb = Bucket(n->key);
      n->next = m_buckets[nb];
      m_buckets[nb] = n;
      n = next;
    }
  }
  std::free(old);
  return true;
}

ReferenceIndex::Node* ReferenceIndex::NewNode() {
  if (m_nodesLeft == 0) {
    if (m_chunkCount == m_chunkCapacity) {
      std::size_t cap = m_chunkCapacity ? m_chunkCapacity * 2 : 16;
      Node** grown = static_cast<Node**>(std::realloc(m_chunks, cap * sizeof(Node*)));
      if (!grown) return nullptr;
      m_chunks = grown;
      m_chunkCapacity = cap;
    }
    Node* chunk = static_cast<Node*>(std::malloc(m_chunkSize * sizeof(Node)));
    if (!chunk) return nullptr;
    m_chunks[m_chunkCount++] = chunk;
    m_nodesLeft = m_chunkSize;
  }
  return m_chunks[m_chunkCount - 1] + (m_chunkSize - m_nodesLeft--);
}

int64_t ReferenceIndex::IndexOf(const TavrinObject* obj) {
  if (!obj) return 0;
  if (m_failed) return -1;
  const void* key = dynamic_cast<const void*>(obj);
  std::size_t b = Bucket(key);
  for (Node* n = m_buckets[b]; n; n = n->next)
    if (n->key == key) return static_cast<int64_t>(n->number) - 1;
  if (m_count == UINT32_MAX) return -1;
  if (m_count + 1 >= m_capacity) {
    std::size_t step = m_capacity / 2 > m_chunkSize ? m_capacity / 2 : m_chunkSize;
    auto* grown = static_cast<const TavrinObject**>(
        std::realloc(m_objects, (m_capacity + step) * sizeof *m_objects));
    if (!grown) return -1;
    m_objects = grown;
    m_capacity += step;
  }
  Node* n = NewNode();
  if (!n) return -1;
  n->key = key;
  n->number = m_count + 1;
  n->next = m_buckets[b];
  m_buckets[b] = n;
  m_objects[m_count] = obj;
  ++m_count;
  if (m_count > (std::size_t(2) << m_bucketBits)) GrowBuckets();
  return static_cast<int64_t>(m_count) - 1;
}

}  // namespace tavrin
