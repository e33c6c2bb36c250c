// The numbering of object references during one save: each object gets the
// next free index the first time it is written, and keeps it. Index 0 is
// the null reference.
//
// An object with two TavrinObject bases is one object: a pointer seen for
// the first time is resolved to its complete object, and a pointer to
// another base of an object already numbered is entered as an alias of its
// index. A reference seen again is found by the pointer as given, without
// touching the object.
//
// Lookup is one open-addressed table of 8-byte slots (the pointer's bits 3
// to 34 and its index) with linear probing, sized once from the expected
// count to at most half full and doubled only when the count outgrows it:
// a board of a million objects takes an 18 MB table, which stays in the
// processor's last-level cache. Pointers of one 32 GB address window (the
// session heap's pool chunks, else the first object seen) are told apart
// by those bits alone; the few outside it (objects of the general
// allocator, the session object itself) go to a hash map of their own. The home slot keeps address order (the
// address in 16-byte steps modulo the table size), so a save that walks
// objects about in the order they were allocated walks the table in order
// too. The class name of every index is kept as the object is first seen
// (its memory is then in cache), so the object table is written without
// visiting the objects again. That array is reserved for the expected count
// (memory not touched costs nothing) and grows by at least PID_SIZE entries
// at a time (the environment variable "PID_SIZE", 30000 when absent or not
// a positive number).
#ifndef TAVRIN_PERSIST_REFERENCE_INDEX_H
#define TAVRIN_PERSIST_REFERENCE_INDEX_H

#include <cstddef>
#include <cstdint>
#include <unordered_map>

class TavrinObject;

namespace tavrin {

class ReferenceIndex {
 public:
  // `expected`: about how many objects the save will reference; `near`:
  // an address where most of them lie (null: the first object seen).
  explicit ReferenceIndex(std::size_t expected = 0, const void* near = nullptr);
  ~ReferenceIndex();
  ReferenceIndex(const ReferenceIndex&) = delete;
  ReferenceIndex& operator=(const ReferenceIndex&) = delete;

  // The index of obj (0 for null), handing out the next free one on first
  // sight; -1 when memory is exhausted.
  int64_t IndexOf(const TavrinObject* obj) {
    if (!obj) return 0;
    uintptr_t a = reinterpret_cast<uintptr_t>(obj);
    if ((a >> kWindowShift) == m_window) {
      const Slot* s = Find(a);
      if (s->index) return s->index;
    }
    return Add(obj);
  }
  // Number of indices handed out, including 0.
  uint32_t Count() const { return m_count; }
  // The class name of an index from 1 to Count() - 1.
  const char* ClassOf(uint32_t index) const { return m_classes[index]; }
  std::size_t ChunkSize() const { return m_chunkSize; }

  // PID_SIZE as the environment gives it, or the default.
  static std::size_t ChunkSizeFromEnvironment();

 private:
  static constexpr unsigned kWindowShift = 35;  // 32 tag bits above the 8-byte alignment
  struct Slot {
    uint32_t tag;    // bits 3..34 of the pointer
    uint32_t index;  // 0 when the slot is free
  };
  static uint32_t Tag(uintptr_t a) { return static_cast<uint32_t>(a >> 3); }
  // The slot holding the pointer of the window, or the free slot where it belongs.
  const Slot* Find(uintptr_t a) const { return FindTag(Tag(a)); }
  const Slot* FindTag(uint32_t tag) const {
    std::size_t i = Home(tag);
    while (m_slots[i].index && m_slots[i].tag != tag)
      if (++i == m_slotCount) i = 0;
    return &m_slots[i];
  }
  // (address / 16) modulo the slot count, by multiplication (Lemire's
  // remainder for 32-bit dividends).
  std::size_t Home(uint32_t tag) const {
    __extension__ typedef unsigned __int128 Wide;
    uint64_t low = m_modMagic * (tag >> 1);
    return static_cast<std::size_t>((static_cast<Wide>(low) * m_slotCount) >> 64);
  }
  int64_t Add(const TavrinObject* obj);
  // The index of a pointer (any base) already numbered, 0 when none.
  uint32_t Known(const void* p) const;
  // Enters the pointer under index; false when memory is exhausted.
  bool Enter(const void* p, uint32_t index);
  bool SetSlots(std::size_t count);
  bool GrowClasses();

  std::size_t m_chunkSize;
  Slot* m_slots = nullptr;
  std::size_t m_slotCount = 0;
  uint64_t m_modMagic = 0;
  std::size_t m_used = 0;  // slots taken (indices and aliases)
  uintptr_t m_window = UINTPTR_MAX;  // set by the first object seen
  std::unordered_map<const void*, uint32_t> m_far;  // pointers outside the window
  const char** m_classes = nullptr;
  std::size_t m_capacity = 0;  // entries of m_classes
  uint32_t m_count = 1;
  bool m_failed = false;
};

}  // namespace tavrin

#endif
