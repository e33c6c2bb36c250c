// Cell instances: the owned port instances (named, one kind list per class),
// the numbered member slot instances, the representation-keyed aggregate slot
// instances and the counted reference to the instantiated cell.
#include <cstdint>
#include <iterator>
#include <limits>
#include <map>
#include <new>

#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/design.h"

TAVRIN_REGISTER_FACTORY(SGenericCellInstance);
TAVRIN_REGISTER_FACTORY(SModuleInstance);

SInstance::SInstance() {}
SInstance::~SInstance() {}

SCellInstance::SCellInstance() { InternalUpdate(); }

// Every port instance in a kind list is owned, including one whose name a
// later port instance took over (it is still saved), so deletion follows the
// kind lists. Each slot instance of the member map is owned and held by
// that one entry only.
SCellInstance::~SCellInstance() {
  tavrin::DeleteListed(m_portInstanceScalars, m_heap);
  tavrin::DeleteListed(m_portInstanceBi, m_heap);
  tavrin::DeleteListed(m_portInstanceBundles, m_heap);
  tavrin::DeleteMapped(m_memberSlotInstances);
  m_portInstances.clear();
  m_aggregateSlotInstances.clear();
  tavrin::TextFree(m_uid);
}

void SCellInstance::InternalUpdate() {
  m_portInstances.SetHeap(m_heap);
  m_memberSlotInstances.SetHeap(m_heap);
  m_aggregateSlotInstances.SetHeap(m_heap);
}

bool SCellInstance::SetCell(SCell* cell) {
  if (!cell) return false;
  if (m_cell) m_cell->RemoveCellRef();
  cell->AddCellRef();
  m_cell = cell;
  return true;
}

void SCellInstance::SetUID(const char* uid) {
  if (uid) tavrin::SetText(m_heap, m_uid, uid);
}

// ---- port instances ------------------------------------------------------------

template <class T>
T* SCellInstance::CreatePortInstance(const char* name, RelLinkedList<T*>& list) {
  T* child = tavrin::CreateListedChild(m_portInstances, list, m_heap, name);
  if (child) child->SetCellInstance(this);
  return child;
}

SPortInstanceScalar* SCellInstance::CreatePortInstanceScalar(const char* name) {
  return CreatePortInstance(name, m_portInstanceScalars);
}
SPortInstanceBus* SCellInstance::CreatePortInstanceBus(const char* name) {
  return CreatePortInstance(name, m_portInstanceBi);
}
SPortInstanceBundle* SCellInstance::CreatePortInstanceBundle(const char* name) {
  return CreatePortInstance(name, m_portInstanceBundles);
}

SPortInstance* SCellInstance::GetPortInstance(const char* name) const { return m_portInstances.lookup(name); }

bool SCellInstance::HasPortInstance(const char* name) { return GetPortInstance(name) != nullptr; }

bool SCellInstance::DestroyPortInstance(const char* name) {
  SPortInstance* p = GetPortInstance(name);
  if (!p) return false;
  m_portInstances.eraseKey(CharM(name));
  if (SPortInstanceScalar* a = SPortInstanceScalar::Cast(p)) m_portInstanceScalars.erase(a, m_heap);
  else if (SPortInstanceBus* b = SPortInstanceBus::Cast(p)) m_portInstanceBi.erase(b, m_heap);
  else if (SPortInstanceBundle* c = SPortInstanceBundle::Cast(p)) m_portInstanceBundles.erase(c, m_heap);
  return true;
}

// ---- slot instances ------------------------------------------------------------------

// A slot instance held by two entries would be saved twice as an owned
// child, which no restore accepts, and deleted twice; so entering one takes
// it out of the entry that held it. The slot instance an entry held before
// is no longer owned.
bool SCellInstance::EnterSlotInstance(int number, SSlotInstance* si) {
  SSlotInstance* before = GetMemberSlotInstance(number);
  if (before != si) {
    if (RelMap<int, SSlotInstance*>::Failed(m_memberSlotInstances.insert(number, si))) return false;
    if (before) before->m_owner = nullptr;
    if (SCellInstance* owner = si->m_owner) owner->LeaveSlotInstance(si, owner == this ? &number : nullptr);
    si->m_owner = this;
  }
  si->SetAggregateCellInstance(this);
  return true;
}

void SCellInstance::LeaveSlotInstance(SSlotInstance* si, const int* keep) {
  for (auto it = m_memberSlotInstances.begin(); it != m_memberSlotInstances.end(); ++it)
    if (it->second == si && !(keep && it->first == *keep)) {
      m_memberSlotInstances.erase(it);
      break;
    }
  si->m_owner = nullptr;
}

SSlotInstance* SCellInstance::CreateMemberSlotInstanceSlotInstance(int number) {
  SSlotInstance* si = new (m_heap) SSlotInstance();
  if (!si) return nullptr;
  if (!EnterSlotInstance(number, si)) {
    delete si;
    return nullptr;
  }
  return si;
}

void SCellInstance::CreateMemberSlotInstanceSlotInstance2(int number, SSlotInstance* si) {
  if (si) EnterSlotInstance(number, si);
}

SSlotInstance* SCellInstance::GetMemberSlotInstance(int number) const {
  auto it = m_memberSlotInstances.find(number);
  return it != m_memberSlotInstances.end() ? it->second : nullptr;
}

bool SCellInstance::HasMemberSlotInstance(int number) {
  return m_memberSlotInstances.find(number) != m_memberSlotInstances.end();
}

bool SCellInstance::DestroyMemberSlotInstance(int number) {
  SSlotInstance* si = GetMemberSlotInstance(number);
  if (!m_memberSlotInstances.eraseKey(number)) return false;
  if (si) si->m_owner = nullptr;
  return true;
}

bool SCellInstance::SetAggregateSlotInstance(SRepresentation* rep, SSlotInstance* si) {
  if (m_aggregateSlotInstances.find(rep) != m_aggregateSlotInstances.end()) return false;
  return !RelMap<SRepresentation*, SSlotInstance*>::Failed(m_aggregateSlotInstances.insert(rep, si));
}

SSlotInstance* SCellInstance::GetAggregateSlotInstance(SRepresentation* rep) const {
  auto it = m_aggregateSlotInstances.find(rep);
  return it != m_aggregateSlotInstances.end() ? it->second : nullptr;
}

bool SCellInstance::HasAggregateSlotInstance(SRepresentation* rep) {
  return m_aggregateSlotInstances.find(rep) != m_aggregateSlotInstances.end();
}

bool SCellInstance::RemoveAggregateSlotInstance(SRepresentation* rep) {
  return m_aggregateSlotInstances.eraseKey(rep);
}

// ---- record ------------------------------------------------------------------------

namespace {
// Runs of taken slot numbers (first -> last), kept apart by at least one
// free number. Takes `number`, or when it is taken the first free number
// above its run; false when there is none below 2^31 or memory runs out.
bool TakeFreeNumber(std::map<int32_t, int32_t>& runs, int32_t& number) {
  try {
    auto next = runs.upper_bound(number);
    auto prev = next == runs.begin() ? runs.end() : std::prev(next);
    if (prev != runs.end() && prev->second >= number) {
      if (prev->second == std::numeric_limits<int32_t>::max()) return false;
      number = prev->second + 1;
    }
    bool joinPrev = prev != runs.end() && int64_t(prev->second) + 1 == number;
    bool joinNext = next != runs.end() && int64_t(next->first) - 1 == number;
    if (joinPrev && joinNext) {
      prev->second = next->second;
      runs.erase(next);
    } else if (joinPrev) {
      prev->second = number;
    } else if (joinNext) {
      int32_t last = next->second;
      runs.erase(next);
      runs.emplace(number, last);
    } else {
      runs.emplace_hint(next, number, number);
    }
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}
}  // namespace

// A number the file repeats moves the later slot instance up to the next
// free number, so no entry read is replaced.
void SCellInstance::ReadMemberSlotInstances(tavrin::Record& r) {
  std::map<int32_t, int32_t> runs;
  for (auto it = m_memberSlotInstances.begin(); it != m_memberSlotInstances.end(); ++it) {
    int32_t n = it->first;
    if (!TakeFreeNumber(runs, n)) {
      r.store().MarkDamaged();
      return;
    }
  }
  r.NumberedChildMap(m_memberSlotInstances, [&runs](int32_t& n) { return TakeFreeNumber(runs, n); });
  for (auto it = m_memberSlotInstances.begin(); it != m_memberSlotInstances.end(); ++it)
    if (it->second) it->second->m_owner = this;
}

// 1. the design element record; 2. the UID; 3. the cell (stored as read:
// the cell's count is its own); 4. the aggregate slot instances; 5. the port
// instance scalars, buses and bundles, each filed by name after its record;
// 6. the member slot instances by number.
Persistent::Error SCellInstance::Serialize(PersistentStore& s) {
  Persistent::Error e = SInstance::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.String(m_uid);
  r.Reference(m_cell);
  r.ReferencePairs(m_aggregateSlotInstances);
  r.NamedChildList(m_portInstanceScalars, m_heap, m_portInstances);
  r.NamedChildList(m_portInstanceBi, m_heap, m_portInstances);
  r.NamedChildList(m_portInstanceBundles, m_heap, m_portInstances);
  if (r.Writing()) r.NumberedChildMap(m_memberSlotInstances);
  else ReadMemberSlotInstances(r);
  return r.Result();
}

// ---- generic and module instances ---------------------------------------------------

SGenericCellInstance::SGenericCellInstance() {}
SGenericCellInstance::~SGenericCellInstance() {}

Persistent::Error SGenericCellInstance::Serialize(PersistentStore& s) {
  Persistent::Error e = SCellInstance::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.Reference(m_schematicSheet);
  r.Long(m_id);
  return r.Result();
}

SModuleInstance::SModuleInstance() {}
SModuleInstance::~SModuleInstance() {}

Persistent::Error SModuleInstance::Serialize(PersistentStore& s) {
  Persistent::Error e = SCellInstance::Serialize(s);
  if (e) return e;
  tavrin::Record r(s, m_heap);
  r.Long(m_id);
  return r.Result();
}
