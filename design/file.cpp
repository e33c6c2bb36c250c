#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/design.h"

TAVRIN_REGISTER_FACTORY(SFile);

SFile::SFile()
    : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

// The texts go back to the pool they came from (a file outside any session
// would otherwise lose them).
SFile::~SFile() {
  tavrin::TextFree(m_alias);
  tavrin::TextFree(m_kind);
  tavrin::TextFree(m_name);
}

void SFile::SetAlias(const char* text) { tavrin::SetText(m_heap, m_alias, text); }
void SFile::SetKind(const char* text) { tavrin::SetText(m_heap, m_kind, text); }
void SFile::SetName(const char* text) { tavrin::SetText(m_heap, m_name, text); }

int SFile::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

// Alias, kind and name as texts, then the time stamp and the id.
Persistent::Error SFile::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  r.String(m_alias);
  r.String(m_kind);
  r.String(m_name);
  r.Long(m_timeStamp);
  r.Long(m_id);
  return r.Result();
}
