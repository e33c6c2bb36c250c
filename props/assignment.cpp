// Assignments: SAssignment and its two plain subclasses, SAttribute and
// SProperty.
#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/persist.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SAttribute);
TAVRIN_REGISTER_FACTORY(SProperty);

SAssignment::SAssignment() : m_heap(tavrin::ClaimPendingHeap()) {}

SAssignment::~SAssignment() {
  delete m_value;
  tavrin::TextFree(m_name);
}

void SAssignment::SetName(const char* name) { tavrin::SetText(m_heap, m_name, name); }

int SAssignment::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

template <class T>
T* SAssignment::CreateTypedValue() {
  delete m_value;
  T* v = new (m_heap) T();
  m_value = v;
  return v;
}

SEnumeratedValue* SAssignment::CreateEnumeratedValue() { return CreateTypedValue<SEnumeratedValue>(); }
SBooleanValue* SAssignment::CreateBooleanValue() { return CreateTypedValue<SBooleanValue>(); }
SStringValue* SAssignment::CreateStringValue() { return CreateTypedValue<SStringValue>(); }
SIntegerValue* SAssignment::CreateIntegerValue() { return CreateTypedValue<SIntegerValue>(); }
SRealValue* SAssignment::CreateRealValue() { return CreateTypedValue<SRealValue>(); }
SUnitlessValue* SAssignment::CreateUnitlessValue() { return CreateTypedValue<SUnitlessValue>(); }
SListValue* SAssignment::CreateListValue() { return CreateTypedValue<SListValue>(); }
SRangeValue* SAssignment::CreateRangeValue() { return CreateTypedValue<SRangeValue>(); }

bool SAssignment::DestroyValue() {
  delete m_value;
  m_value = nullptr;
  return true;
}

// The global flag, the name, then the value as a reference and its record
// (or the null reference alone). Reading replaces the name and the value;
// a value that is not an SValue makes the record damaged.
Persistent::Error SAssignment::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  r.Bool(m_isGlobal);
  r.String(m_name);
  if (r.Reading() && r.ok()) DestroyValue();
  r.OptionalChild(m_value);
  return r.Result();
}

SAttribute::SAttribute() : m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

Persistent::Error SAttribute::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SAssignment::Serialize(s)) return e;
  tavrin::Record r(s, GetHeap());
  r.Long(m_id);
  return r.Result();
}

SProperty::SProperty() : m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

Persistent::Error SProperty::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SAssignment::Serialize(s)) return e;
  tavrin::Record r(s, GetHeap());
  r.Long(m_id);
  return r.Result();
}
