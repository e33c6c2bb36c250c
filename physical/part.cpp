// Parts: the owned pins, the pin mappings and packages a part may use, the
// selections among them and the discrete pin pairs; part pins.
#include "connect/references.h"
#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/physical.h"

TAVRIN_REGISTER_FACTORY(SPart);
TAVRIN_REGISTER_FACTORY(SPartPin);

SPart::SPart() { SPart::InternalUpdate(); }

// A pin whose entry a later pin took over, or that Destroy unlinked, is no
// longer the part's: only the pins of the map are deleted.
SPart::~SPart() {
  tavrin::DeleteMapped(m_partPins);
  m_discretePinPairs.RemoveAll();
  m_packages.clear();
  m_pinMappings.clear();
}

void SPart::InternalUpdate() {
  m_partPins.SetHeap(m_heap);
  m_pinMappings.SetHeap(m_heap);
  m_packages.SetHeap(m_heap);
  SPhysicalRepresentation::InternalUpdate();
}

// ---- pins ---------------------------------------------------------------------------

SPartPin* SPart::CreatePartPin(const char* name) {
  SPartPin* pin = tavrin::CreateNamedChild(m_partPins, m_heap, name);
  if (pin) pin->SetPart(this);
  return pin;
}

SPartPin* SPart::GetPartPin(const char* name) const { return m_partPins.lookup(name); }

bool SPart::HasPartPin(const char* name) const { return name && m_partPins.find(name) != m_partPins.end(); }

bool SPart::DestroyPartPin(const char* name) { return name && m_partPins.eraseKey(CharM(name)); }

// ---- packages and pin mappings ------------------------------------------------------

SPackage* SPart::GetPackage(const char* name) const { return m_packages.lookup(name); }

bool SPart::HasPackage(const char* name) const { return name && m_packages.find(name) != m_packages.end(); }

bool SPart::SetPackage(const char* name, SPackage* package) {
  if (!name || !package || !package->GetName() || HasPackage(name)) return false;
  return !RelMap<CharM, SPackage*>::Failed(m_packages.insert(CharM(package->GetName()), package));
}

bool SPart::RemovePackage(const char* name) { return name && m_packages.eraseKey(CharM(name)); }

bool SPart::SetPinMapping(const char* name, SPinMapping* mapping) {
  if (!name || !mapping || !mapping->GetName()) return false;
  SPinMapping* filed = m_pinMappings.lookup(name);
  if (filed && filed->GetName() && m_pinMappings.find(filed->GetName()) != m_pinMappings.end()) return false;
  if (RelMap<CharM, SPinMapping*>::Failed(m_pinMappings.insert(CharM(mapping->GetName()), mapping))) return false;
  if (!m_selectedMapping) m_selectedMapping = mapping;
  return true;
}

SPinMapping* SPart::GetPinMapping(const char* name) const { return m_pinMappings.lookup(name); }

bool SPart::HasPinMapping(const char* name) const { return name && m_pinMappings.find(name) != m_pinMappings.end(); }

bool SPart::RemovePinMapping(const char* name) { return name && m_pinMappings.eraseKey(CharM(name)); }

// ---- discrete pin pairs ---------------------------------------------------------------

void SPart::AddDiscretePinPair(const char* text) {
  if (text) m_discretePinPairs.AddTail(text);
}

// The count is taken first, so a part's own list is appended once; what
// was appended before memory ran out is taken back.
void SPart::AddDiscretePinPair(const CStringList& list) {
  int before = m_discretePinPairs.GetCount();
  int n = list.GetCount();
  POSITION pos = list.GetHeadPosition();
  for (int i = 0; i < n && pos; ++i) {
    if (m_discretePinPairs.AddTail(list.GetNext(pos))) continue;
    while (m_discretePinPairs.GetCount() > before) m_discretePinPairs.RemoveAt(m_discretePinPairs.GetTailPosition());
    return;
  }
}

bool SPart::DestroyDiscretePinPair(const char* text) {
  if (!text) return false;
  POSITION pos = m_discretePinPairs.Find(text);
  if (!pos) return false;
  m_discretePinPairs.RemoveAt(pos);
  return true;
}

bool SPart::DestroyAllDiscretePinPairs() {
  m_discretePinPairs.RemoveAll();
  return true;
}

bool SPart::HasDiscretePinPair(const char* text) const { return text && m_discretePinPairs.Find(text) != nullptr; }

// ---- record -----------------------------------------------------------------------------

// After the physical representation record: 1. the type; 2. the selected
// package; 3. the pin mappings (key text and reference, filed under the key
// read: a mapping of a library written later has no name yet); 4. the
// selected mapping; 5. the packages, as the mappings; 6. the id; 7. the pins
// (key text, reference and record, filed under the key read). The discrete
// pin pairs are not saved.
Persistent::Error SPart::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SPhysicalRepresentation::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  int32_t type = m_type;
  r.Int(type);
  m_type = static_cast<TavrinPartType>(type);
  r.Reference(m_selectedPackage);
  r.ReferenceMap(m_pinMappings);
  r.Reference(m_selectedMapping);
  r.ReferenceMap(m_packages);
  r.Long(m_id);
  r.ChildMap(m_partPins);
  return r.Result();
}

// ---- part pins ----------------------------------------------------------------------------

SPartPin::SPartPin() {}

// 1. the design element record; 2, 3. X and Y; 4. the part; 5. the package
// pin; 6. the id.
Persistent::Error SPartPin::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SInstantiator::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Long(m_x);
  r.Long(m_y);
  r.Reference(m_part);
  r.Reference(m_packagePin);
  r.Long(m_id);
  return r.Result();
}
