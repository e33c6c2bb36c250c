#include <cstdio>

#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/design.h"

TAVRIN_REGISTER_FACTORY(SSession);

SSession* AllocSession() { return new SSession(); }
SSession* AllocateSession() { return AllocSession(); }

void* SSession::operator new(std::size_t size) noexcept {
  HANDLEMA* record = nullptr;
  void* block = tavrin::CreateSessionHeap(size, &record);
  tavrin::SetPendingHeap(record);
  return block;
}

void* SSession::operator new(std::size_t size, HANDLEMA* heap) noexcept {
  HANDLEMA* record = nullptr;
  void* block = tavrin::PlaceSessionInHeap(heap, size, &record);
  tavrin::SetPendingHeap(block ? record : nullptr);
  return block;
}

void SSession::operator delete(void* p) noexcept { tavrin::ReleaseSessionBlock(p); }
void SSession::operator delete(void* p, HANDLEMA*) noexcept { tavrin::ReleaseSessionBlock(p); }

SSession::SSession()
    : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {
  InternalUpdate();
}

// Projects and libraries are not deleted: they go with the session heap.
SSession::~SSession() {
  m_packageLibraries.clear(m_heap);
  m_pinMappingLibraries.clear(m_heap);
  m_padStackLibraries.clear(m_heap);
  if (!m_heap) {
    m_projects.clear();
    m_libraries.clear();
  }
  tavrin::TextFree(m_version);
}

void SSession::InternalUpdate() {
  m_projects.SetHeap(m_heap);
  m_libraries.SetHeap(m_heap);
}

int SSession::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

void SSession::SetVersion(const char* version) { tavrin::SetText(m_heap, m_version, version); }

template <class L>
L* SSession::CreateLibrary(const char* name, RelLinkedList<L*>& list) {
  if (!name) return nullptr;
  L* lib = new (m_heap) L();
  if (!lib) return nullptr;
  lib->SetName(name);
  // The list goes first: undoing a head insertion is exact, whereas a map
  // insertion may have taken over another library's entry.
  if (!lib->GetName() || !list.insert(lib, m_heap)) {
    delete lib;
    return nullptr;
  }
  if (RelMap<CharM, SLibrary*>::Failed(m_libraries.insert(CharM(lib->GetName()), lib))) {
    list.erase(lib, m_heap);
    delete lib;
    return nullptr;
  }
  return lib;
}

SPackageLibrary* SSession::CreatePackageLibrary(const char* name) {
  return CreateLibrary(name, m_packageLibraries);
}
SPinMappingLibrary* SSession::CreatePinMappingLibrary(const char* name) {
  return CreateLibrary(name, m_pinMappingLibraries);
}
SPadStackLibrary* SSession::CreatePadStackLibrary(const char* name) {
  return CreateLibrary(name, m_padStackLibraries);
}

SLibrary* SSession::GetLibrary(const char* name) const {
  if (!name) return nullptr;
  auto it = m_libraries.find(name);
  return it == m_libraries.end() ? nullptr : it->second;
}

bool SSession::HasLibrary(const char* name) { return name && m_libraries.find(name) != m_libraries.end(); }

bool SSession::DestroyLibrary(const char* name) {
  if (!name) return false;
  auto it = m_libraries.find(name);
  if (it == m_libraries.end()) return false;
  SLibrary* lib = it->second;
  m_libraries.erase(it);
  if (SPackageLibrary* p = SPackageLibrary::Cast(lib)) m_packageLibraries.erase(p, m_heap);
  else if (SPinMappingLibrary* m = SPinMappingLibrary::Cast(lib)) m_pinMappingLibraries.erase(m, m_heap);
  else if (SPadStackLibrary* s = SPadStackLibrary::Cast(lib)) m_padStackLibraries.erase(s, m_heap);
  return true;
}

SProject* SSession::CreateProject(const char*) { return nullptr; }
SProject* SSession::GetProject(const char* name) const {
  if (!name) return nullptr;
  auto it = m_projects.find(name);
  return it == m_projects.end() ? nullptr : it->second;
}
bool SSession::HasProject(const char* name) { return name && m_projects.find(name) != m_projects.end(); }
bool SSession::DestroyProject(const char* name) { return name && m_projects.eraseKey(CharM(name)); }

// Interim session record: projects come with the project class.
Persistent::Error SSession::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  int32_t id = m_id;
  r.Long(id);
  if (r.Count(m_projects.size()) != 0 && r.Reading()) s.MarkDamaged();
  r.ChildList(m_packageLibraries, m_heap);
  r.ChildList(m_pinMappingLibraries, m_heap);
  r.ChildList(m_padStackLibraries, m_heap);
  return r.Result();
}
