#include <atomic>

#include "core/pool.h"
#include "core/shared_record_value.h"
#include "persist/record.h"
#include "tavrin/core.h"

std::atomic<bool> SDesignElement::m_bNativeMode{false};

namespace {
// One 32-bit value shared by every design element record: written from here,
// and overwritten by every record read, in any session on any thread.
std::atomic<int32_t> g_sharedRecordValue{0};
}  // namespace

int32_t tavrin::SharedRecordValue() { return g_sharedRecordValue.load(std::memory_order_relaxed); }

void tavrin::SetSharedRecordValue(int32_t value) { g_sharedRecordValue.store(value, std::memory_order_relaxed); }

SDesignElement::SDesignElement()
    : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

SDesignElement::~SDesignElement() {
  tavrin::TextFree(m_name);
  tavrin::TextFree(m_pinNum);
  m_name = m_pinNum = nullptr;
  DestroyAssignmentLists();
}

void SDesignElement::SetName(const char* name) { tavrin::SetText(m_heap, m_name, name); }

void SDesignElement::SetPinNum(const char* pinNum) { tavrin::SetText(m_heap, m_pinNum, pinNum); }

void SDesignElement::InternalUpdate() {}

int SDesignElement::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

Persistent::Error SDesignElement::Serialize(PersistentStore& s) {
  if (!s.IsWriting()) InternalUpdate();
  tavrin::Record r(s, m_heap);
  r.Long(m_clientFlags);
  r.String(m_name);
  int32_t shared = g_sharedRecordValue.load(std::memory_order_relaxed);
  r.Long(shared);
  if (r.Reading() && r.ok()) g_sharedRecordValue.store(shared, std::memory_order_relaxed);
  r.Fixed(0);
  r.Fixed(0);
  SerializeAssignmentLists(r);
  return r.Result();
}
