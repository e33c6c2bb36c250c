// Pin mappings: pairs of an aggregate pin name and a member port name, for
// every slot or per slot number. Pairs, their texts, each slot's list object
// and the nodes all come from the mapping's heap record (the general
// allocator when it has none): a session deleted as a whole takes them with
// its heap, where blocks of the general allocator would be lost.
#include <cstring>
#include <new>

#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/physical.h"

TAVRIN_REGISTER_FACTORY(SPinMapping);

namespace {
bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }
}  // namespace

SPinMapping::SPinMapping()
    : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {
  InternalUpdate();
}

SPinMapping::~SPinMapping() {
  for (auto it = m_globalEntries.begin(); it != m_globalEntries.end(); ++it) FreePair(*it);
  m_globalEntries.clear(m_heap);
  for (auto it = m_slotEntries.begin(); it != m_slotEntries.end(); ++it) {
    Entries* list = it->second;
    for (auto e = list->begin(); e != list->end(); ++e) FreePair(*e);
    list->clear(m_heap);
    FreeList(list);
  }
  m_slotEntries.clear();
  tavrin::TextFree(m_name);
}

void SPinMapping::SetName(const char* name) { tavrin::SetText(m_heap, m_name, name); }

int SPinMapping::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

// ---- pairs ----------------------------------------------------------------------------

SPinMapping::CPorts* SPinMapping::NewPair(const char* aggregate, const char* member) const {
  if (!aggregate || !member) return nullptr;
  void* block = tavrin::PoolAlloc(m_heap, sizeof(CPorts));
  if (!block) return nullptr;
  CPorts* pair = new (block) CPorts;
  if (!tavrin::SetText(m_heap, pair->aggregate, aggregate) || !tavrin::SetText(m_heap, pair->member, member)) {
    FreePair(pair);
    return nullptr;
  }
  return pair;
}

void SPinMapping::FreePair(CPorts* pair) {
  tavrin::TextFree(pair->aggregate);
  tavrin::TextFree(pair->member);
  tavrin::PoolFree(pair);
}

SPinMapping::Entries* SPinMapping::NewList() const {
  void* block = tavrin::PoolAlloc(m_heap, sizeof(Entries));
  return block ? new (block) Entries : nullptr;
}

void SPinMapping::FreeList(Entries* list) { tavrin::PoolFree(list); }

SPinMapping::CPorts* SPinMapping::FindPair(const Entries& list, const char* aggregate, const char* member) {
  for (auto it = list.begin(); it != list.end(); ++it)
    if ((!aggregate || Same((*it)->aggregate, aggregate)) && (!member || Same((*it)->member, member))) return *it;
  return nullptr;
}

bool SPinMapping::RemovePair(Entries& list, const char* aggregate, const char* member) {
  if (!aggregate || !member) return false;
  CPorts* pair = FindPair(list, aggregate, member);
  if (!pair) return false;
  list.erase(pair, m_heap);
  FreePair(pair);
  return true;
}

const SPinMapping::Entries* SPinMapping::Slot(int slot) const {
  auto it = m_slotEntries.find(slot);
  return it == m_slotEntries.end() ? nullptr : it->second;
}

bool SPinMapping::AddGlobalEntry(const char* aggregate, const char* member) {
  CPorts* pair = NewPair(aggregate, member);
  if (!pair) return false;
  if (m_globalEntries.insert(pair, m_heap)) return true;
  FreePair(pair);
  return false;
}

// A slot made for the pair is taken out again when the pair cannot be
// listed, so a failure leaves the slots as they were.
bool SPinMapping::AddSlotEntry(int slot, const char* aggregate, const char* member) {
  CPorts* pair = NewPair(aggregate, member);
  if (!pair) return false;
  Entries* list = const_cast<Entries*>(Slot(slot));
  bool made = false;
  if (!list) {
    list = NewList();
    if (!list || RelMap<int, Entries*>::Failed(m_slotEntries.insert(slot, list))) {
      if (list) FreeList(list);
      FreePair(pair);
      return false;
    }
    made = true;
  }
  if (list->insert(pair, m_heap)) return true;
  if (made) {
    m_slotEntries.eraseKey(slot);
    FreeList(list);
  }
  FreePair(pair);
  return false;
}

bool SPinMapping::RemoveGlobalEntry(const char* aggregate, const char* member) {
  return RemovePair(m_globalEntries, aggregate, member);
}

bool SPinMapping::RemoveSlotEntry(int slot, const char* aggregate, const char* member) {
  Entries* list = const_cast<Entries*>(Slot(slot));
  return list && RemovePair(*list, aggregate, member);
}

bool SPinMapping::RemoveSlotEntryInternal(int slot, RelListIterator<CPorts*, CPorts*&> position) {
  Entries* list = const_cast<Entries*>(Slot(slot));
  if (!list || !position.node()) return false;
  CPorts* pair = *position;
  if (!list->erase(position, m_heap)) return false;
  FreePair(pair);
  return true;
}

// ---- lookups ----------------------------------------------------------------------------

char* SPinMapping::GetGlobalMemberName(const char* aggregate) const {
  if (!aggregate) return nullptr;
  CPorts* pair = FindPair(m_globalEntries, aggregate, nullptr);
  return pair ? pair->member : nullptr;
}

RelLinkedList<char*> SPinMapping::GetGlobalAggregateNames(const char* member) const {
  RelLinkedList<char*> names;
  if (!member) return names;
  for (auto it = m_globalEntries.begin(); it != m_globalEntries.end(); ++it)
    if (Same((*it)->member, member) && !names.insert((*it)->aggregate, m_heap)) break;
  return names;
}

char* SPinMapping::GetSlotMemberName(int slot, const char* aggregate) const {
  const Entries* list = Slot(slot);
  CPorts* pair = list && aggregate ? FindPair(*list, aggregate, nullptr) : nullptr;
  return pair ? pair->member : nullptr;
}

char* SPinMapping::GetSlotAggregateName(int slot, const char* member) const {
  const Entries* list = Slot(slot);
  CPorts* pair = list && member ? FindPair(*list, nullptr, member) : nullptr;
  return pair ? pair->aggregate : nullptr;
}

// Slot 0 also stands for the global pairs, which are searched first.
int SPinMapping::GetSlotNumber(const char* aggregate) const {
  if (!aggregate) return -1;
  if (GetGlobalMemberName(aggregate)) return 0;
  for (auto it = m_slotEntries.begin(); it != m_slotEntries.end(); ++it)
    if (GetSlotMemberName(it->first, aggregate)) return it->first;
  return -1;
}

// ---- record -------------------------------------------------------------------------------

// 1. the name; 2. the library; 3. the id. The pairs are not saved.
Persistent::Error SPinMapping::Serialize(PersistentStore& s) {
  if (!s.IsWriting()) InternalUpdate();
  tavrin::Record r(s, m_heap);
  r.String(m_name);
  r.Reference(m_library);
  r.Long(m_id);
  return r.Result();
}
