// Fuzz target: the cross-reference loader on any file contents, loaded in both title modes; names
// taken from the input are then looked up both ways.
#include <tavrin/xref.h>

#include "tests/fuzz/fuzz_common.h"

namespace {

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
  static const std::string path = ScratchPath("xref");
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  std::string text(reinterpret_cast<const char*>(data), size);
  for (int internal = 0; internal < 2; ++internal) {
    CPxr pxr;
    Check(pxr.LoadFile(path.c_str(), internal), "any file loads");
    Check(pxr.FileAlreadyLoaded(path.c_str()), "a loaded file is remembered");
    LookUp(pxr, "");
    std::size_t start = 0;  // the input's own words as names
    for (int words = 0; words < 64 && start < text.size(); ++words) {
      std::size_t end = text.find_first_of(" \t\r\n()\"", start);
      if (end == std::string::npos) end = text.size();
      if (end > start) LookUp(pxr, text.substr(start, end - start).c_str());
      start = end + 1;
    }
  }
  return 0;
}
