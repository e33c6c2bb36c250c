// Fuzz target: the cross-reference loader on arbitrary file contents.
// Each input is written to one scratch file and loaded into a fresh loader in
// both title modes; names taken from the input are then looked up both ways.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <tavrin/xref.h>

namespace {

char g_path[] = "/tmp/tavrin-xref-fuzz-XXXXXX";

void RemoveScratch() { unlink(g_path); }

// One scratch file per process, removed when the fuzzer exits.
const char* ScratchPath() {
  static const bool made = [] {
    int fd = mkstemp(g_path);
    if (fd < 0) std::abort();
    close(fd);
    std::atexit(RemoveScratch);
    return true;
  }();
  (void)made;
  return g_path;
}

void LookUp(CPxr& pxr, const char* name) {
  CString phys;
  CStringList* logs = nullptr;
  if (pxr.NetLogToPhysName(name, phys)) (void)phys.GetLength();
  if (pxr.CompLogToPhysName(name, phys)) (void)phys.GetLength();
  for (int net = 0; net < 2; ++net) {
    int found = net ? pxr.NetPhysToLogNames(name, logs) : pxr.CompPhysToLogNames(name, logs);
    if (!found || !logs) continue;
    for (POSITION pos = logs->GetHeadPosition(); pos;) {
      const CString& log = logs->GetNext(pos);
      CString back;
      (void)(net ? pxr.NetLogToPhysName(log, back) : pxr.CompLogToPhysName(log, back));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* path = ScratchPath();
  std::FILE* file = std::fopen(path, "wb");
  if (!file) std::abort();
  if (size && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  // Candidate names: the input's own blank- and line-separated words.
  std::string text(reinterpret_cast<const char*>(data), size);
  for (int internal = 0; internal < 2; ++internal) {
    CPxr pxr;
    if (!pxr.LoadFile(path, internal)) std::abort();
    if (!pxr.FileAlreadyLoaded(path)) std::abort();
    LookUp(pxr, "");
    std::size_t start = 0;
    for (int words = 0; words < 64 && start < text.size(); ++words) {
      std::size_t end = text.find_first_of(" \t\r\n()\"", start);
      if (end == std::string::npos) end = text.size();
      if (end > start) LookUp(pxr, text.substr(start, end - start).c_str());
      start = end + 1;
    }
  }
  return 0;
}
