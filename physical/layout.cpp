// Layouts: the holder of a module's stack-up.
#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/physical.h"

TAVRIN_REGISTER_FACTORY(SLayout);

SLayout::SLayout() : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

SLayout::~SLayout() {
  delete m_stackUp;
  m_stackUp = nullptr;
}

int SLayout::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

// The old stack-up goes before the new one is made, so that on exhaustion
// none is held.
SStackUp* SLayout::CreateStackUp() {
  delete m_stackUp;
  m_stackUp = new (m_heap) SStackUp();
  return m_stackUp;
}

bool SLayout::DestroyStackUp() {
  delete m_stackUp;
  m_stackUp = nullptr;
  return true;
}

// 1. the id; 2. the stack-up (owned, or null). Reading deletes the stack-up
// held first.
Persistent::Error SLayout::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  r.Long(m_id);
  if (r.Reading() && r.ok() && m_stackUp) {
    delete m_stackUp;
    m_stackUp = nullptr;
  }
  r.OptionalChild(m_stackUp);
  return r.Result();
}
