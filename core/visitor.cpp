#include <atomic>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "core/pool.h"
#include "persist/record.h"
#include "persist/single_object_file.h"
#include "tavrin/core.h"

namespace {
std::atomic<GVisitor*> g_currentVisitor{nullptr};
std::once_flag g_seeded;

// One draw of the generator, 0..32767.
int Draw() { return std::rand() >> 16; }
}  // namespace

TAVRIN_REGISTER_FACTORY(GVisitor);

GVisitor::GVisitor() : m_heap(tavrin::ClaimPendingHeap()) {}

GVisitor::~GVisitor() {}

void GVisitor::VisitAttribute(SAttribute*) {}
void GVisitor::VisitBooleanValue(SBooleanValue*) {}
void GVisitor::VisitCell(SCell*) {}
void GVisitor::VisitConfiguration(SConfiguration*) {}
void GVisitor::VisitConnectivityRepresentation(SConnectivityRepresentation*) {}
void GVisitor::VisitConnectorPinInstance(SConnectorPinInstance*) {}
void GVisitor::VisitConstraint(SConstraint*) {}
void GVisitor::VisitConstraintGroup(SConstraintGroup*) {}
void GVisitor::VisitConstraintInstance(SConstraintInstance*) {}
void GVisitor::VisitConstraintOverride(SConstraintOverride*) {}
void GVisitor::VisitConstraintSet(SConstraintSet*) {}
void GVisitor::VisitElectricalNet(SElectricalNet*) {}
void GVisitor::VisitEnumeratedValue(SEnumeratedValue*) {}
void GVisitor::VisitFile(SFile*) {}
void GVisitor::VisitFromTo(SFromTo*) {}
void GVisitor::VisitGenericCellInstance(SGenericCellInstance*) {}
void GVisitor::VisitInsulatorRegion(SInsulatorRegion*) {}
void GVisitor::VisitIntegerValue(SIntegerValue*) {}
void GVisitor::VisitInterface(SInterface*) {}
void GVisitor::VisitLayer(SLayer*) {}
void GVisitor::VisitLayout(SLayout*) {}
void GVisitor::VisitListValue(SListValue*) {}
void GVisitor::VisitModule(SModule*) {}
void GVisitor::VisitModuleInstance(SModuleInstance*) {}
void GVisitor::VisitNetBundle(SNetBundle*) {}
void GVisitor::VisitNetBus(SNetBus*) {}
void GVisitor::VisitNetScalar(SNetScalar*) {}
void GVisitor::VisitOATContext(SOATContext*) {}
void GVisitor::VisitPackage(SPackage*) {}
void GVisitor::VisitPackageLibrary(SPackageLibrary*) {}
void GVisitor::VisitPackagePin(SPackagePin*) {}
void GVisitor::VisitPad(SPad*) {}
void GVisitor::VisitPadStack(SPadStack*) {}
void GVisitor::VisitPadStackLibrary(SPadStackLibrary*) {}
void GVisitor::VisitPart(SPart*) {}
void GVisitor::VisitPartInstance(SPartInstance*) {}
void GVisitor::VisitPartPin(SPartPin*) {}
void GVisitor::VisitPartPinInstance(SPartPinInstance*) {}
void GVisitor::VisitPhysicalNode(SPhysicalNode*) {}
void GVisitor::VisitPinMapping(SPinMapping*) {}
void GVisitor::VisitPinMappingLibrary(SPinMappingLibrary*) {}
void GVisitor::VisitPinPair(SPinPair*) {}
void GVisitor::VisitPortBundle(SPortBundle*) {}
void GVisitor::VisitPortBus(SPortBus*) {}
void GVisitor::VisitPortInstanceBundle(SPortInstanceBundle*) {}
void GVisitor::VisitPortInstanceBus(SPortInstanceBus*) {}
void GVisitor::VisitPortInstanceScalar(SPortInstanceScalar*) {}
void GVisitor::VisitPortScalar(SPortScalar*) {}
void GVisitor::VisitPowerPlaneRegion(SPowerPlaneRegion*) {}
void GVisitor::VisitProject(SProject*) {}
void GVisitor::VisitProperty(SProperty*) {}
void GVisitor::VisitRangeValue(SRangeValue*) {}
void GVisitor::VisitRealValue(SRealValue*) {}
void GVisitor::VisitSchematicRepresentation(SSchematicRepresentation*) {}
void GVisitor::VisitSchematicSheet(SSchematicSheet*) {}
void GVisitor::VisitSegment(SSegment*) {}
void GVisitor::VisitSession(SSession*) {}
void GVisitor::VisitSignalRegion(SSignalRegion*) {}
void GVisitor::VisitSlot(SSlot*) {}
void GVisitor::VisitSlotInstance(SSlotInstance*) {}
void GVisitor::VisitStackUp(SStackUp*) {}
void GVisitor::VisitStringValue(SStringValue*) {}
void GVisitor::VisitTavrinServer(GTavrinServer*) {}
void GVisitor::VisitUnitlessValue(SUnitlessValue*) {}
void GVisitor::VisitVirtualPin(SVirtualPin*) {}

void GVisitor::Initialize() {
  std::call_once(g_seeded, [] { std::srand(static_cast<unsigned>(std::time(nullptr))); });
  int high = Draw();
  m_visitorId = (high << 16) + Draw();
}

GVisitor* GVisitor::GetCurrent() { return g_currentVisitor.load(std::memory_order_acquire); }

void GVisitor::SetCurrent(GVisitor* visitor) { g_currentVisitor.store(visitor); }

int GVisitor::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

// The counter, then the visitor identifier.
Persistent::Error GVisitor::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  int32_t counter = m_counter, id = m_visitorId;
  r.Int(counter);
  r.Int(id);
  if (!s.IsWriting() && r.ok()) {
    m_counter = counter;
    m_visitorId = id;
  }
  return r.Result();
}

bool GVisitor::Save(const char* path) { return tavrin::SaveSingleObject(path, GetCurrent()); }

bool GVisitor::Restore(const char* path) {
  GVisitor* previous = g_currentVisitor.exchange(nullptr);
  GVisitor* restored = tavrin::RestoreSingleObject<GVisitor>(path);
  if (!restored) {
    g_currentVisitor.store(previous);
    return false;
  }
  delete previous;
  g_currentVisitor.store(restored);
  return true;
}
