// tavrin libs FILE: restores the file, then prints each package library's
// packages (type, power, footprint lengths, pins with their positions) and
// each pad-stack library's pad stacks (layer span, pads by layer with their
// positions and the names of their regions, extents). Lengths held in values are shown in the
// internal unit; "-" stands for an absent value, "" for an absent name.
#include <cstdio>
#include <string>

#include <tavrin/design.h>
#include <tavrin/physical.h>
#include <tavrin/props.h>

#include "tool_common.h"

namespace {

const char* NameOf(const char* name) { return name ? name : ""; }

std::string ValueText(const SUnitlessValue* v) { return v ? std::to_string(v->GetValue()) : "-"; }

void PrintPackages(const SPackageLibrary* lib) {
  std::printf("package library \"%s\": %u packages\n", NameOf(lib->GetName()), lib->GetAllPackages().size());
  for (auto it = lib->GetAllPackages().begin(); it != lib->GetAllPackages().end(); ++it) {
    const SPackage* p = it->second;
    std::printf("  package \"%s\": type %d, power %g, size %ld x %ld, %u pins\n", it->first.c_str(),
                static_cast<int>(p->GetType()), static_cast<double>(p->GetPower()), p->GetXLength(), p->GetYLength(),
                p->GetAllPackagePins().size());
    for (auto pin = p->GetAllPackagePins().begin(); pin != p->GetAllPackagePins().end(); ++pin)
      std::printf("    pin \"%s\" at (%d, %d)\n", NameOf((*pin)->GetName()), (*pin)->GetX(), (*pin)->GetY());
  }
}

void PrintPadStacks(const SPadStackLibrary* lib) {
  std::printf("pad-stack library \"%s\": %u pad stacks\n", NameOf(lib->GetName()), lib->GetAllPadStacks().size());
  for (auto it = lib->GetAllPadStacks().begin(); it != lib->GetAllPadStacks().end(); ++it) {
    const SPadStack* ps = it->second;
    std::printf("  pad stack \"%s\": layers %d to %d, extent %s x %s, %u pads\n", it->first.c_str(),
                ps->GetBottomLayer(), ps->GetTopLayer(), ValueText(ps->GetXExtentVal()).c_str(),
                ValueText(ps->GetYExtentVal()).c_str(), ps->GetAllPads().size());
    for (auto pad = ps->GetAllPads().begin(); pad != ps->GetAllPads().end(); ++pad) {
      const SPad* p = pad->second;
      std::printf("    pad on layer %d at (%s, %s), regions:", pad->first, ValueText(p->GetXVal()).c_str(),
                  ValueText(p->GetYVal()).c_str());
      for (auto r = p->GetAllRegions().begin(); r != p->GetAllRegions().end(); ++r)
        std::printf(" \"%s\"", NameOf((*r)->GetName()));
      std::printf("\n");
    }
  }
}

}  // namespace

int RunLibs(int argc, char** argv) {
  if (argc != 2) {
    return tool::Usage("libs FILE");
  }
  tool::InputPath input(argv[1]);
  if (!input.Ok()) return tool::Fail("libs", input.Shown(), input.Error());
  SSession* session = AllocSession();
  if (!session) return tool::Fail("libs", input.Shown(), "out of memory");
  int ok = tool::QuietRestore(*session, input.Path());
  if (!ok) {
    tool::Fail("libs", input.Shown(), session->GetLastError());
  } else {
    for (auto it = session->GetAllPackageLibraries().begin(); it != session->GetAllPackageLibraries().end(); ++it)
      PrintPackages(*it);
    for (auto it = session->GetAllPadStackLibraries().begin(); it != session->GetAllPadStackLibraries().end(); ++it)
      PrintPadStacks(*it);
  }
  delete session;
  return ok ? 0 : 1;
}
