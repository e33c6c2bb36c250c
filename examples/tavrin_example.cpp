// Allocates a session, creates libraries, looks them up and prints them.
#include <cstdio>

#include <tavrin/tavrin.h>

int main() {
  SSession* session = AllocSession();
  if (!session) {
    std::fprintf(stderr, "cannot create a session\n");
    return 1;
  }
  session->CreatePackageLibrary("std_packages");
  session->CreatePadStackLibrary("std_padstacks");
  session->CreatePinMappingLibrary("std_pinmaps");

  std::printf("libraries (newest first):\n");
  for (auto it = session->GetAllLibraries().begin(); it != session->GetAllLibraries().end(); ++it) {
    std::printf("  %-16s %s\n", static_cast<const char*>(it->first), it->second->GetClassName());
  }
  SLibrary* lib = session->GetLibrary("std_padstacks");
  std::printf("lookup std_padstacks: %s\n", lib ? lib->GetClassName() : "not found");
  delete session;
  return 0;
}
