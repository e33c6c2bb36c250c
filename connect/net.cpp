#include "connect/references.h"
#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/connect.h"
#include "tavrin/design.h"
#include "tavrin/physical.h"

// The elements of the lists are referred to, not owned.
SNet::~SNet() {
  m_schematicSheets.clear(m_heap);
  m_powerPlaneRegions.clear(m_heap);
  m_netBundles.clear(m_heap);
  tavrin::TextFree(m_uid);
}

// A UID read back from a file is the empty text when none was set, so the
// empty text counts as none.
char* SNet::GetUID() const { return m_uid && *m_uid ? m_uid : GetName(); }

void SNet::SetUID(const char* uid) {
  if (uid) tavrin::SetText(m_heap, m_uid, uid);
}

bool SNet::InsertNetBundle(SNetBundle* bundle) { return tavrin::InsertReference(m_netBundles, bundle, m_heap); }
bool SNet::RemoveNetBundle(SNetBundle* bundle) { return m_netBundles.erase(bundle, m_heap); }

bool SNet::InsertPowerPlaneRegion(SPowerPlaneRegion* region) {
  return tavrin::InsertReference(m_powerPlaneRegions, region, m_heap);
}
bool SNet::RemovePowerPlaneRegion(SPowerPlaneRegion* region) { return m_powerPlaneRegions.erase(region, m_heap); }

bool SNet::InsertSchematicSheet(SSchematicSheet* sheet) {
  return tavrin::InsertReference(m_schematicSheets, sheet, m_heap);
}
bool SNet::RemoveSchematicSheet(SSchematicSheet* sheet) { return m_schematicSheets.erase(sheet, m_heap); }

// After the design element record: 1. the UID; 2. the global flag; 3 to 5.
// the bundles, power-plane regions and schematic sheets as counts and
// references.
Persistent::Error SNet::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SDesignElement::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.String(m_uid);
  r.Bool(m_global);
  r.ReferenceList(m_netBundles, m_heap);
  r.ReferenceList(m_powerPlaneRegions, m_heap);
  r.ReferenceList(m_schematicSheets, m_heap);
  return r.Result();
}
