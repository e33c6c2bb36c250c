// Format versions: the version this system writes, the version of the last
// header read, and the version recorded in a file.
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "persist/file_frame.h"
#include "persist/input_file.h"
#include "tavrin/persist.h"

namespace tavrin {
namespace {
// The last header read by any thread.
std::atomic<int> g_fileVersion{0};
}  // namespace

void SetFileVersion(int version) { g_fileVersion.store(version, std::memory_order_relaxed); }
}  // namespace tavrin

int GetCurrentTavrinDBVersion() { return static_cast<int>(std::strtol(tavrin::kFormatVersionText, nullptr, 10)); }

int GetCurrentDBVersion() { return tavrin::g_fileVersion.load(std::memory_order_relaxed); }

// A text file starts with the lines "YO" and the two-character version; a
// file whose first four bytes hold no line feed is taken as binary and
// starts with "YO", "VV" and the version as two characters.
int GetDBFileVersion(const char* path) {
  tavrin::InputFile in;
  if (!in.Open(path)) return -1;
  char head[4];
  std::size_t n = in.ReadBytes(head, sizeof head);
  bool binary = std::memchr(head, '\n', n) == nullptr;
  in.Seek(0);
  char version[3];
  if (binary) {
    char magic[2], marker[2];
    if (in.ReadBytes(magic, 2) != 2 || std::memcmp(magic, "YO", 2) != 0) return -1;
    if (in.ReadBytes(marker, 2) != 2 || std::memcmp(marker, "VV", 2) != 0) return -1;
    if (in.ReadBytes(version, 2) != 2) return -1;
  } else {
    char magic[3];
    std::size_t len = 0;
    if (!in.ReadLine(magic, 2, &len) || len < 2 || std::memcmp(magic, "YO", 2) != 0) return -1;
    // The version line may be the last line, without a line feed.
    in.ReadLine(version, 2, &len);
    if (len != 2) return -1;
  }
  version[2] = '\0';
  return static_cast<int>(std::strtol(version, nullptr, 10));
}
