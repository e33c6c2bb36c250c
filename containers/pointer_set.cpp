#include "containers/pointer_set.h"

#include <cstdint>
#include <cstdlib>

#include "platform/private_heap.h"
#include "tavrin/core.h"

namespace tavrin {

struct PointerSet {
  std::size_t count;
  std::size_t mask;  // slot count - 1 (a power of two)
  const void* slots[1];
};

namespace {

constexpr std::size_t kFirstSlots = 64;

std::size_t SlotOf(const void* p, std::size_t mask) {
  auto x = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p));
  return static_cast<std::size_t>((x * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

PointerSet* Allocate(HANDLEMA* heap, std::size_t slots) {
  std::size_t bytes = sizeof(PointerSet) + (slots - 1) * sizeof(const void*);
  void* block = heap ? HeapAllocZero(heap->heap, bytes) : std::calloc(1, bytes);
  auto* set = static_cast<PointerSet*>(block);
  if (set) set->mask = slots - 1;
  return set;
}

void Place(PointerSet* set, const void* p) {
  std::size_t i = SlotOf(p, set->mask);
  while (set->slots[i]) i = (i + 1) & set->mask;
  set->slots[i] = p;
  ++set->count;
}

}  // namespace

bool PointerSetContains(const PointerSet* set, const void* p) {
  if (!set || !p) return false;
  for (std::size_t i = SlotOf(p, set->mask); set->slots[i]; i = (i + 1) & set->mask)
    if (set->slots[i] == p) return true;
  return false;
}

PointerSet* PointerSetAdd(HANDLEMA* heap, PointerSet* set, const void* p) {
  if (!p) return set;
  if (!set || (set->count + 1) * 4 > (set->mask + 1) * 3) {
    PointerSet* grown = Allocate(heap, set ? (set->mask + 1) * 2 : kFirstSlots);
    if (!grown) {
      PointerSetFree(heap, set);
      return nullptr;
    }
    if (set)
      for (std::size_t i = 0; i <= set->mask; ++i)
        if (set->slots[i]) Place(grown, set->slots[i]);
    PointerSetFree(heap, set);
    set = grown;
  }
  Place(set, p);
  return set;
}

// Backward-shift deletion: later entries of the probe run move up into the
// hole, so that no lookup stops early at it.
void PointerSetErase(PointerSet* set, const void* p) {
  if (!set || !p) return;
  std::size_t i = SlotOf(p, set->mask);
  while (set->slots[i] != p) {
    if (!set->slots[i]) return;
    i = (i + 1) & set->mask;
  }
  std::size_t hole = i;
  for (std::size_t j = (i + 1) & set->mask; set->slots[j]; j = (j + 1) & set->mask) {
    std::size_t home = SlotOf(set->slots[j], set->mask);
    // The entry at j may fill the hole when its home is not within (hole, j].
    bool between = hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
    if (!between) {
      set->slots[hole] = set->slots[j];
      hole = j;
    }
  }
  set->slots[hole] = nullptr;
  --set->count;
}

void PointerSetFree(HANDLEMA* heap, PointerSet* set) {
  if (!set) return;
  if (heap) HeapFree(heap->heap, set);
  else std::free(set);
}

}  // namespace tavrin
