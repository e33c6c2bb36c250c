// Uses the installed library through its public header only. argv[1] is a
// scratch folder.
#include <cstdio>
#include <cstring>
#include <string>

#include <tavrin/tavrin.h>

#if defined(TAVRIN_CONSUMER_STANDARD) && TAVRIN_CONSUMER_STANDARD == 20
static_assert(__cplusplus >= 202002L, "the consumer asked for C++20 and is built as C++20");
#endif
static_assert(TAVRIN_VERSION_MAJOR == 5, "the version header names the library's major version");

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : ".";
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
  ok = ok && std::strcmp(TavrinVersion(), TAVRIN_VERSION_STRING) == 0;

  // Why a restore failed, and that a success clears it.
  std::string bad = dir + "/not_a_design.txt";
  if (std::FILE* f = std::fopen(bad.c_str(), "w")) {
    std::fputs("hello\n", f);
    std::fclose(f);
  }
  SSession* copy = AllocSession();
  ok = ok && copy && copy->Restore(bad.c_str()) == 0 &&
       std::strcmp(copy->GetLastError(), "not a tavrin file (no \"YO\" line)") == 0;
  std::string good = dir + "/design.tdb";
  ok = ok && session->Save(good.c_str()) == 1 && copy && copy->Restore(good.c_str()) == 1 &&
       std::strcmp(copy->GetLastError(), "") == 0;
  std::printf("\n");  // ends the timing lines of Restore
  delete copy;
  delete session;
  std::printf("consumer %s\n", ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
