#include "connect/references.h"
#include "persist/record.h"
#include "tavrin/connect.h"
#include "tavrin/design.h"
#include "tavrin/physical.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SPhysicalNode);

// The segments are referred to, not owned.
SPhysicalNode::~SPhysicalNode() {
  delete m_x;
  delete m_y;
  m_segments.clear(m_heap);
}

bool SPhysicalNode::InsertSegment(SSegment* segment) {
  return tavrin::InsertReference(m_segments, segment, m_heap);
}
bool SPhysicalNode::RemoveSegment(SSegment* segment) { return m_segments.erase(segment, m_heap); }

namespace {
SUnitlessValue* Replace(SUnitlessValue*& slot, HANDLEMA* heap) {
  delete slot;
  slot = new (heap) SUnitlessValue();
  return slot;
}
bool Clear(SUnitlessValue*& slot) {
  delete slot;
  slot = nullptr;
  return true;
}
}  // namespace

SUnitlessValue* SPhysicalNode::CreateXValUnitlessValue() { return Replace(m_x, m_heap); }
SUnitlessValue* SPhysicalNode::CreateYValUnitlessValue() { return Replace(m_y, m_heap); }
bool SPhysicalNode::DestroyXVal() { return Clear(m_x); }
bool SPhysicalNode::DestroyYVal() { return Clear(m_y); }

// After the design element record: 1. the port instance, pad stack, net and
// virtual pin references; 2. the segments as count and references; 3. the
// id; 4. X, then Y, each as its reference and record or a null reference.
Persistent::Error SPhysicalNode::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SDesignElement::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Reference(m_portInstanceScalar);
  r.Reference(m_padStack);
  r.Reference(m_netScalar);
  r.Reference(m_virtualPin);
  r.ReferenceList(m_segments, m_heap);
  r.Long(m_id);
  for (SUnitlessValue** value : {&m_x, &m_y}) {
    if (r.Reading() && r.ok()) Clear(*value);
    r.OptionalChild(*value);
  }
  return r.Result();
}
