// The optional owned lengths of layers and signal regions: one slot holds
// a SUnitlessValue or null.
#ifndef TAVRIN_PHYSICAL_LENGTH_SLOT_H
#define TAVRIN_PHYSICAL_LENGTH_SLOT_H

#include "persist/record.h"
#include "tavrin/props.h"

namespace tavrin {

// A new empty value in place of the one held. The new one is made first, so
// when memory is exhausted the slot keeps its value and null is returned.
inline SUnitlessValue* ReplaceLength(SUnitlessValue*& slot, HANDLEMA* heap) {
  SUnitlessValue* v = new (heap) SUnitlessValue();
  if (!v) return nullptr;
  delete slot;
  slot = v;
  return v;
}

inline bool ClearLength(SUnitlessValue*& slot) {
  delete slot;
  slot = nullptr;
  return true;
}

inline double LengthIn(const SUnitlessValue* v, g_TavrinUnitType unit) { return v ? v->GetInUnits(unit) : 0.0; }

// Makes the value when absent; false only when it cannot be made.
inline bool SetLength(SUnitlessValue*& slot, HANDLEMA* heap, double amount, g_TavrinUnitType unit) {
  if (!slot) slot = new (heap) SUnitlessValue();
  return slot && slot->SetInUnits(amount, unit);
}

// A length in a record: its reference and record, or a null reference.
// Reading deletes the value held before the one read replaces it.
inline void LengthItem(Record& r, SUnitlessValue*& slot) {
  if (r.Reading() && r.ok()) ClearLength(slot);
  r.OptionalChild(slot);
}

}  // namespace tavrin

#endif
