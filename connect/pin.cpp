// Pins that are design elements: virtual pins of a scalar net and
// board-description pins of a part instance. The pin interface is the first
// base and holds no heap record, so the design element part claims the
// allocation's record as usual.
#include "connect/references.h"
#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/connect.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SVirtualPin);
TAVRIN_REGISTER_FACTORY(SEbdPin);

namespace {
SUnitlessValue* Replace(SUnitlessValue*& slot, HANDLEMA* heap) {
  delete slot;
  slot = new (heap) SUnitlessValue();
  return slot;
}
bool Clear(SUnitlessValue*& slot) {
  delete slot;
  slot = nullptr;
  return true;
}
double InUnits(const SUnitlessValue* v, g_TavrinUnitType unit) { return v ? v->GetInUnits(unit) : 0.0; }
bool SetInUnits(SUnitlessValue*& slot, HANDLEMA* heap, double amount, g_TavrinUnitType unit) {
  if (!slot) slot = new (heap) SUnitlessValue();
  return slot && slot->SetInUnits(amount, unit);
}
}  // namespace

// ---- virtual pins ------------------------------------------------------------------------

SVirtualPin::SVirtualPin() {}

// The position values are owned; the attached pins are referred to.
SVirtualPin::~SVirtualPin() {
  delete m_x;
  delete m_y;
  m_pins.clear(m_heap);
}

int SVirtualPin::WritePointer(PersistentStore& s) { return s.WritePointer(tavrin::AsObject(this)); }

bool SVirtualPin::InsertPin(SDesignElement* pin) { return tavrin::InsertReference(m_pins, pin, m_heap); }
bool SVirtualPin::RemovePin(SDesignElement* pin) { return m_pins.erase(pin, m_heap); }

double SVirtualPin::GetX(g_TavrinUnitType unit) const { return InUnits(m_x, unit); }
double SVirtualPin::GetY(g_TavrinUnitType unit) const { return InUnits(m_y, unit); }
bool SVirtualPin::SetX(double x, g_TavrinUnitType unit) { return SetInUnits(m_x, m_heap, x, unit); }
bool SVirtualPin::SetY(double y, g_TavrinUnitType unit) { return SetInUnits(m_y, m_heap, y, unit); }
SUnitlessValue* SVirtualPin::CreateXValUnitlessValue() { return Replace(m_x, m_heap); }
SUnitlessValue* SVirtualPin::CreateYValUnitlessValue() { return Replace(m_y, m_heap); }
bool SVirtualPin::DestroyXVal() { return Clear(m_x); }
bool SVirtualPin::DestroyYVal() { return Clear(m_y); }

// The (empty) pin record; the design element record; the net scalar and
// the physical node; the id; X, then Y, each as its reference and record
// or a null reference. The guide flag and the attached pins are not saved.
Persistent::Error SVirtualPin::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SPin::Serialize(s)) return e;
  if (Persistent::Error e = SDesignElement::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Reference(m_netScalar);
  r.Reference(m_physicalNode);
  r.Long(m_id);
  for (SUnitlessValue** value : {&m_x, &m_y}) {
    if (r.Reading() && r.ok()) Clear(*value);
    r.OptionalChild(*value);
  }
  return r.Result();
}

// ---- board-description pins ----------------------------------------------------------------

SEbdPin::SEbdPin() {}

SEbdPin::~SEbdPin() {
  m_pins.clear(m_heap);
  tavrin::TextFree(m_group);
}

int SEbdPin::WritePointer(PersistentStore& s) { return s.WritePointer(tavrin::AsObject(this)); }

bool SEbdPin::InsertPin(SPartPinInstance* pin) { return tavrin::InsertReference(m_pins, pin, m_heap); }
bool SEbdPin::RemovePin(SPartPinInstance* pin) { return m_pins.erase(pin, m_heap); }

bool SEbdPin::SetGroup(const char* group) { return tavrin::SetText(m_heap, m_group, group); }

// Nothing of a board-description pin is saved.
Persistent::Error SEbdPin::Serialize(PersistentStore&) { return 0; }
