// tavrin stackup FILE: restores the file and prints each module's stack-up:
// the layers from the top layer along the next-layer references, then the
// layers of the stack-up that chain does not reach, each with its material
// data, thickness in mil and regions by kind.
#include <cstdio>
#include <set>
#include <string>

#include <tavrin/design.h>
#include <tavrin/physical.h>
#include <tavrin/props.h>

#include "tool_common.h"

namespace {

std::string Text(const char* t) { return t && *t ? t : "-"; }

std::string Label(const SLayer* l) {
  std::string s = "layer " + std::to_string(l->GetNumber());
  if (l->GetName() && *l->GetName()) s += std::string(" \"") + l->GetName() + '"';
  return s;
}

template <class R, class F>
void Regions(const char* kind, const RelLinkedList<R*>& list, F extra) {
  if (list.empty()) return;
  std::string line = std::string("    ") + kind + ":";
  const char* sep = " ";
  for (auto it = list.begin(); it != list.end(); ++it) {
    line += sep + Text((*it)->GetName()) + extra(*it);
    sep = ", ";
  }
  std::printf("%s\n", line.c_str());
}

void PrintLayer(const SLayer* l) {
  char thickness[64] = "-";
  if (l->GetThicknessVal()) std::snprintf(thickness, sizeof thickness, "%.4g mil", l->GetThickness(TAVRIN_UNIT_MIL));
  std::printf("  %s: type %s, conductor %s, dielectric %s (%g), thickness %s\n", Label(l).c_str(),
              Text(l->GetType()).c_str(), Text(l->GetConductor()).c_str(), Text(l->GetDielectricName()).c_str(),
              l->GetDielectricConstant(), thickness);
  auto none = [](const SRegion*) { return std::string(); };
  Regions("signal", l->GetAllSignalRegions(), none);
  Regions("power plane", l->GetAllPowerPlaneRegions(),
          [](const SPowerPlaneRegion* p) { return " (" + Text(p->GetType()) + ")"; });
  Regions("insulator", l->GetAllInsulatorRegions(), none);
}

void PrintStackUp(const SStackUp* su) {
  std::printf("  stack-up %s: %u layers, top %s, bottom %s\n", Text(su->GetName()).c_str(), su->GetAllLayers().size(),
              su->GetTopLayer() ? Label(su->GetTopLayer()).c_str() : "-",
              su->GetBottomLayer() ? Label(su->GetBottomLayer()).c_str() : "-");
  std::set<const SLayer*> seen;
  for (const SLayer* l = su->GetTopLayer(); l; l = l->GetNextLayer()) {
    if (!seen.insert(l).second) {
      std::printf("  %s again: the next-layer chain repeats, stopped\n", Label(l).c_str());
      break;
    }
    PrintLayer(l);
  }
  bool header = false;
  const RelMap<int, SLayer*>& layers = su->GetAllLayers();
  for (auto it = layers.begin(); it != layers.end(); ++it) {
    if (!it->second || seen.count(it->second)) continue;
    if (!header) std::printf("  off the chain:\n");
    header = true;
    PrintLayer(it->second);
  }
}

}  // namespace

int RunStackup(int argc, char** argv) {
  if (argc != 2) {
    return tool::Usage("stackup FILE");
  }
  tool::InputPath input(argv[1]);
  if (!input.Ok()) return tool::Fail("stackup", input.Shown(), input.Error());
  SSession* session = AllocSession();
  if (!session) return tool::Fail("stackup", input.Shown(), "out of memory");
  if (!tool::QuietRestore(*session, input.Path())) {
    tool::Fail("stackup", input.Shown(), session->GetLastError());
    delete session;
    return 1;
  }
  unsigned modules = 0;
  const RelMap<CharM, SProject*>& projects = session->GetAllProjects();
  for (auto p = projects.begin(); p != projects.end(); ++p) {
    const RelMap<CharM, SCell*>& cells = p->second->GetAllDesigns();
    for (auto c = cells.begin(); c != cells.end(); ++c) {
      const RelLinkedList<SModule*>& list = c->second->GetAllModules();
      for (auto m = list.begin(); m != list.end(); ++m) {
        ++modules;
        std::printf("module %s/%s/%s\n", Text(p->first.c_str()).c_str(), Text(c->first.c_str()).c_str(),
                    Text((*m)->GetName()).c_str());
        SLayout* layout = (*m)->GetLayout();
        if (!layout || !layout->GetStackUp()) std::printf("  no stack-up\n");
        else PrintStackUp(layout->GetStackUp());
      }
    }
  }
  if (!modules) std::printf("no modules\n");
  delete session;
  return 0;
}
