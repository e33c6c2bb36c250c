// Fuzz target: any bytes as a saved file. Restore must never crash, hang or
// touch memory it does not own; a failed restore leaves the session as it
// was; a file that restores saves and restores again to the same file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "design/session_files.h"
#include "tavrin/tavrin.h"
#include "tests/current_access.h"

namespace {

std::string ScratchPath(const char* name) {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(dir) + "/tavrin-fuzz-" + std::to_string(getpid()) + "-" + name;
}

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

// Saves s to path and returns the bytes.
std::string SaveOf(SSession* s, const std::string& path) {
  Check(s->Save(path.c_str()) == 1, "a restored session saves");
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A new session restored from path, which must read.
SSession* Restored(const std::string& path) {
  SSession* s = AllocSession();
  Check(tavrin::SessionFiles::Restore(*s, path.c_str(), nullptr, false) == 1, "a saved file restores");
  return s;
}

// Pairs every module of a restored session with a small bound (pairing is
// quadratic in what it gathers); the session must still save and restore.
void PairEveryModule(SSession* s, const std::string& path) {
  for (auto p = s->GetAllProjects().begin(); p != s->GetAllProjects().end(); ++p)
    for (auto c = p->second->GetAllDesigns().begin(); c != p->second->GetAllDesigns().end(); ++c)
      for (auto m = c->second->GetAllModules().begin(); m != c->second->GetAllModules().end(); ++m) {
        (*m)->CreateAllDriverReceiverPairs(16);
        for (auto e = (*m)->GetAllElectricalNets().begin(); e != (*m)->GetAllElectricalNets().end(); ++e)
          (*m)->CreateElectricalNetDriverReceiverPairs(*e, 16);
      }
  SaveOf(s, path);
  delete Restored(path);
}

std::string Fingerprint(SSession* s) {
  std::ostringstream o;
  o << s->GetId();
  for (auto it = s->GetAllProjects().begin(); it != s->GetAllProjects().end(); ++it) o << ' ' << it->second;
  for (auto it = s->GetAllLibraries().begin(); it != s->GetAllLibraries().end(); ++it) o << ' ' << it->second;
  return o.str();
}

}  // namespace

// Under the fuzzing engine the library's standard-output lines (restore
// timings, sessions placed without a heap) would flood the log: drop them.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string input = ScratchPath("input"), first = ScratchPath("first"),
                           second = ScratchPath("second");
  std::ofstream(input, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  GetDBFileVersion(input.c_str());
  SSession* session = AllocSession();
  if (!session) return 0;
  session->GetObjtabPos(input.c_str());
  session->CreateProject("existing");
  std::string before = Fingerprint(session);
  if (tavrin::SessionFiles::Restore(*session, input.c_str(), nullptr, false)) {
    std::string s1 = SaveOf(session, first);
    SSession* b = Restored(first);
    SaveOf(b, second);
    SSession* c = Restored(second);
    Check(SaveOf(c, second) == s1, "two round trips give the first file");
    PairEveryModule(session, second);
    delete b;
    delete c;
  } else {
    Check(Fingerprint(session) == before, "a failed restore leaves the session");
  }
  delete session;

  // The same bytes as a server file and as a visitor file.
  if (GTavrinServer::Restore(input.c_str())) {
    delete GTavrinServer::GetCurrent();
    ServerTestAccess::SetCurrent(nullptr);
  }
  if (GVisitor::Restore(input.c_str())) {
    delete GVisitor::GetCurrent();
    VisitorTestAccess::SetCurrent(nullptr);
  }
  return 0;
}
