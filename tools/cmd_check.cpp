// tavrin check FILE: restores the file into a fresh session. Exit status 0
// when it reads cleanly, 1 with the reason when it does not.
#include <cstdio>

#include <tavrin/design.h>

#include "tool_common.h"

int RunCheck(int argc, char** argv) {
  if (argc != 2) return tool::Usage("check FILE");
  tool::InputPath input(argv[1]);
  if (!input.Ok()) return tool::Fail("check", input.Shown(), input.Error());
  SSession* session = AllocSession();
  if (!session) return tool::Fail("check", input.Shown(), "out of memory");
  int ok = tool::QuietRestore(*session, input.Path());
  if (ok) {
    std::printf("%s: ok (%u projects, %u libraries)\n", input.Shown(), session->GetAllProjects().size(),
                session->GetAllLibraries().size());
  } else {
    tool::Fail("check", input.Shown(), session->GetLastError());
  }
  delete session;
  return ok ? 0 : 1;
}
