// Pins and pin pairs: the pin interface, the pin list that pin pairs and
// from-tos share, and those two classes.
//
// A pin pair or from-to is one object with two TavrinObject bases: the pin
// list comes first and is the root that the allocation hands its heap
// record to, so the constructor gives the design element part the same
// record. References through either base write the same index.
#include "connect/references.h"
#include "persist/record.h"
#include "tavrin/connect.h"

TAVRIN_REGISTER_FACTORY(SPinPair);
TAVRIN_REGISTER_FACTORY(SFromTo);

// ---- pins ------------------------------------------------------------------------------

int SPin::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

// ---- pin lists -------------------------------------------------------------------------

SPinPairAbstract::SPinPairAbstract() : m_pinHeap(tavrin::ClaimPendingHeap()) {}

SPinPairAbstract::~SPinPairAbstract() { m_pins.clear(m_pinHeap); }

int SPinPairAbstract::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

bool SPinPairAbstract::InsertPin(SPin* pin) { return tavrin::InsertReference(m_pins, pin, m_pinHeap); }
bool SPinPairAbstract::RemovePin(SPin* pin) { return m_pins.erase(pin, m_pinHeap); }

// The number of pins, then their references from the head.
Persistent::Error SPinPairAbstract::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_pinHeap);
  r.ReferenceList(m_pins, m_pinHeap);
  return r.Result();
}

// ---- pin pairs -------------------------------------------------------------------------

SPinPair::SPinPair() {
  SDesignElement::m_heap = m_pinHeap;
  SCollection::InternalUpdate();
}

int SPinPair::WritePointer(PersistentStore& s) { return s.WritePointer(tavrin::AsObject(this)); }

// The pin list; the design element record; the net scalar and the
// electrical net; the id.
Persistent::Error SPinPair::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SPinPairAbstract::Serialize(s)) return e;
  if (Persistent::Error e = SCollection::Serialize(s)) return e;
  tavrin::Record r(s, SDesignElement::m_heap);
  r.Reference(m_netScalar);
  r.Reference(m_electricalNet);
  r.Long(m_id);
  return r.Result();
}

// ---- from-tos --------------------------------------------------------------------------

SFromTo::SFromTo() {
  SDesignElement::m_heap = m_pinHeap;
  SDesignElement::InternalUpdate();
}

// The segments are referred to, not owned.
SFromTo::~SFromTo() { m_segments.clear(SDesignElement::m_heap); }

int SFromTo::WritePointer(PersistentStore& s) { return s.WritePointer(tavrin::AsObject(this)); }

bool SFromTo::InsertSegment(SSegment* segment) {
  return tavrin::InsertReference(m_segments, segment, SDesignElement::m_heap);
}
bool SFromTo::RemoveSegment(SSegment* segment) { return m_segments.erase(segment, SDesignElement::m_heap); }

// The pin list; the design element record; the net scalar; the segments as
// count and references; the id; the scheduled, then the routed flag. The
// user-defined flag is not saved.
Persistent::Error SFromTo::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SPinPairAbstract::Serialize(s)) return e;
  if (Persistent::Error e = SDesignElement::Serialize(s)) return e;
  tavrin::Record r(s, SDesignElement::m_heap);
  r.Reference(m_netScalar);
  r.ReferenceList(m_segments, SDesignElement::m_heap);
  r.Long(m_id);
  r.Bool(m_scheduled);
  r.Bool(m_routed);
  return r.Result();
}
