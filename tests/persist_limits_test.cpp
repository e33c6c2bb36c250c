// The limits of a restore: stack, memory per byte of file, memory running out.
#include <pthread.h>
#include <sys/resource.h>

#include <atomic>
#include <new>

#include "core/pool.h"
#include "design/session_files.h"
#include "fixture.h"
#include "tavrin/xref.h"

#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// While set, the general allocator fails its g_failNew-th allocation from now on.
static std::atomic<long> g_failNew{0};

void* operator new(std::size_t n) {
  if (g_failNew.load(std::memory_order_relaxed) > 0 && g_failNew.fetch_sub(1) == 1) throw std::bad_alloc();
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try { return operator new(n); } catch (const std::bad_alloc&) { return nullptr; }
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

using namespace tavrin_test;

namespace {

// Project "p" whose attribute "a" holds `lists` nested list values (nesting levels 1, 2, then 3 on).
std::string NestedLists(int lists) {
  Lines d = {"0", "1", "1", "p", "1", "0", "1", "p", "0", "0", "0", "1", "2", "0", "1", "a", "3"};
  for (int i = 0; i < lists; ++i) {
    d.insert(d.end(), 7, "0");  // id and six empty typed lists
    if (i + 1 < lists) d.insert(d.end(), {"1", std::to_string(i + 4)});
    else d.push_back("0");
  }
  d.insert(d.end(), std::size_t(lists), "0");  // the range lists
  d.insert(d.end(), 14, "0");                   // attribute id, project rest, libraries
  Lines classes = {"SProject", "SAttribute", "SListValue"};
  classes.insert(classes.end(), std::size_t(lists - 1), "2");
  return Frame(d, classes);
}

template <class F>
void OnStack(std::size_t size, F f) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  ASSERT_EQ(pthread_attr_setstacksize(&attr, size), 0);
  pthread_t t;
  ASSERT_EQ(pthread_create(&t, &attr, [](void* p) -> void* { return (*static_cast<F*>(p))(), nullptr; }, &f), 0);
  pthread_join(t, nullptr);
  pthread_attr_destroy(&attr);
}

// A session heap's bytes less its pools' free blocks and node cells.
std::size_t InUse(HANDLEMA* heap) {
  std::size_t bytes = HeapBytes(heap);
  for (int c = 0; heap->sizeClassHeads && c < tavrin::kSizeClassCount; ++c)
    for (void* b = heap->sizeClassHeads[c]; b; b = *reinterpret_cast<void**>(static_cast<char*>(b) - 8))
      bytes -= tavrin::kClassSizes[c] + 8;
  for (void* c = heap->mapNodeFree; c; c = *static_cast<void**>(c)) bytes -= tavrin::kMapCellBytes;
  for (void* c = heap->listNodeFree; c; c = *static_cast<void**>(c)) bytes -= tavrin::kListCellBytes;
  return bytes;
}

class LimitsTest : public SessionTest {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    WriteFile(dir.File(name), bytes);
    return dir.File(name);
  }
  ScratchDir dir;
};

}  // namespace

// Nesting deeper than allowed is damage, not a crash (the deepest file needs under 30 KiB of stack).
TEST_F(LimitsTest, RestoresOnASmallStack) {
#if defined(__SANITIZE_ADDRESS__)
  const std::size_t stack = 128 * 1024;
#else
  const std::size_t stack = 64 * 1024;
#endif
  const int deepest = PersistentStore::kMaxNesting - 2;  // below the project and the attribute
  SListValue* l = session->CreateProject("p")->CreateAttribute("a")->CreateListValue();
  for (int k = 1; k < deepest; ++k) l = l->CreateListValue();
  session->Save(dir.File("built").c_str());
  ASSERT_EQ(ReadFile(dir.File("built")), NestedLists(deepest)) << "the crafted files are what a save writes";
  l->CreateListValue();
  EXPECT_EQ(session->Save(dir.File("built").c_str()), 0) << "a save one level deeper fails";

  std::string files[] = {Write("deepest", NestedLists(deepest)), Write("deeper", NestedLists(deepest + 1))};
  int results[2] = {-1, -1};
  OnStack(stack, [&] {
    for (int i = 0; i < 2; ++i) {
      SSession* s = AllocSession();
      results[i] = tavrin::SessionFiles::Restore(*s, files[i].c_str(), nullptr, false);
      if (i == 0 && results[i]) results[i] = s->Save(dir.File("again").c_str());
      delete s;
    }
  });
  EXPECT_EQ(std::vector<int>(results, results + 2), (std::vector<int>{1, 0}));
  EXPECT_EQ(ReadFile(dir.File("again")), NestedLists(deepest));
}

// At most 32 bytes per byte of file plus 16 MiB, here for a table of a million entries no data names.
TEST_F(LimitsTest, MemoryPerByteOfFile) {
  Lines table(1000000, "0");
  table[0] = "SProject";
  const std::string bytes = Frame(Lines(5, "0"), table), path = Write("big", bytes);
  long bound = (32 * long(bytes.size()) >> 10) + 16 * 1024;
#if defined(__SANITIZE_ADDRESS__)
  bound += bound / 4;  // the shadow (a byte per eight) and the redzones
#endif
  EXPECT_EQ(InChild([] {}, [&] {
              SSession* s = AllocSession();
              long pages = 0, before = 0;
              std::ifstream("/proc/self/statm") >> pages >> before;
              before *= sysconf(_SC_PAGESIZE) / 1024;
              int r = tavrin::SessionFiles::Restore(*s, path.c_str(), nullptr, false);
              rusage u;
              getrusage(RUSAGE_SELF, &u);
              if (u.ru_maxrss - before <= bound) return 0;
              std::fprintf(stderr, "restore gave %d, grew by %ld KiB\n", r, u.ru_maxrss - before);
              return 1;
            }), 0);
}

// Out of memory anywhere in a restore or a save: 0, the session (its "kept" too) or file as it was.
TEST_F(LimitsTest, OutOfMemoryIsAFailureNotAnException) {
  SSession* source = AllocSession();
  SProject* p = source->CreateProject("p");
  p->CreateFile("f")->SetAlias(std::string(100, 'x').c_str());
  p->CreateAttribute("a")->CreateListValue()->CreateStringValue()->SetValue(std::string(40, 'v').c_str());
  source->CreateProject("kept");
  source->CreatePinMappingLibrary("pins");
  std::string path = dir.File("file");
  ASSERT_EQ(source->Save(path.c_str()), 1);
  std::string saved = ReadFile(path);
  session->CreateProject("kept");
  auto fingerprint = [this] {
    return std::to_string(session->GetAllProjects().size()) + "/" + std::to_string(session->GetAllLibraries().size()) +
           "/" + std::to_string(reinterpret_cast<std::uintptr_t>(session->GetProject("kept")));
  };
  for (bool general : {true, false}) {
    std::string before = fingerprint();
    int failures = 0;
    for (long k = 1; k < 10000; ++k) {
      std::string reason;
      heap->listNodeFree = nullptr;  // so that linking needs fresh node chunks
      std::size_t inUse = InUse(heap);
      FailAfter fail(general ? 0 : k);
      g_failNew = general ? k : 0;
      int r = tavrin::SessionFiles::Restore(*session, path.c_str(), &reason, false);
      g_failNew = 0;
      if (r == 1) break;
      ++failures;
      ASSERT_EQ(reason, "out of memory") << "allocation " << k;
      ASSERT_EQ(fingerprint(), before) << "allocation " << k;
      ASSERT_EQ(InUse(heap), inUse) << "allocation " << k;
    }
    EXPECT_GE(failures, 3) << general;
    EXPECT_NE(fingerprint(), before) << "the file's kept takes over";
    EXPECT_TRUE(session->DestroyProject("p") && session->DestroyLibrary("pins"));
  }
  for (long k = 1; k < 10000; ++k) {
    std::string reason;
    g_failNew = k;
    int r = tavrin::SessionFiles::Save(*source, path.c_str(), &reason);
    g_failNew = 0;
    if (r == 1) break;
    ASSERT_EQ(reason, "out of memory") << "allocation " << k;
    ASSERT_EQ(ReadFile(path), saved) << "allocation " << k;
  }
  delete source;
}

TEST_F(LimitsTest, LoaderOutOfMemoryIsAFailure) {
  std::string path = Write("board.pxr", "Net_Cross_Reference\n(GND \"GND\")\n(N12 \"CLK\")\n(N12 \"CLK_TERM\")\n"
                                        "End_\nPin_Cross_Reference\n(\"U1\"\n  (\"CPU\"\n    (A1 VCC)\n  )\n)\nEnd_\n");
  int failures = 0, r = 0;
  for (long k = 1; k < 10000 && r != 1; ++k, ++failures) {
    CPxr pxr;
    g_failNew = k;
    try { r = pxr.LoadFile(path.c_str(), 0); } catch (...) { ADD_FAILURE() << "exception at allocation " << k; }
    g_failNew = 0;
    CStringList* logical = nullptr;
    EXPECT_TRUE(r == 0 || (pxr.NetPhysToLogNames("N12", logical) == 1 && logical->GetCount() == 2));
  }
  EXPECT_GE(failures, 4);
}

// A table of 200000 sessions creates (and prints) one at most; a text length of 2^32 - 1 is damage.
TEST_F(LimitsTest, TablesAndLengthsDoNotAskForMore) {
  Lines classes(200000, "0");
  classes[0] = "SSession";
  std::string path = Write("server", Frame({"1", "0", "0", "0"}, classes));
  testing::internal::CaptureStdout();
  EXPECT_FALSE(GTavrinServer::Restore(path.c_str()));
  EXPECT_LE(testing::internal::GetCapturedStdout().size(), 40u);

  struct Store : PersistentFile {
    using PersistentFile::PersistentFile;
    bool BaseReadText(std::string& s, uint32_t n) { return PersistentStore::ReadText(s, n); }
  };
  path = Write("text", Frame({"abc"}, {}));
  for (uint32_t length : {4294967295u, 2u, 3u}) {
    Store store(path.c_str(), 0, heap);
    std::string text;
    EXPECT_EQ(store.BaseReadText(text, length), length == 3) << length;
    EXPECT_EQ(store.IsDamaged(), length != 3);
    EXPECT_FALSE(store.IsOutOfMemory());
  }
}

// Cells that only references name pass every other check but take more memory than their bytes.
TEST_F(LimitsTest, ReferencesBeyondTheMemoryBudgetAreRefused) {
  const int n = 100000;
  Lines d = {"0", "1", "1", "p", "1", "0", "1", "p", "0", "0", "0", "0", "0", "0", "0", std::to_string(n)};
  for (int i = 0; i < n; ++i) d.push_back(std::to_string(i + 2));
  d.insert(d.end(), 9, "0");  // the project's id and families, the session's libraries
  Lines classes(n + 1, "1");
  classes[0] = "SProject", classes[1] = "SCell";
  std::string reason;
  EXPECT_EQ(tavrin::SessionFiles::Restore(*session, Write("cells", Frame(d, classes)).c_str(), &reason, false), 0);
  EXPECT_NE(reason.find("create more objects than a file of"), std::string::npos) << reason;
  EXPECT_TRUE(session->GetAllProjects().empty());
}
