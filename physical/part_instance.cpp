// Part instances with their pin instances and EBD pins; part pin instances;
// connector pin instances.
#include <cstdint>
#include <cstring>

#include "connect/references.h"
#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/physical.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SPartInstance);
TAVRIN_REGISTER_FACTORY(SPartPinInstance);
TAVRIN_REGISTER_FACTORY(SConnectorPinInstance);

namespace {

// The identifier a saved part instance or pin instance keeps, and the mark
// of the record form that holds its coordinates as plain integers.
const int32_t kSavedId = -1;

// Record item "X and Y". Written as two longs. Read as two longs after the
// mark; a record with another identifier has the older form in which each
// coordinate is an optional unitless value: its integer becomes the
// coordinate (0 for a null reference) and the value object goes.
void Coordinates(tavrin::Record& r, int32_t id, int32_t& x, int32_t& y) {
  if (r.Writing() || id == kSavedId) {
    r.Long(x);
    r.Long(y);
    return;
  }
  for (int32_t* c : {&x, &y}) {
    SUnitlessValue* v = nullptr;
    r.OptionalChild(v);
    if (r.ok()) *c = v ? static_cast<int32_t>(v->GetValue()) : 0;
    if (v) r.store().DeleteClaimed(v);
    if (!r.ok()) return;
  }
}

// Item "identifier": the object takes the mark for good and writes it.
void SavedId(tavrin::Record& r, int32_t& id) {
  if (r.Writing()) id = kSavedId;
  r.Long(id);
}

}  // namespace

// ---- part instances --------------------------------------------------------------------

SPartInstance::SPartInstance() { SPartInstance::InternalUpdate(); }

// A pin instance or EBD pin whose entry a later one took over, or that
// Destroy unlinked, is no longer held: only those of the maps are deleted.
SPartInstance::~SPartInstance() {
  tavrin::DeleteMapped(m_partPinInstances);
  tavrin::DeleteMapped(m_ebdPins);
  tavrin::TextFree(m_refDes);
  m_refDes = nullptr;
}

void SPartInstance::InternalUpdate() {
  m_partPinInstances.SetHeap(m_heap);
  m_ebdPins.SetHeap(m_heap);
  SCellInstance::InternalUpdate();
}

SPartPinInstance* SPartInstance::CreatePartPinInstance(const char* name) {
  SPartPinInstance* pin = tavrin::CreateNamedChild(m_partPinInstances, m_heap, name);
  if (pin) pin->SetPartInstance(this);
  return pin;
}

SPartPinInstance* SPartInstance::GetPartPinInstance(const char* name) const { return m_partPinInstances.lookup(name); }

bool SPartInstance::HasPartPinInstance(const char* name) const {
  return name && m_partPinInstances.find(name) != m_partPinInstances.end();
}

bool SPartInstance::DestroyPartPinInstance(const char* name) {
  return name && m_partPinInstances.eraseKey(CharM(name));
}

SEbdPin* SPartInstance::CreateEbdPin(const char* name) {
  SEbdPin* pin = tavrin::CreateNamedChild(m_ebdPins, m_heap, name);
  if (pin) pin->SetPartInstance(this);
  return pin;
}

SEbdPin* SPartInstance::GetEbdPin(const char* name) const { return m_ebdPins.lookup(name); }

bool SPartInstance::HasEbdPin(const char* name) const { return name && m_ebdPins.find(name) != m_ebdPins.end(); }

bool SPartInstance::DestroyEbdPin(const char* name) { return name && m_ebdPins.eraseKey(CharM(name)); }

bool SPartInstance::IsPassive() const {
  SCell* cell = GetCell();
  if (!cell || cell->GetAllParts().empty()) return false;
  SPart* part = *cell->GetAllParts().begin();
  if (!part) return false;
  switch (static_cast<int32_t>(part->GetType())) {
    case 1:
    case 3:
    case 5:
    case 6:
      return true;
    default:
      return false;
  }
}

SStringValue* SPartInstance::GetAttributeValue(const char* name) const {
  if (SAssignment* a = GetAssignment(name))
    if (SStringValue* v = SStringValue::Cast(a->GetValue())) return v;
  if (SCell* cell = GetCell())
    if (SAssignment* a = cell->GetAssignment(name)) return SStringValue::Cast(a->GetValue());
  return nullptr;
}

void SPartInstance::SetRefDes(const char* refDes) { tavrin::SetText(m_heap, m_refDes, refDes); }

// Reduced in 64 bits, so that the most negative int has a negation.
void SPartInstance::SetRotation(int degrees) {
  int64_t d = degrees;
  if (d > 360) d %= 360;
  else if (d < -360) d = -((-d) % 360);
  m_rotation = static_cast<int32_t>(d * 1000);
}

double SPartInstance::GetX(g_TavrinUnitType unit) const { return tavrin::ToUnits(m_x, unit); }
double SPartInstance::GetY(g_TavrinUnitType unit) const { return tavrin::ToUnits(m_y, unit); }

bool SPartInstance::SetX(double value, g_TavrinUnitType unit) {
  m_x = tavrin::FromUnits(value, unit);
  return true;
}

bool SPartInstance::SetY(double value, g_TavrinUnitType unit) {
  m_y = tavrin::FromUnits(value, unit);
  return true;
}

// After the cell instance record: 1. the layer; 2. the reference designator;
// 3. the rotation; 4. the identifier (the mark -1 when written); 5. the pin
// instances (key text, reference and record, filed under the key read);
// 6. X and Y in the form the identifier read names. The EBD pins are not
// saved.
Persistent::Error SPartInstance::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SCellInstance::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Int(m_layer);
  r.String(m_refDes);
  r.Int(m_rotation);
  SavedId(r, m_id);
  r.ChildMap(m_partPinInstances);
  Coordinates(r, m_id, m_x, m_y);
  return r.Result();
}

// ---- part pin instances -------------------------------------------------------------------

SPartPinInstance::SPartPinInstance() {}

SPartPinInstance::~SPartPinInstance() {
  tavrin::TextFree(m_drillOverride);
  tavrin::TextFree(m_padStackOverride);
  m_drillOverride = m_padStackOverride = nullptr;
}

void SPartPinInstance::SetDrillOverride(const char* text) { tavrin::SetText(m_heap, m_drillOverride, text); }

void SPartPinInstance::SetPadStackOverride(const char* text) { tavrin::SetText(m_heap, m_padStackOverride, text); }

double SPartPinInstance::GetX(g_TavrinUnitType unit) const { return tavrin::ToUnits(m_x, unit); }
double SPartPinInstance::GetY(g_TavrinUnitType unit) const { return tavrin::ToUnits(m_y, unit); }

bool SPartPinInstance::SetX(double value, g_TavrinUnitType unit) {
  m_x = tavrin::FromUnits(value, unit);
  return true;
}

bool SPartPinInstance::SetY(double value, g_TavrinUnitType unit) {
  m_y = tavrin::FromUnits(value, unit);
  return true;
}

void SPartPinInstance::GetPinName(CString& out) const {
  out = m_partInstance ? m_partInstance->GetName() : nullptr;
  out += '-';
  out += GetName();
}

// After the design element record: 1, 2. the drill and pad stack override
// texts; 3. the pad stack, the part pin, the part instance and the port
// instance scalar; 4. the identifier (the mark -1 when written);
// 5. X and Y in the form the identifier read names.
Persistent::Error SPartPinInstance::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SInstance::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.String(m_drillOverride);
  r.String(m_padStackOverride);
  r.Reference(m_padStack);
  r.Reference(m_partPin);
  r.Reference(m_partInstance);
  r.Reference(m_portInstanceScalar);
  SavedId(r, m_id);
  Coordinates(r, m_id, m_x, m_y);
  return r.Result();
}

// ---- connector pin instances --------------------------------------------------------------

SConnectorPinInstance::SConnectorPinInstance()
    : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

SConnectorPinInstance::~SConnectorPinInstance() {
  tavrin::TextFree(m_name);
  m_name = nullptr;
}

void SConnectorPinInstance::SetName(const char* name) { tavrin::SetText(m_heap, m_name, name); }

int SConnectorPinInstance::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

// 1. the name; 2. the port instance scalar; 3. the identifier.
Persistent::Error SConnectorPinInstance::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  r.String(m_name);
  r.Reference(m_portInstanceScalar);
  r.Long(m_id);
  return r.Result();
}
