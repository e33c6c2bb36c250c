#include "persist/record.h"
#include "tavrin/persist.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SRangeValue);

SRangeValue::SRangeValue() : m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

SRangeValue::~SRangeValue() {
  delete m_lower;
  delete m_upper;
  delete m_step;
}

bool SRangeValue::Matches(SValue* other) {
  SRangeValue* r = SRangeValue::Cast(other);
  return r && r->m_lower == m_lower && r->m_upper == m_upper && r->m_step == m_step;
}

template <class T>
T* SRangeValue::CreateBound(SNumericValue*& bound) {
  delete bound;
  T* v = new (m_heap) T();
  bound = v;
  return v;
}

SIntegerValue* SRangeValue::CreateLowerIntegerValue() { return CreateBound<SIntegerValue>(m_lower); }
SRealValue* SRangeValue::CreateLowerRealValue() { return CreateBound<SRealValue>(m_lower); }
SUnitlessValue* SRangeValue::CreateLowerUnitlessValue() { return CreateBound<SUnitlessValue>(m_lower); }
SIntegerValue* SRangeValue::CreateUpperIntegerValue() { return CreateBound<SIntegerValue>(m_upper); }
SRealValue* SRangeValue::CreateUpperRealValue() { return CreateBound<SRealValue>(m_upper); }
SUnitlessValue* SRangeValue::CreateUpperUnitlessValue() { return CreateBound<SUnitlessValue>(m_upper); }
SIntegerValue* SRangeValue::CreateStepIntegerValue() { return CreateBound<SIntegerValue>(m_step); }
SRealValue* SRangeValue::CreateStepRealValue() { return CreateBound<SRealValue>(m_step); }
SUnitlessValue* SRangeValue::CreateStepUnitlessValue() { return CreateBound<SUnitlessValue>(m_step); }

bool SRangeValue::DestroyLower() {
  delete m_lower;
  m_lower = nullptr;
  return true;
}
bool SRangeValue::DestroyUpper() {
  delete m_upper;
  m_upper = nullptr;
  return true;
}
bool SRangeValue::DestroyStep() {
  delete m_step;
  m_step = nullptr;
  return true;
}

// Each bound is a reference followed by its record, or the null reference
// alone. Reading replaces the current bound; a bound that is not a numeric
// value makes the record damaged.
Persistent::Error SRangeValue::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SValue::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Long(m_id);
  for (SNumericValue** bound : {&m_lower, &m_upper, &m_step}) {
    if (r.Reading() && r.ok()) {
      delete *bound;
      *bound = nullptr;
    }
    r.OptionalChild(*bound);
  }
  return r.Result();
}
