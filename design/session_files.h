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
  // SSession::Restore; `timings` prints the two timing lines.
  static int Restore(SSession& session, const char* path, std::string* reason, bool timings);
  static long GetObjtabPos(const char* path);
};

}  // namespace tavrin

#endif
