#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/core.h"

bool SDesignElement::m_bNativeMode = false;

namespace {
// One 32-bit value shared by every design element record: written from here,
// and overwritten by every record read.
int32_t g_sharedRecordValue = 0;
}  // namespace

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
  r.Long(g_sharedRecordValue);
  r.Fixed(0);
  r.Fixed(0);
  SerializeAssignmentLists(r);
  return r.Result();
}
