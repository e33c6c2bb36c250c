// tavrin pairs FILE [MAX]: restores the file, rebuilds the driver-receiver
// pairs of every module with the bound MAX (default 100) and prints, per
// module and net, the pairs made and the nets that reach the bound.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <tavrin/tavrin.h>

#include "tool_common.h"

// The gathering step of pairing, to tell a net that reached the bound from
// one without drivers or receivers.
class ModuleElectricalAccess {
 public:
  static bool Gather(SModule* m, const RelLinkedList<SPortInstanceScalar*>& ports, int max, int& nDrivers,
                     int& nReceivers) {
    std::size_t room = static_cast<std::size_t>(max < 0 ? 0 : max);
    if (room > ports.size()) room = ports.size();
    std::vector<SPortInstanceScalar*> drivers(room + 1), receivers(room + 1);
    nDrivers = nReceivers = 0;
    return m->GetDriverReceiverPairs(ports, drivers.data(), receivers.data(), max, nDrivers, nReceivers);
  }
};

namespace {

const char* Text(const char* t) { return t ? t : ""; }

void PrintModule(const char* project, SCell* cell, SModule* m, int max) {
  int result = m->CreateAllDriverReceiverPairs(max);
  unsigned pairs = 0, failing = 0;
  std::string lines;
  for (auto n = m->GetAllNetScalars().begin(); n != m->GetAllNetScalars().end(); ++n) {
    SNetScalar* net = *n;
    std::string line = std::string("  net \"") + Text(net->GetName()) + "\": ";
    if (net->GetElectricalNet()) {
      line += std::string("in electrical net \"") + Text(net->GetElectricalNet()->GetName()) + "\"";
    } else if (net->GetbConstantVoltage()) {
      line += "constant voltage";
    } else if (!net->GetAllDriverReceiverPairs().empty()) {
      const char* sep = "";
      for (auto p = net->GetAllDriverReceiverPairs().begin(); p != net->GetAllDriverReceiverPairs().end(); ++p) {
        line += sep;
        line += Text((*p)->GetName());
        sep = " ";
        ++pairs;
      }
    } else {
      int drivers = 0, receivers = 0;
      if (ModuleElectricalAccess::Gather(m, net->GetAllPortInstanceScalars(), max, drivers, receivers)) {
        line += "no pairs";
      } else {
        line += "fails (" + std::to_string(drivers) + " drivers x " + std::to_string(receivers) + " receivers)";
        ++failing;
      }
    }
    lines += line + "\n";
  }
  std::printf("module \"%s\" of cell \"%s\" in project \"%s\": %u pairs, failing nets: %u (result %d)\n",
              Text(m->GetName()), Text(cell->GetName()), project, pairs, failing, result);
  std::fputs(lines.c_str(), stdout);
}

}  // namespace

int RunPairs(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    return tool::Usage("pairs FILE [MAX]");
  }
  int max = 100;
  if (argc == 3) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(argv[2], &end, 10);
    if (!*argv[2] || *end || errno || v < INT_MIN || v > INT_MAX) {
      std::fprintf(stderr, "tavrin pairs: MAX must be an integer: %s\n", argv[2]);
      return 2;
    }
    max = static_cast<int>(v);
  }
  tool::InputPath input(argv[1]);
  if (!input.Ok()) return tool::Fail("pairs", input.Shown(), input.Error());
  SSession* session = AllocSession();
  if (!session) return tool::Fail("pairs", input.Shown(), "out of memory");
  if (!tool::QuietRestore(*session, input.Path())) {
    tool::Fail("pairs", input.Shown(), session->GetLastError());
    delete session;
    return 1;
  }
  std::printf("bound: %d\n", max);
  for (auto p = session->GetAllProjects().begin(); p != session->GetAllProjects().end(); ++p)
    for (auto c = p->second->GetAllDesigns().begin(); c != p->second->GetAllDesigns().end(); ++c)
      for (auto m = c->second->GetAllModules().begin(); m != c->second->GetAllModules().end(); ++m)
        PrintModule(Text(p->second->GetName()), c->second, *m, max);
  delete session;
  return 0;
}
