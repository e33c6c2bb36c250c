// tavrin info FILE: the header and the object table, read without creating
// any object.
#include <cstdio>
#include <string>
#include <vector>

#include <tavrin/core.h>

#include "file_layout.h"
#include "tool_common.h"

int RunInfo(int argc, char** argv) {
  if (argc != 2) return tool::Usage("info FILE");
  tool::InputPath input(argv[1]);
  if (!input.Ok()) return tool::Fail("info", input.Shown(), input.Error());
  const char* path = input.Shown();
  tool::FileLayout h;
  std::string why;
  bool ok = tool::ReadFileLayout(input.Path(), h, &why);
  if (h.size == 0 && !ok && why.compare(0, 11, "cannot open") == 0) return tool::Fail("info", path, why);
  std::printf("file: %s (%lld bytes)\n", path, static_cast<long long>(h.size));
  if (h.hasVersionLine) std::printf("format version: %d\n", h.version);
  else std::printf("format version: none\n");
  std::printf("revision lines: %s\n", h.hasRevisionLines ? "yes" : "no");
  if (h.positionsRead) {
    std::printf("object table position: %lld\n", static_cast<long long>(h.tablePos));
    std::printf("end position: %lld\n", static_cast<long long>(h.endPos));
  }
  if (h.headerSound)
    std::printf("data section: bytes %lld to %lld\n", static_cast<long long>(h.dataStart),
                static_cast<long long>(h.tablePos));
  if (!ok) return tool::Fail("info", path, why);
  std::vector<long> perName(h.classNames.size(), 0);
  for (std::size_t i = 1; i < h.entries.size(); ++i) ++perName[h.entries[i]];
  std::printf("objects: %zu\n", h.entries.size() - 1);
  for (std::size_t k = 0; k < h.classNames.size(); ++k) {
    bool known = Dynamic::FindFactory(h.classNames[k].c_str()) != nullptr;
    std::printf("  %s: %ld%s\n", h.classNames[k].c_str(), perName[k], known ? "" : " (unknown class)");
  }
  if (h.tableEnd != h.endPos)
    std::printf("note: the object table ends at byte %lld, the header says %lld\n",
                static_cast<long long>(h.tableEnd), static_cast<long long>(h.endPos));
  return 0;
}
