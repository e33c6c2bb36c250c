// tavrin info FILE: the header and the object table, read without creating
// any object.
#include <cstdio>
#include <string>
#include <vector>

#include "persist/file_frame.h"
#include "persist/input_file.h"
#include "tavrin/core.h"

int RunInfo(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tavrin info FILE\n");
    return 2;
  }
  const char* path = argv[1];
  tavrin::InputFile in;
  if (!in.Open(path)) {
    std::fprintf(stderr, "tavrin info: %s: cannot open: %s\n", path, in.error());
    return 1;
  }
  tavrin::FrameHeader h;
  std::string why;
  bool headerOk = tavrin::ReadFrameHeader(in, h, &why);
  std::printf("file: %s (%lld bytes)\n", path, static_cast<long long>(in.Size()));
  if (h.hasVersionLine) std::printf("format version: %d\n", h.version);
  else std::printf("format version: none\n");
  std::printf("revision lines: %s\n", h.hasRevisionLines ? "yes" : "no");
  if (h.positionsRead) {
    std::printf("object table position: %lld\n", static_cast<long long>(h.tablePos));
    std::printf("end position: %lld\n", static_cast<long long>(h.endPos));
  }
  if (!headerOk) {
    std::fprintf(stderr, "tavrin info: %s: %s\n", path, why.c_str());
    return 1;
  }
  std::printf("data section: bytes %lld to %lld\n", static_cast<long long>(h.dataStart),
              static_cast<long long>(h.tablePos));
  tavrin::ObjectTable table;
  if (!tavrin::ReadObjectTable(in, h, table, &why)) {
    std::fprintf(stderr, "tavrin info: %s: %s\n", path, why.c_str());
    return 1;
  }
  std::vector<long> perName(table.names.size(), 0);
  for (std::size_t i = 1; i < table.entries.size(); ++i) ++perName[table.entries[i]];
  std::printf("objects: %zu\n", table.entries.size() - 1);
  for (std::size_t k = 0; k < table.names.size(); ++k) {
    bool known = Dynamic::FindFactory(table.names[k].c_str()) != nullptr;
    std::printf("  %s: %ld%s\n", table.names[k].c_str(), perName[k], known ? "" : " (unknown class)");
  }
  if (table.end != h.endPos)
    std::printf("note: the object table ends at byte %lld, the header says %lld\n",
                static_cast<long long>(table.end), static_cast<long long>(h.endPos));
  return 0;
}
