// Layers: material data, optional lengths, the next layer, and the owned
// regions of three kinds, found by name and listed by kind.
#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "physical/length_slot.h"
#include "tavrin/physical.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SLayer);

SLayer::SLayer() { SLayer::InternalUpdate(); }

// Every region of the kind lists is owned and saved, also one whose name a
// later region took over, so the kind lists (not the name map) say what is
// deleted.
SLayer::~SLayer() {
  tavrin::DeleteListed(m_powerPlaneRegions, m_heap);
  tavrin::DeleteListed(m_signalRegions, m_heap);
  tavrin::DeleteListed(m_insulatorRegions, m_heap);
  m_regions.clear();
  tavrin::ClearLength(m_thickness);
  tavrin::ClearLength(m_viaDiameter);
  tavrin::TextFree(m_type);
  tavrin::TextFree(m_conductor);
  tavrin::TextFree(m_dielectricName);
  m_type = m_conductor = m_dielectricName = nullptr;
}

void SLayer::InternalUpdate() { m_regions.SetHeap(m_heap); }

void SLayer::SetType(const char* text) { tavrin::SetText(m_heap, m_type, text); }
void SLayer::SetConductor(const char* text) { tavrin::SetText(m_heap, m_conductor, text); }
void SLayer::SetDielectricName(const char* text) { tavrin::SetText(m_heap, m_dielectricName, text); }

// ---- regions ------------------------------------------------------------------------------

template <class R>
R* SLayer::CreateRegion(const char* name, RelLinkedList<R*>& list) {
  R* region = tavrin::CreateListedChild(m_regions, list, m_heap, name);
  if (region) region->SetLayer(this);
  return region;
}

SSignalRegion* SLayer::CreateSignalRegion(const char* name) { return CreateRegion(name, m_signalRegions); }
SPowerPlaneRegion* SLayer::CreatePowerPlaneRegion(const char* name) { return CreateRegion(name, m_powerPlaneRegions); }
SInsulatorRegion* SLayer::CreateInsulatorRegion(const char* name) { return CreateRegion(name, m_insulatorRegions); }

SRegion* SLayer::GetRegion(const char* name) const { return m_regions.lookup(name); }

bool SLayer::HasRegion(const char* name) const { return name && m_regions.find(name) != m_regions.end(); }

bool SLayer::DestroyRegion(const char* name) {
  if (!name) return false;
  auto it = m_regions.find(name);
  if (it == m_regions.end()) return false;
  SRegion* region = it->second;
  m_regions.erase(it);
  if (SSignalRegion* s = SSignalRegion::Cast(region)) m_signalRegions.erase(s, m_heap);
  else if (SPowerPlaneRegion* p = SPowerPlaneRegion::Cast(region)) m_powerPlaneRegions.erase(p, m_heap);
  else if (SInsulatorRegion* i = SInsulatorRegion::Cast(region)) m_insulatorRegions.erase(i, m_heap);
  return true;
}

// ---- lengths ------------------------------------------------------------------------------

SUnitlessValue* SLayer::CreateThicknessValUnitlessValue() { return tavrin::ReplaceLength(m_thickness, m_heap); }
SUnitlessValue* SLayer::CreateViaDiameterValUnitlessValue() { return tavrin::ReplaceLength(m_viaDiameter, m_heap); }
bool SLayer::DestroyThicknessVal() { return tavrin::ClearLength(m_thickness); }
bool SLayer::DestroyViaDiameterVal() { return tavrin::ClearLength(m_viaDiameter); }

bool SLayer::SetThickness(double value, g_TavrinUnitType unit) {
  return tavrin::SetLength(m_thickness, m_heap, value, unit);
}
bool SLayer::SetViaDiameter(double value, g_TavrinUnitType unit) {
  return tavrin::SetLength(m_viaDiameter, m_heap, value, unit);
}
double SLayer::GetThickness(g_TavrinUnitType unit) const { return tavrin::LengthIn(m_thickness, unit); }
double SLayer::GetViaDiameter(g_TavrinUnitType unit) const { return tavrin::LengthIn(m_viaDiameter, unit); }

// ---- record -------------------------------------------------------------------------------

// After the design element record: 1. type and conductor; 2. the dielectric
// constant; 3. the dielectric name; 4. the number; 5. the stack-up and the
// next layer (references); 6. the id; 7 to 9. the power-plane, signal and
// insulator regions (owned, each filed by name once read; the name map is
// not written); 10, 11. thickness and via diameter (owned, or null).
Persistent::Error SLayer::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SDesignElement::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.String(m_type);
  r.String(m_conductor);
  r.Double(m_dielectricConstant);
  r.String(m_dielectricName);
  r.Int(m_number);
  r.Reference(m_stackUp);
  r.Reference(m_nextLayer);
  r.Long(m_id);
  r.NamedChildList(m_powerPlaneRegions, m_heap, m_regions);
  r.NamedChildList(m_signalRegions, m_heap, m_regions);
  r.NamedChildList(m_insulatorRegions, m_heap, m_regions);
  tavrin::LengthItem(r, m_thickness);
  tavrin::LengthItem(r, m_viaDiameter);
  return r.Result();
}
