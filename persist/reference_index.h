// The numbering of object references during one save: each object gets the
// next free index the first time it is written, and keeps it. Index 0 is
// the null reference.
//
// An object with two TavrinObject bases is one object: lookup keys by the
// complete object, so a reference written through either base gets the
// same index.
//
// Lookup is a chained hash on the complete object's address, kept in flat
// arrays of 32-bit numbers: each bucket holds the first index of its chain,
// and each index its key and the next index of the chain. Neighbouring
// objects fall into neighbouring buckets, so a save that walks objects in
// about the order they were allocated walks the buckets in order too. The
// per-index arrays are reserved for the expected count (memory that is not
// touched costs nothing) and grow by at least PID_SIZE entries at a time
// (the environment variable "PID_SIZE", 30000 when absent or not a positive
// number); the bucket array starts at half the expected count, since every
// bucket of it is touched, and doubles when there are more indices than
// buckets, so a lookup costs constant time whatever the number of objects.
#ifndef TAVRIN_PERSIST_REFERENCE_INDEX_H
#define TAVRIN_PERSIST_REFERENCE_INDEX_H

#include <cstddef>
#include <cstdint>

class TavrinObject;

namespace tavrin {

class ReferenceIndex {
 public:
  // `expected`: about how many objects the save will reference.
  explicit ReferenceIndex(std::size_t expected = 0);
  ~ReferenceIndex();
  ReferenceIndex(const ReferenceIndex&) = delete;
  ReferenceIndex& operator=(const ReferenceIndex&) = delete;

  // The index of obj (0 for null), handing out the next free one on first
  // sight; -1 when memory is exhausted.
  int64_t IndexOf(const TavrinObject* obj);
  // Number of indices handed out, including 0.
  uint32_t Count() const { return m_count; }
  // The object of an index below Count() (null for 0).
  const TavrinObject* At(uint32_t index) const { return m_objects[index]; }
  std::size_t ChunkSize() const { return m_chunkSize; }

  // PID_SIZE as the environment gives it, or the default.
  static std::size_t ChunkSizeFromEnvironment();

 private:
  struct Entry {
    const void* key;  // the complete object
    uint32_t next;    // next index of the chain, 0 at its end
  };
  std::size_t Bucket(const void* key) const;
  bool GrowBuckets();
  bool GrowEntries();

  std::size_t m_chunkSize;
  uint32_t* m_buckets = nullptr;  // first index of each chain, 0 when empty
  std::size_t m_bucketBits = 12;
  Entry* m_entries = nullptr;
  const TavrinObject** m_objects = nullptr;  // as written (any base)
  std::size_t m_capacity = 0;                // entries of both arrays
  uint32_t m_count = 1;
  bool m_failed = false;
};

}  // namespace tavrin

#endif
