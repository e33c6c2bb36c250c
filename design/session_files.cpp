#include "design/session_files.h"

#include <cstdio>
#include <ctime>

#include "persist/file_frame.h"
#include "persist/input_file.h"
#include "tavrin/persist.h"

namespace tavrin {

int SessionFiles::Save(SSession& session, const char* path, std::string* reason) {
  PersistentFile file(path, 1, session.m_heap);
  if (file.IsOK()) session.Serialize(file);
  bool ok = file.Close();
  if (!ok && reason) *reason = file.GetError();
  return ok ? 1 : 0;
}

int SessionFiles::Restore(SSession& session, const char* path, std::string* reason, bool timings) {
  std::time_t start = std::time(nullptr);
  PersistentFile file(path, 0, session.m_heap);
  if (timings) std::printf("\nPersistentFile = %d", static_cast<int>(std::time(nullptr) - start));
  bool ok = file.IsOK();
  if (ok) {
    start = std::time(nullptr);
    ok = session.ReadRecord(file, &file) == 0;
    if (timings) std::printf("\nSerialize = %d", static_cast<int>(std::time(nullptr) - start));
  }
  if (!ok && reason) *reason = file.GetError().empty() ? "the data cannot be linked (out of memory)" : file.GetError();
  file.Close();
  return ok ? 1 : 0;
}

long SessionFiles::GetObjtabPos(const char* path) {
  InputFile in;
  if (!in.Open(path)) return -1;
  FrameHeader h;
  ReadFrameHeader(in, h, nullptr);
  return h.positionsRead ? static_cast<long>(h.endPos) : -1;
}

}  // namespace tavrin

int SSession::Save(const char* path) { return tavrin::SessionFiles::Save(*this, path, nullptr); }

int SSession::Restore(const char* path) { return tavrin::SessionFiles::Restore(*this, path, nullptr, true); }

long SSession::GetObjtabPos(const char* path) { return tavrin::SessionFiles::GetObjtabPos(path); }
