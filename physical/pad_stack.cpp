// Pad stacks and their pads.
#include <new>

#include "connect/references.h"
#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/physical.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SPadStack);
TAVRIN_REGISTER_FACTORY(SPad);

namespace {
// A new empty value in the slot, the old one deleted; null, the old one
// kept, when memory is exhausted.
SUnitlessValue* Replace(SUnitlessValue*& slot, HANDLEMA* heap) {
  SUnitlessValue* v = new (heap) SUnitlessValue();
  if (!v) return nullptr;
  delete slot;
  slot = v;
  return v;
}
bool Clear(SUnitlessValue*& slot) {
  delete slot;
  slot = nullptr;
  return true;
}
// A record item "value": its reference and record, or a null reference.
// Reading deletes the value held first.
void Value(tavrin::Record& r, SUnitlessValue*& slot) {
  if (r.Reading() && r.ok()) Clear(slot);
  r.OptionalChild(slot);
}
}  // namespace

SPadStack::SPadStack() { SPadStack::InternalUpdate(); }

// A pad whose entry a later pad took over, or that Destroy unlinked, is no
// longer held: only the pads of the map are deleted.
SPadStack::~SPadStack() {
  tavrin::DeleteMapped(m_pads);
  Clear(m_xExtent);
  Clear(m_yExtent);
}

void SPadStack::InternalUpdate() { m_pads.SetHeap(m_heap); }

SPad* SPadStack::CreatePad(int layer) {
  SPad* pad = new (m_heap) SPad();
  if (!pad) return nullptr;
  if (RelMap<int, SPad*>::Failed(m_pads.insert(layer, pad))) {
    delete pad;
    return nullptr;
  }
  pad->SetLayer(layer);
  return pad;
}

SPad* SPadStack::GetPad(int layer) const {
  auto it = m_pads.find(layer);
  return it != m_pads.end() ? it->second : nullptr;
}

bool SPadStack::HasPad(int layer) const { return m_pads.find(layer) != m_pads.end(); }

bool SPadStack::DestroyPad(int layer) { return m_pads.eraseKey(layer); }

SUnitlessValue* SPadStack::CreateXExtentValUnitlessValue() { return Replace(m_xExtent, m_heap); }
SUnitlessValue* SPadStack::CreateYExtentValUnitlessValue() { return Replace(m_yExtent, m_heap); }
bool SPadStack::DestroyXExtentVal() { return Clear(m_xExtent); }
bool SPadStack::DestroyYExtentVal() { return Clear(m_yExtent); }

// After the design element record (which gives the pad map its heap when
// reading): 1. the bottom, then the top layer; 2. the part pin instance,
// physical node, library and stack-up references; 3. the id; 4. the pads,
// each as its layer number, reference and record, filed under the number
// read; 5. the X, then the Y extent.
Persistent::Error SPadStack::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SDesignElement::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Int(m_bottomLayer);
  r.Int(m_topLayer);
  r.Reference(m_partPinInstance);
  r.Reference(m_physicalNode);
  r.Reference(m_library);
  r.Reference(m_stackUp);
  r.Long(m_id);
  r.NumberedChildMap(m_pads);
  Value(r, m_xExtent);
  Value(r, m_yExtent);
  return r.Result();
}

// ---- pads --------------------------------------------------------------------------------

SPad::SPad() {}

// The regions are referred to, not owned: only the list nodes go.
SPad::~SPad() {
  Clear(m_x);
  Clear(m_y);
  m_regions.clear(m_heap);
}

SUnitlessValue* SPad::CreateXValUnitlessValue() { return Replace(m_x, m_heap); }
SUnitlessValue* SPad::CreateYValUnitlessValue() { return Replace(m_y, m_heap); }
bool SPad::DestroyXVal() { return Clear(m_x); }
bool SPad::DestroyYVal() { return Clear(m_y); }

bool SPad::InsertRegion(SRegion* region) { return tavrin::InsertReference(m_regions, region, m_heap); }
bool SPad::RemoveRegion(SRegion* region) { return m_regions.erase(region, m_heap); }

// After the design element record: 1. the layer; 2. the regions as count
// and references; 3. the id; 4. X, then Y.
Persistent::Error SPad::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SDesignElement::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Int(m_layer);
  r.ReferenceList(m_regions, m_heap);
  r.Long(m_id);
  Value(r, m_x);
  Value(r, m_y);
  return r.Result();
}
