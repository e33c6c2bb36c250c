// Helpers the benchmark programs share: wall time, this process's memory
// figures from /proc, whole-file reads and folder syncs.
#ifndef TAVRIN_BENCH_COMMON_H
#define TAVRIN_BENCH_COMMON_H

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tavrin_bench {

inline double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A "kB" field of /proc/self/status (VmRSS:, VmHWM:), 0 when absent.
inline long StatusKb(const char* field) {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  long kb = 0;
  std::size_t n = std::strlen(field);
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, field, n) == 0) {
      kb = std::atol(line + n);
      break;
    }
  std::fclose(f);
  return kb;
}

// The folder holding `path` synced, as a save does after its rename.
inline void SyncFolder(const std::string& path) {
  std::string folder = path.substr(0, path.rfind('/'));
  int d = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (d >= 0) {
    fsync(d);
    close(d);
  }
}

// The whole file, empty when it cannot be read.
inline std::string Slurp(const std::string& path) {
  std::string out;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return out;
  std::fseek(f, 0, SEEK_END);
  out.resize(static_cast<std::size_t>(std::ftell(f)));
  std::fseek(f, 0, SEEK_SET);
  if (std::fread(&out[0], 1, out.size(), f) != out.size()) out.clear();
  std::fclose(f);
  return out;
}

}  // namespace tavrin_bench

#endif
