// Regions of a layer: the common base with its layer, signal regions with
// their trace rules, power-plane regions with their type, insulator regions.
#include "core/pool.h"
#include "persist/record.h"
#include "physical/length_slot.h"
#include "tavrin/physical.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SSignalRegion);
TAVRIN_REGISTER_FACTORY(SPowerPlaneRegion);
TAVRIN_REGISTER_FACTORY(SInsulatorRegion);

// 1. the design element record; 2. the layer (reference).
Persistent::Error SRegion::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SDesignElement::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Reference(m_layer);
  return r.Result();
}

// ---- signal regions -------------------------------------------------------------------

SSignalRegion::~SSignalRegion() {
  tavrin::ClearLength(m_tlf);
  tavrin::ClearLength(m_traceSpacing);
  tavrin::ClearLength(m_traceWidth);
}

SUnitlessValue* SSignalRegion::CreateTLFValUnitlessValue() { return tavrin::ReplaceLength(m_tlf, m_heap); }
SUnitlessValue* SSignalRegion::CreateTraceSpacingValUnitlessValue() {
  return tavrin::ReplaceLength(m_traceSpacing, m_heap);
}
SUnitlessValue* SSignalRegion::CreateTraceWidthValUnitlessValue() { return tavrin::ReplaceLength(m_traceWidth, m_heap); }
bool SSignalRegion::DestroyTLFVal() { return tavrin::ClearLength(m_tlf); }
bool SSignalRegion::DestroyTraceSpacingVal() { return tavrin::ClearLength(m_traceSpacing); }
bool SSignalRegion::DestroyTraceWidthVal() { return tavrin::ClearLength(m_traceWidth); }

bool SSignalRegion::SetTLF(double value, g_TavrinUnitType unit) { return tavrin::SetLength(m_tlf, m_heap, value, unit); }
bool SSignalRegion::SetTraceSpacing(double value, g_TavrinUnitType unit) {
  return tavrin::SetLength(m_traceSpacing, m_heap, value, unit);
}
bool SSignalRegion::SetTraceWidth(double value, g_TavrinUnitType unit) {
  return tavrin::SetLength(m_traceWidth, m_heap, value, unit);
}
double SSignalRegion::GetTLF(g_TavrinUnitType unit) const { return tavrin::LengthIn(m_tlf, unit); }
double SSignalRegion::GetTraceSpacing(g_TavrinUnitType unit) const { return tavrin::LengthIn(m_traceSpacing, unit); }
double SSignalRegion::GetTraceWidth(g_TavrinUnitType unit) const { return tavrin::LengthIn(m_traceWidth, unit); }

// 1. the region record; 2. the id; 3. TLF, trace spacing and trace width
// (owned, or null).
Persistent::Error SSignalRegion::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SRegion::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Long(m_id);
  tavrin::LengthItem(r, m_tlf);
  tavrin::LengthItem(r, m_traceSpacing);
  tavrin::LengthItem(r, m_traceWidth);
  return r.Result();
}

// ---- power-plane regions ----------------------------------------------------------------

// Shared by every new region and never handed to the pool: the setter, the
// reader and the destructor take it for no text.
const char* const SPowerPlaneRegion::kUnknownType = "<Unknown>";

namespace {
// The type as a text the pool may reuse or free: the shared one is none.
char*& OwnedType(char*& type) {
  if (type == SPowerPlaneRegion::kUnknownType) type = nullptr;
  return type;
}
}  // namespace

SPowerPlaneRegion::SPowerPlaneRegion() : m_type(const_cast<char*>(kUnknownType)) {}

SPowerPlaneRegion::~SPowerPlaneRegion() {
  tavrin::TextFree(OwnedType(m_type));
  m_type = nullptr;
}

void SPowerPlaneRegion::SetType(const char* text) {
  char* old = m_type;
  if (!tavrin::SetText(m_heap, OwnedType(m_type), text)) m_type = old;  // memory exhausted: unchanged
}

// 1. the region record; 2. the type (a new region's "<Unknown>" is written
// as that text); 3. the id.
Persistent::Error SPowerPlaneRegion::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SRegion::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  if (r.Reading()) OwnedType(m_type);
  r.String(m_type);
  r.Long(m_id);
  return r.Result();
}

// ---- insulator regions ------------------------------------------------------------------

// 1. the region record; 2. the id.
Persistent::Error SInsulatorRegion::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SRegion::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Long(m_id);
  return r.Result();
}
