#include "file_layout.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>

namespace tool {

namespace {

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

class LineReader {
 public:
  explicit LineReader(std::FILE* f) : m_f(f) {}
  // One line without its line feed; false when the file ends first.
  bool Line(std::string& out) {
    out.clear();
    for (int c; (c = std::getc(m_f)) != EOF;) {
      if (c == '\n') return true;
      out += static_cast<char>(c);
    }
    return false;
  }
  // A number line, taken modulo 2^32 as the library reads it.
  bool Number(int32_t& v) {
    std::string text;
    if (!Line(text)) return false;
    long long n = std::strtoll(text.c_str(), nullptr, 10);
    v = static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long long>(n)));
    return true;
  }
  // At most max characters, stopping after a line feed (which is kept).
  std::size_t Bounded(std::string& out, std::size_t max) {
    out.clear();
    for (int c; out.size() < max && (c = std::getc(m_f)) != EOF;) {
      out += static_cast<char>(c);
      if (c == '\n') break;
    }
    return out.size();
  }
  int64_t Tell() { return std::ftell(m_f); }
  bool Seek(int64_t pos) { return std::fseek(m_f, static_cast<long>(pos), SEEK_SET) == 0; }

 private:
  std::FILE* m_f;
};

struct Closer {
  std::FILE* f;
  ~Closer() {
    if (f) std::fclose(f);
  }
};

bool ReadHeader(LineReader& in, FileLayout& h, std::string* error) {
  std::string line;
  if (!in.Line(line) || line.size() < 2 || line[0] != 'Y' || line[1] != 'O')
    return Fail(error, "not a tavrin file (no \"YO\" line)");
  // Three characters that come back are the version line (or the start of
  // a longer line); fewer mean a file without version and revision lines.
  int64_t mark = in.Tell();
  std::size_t n = in.Bounded(line, 3);
  if (n == 0) return Fail(error, "header ends after the magic line");
  if (n == 3) {
    h.hasVersionLine = true;
    h.version = static_cast<int>(std::strtol(line.c_str(), nullptr, 10));
    mark = in.Tell();
    if (in.Bounded(line, 11) == 3 && line == "VV\n") {
      if (!in.Line(line)) return Fail(error, "header: revision line missing");
      h.hasRevisionLines = true;
    } else {
      in.Seek(mark);
    }
  } else {
    in.Seek(mark);
  }
  int32_t tablePos = 0, endPos = 0, filler = 0;
  if (!in.Number(tablePos)) return Fail(error, "header: object table position missing");
  h.tablePos = tablePos;
  if (!in.Number(endPos)) return Fail(error, "header: end position missing");
  h.endPos = endPos;
  h.positionsRead = true;
  if (tablePos < 0 || tablePos > h.size)
    return Fail(error, "header: object table position " + std::to_string(tablePos) + " outside the file (" +
                           std::to_string(h.size) + " bytes)");
  if (!in.Number(filler)) return Fail(error, "header: filler line missing");
  h.dataStart = in.Tell();
  if (h.tablePos < h.dataStart)
    return Fail(error, "header: object table position " + std::to_string(tablePos) + " lies inside the header");
  return true;
}

bool ReadTable(LineReader& in, FileLayout& t, std::string* error) {
  if (!in.Seek(t.tablePos)) return Fail(error, "object table position beyond the end of the file");
  std::string line;
  if (!in.Line(line)) return Fail(error, "object table: marker line missing at byte " + std::to_string(t.tablePos));
  int32_t count = 0;
  if (!in.Number(count)) return Fail(error, "object table: entry count missing");
  if (count < 1) return Fail(error, "object table: entry count " + std::to_string(count) + " below 1");
  // Every class line takes at least two bytes.
  uint64_t lines = static_cast<uint64_t>(count) - 1;
  if (lines > static_cast<uint64_t>(t.size - in.Tell()) / 2)
    return Fail(error, "object table: " + std::to_string(count) + " entries cannot fit in the rest of the file");
  t.entries.assign(static_cast<std::size_t>(count), 0);
  for (uint32_t i = 1; i < static_cast<uint32_t>(count); ++i) {
    if (!in.Line(line)) return Fail(error, "object table: class line " + std::to_string(i) + " missing");
    if (!line.empty() && line[0] >= '0' && line[0] <= '9') {
      unsigned long long pos = std::strtoull(line.c_str(), nullptr, 10);
      if (pos >= t.classNames.size())
        return Fail(error, "object table: class line " + std::to_string(i) + " refers to name " + line + " of " +
                               std::to_string(t.classNames.size()));
      t.entries[i] = static_cast<uint32_t>(pos);
    } else {
      t.classNames.push_back(line);
      t.entries[i] = static_cast<uint32_t>(t.classNames.size() - 1);
    }
  }
  t.tableEnd = in.Tell();
  return true;
}

}  // namespace

bool ReadFileLayout(const char* path, FileLayout& out, std::string* error) {
  out = FileLayout();
  // Devices and FIFOs are refused at once instead of read without end.
  struct stat st;
  if (stat(path, &st) != 0) return Fail(error, std::string("cannot open: ") + std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return Fail(error, "cannot open: not a regular file");
  Closer file{std::fopen(path, "rb")};
  if (!file.f) return Fail(error, std::string("cannot open: ") + std::strerror(errno));
  out.size = static_cast<int64_t>(st.st_size);
  LineReader in(file.f);
  if (!ReadHeader(in, out, error)) return false;
  out.headerSound = true;
  return ReadTable(in, out, error);
}

}  // namespace tool
