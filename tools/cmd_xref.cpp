// tavrin xref [-i|--internal] FILE NAME...
//
// Loads a cross-reference file and prints, for each NAME, what it maps to as
// a logical or physical net and as a logical or physical component:
//
//   net "N1" -> physical "P1"
//   net "P1" -> logical "N1" "N2"
//   component "U1" -> physical "IC1"
//   component "IC1" -> logical "U1"
//   "X" not found
//
// Names are printed in double quotes, with '"', '\' and bytes outside
// printable ASCII escaped (tool::Quote), so empty or odd names stay visible. --internal
// reads the net section titled "Internal_Net_Cross_Reference". argv[0] is
// the command's own name; a FILE of `-` is standard input. Exit status 0
// when the file loads, 1 when it cannot be read or holds no pair at all (a
// file of another kind, or the wrong section title), 2 for missing arguments.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <tavrin/xref.h>

#include "tool_common.h"

namespace {

std::string QuoteList(const CStringList& list) {
  std::string out;
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    out += ' ';
    out += tool::Quote(list.GetNext(pos));
  }
  return out;
}

// Prints every counterpart of name; returns the number of lines printed.
int PrintCounterparts(CPxr& pxr, const char* name) {
  int lines = 0;
  std::string quoted = tool::Quote(name);
  CString phys;
  CStringList* logs = nullptr;
  if (pxr.NetLogToPhysName(name, phys)) {
    std::printf("net %s -> physical %s\n", quoted.c_str(), tool::Quote(phys).c_str());
    ++lines;
  }
  if (pxr.NetPhysToLogNames(name, logs) && logs) {
    std::printf("net %s -> logical%s\n", quoted.c_str(), QuoteList(*logs).c_str());
    ++lines;
  }
  if (pxr.CompLogToPhysName(name, phys)) {
    std::printf("component %s -> physical %s\n", quoted.c_str(), tool::Quote(phys).c_str());
    ++lines;
  }
  logs = nullptr;
  if (pxr.CompPhysToLogNames(name, logs) && logs) {
    std::printf("component %s -> logical%s\n", quoted.c_str(), QuoteList(*logs).c_str());
    ++lines;
  }
  if (!lines) std::printf("%s not found\n", quoted.c_str());
  return lines;
}

}  // namespace

int RunXref(int argc, char** argv) {
  int internalNets = 0;
  int arg = 1;
  if (arg < argc && (std::strcmp(argv[arg], "-i") == 0 || std::strcmp(argv[arg], "--internal") == 0)) {
    internalNets = 1;
    ++arg;
  }
  if (argc - arg < 2) return tool::Usage("xref [-i|--internal] FILE NAME...");
  tool::InputPath input(argv[arg++]);
  if (!input.Ok()) return tool::Fail("xref", input.Shown(), input.Error());
  CPxr pxr;
  if (!pxr.LoadFile(input.Path(), internalNets)) {
    // The loader refuses anything but a regular file.
    const char* why = errno == EINVAL ? "not a regular file" : std::strerror(errno);
    return tool::Fail("xref", input.Shown(), std::string("cannot open: ") + why);
  }
  if (pxr.GetPairCount() == 0)
    return tool::Fail("xref", input.Shown(),
                      std::string("loads nothing: no ") + (internalNets ? "Internal_" : "") +
                          "Net_Cross_Reference or Pin_Cross_Reference pairs");
  for (; arg < argc; ++arg) PrintCounterparts(pxr, argv[arg]);
  return 0;
}
