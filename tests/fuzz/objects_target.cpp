// Fuzz target: any bytes as a file of one rule, rule set, context, object type or generic object, read
// outside a session's objects (the session heap takes what no root owns); two round trips must agree.
#include "persist/record.h"
#include "tavrin/tavrin.h"
#include "tests/fuzz/fuzz_common.h"

namespace {

// The file's root when it is a T and the whole data section reads; the
// store deletes what it created otherwise.
template <class T>
T* Read(const std::string& path, HANDLEMA* heap) {
  PersistentFile f(path.c_str(), 0, heap);
  if (!f.IsOK()) return nullptr;
  T* root = tavrin::Record(f, heap).Root<T>();
  if (!root || !f.FinishData()) return nullptr;
  return f.Close() ? root : nullptr;
}

template <class T>
std::string Write(T* obj, const std::string& path) {
  PersistentFile f(path.c_str(), 1, obj->GetHeap());
  f.WritePointer(obj);
  obj->Serialize(f);
  Check(f.Close(), "an object read writes");
  return Bytes(path);
}

template <class T>
void RoundTrip(const std::string& input) {
  static const std::string first = ScratchPath("objects-first"), second = ScratchPath("objects-second");
  SSession* session = AllocSession();
  if (!session) return;
  HANDLEMA* heap = session->GetHeap();
  if (T* obj = Read<T>(input, heap)) {
    const std::string s1 = Write(obj, first);
    T* b = Read<T>(first, heap);
    Check(b != nullptr, "a written object reads");
    Write(b, second);
    T* c = Read<T>(second, heap);
    Check(c != nullptr, "a written object reads again");
    Check(Write(c, second) == s1, "two round trips give the first file");
  }
  delete session;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string input = ScratchPath("objects-input");
  std::ofstream(input, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  RoundTrip<SCondRule>(input);
  RoundTrip<SRuleSet>(input);
  RoundTrip<SOATContext>(input);
  RoundTrip<SObjectType>(input);
  RoundTrip<SObject>(input);
  return 0;
}
