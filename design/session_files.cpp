#include "design/session_files.h"

#include <cstdio>
#include <ctime>
#include <new>

#include "core/pool.h"
#include "core/shared_record_value.h"
#include "persist/file_frame.h"
#include "persist/input_file.h"
#include "platform/private_heap.h"
#include "tavrin/persist.h"

namespace tavrin {

namespace {

// A heap of the session's restored objects, linked from the session.
struct RestoredHeap {
  PrivateHeap* heap;
  RestoredHeap* next;
};

// The heap a restore reads into: the session takes it once the file has
// been read and linked; otherwise it is destroyed with everything the
// restore created in it.
class RestoreHeap {
 public:
  RestoreHeap() {
    m_heap = HeapCreate();
    void* rec = m_heap ? HeapAlloc(m_heap, sizeof(HANDLEMA)) : nullptr;
    void* link = rec ? HeapAlloc(m_heap, sizeof(RestoredHeap)) : nullptr;
    if (!link) return;
    m_record = static_cast<HANDLEMA*>(rec);
    m_record->heap = m_heap;
    m_record->mapNodeFree = m_record->listNodeFree = nullptr;
    m_record->sizeClassHeads = nullptr;
    m_link = static_cast<RestoredHeap*>(link);
  }
  ~RestoreHeap() {
    if (m_heap) HeapDestroy(m_heap);
  }
  RestoreHeap(const RestoreHeap&) = delete;
  RestoreHeap& operator=(const RestoreHeap&) = delete;

  HANDLEMA* record() const { return m_record; }
  void AdoptInto(void*& chain) {
    m_link->heap = m_heap;
    m_link->next = static_cast<RestoredHeap*>(chain);
    chain = m_link;
    m_heap = nullptr;
  }

 private:
  PrivateHeap* m_heap = nullptr;
  HANDLEMA* m_record = nullptr;
  RestoredHeap* m_link = nullptr;
};

const char kOutOfMemory[] = "out of memory";

}  // namespace

int SessionFiles::Save(SSession& session, const char* path, std::string* reason) {
  try {
    PersistentFile file(path, 1, session.m_heap);
    if (file.IsOK()) {
      try {
        session.Serialize(file);
      } catch (const std::bad_alloc&) {
        file.MarkOutOfMemory();  // the incomplete file does not replace the target
      }
    }
    bool ok = file.Close();
    if (!ok && reason) *reason = file.GetError();
    return ok ? 1 : 0;
  } catch (const std::bad_alloc&) {
    if (reason) *reason = kOutOfMemory;
    return 0;
  }
}

int SessionFiles::Restore(SSession& session, const char* path, std::string* reason, bool timings) {
  RestoreHeap scratch;
  if (!scratch.record()) {
    if (reason) *reason = kOutOfMemory;
    return 0;
  }
  // Records read replace the shared value; a failed restore puts it back.
  struct KeepSharedValue {
    int32_t value = SharedRecordValue();
    bool restored = false;
    ~KeepSharedValue() {
      if (!restored) SetSharedRecordValue(value);
    }
  } shared;
  try {
    std::time_t start = std::time(nullptr);
    PersistentFile file(path, 0, scratch.record());
    if (timings) std::printf("\nPersistentFile = %d", static_cast<int>(std::time(nullptr) - start));
    bool ok = file.IsOK();
    if (ok) {
      start = std::time(nullptr);
      ok = session.ReadRecord(file, &file, scratch.record()) == 0;
      if (timings) std::printf("\nSerialize = %d", static_cast<int>(std::time(nullptr) - start));
    }
    file.Close();
    if (ok) {
      // Linked into the session: from here on nothing can fail.
      scratch.AdoptInto(session.m_restoredHeaps);
      shared.restored = true;
      return 1;
    }
    if (reason) *reason = file.GetError().empty() ? "the data cannot be read" : file.GetError();
    return 0;
  } catch (const std::bad_alloc&) {
    // Raised before anything was linked (ReadRecord catches its own).
    if (reason) *reason = kOutOfMemory;
    return 0;
  }
}

void SessionFiles::DestroyRestoredHeaps(void*& chain) {
  for (RestoredHeap* h = static_cast<RestoredHeap*>(chain); h;) {
    RestoredHeap* next = h->next;
    HeapDestroy(h->heap);  // holds h itself
    h = next;
  }
  chain = nullptr;
}

long SessionFiles::GetObjtabPos(const char* path) {
  try {
    InputFile in;
    if (!in.Open(path)) return -1;
    FrameHeader h;
    ReadFrameHeader(in, h, nullptr);
    return h.positionsRead ? static_cast<long>(h.endPos) : -1;
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

void SessionFiles::KeepReason(SSession& session, int ok, const std::string& reason) {
  session.m_lastErrorLost = false;
  if (ok) {
    SetText(session.m_heap, session.m_lastError, nullptr);
    return;
  }
  // The text comes from the session's pool; when even that fails, the
  // reason given is that memory ran out.
  if (!SetText(session.m_heap, session.m_lastError, reason.c_str())) {
    TextFree(session.m_lastError);
    session.m_lastError = nullptr;
    session.m_lastErrorLost = true;
  }
}

}  // namespace tavrin

int SSession::Save(const char* path) {
  std::string reason;
  int ok = tavrin::SessionFiles::Save(*this, path, &reason);
  tavrin::SessionFiles::KeepReason(*this, ok, reason);
  return ok;
}

int SSession::Restore(const char* path) {
  std::string reason;
  int ok = tavrin::SessionFiles::Restore(*this, path, &reason, true);
  tavrin::SessionFiles::KeepReason(*this, ok, reason);
  return ok;
}

const char* SSession::GetLastError() const {
  if (m_lastError) return m_lastError;
  return m_lastErrorLost ? "out of memory" : "";
}

long SSession::GetObjtabPos(const char* path) { return tavrin::SessionFiles::GetObjtabPos(path); }
