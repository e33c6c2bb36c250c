#include <cstdio>
#include <new>
#include <utility>
#include <vector>

#include "core/pool.h"
#include "design/named_child.h"
#include "design/session_files.h"
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
  tavrin::TextFree(m_lastError);
  tavrin::SessionFiles::DestroyRestoredHeaps(m_restoredHeaps);
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

SLibrary* SSession::GetLibrary(const char* name) const { return m_libraries.lookup(name); }

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

SProject* SSession::CreateProject(const char* name) {
  return tavrin::CreateNamedChild(m_projects, m_heap, name);
}

SProject* SSession::GetProject(const char* name) const { return m_projects.lookup(name); }
bool SSession::HasProject(const char* name) { return name && m_projects.find(name) != m_projects.end(); }
bool SSession::DestroyProject(const char* name) { return name && m_projects.eraseKey(CharM(name)); }

// ---- record ---------------------------------------------------------------------

// The session record read from a file, held apart until all of it is read.
struct SSession::PendingRecord {
  int32_t id = 0;
  std::vector<std::pair<char*, SProject*>> projects;  // in file order
  std::vector<SPackageLibrary*> packageLibraries;
  std::vector<SPinMappingLibrary*> pinMappingLibraries;
  std::vector<SPadStackLibrary*> padStackLibraries;
};

namespace {
template <class L>
void ReadLibraries(tavrin::Record& r, std::vector<L*>& out) {
  uint32_t n = r.Count(0);
  for (uint32_t i = 0; i < n && r.ok(); ++i) {
    L* lib = r.ReadChildHeader<L>();
    if (!lib) return;
    r.FinishChild(lib);
    out.push_back(lib);
  }
}
}  // namespace

// 1. the id; 2. the projects: count, then per map entry its key, reference
// and record; 3 to 5. the package, pin-mapping and pad-stack libraries:
// count, then per library its reference and record.
Persistent::Error SSession::Serialize(PersistentStore& s) {
  if (!s.IsWriting()) return ReadRecord(s, nullptr, m_heap);
  tavrin::Record r(s, m_heap);
  r.Long(m_id);
  r.ChildMap(m_projects);
  r.ChildList(m_packageLibraries, m_heap);
  r.ChildList(m_pinMappingLibraries, m_heap);
  r.ChildList(m_padStackLibraries, m_heap);
  return r.Result();
}

bool SSession::ReadPending(tavrin::Record& r, PendingRecord& p) {
  r.Long(p.id);
  uint32_t n = r.Count(0);
  for (uint32_t i = 0; i < n && r.ok(); ++i) {
    char* key = r.ReadKey();
    SProject* project = r.ok() ? r.ReadChildHeader<SProject>() : nullptr;
    if (!project) {
      tavrin::TextFree(key);
      break;
    }
    try {
      p.projects.emplace_back(key, project);
    } catch (const std::bad_alloc&) {
      tavrin::TextFree(key);
      throw;
    }
    r.FinishChild(project);
  }
  ReadLibraries(r, p.packageLibraries);
  ReadLibraries(r, p.pinMappingLibraries);
  ReadLibraries(r, p.padStackLibraries);
  return r.ok();
}

Persistent::Error SSession::ReadRecord(PersistentStore& s, PersistentFile* file, HANDLEMA* heap) {
  InternalUpdate();
  tavrin::Record r(s, heap);
  PendingRecord p;
  bool ok = false;
  try {
    ok = ReadPending(r, p);
  } catch (const std::bad_alloc&) {
    s.MarkOutOfMemory();
  }
  if (file) ok = file->FinishData() && ok;  // also records why the data is damaged
  if (ok && !Commit(p)) {
    s.MarkOutOfMemory();
    ok = false;
  }
  if (!ok)
    for (auto& entry : p.projects) tavrin::TextFree(entry.first);
  return ok ? 0 : 1;
}

namespace {
// What Commit changed, so that an allocation failure can be undone without
// allocating.
template <class V>
struct MapUndo {
  RelMap<CharM, V>* map;
  char* key;
  bool replaced;
  char* oldKey;
  V oldValue;
};

template <class V>
bool LinkEntry(RelMap<CharM, V>& map, char* key, V value, std::vector<MapUndo<V>>& undo) {
  MapUndo<V> u{&map, key, false, nullptr, V()};
  auto it = map.find(key);
  if (it != map.end()) {
    u.replaced = true;
    u.oldKey = it->first;
    u.oldValue = it->second;
  }
  if (RelMap<CharM, V>::Failed(map.insert(CharM(key), value))) return false;
  undo.push_back(u);
  return true;
}

template <class V>
void UndoEntries(std::vector<MapUndo<V>>& undo) {
  for (auto it = undo.rbegin(); it != undo.rend(); ++it) {
    if (it->replaced) it->map->insert(CharM(it->oldKey), it->oldValue);
    else it->map->eraseKey(CharM(it->key));
  }
}
}  // namespace

bool SSession::Commit(PendingRecord& p) {
  std::vector<MapUndo<SProject*>> projectUndo;
  std::vector<MapUndo<SLibrary*>> libraryUndo;
  std::vector<SLibrary*> listed;  // libraries put at the head of their list
  bool ok = true;
  // All the memory of the undo records is taken first, so that nothing
  // below allocates but the containers' nodes.
  std::size_t libraries = p.packageLibraries.size() + p.pinMappingLibraries.size() + p.padStackLibraries.size();
  try {
    projectUndo.reserve(p.projects.size());
    libraryUndo.reserve(libraries);
    listed.reserve(libraries);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (auto& entry : p.projects)
    if (ok) ok = LinkEntry(m_projects, entry.first, entry.second, projectUndo);
  auto linkLibraries = [&](auto& libs, auto& list) {
    for (auto* lib : libs) {
      if (!ok) return;
      if (!list.insert(lib, m_heap)) { ok = false; return; }
      listed.push_back(lib);
      ok = LinkEntry<SLibrary*>(m_libraries, lib->GetName(), lib, libraryUndo);
    }
  };
  linkLibraries(p.packageLibraries, m_packageLibraries);
  linkLibraries(p.pinMappingLibraries, m_pinMappingLibraries);
  linkLibraries(p.padStackLibraries, m_padStackLibraries);
  if (!ok) {
    UndoEntries(libraryUndo);
    UndoEntries(projectUndo);
    for (SLibrary* lib : listed) {
      if (SPackageLibrary* a = SPackageLibrary::Cast(lib)) m_packageLibraries.erase(a, m_heap);
      else if (SPinMappingLibrary* b = SPinMappingLibrary::Cast(lib)) m_pinMappingLibraries.erase(b, m_heap);
      else if (SPadStackLibrary* c = SPadStackLibrary::Cast(lib)) m_padStackLibraries.erase(c, m_heap);
    }
    return false;
  }
  m_id = p.id;
  return true;
}
