// Layouts: the holder of a module's stack-up.
#include "connect/references.h"
#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/physical.h"

TAVRIN_REGISTER_FACTORY(SLayout);

SLayout::SLayout() : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

// Stack-ups come with their class: until then no layout holds one, so there
// is nothing to delete.
SLayout::~SLayout() { m_stackUp = nullptr; }

int SLayout::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

bool SLayout::DestroyStackUp() {
  m_stackUp = nullptr;
  return true;
}

// 1. the id; 2. the stack-up (owned, or null). Stack-ups come with their
// class: until then the reference is written null and a file that names one
// is damaged.
Persistent::Error SLayout::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  r.Long(m_id);
  tavrin::LaterReference(r, m_stackUp);
  return r.Result();
}
