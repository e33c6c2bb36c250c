// Fuzz target: any bytes as a saved file. A failed restore leaves the session as it was; a file
// that restores saves and restores again to the same file.
#include "design/session_files.h"
#include "tavrin/tavrin.h"
#include "tests/current_access.h"
#include "tests/fuzz/fuzz_common.h"

namespace {

std::string SaveOf(SSession* s, const std::string& path) {
  Check(s->Save(path.c_str()) == 1, "a restored session saves");
  return Bytes(path);
}

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
