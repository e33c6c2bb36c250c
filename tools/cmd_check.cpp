// tavrin check FILE: restores the file into a fresh session. Exit status 0
// when it reads cleanly, 1 with the reason when it does not.
#include <cstdio>
#include <string>

#include "design/session_files.h"
#include "tavrin/design.h"

int RunCheck(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tavrin check FILE\n");
    return 2;
  }
  const char* path = argv[1];
  SSession* session = AllocSession();
  if (!session) {
    std::fprintf(stderr, "tavrin check: out of memory\n");
    return 1;
  }
  std::string reason;
  int ok = tavrin::SessionFiles::Restore(*session, path, &reason, false);
  if (ok) {
    std::printf("%s: ok (%u projects, %u libraries)\n", path, session->GetAllProjects().size(),
                session->GetAllLibraries().size());
  } else {
    std::fprintf(stderr, "%s: %s\n", path, reason.c_str());
  }
  delete session;
  return ok ? 0 : 1;
}
