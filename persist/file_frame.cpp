#include "persist/file_frame.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <unordered_map>

#include "persist/text_codec.h"

namespace tavrin {

namespace {

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool ReadFrameHeader(InputFile& in, FrameHeader& h, std::string* error) {
  h = FrameHeader();
  if (!in.Seek(0)) return Fail(error, "cannot read the file");
  in.SetLimit(in.Size());

  char magic[3];
  std::size_t len = 0;
  if (!in.ReadLine(magic, 2, &len) || len < 2 || magic[0] != 'Y' || magic[1] != 'O')
    return Fail(error, "not a tavrin file (no \"YO\" line)");

  // The version line is two characters. Three characters that come back
  // are taken as the version (as the start of a longer line too); fewer
  // mean a file without version and revision lines.
  char line[16];
  int64_t mark = in.Tell();
  std::size_t n = in.ReadBounded(line, 3);
  if (n == 0) return Fail(error, "header ends after the magic line");
  if (n == 3) {
    h.hasVersionLine = true;
    h.version = static_cast<int>(std::strtol(line, nullptr, 10));
    SetFileVersion(h.version);
    mark = in.Tell();
    n = in.ReadBounded(line, 11);
    if (n == 3 && line[0] == 'V' && line[1] == 'V' && line[2] == '\n') {
      char revision[12];
      if (!in.ReadLine(revision, 11)) return Fail(error, "header: revision line missing");
      h.hasRevisionLines = true;
    } else {
      in.Seek(mark);
    }
  } else {
    in.Seek(mark);
  }

  int32_t tablePos = 0, endPos = 0, filler = 0;
  if (!ReadInt32Line(in, tablePos)) return Fail(error, "header: object table position missing");
  h.tablePos = tablePos;
  if (!ReadInt32Line(in, endPos)) return Fail(error, "header: end position missing");
  h.endPos = endPos;
  h.positionsRead = true;
  if (tablePos < 0 || tablePos > in.Size())
    return Fail(error, "header: object table position " + std::to_string(tablePos) +
                           " outside the file (" + std::to_string(in.Size()) + " bytes)");
  if (!ReadInt32Line(in, filler)) return Fail(error, "header: filler line missing");
  h.dataStart = in.Tell();
  if (h.tablePos < h.dataStart)
    return Fail(error, "header: object table position " + std::to_string(tablePos) +
                           " lies inside the header");
  return true;
}

bool ReadObjectTable(InputFile& in, const FrameHeader& h, ObjectTable& t, std::string* error, bool resolve) {
  t = ObjectTable();
  in.SetLimit(in.Size());
  if (!in.Seek(h.tablePos)) return Fail(error, "object table position beyond the end of the file");
  char marker[5];
  if (!in.ReadLine(marker, 4))
    return Fail(error, "object table: marker line missing at byte " + std::to_string(h.tablePos));
  int32_t count = 0;
  if (!ReadInt32Line(in, count)) return Fail(error, "object table: entry count missing");
  if (count < 1) return Fail(error, "object table: entry count " + std::to_string(count) + " below 1");
  // Every class line takes at least two bytes.
  uint64_t lines = static_cast<uint64_t>(count) - 1;
  if (lines > static_cast<uint64_t>(in.Remaining()) / 2)
    return Fail(error, "object table: " + std::to_string(count) +
                           " entries cannot fit in the rest of the file");
  t.entries.assign(static_cast<std::size_t>(count), 0);
  // Resolving: every registered class once (the newest registration of a
  // name, as FindFactory finds it), and per distinct name read its class,
  // 4 bytes a name however many names the table holds.
  std::unordered_map<std::string_view, uint32_t> slotOf;
  std::vector<uint32_t> slotOfName;
  if (resolve) {
    t.factories.push_back(nullptr);
    for (Dynamic::FactoryListElement* e = Dynamic::RegistryHead(); e; e = e->next) {
      if (slotOf.emplace(std::string_view(e->factory->ClassName() + 6), static_cast<uint32_t>(t.factories.size()))
              .second)
        t.factories.push_back(e->factory);
    }
  }
  std::size_t distinct = 0;
  std::string name;
  for (uint32_t i = 1; i < static_cast<uint32_t>(count); ++i) {
    name.clear();
    bool complete = in.ScanLine([&](const char* p, std::size_t n) { name.append(p, n); });
    if (!complete) return Fail(error, "object table: class line " + std::to_string(i) + " missing");
    if (!name.empty() && IsDigit(name[0])) {
      unsigned long long pos = std::strtoull(name.c_str(), nullptr, 10);
      if (pos >= distinct)
        return Fail(error, "object table: class line " + std::to_string(i) + " refers to name " +
                               name + " of " + std::to_string(distinct));
      t.entries[i] = resolve ? slotOfName[pos] : static_cast<uint32_t>(pos);
    } else if (resolve) {
      // A name is compared up to its first NUL, as a C text.
      auto hit = slotOf.find(std::string_view(name.c_str()));
      slotOfName.push_back(hit == slotOf.end() ? 0 : hit->second);
      t.entries[i] = slotOfName.back();
      ++distinct;
    } else {
      t.names.push_back(name);
      t.entries[i] = static_cast<uint32_t>(t.names.size() - 1);
      ++distinct;
    }
  }
  t.end = in.Tell();
  return true;
}

}  // namespace tavrin
