// Stack-ups: the layers of a layout under their numbers, the top and bottom
// layers and the pad stacks defined on it.
#include "connect/references.h"
#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/physical.h"

TAVRIN_REGISTER_FACTORY(SStackUp);

SStackUp::SStackUp()
    : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {
  InternalUpdate();
}

// A layer whose entry a later one took over, or that DestroyLayer unlinked,
// is no longer the stack-up's: only the layers of the map are deleted.
SStackUp::~SStackUp() {
  tavrin::DeleteMapped(m_layers);
  m_padStacks.clear(m_heap);
  tavrin::TextFree(m_name);
  m_name = nullptr;
  m_topLayer = m_bottomLayer = nullptr;
}

int SStackUp::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

void SStackUp::SetName(const char* name) { tavrin::SetText(m_heap, m_name, name); }

// ---- layers -----------------------------------------------------------------------------

SLayer* SStackUp::CreateLayer(int number) {
  SLayer* layer = new (m_heap) SLayer();
  if (!layer) return nullptr;
  if (RelMap<int, SLayer*>::Failed(m_layers.insert(number, layer))) {
    delete layer;
    return nullptr;
  }
  layer->SetNumber(number);
  layer->SetStackUp(this);
  return layer;
}

SLayer* SStackUp::GetLayer(int number) const {
  auto it = m_layers.find(number);
  return it == m_layers.end() ? nullptr : it->second;
}

bool SStackUp::HasLayer(int number) const { return m_layers.find(number) != m_layers.end(); }

bool SStackUp::DestroyLayer(int number) { return m_layers.eraseKey(number); }

// ---- pad stacks -------------------------------------------------------------------------

bool SStackUp::InsertPadStack(SPadStack* padStack) {
  return tavrin::InsertReference(m_padStacks, padStack, m_heap);
}

bool SStackUp::RemovePadStack(SPadStack* padStack) { return m_padStacks.erase(padStack, m_heap); }

// ---- record -------------------------------------------------------------------------------

// 1. the name; 2. the pad stacks (count and references); 3. the top and
// bottom layers (references); 4. the id; 5. the layers by number (owned,
// each filed under the number read before its record).
Persistent::Error SStackUp::Serialize(PersistentStore& s) {
  if (!s.IsWriting()) InternalUpdate();
  tavrin::Record r(s, m_heap);
  r.String(m_name);
  r.ReferenceList(m_padStacks, m_heap);
  r.Reference(m_topLayer);
  r.Reference(m_bottomLayer);
  r.Long(m_id);
  r.NumberedChildMap(m_layers);
  return r.Result();
}
