// Packages and their pins.
#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/physical.h"

TAVRIN_REGISTER_FACTORY(SPackage);
TAVRIN_REGISTER_FACTORY(SPackagePin);

SPackage::SPackage() {}

SPackage::~SPackage() { tavrin::DeleteListed(m_pins, m_heap); }

SPackagePin* SPackage::CreatePackagePin() {
  SPackagePin* pin = new (m_heap) SPackagePin();
  if (!pin) return nullptr;
  if (!m_pins.insert(pin, m_heap)) {
    delete pin;
    return nullptr;
  }
  pin->SetPackage(this);
  return pin;
}

bool SPackage::DestroyPackagePin(SPackagePin* pin) {
  if (!pin || !m_pins.erase(pin, m_heap)) return false;
  delete pin;
  return true;
}

// After the design element record: 1. the power; 2. the type; 3. the X,
// then the Y length; 4. the library; 5. the id; 6. the pins, each as its
// reference and record (read to the head, so they come back reversed).
Persistent::Error SPackage::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SDesignElement::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Float(m_power);
  int32_t type = m_type;
  r.Int(type);
  m_type = static_cast<TavrinPackageType>(type);
  r.Long(m_xLength);
  r.Long(m_yLength);
  r.Reference(m_library);
  r.Long(m_id);
  r.ChildList(m_pins, m_heap);
  return r.Result();
}

// ---- package pins ----------------------------------------------------------------------

SPackagePin::SPackagePin() {}

// After the design element record: 1. X, then Y; 2. the package; 3. the id.
Persistent::Error SPackagePin::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SDesignElement::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Int(m_x);
  r.Int(m_y);
  r.Reference(m_package);
  r.Long(m_id);
  return r.Result();
}
