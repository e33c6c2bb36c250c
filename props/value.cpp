// The value base classes and the scalar values.
#include "core/pool.h"
#include "persist/record.h"
#include "props/numeric.h"
#include "tavrin/persist.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SStringValue);
TAVRIN_REGISTER_FACTORY(SRealValue);
TAVRIN_REGISTER_FACTORY(SIntegerValue);
TAVRIN_REGISTER_FACTORY(SBooleanValue);
TAVRIN_REGISTER_FACTORY(SEnumeratedValue);
TAVRIN_REGISTER_FACTORY(SUnitlessValue);

namespace {
int32_t NewId() { return static_cast<int32_t>(GTavrinServer::GetNewId()); }
}  // namespace

// ---- bases: their records are empty --------------------------------------

SValue::SValue() : m_heap(tavrin::ClaimPendingHeap()) {}
SValue::~SValue() {}
Persistent::Error SValue::Serialize(PersistentStore&) { return 0; }
int SValue::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

Persistent::Error SScalarValue::Serialize(PersistentStore& s) { return SValue::Serialize(s); }
Persistent::Error SNumericValue::Serialize(PersistentStore& s) { return SScalarValue::Serialize(s); }

// ---- string ------------------------------------------------------------------

SStringValue::SStringValue() : m_id(NewId()) {}
SStringValue::~SStringValue() { tavrin::TextFree(m_value); }
void SStringValue::SetValue(const char* text) { tavrin::SetText(m_heap, m_value, text); }

Persistent::Error SStringValue::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SScalarValue::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.String(m_value);
  r.Long(m_id);
  return r.Result();
}

// ---- real ----------------------------------------------------------------------

SRealValue::SRealValue() : m_id(NewId()) {}
int SRealValue::GetInteger() const { return tavrin::TruncateToInt32(m_value); }

Persistent::Error SRealValue::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SNumericValue::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Float(m_value);
  r.Long(m_id);
  return r.Result();
}

// ---- integer -------------------------------------------------------------------

SIntegerValue::SIntegerValue() : m_id(NewId()) {}

Persistent::Error SIntegerValue::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SNumericValue::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Int(m_value);
  r.Long(m_id);
  return r.Result();
}

// ---- boolean -------------------------------------------------------------------

SBooleanValue::SBooleanValue() : m_id(NewId()) {}

Persistent::Error SBooleanValue::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SScalarValue::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Bool(m_value);
  r.Long(m_id);
  return r.Result();
}

// ---- enumerated ----------------------------------------------------------------

SEnumeratedValue::SEnumeratedValue() : m_id(NewId()) {}
SEnumeratedValue::~SEnumeratedValue() { tavrin::TextFree(m_name); }
void SEnumeratedValue::SetName(const char* name) { tavrin::SetText(m_heap, m_name, name); }

Persistent::Error SEnumeratedValue::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SScalarValue::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.String(m_name);
  r.Long(m_value);
  r.Long(m_id);
  return r.Result();
}

// ---- unitless ------------------------------------------------------------------

SUnitlessValue::SUnitlessValue() : m_id(NewId()) {}

Persistent::Error SUnitlessValue::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SNumericValue::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Long(m_value);
  r.Long(m_id);
  return r.Result();
}
