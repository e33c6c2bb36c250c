// Uses the installed library through its public header only.
#include <cstdio>
#include <cstring>

#include <tavrin/tavrin.h>

int main() {
  SSession* session = AllocSession();
  if (!session) return 1;
  SPackageLibrary* lib = session->CreatePackageLibrary("parts");
  bool ok = lib && session->GetLibrary("parts") == lib &&
            std::strcmp(lib->GetClassName(), "class SPackageLibrary") == 0 &&
            SLibrary::Cast(lib) == lib && session->GetAllPackageLibraries().size() == 1;
  int large = 0, zero = 0, classes = 0;
  int* chunks = nullptr;
  GetCntTavrin(large, zero, classes, chunks);
  ok = ok && classes == 9 && chunks != nullptr;
  delete session;
  std::printf("consumer %s\n", ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
