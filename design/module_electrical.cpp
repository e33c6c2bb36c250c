// The electrical operations of a module: driver-receiver pin pairs derived
// from the signal types of the ports a net connects, electrical nets built
// from net scalars, and electrical nets, pin pairs and virtual pins carried
// over from another module of the same design by name.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/pool.h"
#include "tavrin/connect.h"
#include "tavrin/physical.h"
#include "tavrin/props.h"

namespace {

bool IsDriver(int32_t type) { return type == 2 || type == 3 || type == 4 || type == 7 || type == 8; }
bool IsReceiver(int32_t type) { return type == 1 || type == 3 || type == 4; }

// Whether a pin takes part in pairing: it needs a part pin instance with a
// part instance, and a port; pins of passive parts and pins whose part pin
// instance carries client flags are left out.
bool TakesPart(const SPortInstanceScalar* p) {
  if (!p || !p->GetPort()) return false;
  const SPartPinInstance* ppi = p->GetPartPinInstance();
  if (!ppi || !ppi->GetPartInstance()) return false;
  return !ppi->GetPartInstance()->IsPassive() && ppi->GetClientFlags() == 0;
}

// The net scalars CreateAllDriverReceiverPairs pairs.
bool PairedAlone(const SNetScalar* net) { return net && !net->GetElectricalNet() && !net->GetbConstantVoltage(); }

const char* Text(const char* t) { return t ? t : ""; }
const char* RefDesOf(const SPortInstanceScalar* p) {
  const SPartPinInstance* ppi = p->GetPartPinInstance();
  return ppi && ppi->GetPartInstance() ? Text(ppi->GetPartInstance()->GetRefDes()) : "";
}
const char* PinNameOf(const SPortInstanceScalar* p) {
  const SPartPinInstance* ppi = p->GetPartPinInstance();
  return ppi ? Text(ppi->GetName()) : "";
}

// Entries each working array needs: a walk gathers at most `max` pins of a
// kind and never more than it visits, plus the terminator.
std::uint64_t Entries(int max, std::uint64_t pins) { return std::min<std::uint64_t>(max, pins) + 1; }

// The two working arrays of one pairing run, from the module's heap.
class WorkArrays {
 public:
  WorkArrays(HANDLEMA* heap, std::uint64_t entries) {
    if (entries > std::numeric_limits<std::size_t>::max() / sizeof(SPortInstanceScalar*)) return;
    std::size_t bytes = static_cast<std::size_t>(entries) * sizeof(SPortInstanceScalar*);
    drivers = static_cast<SPortInstanceScalar**>(tavrin::PoolAlloc(heap, bytes));
    if (drivers) receivers = static_cast<SPortInstanceScalar**>(tavrin::PoolAlloc(heap, bytes));
  }
  ~WorkArrays() {
    tavrin::PoolFree(drivers);
    tavrin::PoolFree(receivers);
  }
  WorkArrays(const WorkArrays&) = delete;
  WorkArrays& operator=(const WorkArrays&) = delete;
  bool Ok() const { return drivers && receivers; }

  SPortInstanceScalar** drivers = nullptr;
  SPortInstanceScalar** receivers = nullptr;
};

// The first two pins of a pin pair as port instance scalars; false when it
// has fewer than two or either is of another kind.
bool FirstTwoPorts(const SPinPair* pair, SPortInstanceScalar*& first, SPortInstanceScalar*& second) {
  auto it = pair->GetAllPins().begin();
  if (it == pair->GetAllPins().end()) return false;
  first = dynamic_cast<SPortInstanceScalar*>(*it);
  if (++it == pair->GetAllPins().end()) return false;
  second = dynamic_cast<SPortInstanceScalar*>(*it);
  return first && second;
}

}  // namespace

// ---- driver-receiver pairs ---------------------------------------------------------------

bool SModule::GetDriverReceiverPairs(const RelLinkedList<SPortInstanceScalar*>& ports, SPortInstanceScalar** drivers,
                                     SPortInstanceScalar** receivers, int max, int& nDrivers, int& nReceivers) {
  if (!drivers || !receivers) return false;
  if (max < 0) max = 0;
  if (nDrivers < 0) nDrivers = 0;
  if (nReceivers < 0) nReceivers = 0;
  for (auto it = ports.begin(); it != ports.end() && nDrivers < max && nReceivers < max; ++it) {
    SPortInstanceScalar* p = *it;
    if (!TakesPart(p)) continue;
    int32_t type = p->GetPort()->GetSignalType();
    if (IsReceiver(type)) receivers[nReceivers++] = p;
    if (IsDriver(type)) drivers[nDrivers++] = p;
  }
  drivers[nDrivers] = nullptr;
  receivers[nReceivers] = nullptr;
  return static_cast<std::int64_t>(nDrivers) * nReceivers < max;
}

// The name buffer is sized to the four texts, the two dots, the arrow and
// the terminator, and released once the pin pair holds its own copy.
SPinPair* SModule::CreateDriverReceiverPair(SPortInstanceScalar* driver, SPortInstanceScalar* receiver) {
  if (!driver || !receiver) return nullptr;
  const char* dRef = RefDesOf(driver);
  const char* dPin = PinNameOf(driver);
  const char* rRef = RefDesOf(receiver);
  const char* rPin = PinNameOf(receiver);
  std::size_t size = std::strlen(dRef) + std::strlen(dPin) + std::strlen(rRef) + std::strlen(rPin) + 5;
  char* name = tavrin::TextAlloc(m_heap, size);
  if (!name) return nullptr;
  std::snprintf(name, size, "%s.%s->%s.%s", dRef, dPin, rRef, rPin);
  SPinPair* pair = CreatePinPair(name);
  tavrin::TextFree(name);
  if (!pair) return nullptr;
  // Head insertion: the receiver ends up first. A pair short of a pin
  // (memory ran out) stays a pin pair of the module but is not handed out.
  if (!pair->InsertPin(driver) || !pair->InsertPin(receiver)) return nullptr;
  return pair;
}

bool SModule::CreateNetScalarDriverReceiverPairs(SNetScalar* net, int max, SPortInstanceScalar** drivers,
                                                 SPortInstanceScalar** receivers) {
  if (!net) return false;
  int nDrivers = 0, nReceivers = 0;
  if (!GetDriverReceiverPairs(net->GetAllPortInstanceScalars(), drivers, receivers, max, nDrivers, nReceivers))
    return false;
  bool ok = true;
  for (int d = 0; d < nDrivers && drivers[d]; ++d)
    for (int r = 0; r < nReceivers && receivers[r]; ++r) {
      if (drivers[d] == receivers[r]) continue;
      SPinPair* pair = CreateDriverReceiverPair(drivers[d], receivers[r]);
      if (!pair || !net->InsertDriverReceiverPair(pair)) ok = false;
    }
  return ok;
}

void SModule::DeleteAllNetScalarDriverReceiverPairs() {
  for (auto it = GetAllNetScalars().begin(); it != GetAllNetScalars().end(); ++it)
    if (*it) (*it)->RemoveAllDriverReceiverPairs();
}

// The counts run across the whole electrical net, so once either reaches
// `max` every later net scalar adds nothing and counts as a failure; the
// pairs are made when the product is at most `max`.
int SModule::CreateElectricalNetDriverReceiverPairs(SElectricalNet* en, int max) {
  if (!en) return 0;
  if (max < 0) max = 0;
  std::uint64_t pins = 0;
  for (auto it = en->GetAllNetScalars().begin(); it != en->GetAllNetScalars().end(); ++it)
    if (*it) pins += (*it)->GetAllPortInstanceScalars().size();
  WorkArrays a(m_heap, Entries(max, pins));
  if (!a.Ok()) return 0;

  int nDrivers = 0, nReceivers = 0;
  bool failed = false;
  for (auto it = en->GetAllNetScalars().begin(); it != en->GetAllNetScalars().end(); ++it)
    if (*it && !GetDriverReceiverPairs((*it)->GetAllPortInstanceScalars(), a.drivers, a.receivers, max, nDrivers,
                                       nReceivers))
      failed = true;
  if (static_cast<std::int64_t>(nDrivers) * nReceivers <= max && nDrivers > 0) {
    for (int d = 0; a.drivers[d]; ++d)
      for (int r = 0; a.receivers[r]; ++r) {
        if (a.drivers[d] == a.receivers[r]) continue;
        SPinPair* pair = CreateDriverReceiverPair(a.drivers[d], a.receivers[r]);
        if (!pair || !en->InsertDriverReceiverPair(pair)) failed = true;
      }
  }
  return failed ? 0 : 1;
}

// The arrays are taken before any pair is unlinked: without them nothing
// changes. The old pairs stay pin pairs of the module, listed and saved;
// new pairs of the same names take over their names.
int SModule::CreateAllDriverReceiverPairs(int max) {
  if (max < 0) max = 0;
  std::uint64_t widest = 0;
  for (auto it = GetAllNetScalars().begin(); it != GetAllNetScalars().end(); ++it)
    if (PairedAlone(*it)) widest = std::max<std::uint64_t>(widest, (*it)->GetAllPortInstanceScalars().size());
  WorkArrays a(m_heap, Entries(max, widest));
  if (!a.Ok()) return 0;

  DeleteAllNetScalarDriverReceiverPairs();
  bool failed = false;
  for (auto it = GetAllNetScalars().begin(); it != GetAllNetScalars().end(); ++it)
    if (PairedAlone(*it) && !CreateNetScalarDriverReceiverPairs(*it, max, a.drivers, a.receivers)) failed = true;
  return failed ? 0 : 1;
}

void SModule::BuildElectricalNet(const char* name, RelLinkedList<SNetScalar*>& nets, int max) {
  if (!name) return;
  unsigned count = 0;
  for (auto it = nets.begin(); it != nets.end(); ++it)
    if (*it) ++count;
  if (count < 2) return;
  SElectricalNet* en = CreateElectricalNet(name);
  if (!en) return;
  // A net scalar points at the electrical net only once it is listed there.
  for (auto it = nets.begin(); it != nets.end(); ++it)
    if (*it && (en->InsertNetScalar(*it) || en->HasNetScalar(*it))) (*it)->SetElectricalNet(en);
  CreateElectricalNetDriverReceiverPairs(en, max);
}

// ---- copying from another module ---------------------------------------------------------

// Everything is found before the pair is made; the pair is made before
// its attributes and constraint instances are copied.
SPinPair* SModule::CopyPinPair(SPinPair* src, bool copyAttributes, bool copyConstraints) {
  if (!src || !src->GetName() || HasCollection(src->GetName())) return nullptr;
  SPortInstanceScalar* first = nullptr;
  SPortInstanceScalar* second = nullptr;
  if (!FirstTwoPorts(src, first, second)) return nullptr;
  SPartPinInstance* a = FindCorrespondingPartPinInstance(first->GetPartPinInstance());
  SPartPinInstance* b = FindCorrespondingPartPinInstance(second->GetPartPinInstance());
  if (!a || !b) return nullptr;
  SPortInstanceScalar* pa = a->GetPortInstanceScalar();
  SPortInstanceScalar* pb = b->GetPortInstanceScalar();
  if (!pa || !pb || pa == pb) return nullptr;
  SPinPair* pair = CreatePinPair(src->GetName());
  if (!pair) return nullptr;
  if (!pair->InsertPin(pa) || !pair->InsertPin(pb)) return nullptr;
  if (copyAttributes) pair->CopyAttributes(src);
  if (copyConstraints) pair->CopyConstraintInstances(src);
  return pair;
}

bool SModule::CopyPinPairs(SNetScalar* src, SNetScalar* dst, bool copyAttributes, bool copyConstraints) {
  if (!src || !dst) return false;
  for (auto it = src->GetAllDriverReceiverPairs().begin(); it != src->GetAllDriverReceiverPairs().end(); ++it)
    if (SPinPair* copy = CopyPinPair(*it, copyAttributes, copyConstraints)) dst->InsertDriverReceiverPair(copy);
  return true;
}

// All names are checked before the electrical net is made, so a net that
// cannot be carried over leaves nothing behind.
SElectricalNet* SModule::CopyElectricalNet(SElectricalNet* src, bool copyAttributes, bool copyConstraints) {
  if (!src || !src->GetName() || HasCollection(src->GetName())) return nullptr;
  const RelLinkedList<SNetScalar*>& members = src->GetAllNetScalars();
  for (auto it = members.begin(); it != members.end(); ++it)
    if (!*it || !(*it)->GetName() || !HasNet((*it)->GetName())) return nullptr;
  SElectricalNet* en = CreateElectricalNet(src->GetName());
  if (!en) return nullptr;
  en->CopyAttributes(src);
  en->CopyConstraintInstances(src);
  for (auto it = members.begin(); it != members.end(); ++it)
    if (SNetScalar* here = SNetScalar::Cast(GetNet((*it)->GetName()))) en->InsertNetScalar(here);
  for (auto it = src->GetAllDriverReceiverPairs().begin(); it != src->GetAllDriverReceiverPairs().end(); ++it)
    if (SPinPair* copy = CopyPinPair(*it, copyAttributes, copyConstraints)) en->InsertDriverReceiverPair(copy);
  return en;
}

void SModule::CopyElectricalNets(SModule* src, bool copyAttributes, bool copyConstraints) {
  if (!src) return;
  for (auto it = src->GetAllElectricalNets().begin(); it != src->GetAllElectricalNets().end(); ++it)
    CopyElectricalNet(*it, copyAttributes, copyConstraints);
}

SNetScalar* SModule::CopyElectricalNetPinPairs(SNetScalar* src, bool copyAttributes, bool copyConstraints) {
  if (!src || src->GetElectricalNet()) return nullptr;
  SNetScalar* here = SNetScalar::Cast(GetNet(src->GetName()));
  if (!here) return nullptr;
  CopyPinPairs(src, here, copyAttributes, copyConstraints);
  return here;
}

// Copying a module's own virtual pins onto itself would walk a map while
// taking over its entries, and orphan every pin: it does nothing.
void SModule::CopyVirtualPins(SModule* src) {
  if (!src || src == this) return;
  for (auto n = src->GetAllNetScalars().begin(); n != src->GetAllNetScalars().end(); ++n) {
    if (!*n || (*n)->GetAllVirtualPins().empty()) continue;
    const RelMap<CharM, SVirtualPin*>& pins = (*n)->GetAllVirtualPins();
    SNetScalar* here = SNetScalar::Cast(GetNet((*n)->GetName()));
    if (!here) continue;
    for (auto v = pins.begin(); v != pins.end(); ++v) {
      SVirtualPin* from = v->second;
      SVirtualPin* copy = from ? here->CreateVirtualPin(from->GetName()) : nullptr;
      if (!copy) continue;
      copy->SetX(from->GetX(TAVRIN_UNIT_INTERNAL), TAVRIN_UNIT_INTERNAL);
      copy->SetY(from->GetY(TAVRIN_UNIT_INTERNAL), TAVRIN_UNIT_INTERNAL);
    }
  }
}
