// What the fuzz targets share: scratch files, invariant checks, a quiet standard output.
#ifndef TAVRIN_TESTS_FUZZ_COMMON_H
#define TAVRIN_TESTS_FUZZ_COMMON_H

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// A scratch file of this process, removed when it exits.
inline std::string ScratchPath(const std::string& name) {
  static std::vector<std::string> paths;
  static const int removal = std::atexit([] {
    for (const std::string& p : paths) unlink(p.c_str());
  });
  (void)removal;
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  paths.push_back(std::string(dir) + "/tavrin-fuzz-" + std::to_string(getpid()) + "-" + name);
  return paths.back();
}

inline void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

inline std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Under the fuzzing engine the library's standard-output lines (restore
// timings, sessions placed without a heap) would flood the log: drop them.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!std::freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

#endif
