// Saving and restoring a session's file, with the reason of a failure for
// callers that report it (the inspector).
#ifndef TAVRIN_DESIGN_SESSION_FILES_H
#define TAVRIN_DESIGN_SESSION_FILES_H

#include <string>

#include "tavrin/design.h"

namespace tavrin {

class SessionFiles {
 public:
  // SSession::Save; `reason` receives why it failed.
  static int Save(SSession& session, const char* path, std::string* reason);
  // SSession::Restore; `timings` prints the two timing lines. The file's
  // objects are created in a heap of their own, which the session keeps
  // when the whole file has been read and linked; a failed restore destroys
  // it, so the session and its heap stay as they were. `reason` receives
  // why it failed ("out of memory" when memory ran out).
  static int Restore(SSession& session, const char* path, std::string* reason, bool timings);
  // Destroys the heaps of a session's restored files (at its end).
  static void DestroyRestoredHeaps(void*& chain);
  static long GetObjtabPos(const char* path);
  // Keeps the reason of a failed call for SSession::GetLastError (a success
  // clears it).
  static void KeepReason(SSession& session, int ok, const std::string& reason);
};

}  // namespace tavrin

#endif
