// Foundation benchmark: N named design objects created in a session, entered
// in a text-keyed RelMap and a RelLinkedList, looked up by name, and released
// by deleting the session; the same work done with new/delete and
// std::map<std::string, std::unique_ptr<T>> and std::unordered_map.
//
// Every run happens in a fresh child process so that memory figures (growth
// of the resident set) do not inherit another run's freed memory. Times are
// the best of several runs.
//
//   bench_foundation [N ...]      (default: 100000 1000000)
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include <tavrin/tavrin.h>

#include "platform/private_heap.h"

#include "bench/bench_common.h"

namespace {

using tavrin_bench::StatusKb;

// The design object of the benchmark: a design element and nothing more.
class BenchElement : public SDesignElement {
  TAVRIN_CLASS(BenchElement)
  TAVRIN_ID_ACCESSORS
};

// Its plain counterpart: the same fields, with the texts as std::string.
struct PlainElement {
  virtual ~PlainElement() = default;
  int32_t clientFlags = 0;
  std::string name;
  std::string pinNum;
  void* attributes = nullptr;
  void* constraintInstances = nullptr;
  int32_t id = 0;
};

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// Resident and peak resident set of this process, in bytes.
long Rss() { return StatusKb("VmRSS:") * 1024; }
long Peak() { return StatusKb("VmHWM:") * 1024; }

struct Result {
  double create = 0, lookup = 0, teardown = 0;  // seconds
  long createPeak = 0;    // peak resident growth during creation, bytes
  long lookupPeak = 0;    // ... up to the end of the lookups
  long afterTeardown = 0; // resident growth left after teardown
  long allocated = 0;     // bytes taken from the system allocators after creation
  long found = 0;         // lookups that found their object (must be N)
  long wrong = 0;         // sampled lookups that found another object
};

struct Input {
  std::vector<std::string> names;       // creation order
  std::vector<std::string> lookupOrder; // another order
};

Result RunTavrin(const Input& in) {
  Result r;
  long rss0 = Rss();
  auto t0 = Clock::now();
  SSession* session = AllocSession();
  if (!session) std::abort();
  HANDLEMA* heap = session->GetHeap();
  RelMap<CharM, BenchElement*> byName;
  byName.SetHeap(heap);
  RelLinkedList<BenchElement*> all;
  for (const std::string& name : in.names) {
    BenchElement* e = new (heap) BenchElement();
    if (!e) std::abort();
    e->SetName(name.c_str());
    byName.insert(e->GetName(), e);
    if (!all.insert(e, heap)) std::abort();
  }
  auto t1 = Clock::now();
  r.createPeak = Peak() - rss0;
  r.allocated = static_cast<long>(tavrin::HeapBytesInUse(heap->heap));
  for (const std::string& name : in.lookupOrder) {
    auto it = byName.find(name.c_str());
    if (it != byName.end() && it->second) ++r.found;
  }
  auto t2 = Clock::now();
  r.lookupPeak = Peak() - rss0;
  for (std::size_t i = 0; i < in.names.size(); i += 97) {  // untimed: the right objects
    auto it = byName.find(in.names[i].c_str());
    if (it == byName.end() || in.names[i] != it->second->GetName()) ++r.wrong;
  }
  auto t2b = Clock::now();
  delete session;  // the map and list nodes go with the heap
  auto t3 = Clock::now();
  r.afterTeardown = Rss() - rss0;
  r.create = Seconds(t0, t1);
  r.lookup = Seconds(t1, t2);
  r.teardown = Seconds(t2b, t3);
  return r;
}

template <class Map>
Result RunPlain(const Input& in) {
  Result r;
  long rss0 = Rss();
  long malloc0 = static_cast<long>(mallinfo2().uordblks + mallinfo2().hblkhd);
  auto t0 = Clock::now();
  Map byName;
  std::vector<PlainElement*> all;
  for (const std::string& name : in.names) {
    auto e = std::make_unique<PlainElement>();
    e->name = name;
    all.push_back(e.get());
    byName.try_emplace(e->name, std::move(e));
  }
  auto t1 = Clock::now();
  r.createPeak = Peak() - rss0;
  r.allocated = static_cast<long>(mallinfo2().uordblks + mallinfo2().hblkhd) - malloc0;
  for (const std::string& name : in.lookupOrder) {
    auto it = byName.find(name);
    if (it != byName.end() && it->second) ++r.found;
  }
  auto t2 = Clock::now();
  r.lookupPeak = Peak() - rss0;
  for (std::size_t i = 0; i < in.names.size(); i += 97) {
    auto it = byName.find(in.names[i]);
    if (it == byName.end() || it->second->name != in.names[i]) ++r.wrong;
  }
  auto t2b = Clock::now();
  byName.clear();
  std::vector<PlainElement*>().swap(all);
  auto t3 = Clock::now();
  r.afterTeardown = Rss() - rss0;
  r.create = Seconds(t0, t1);
  r.lookup = Seconds(t1, t2);
  r.teardown = Seconds(t2b, t3);
  return r;
}

// Runs fn in a child process and brings its result back through a pipe.
template <class Fn>
Result InChild(Fn fn) {
  int fds[2];
  if (pipe(fds) != 0) std::abort();
  std::fflush(stdout);
  pid_t pid = fork();
  if (pid < 0) std::abort();
  if (pid == 0) {
    close(fds[0]);
    Result r = fn();
    ssize_t w = write(fds[1], &r, sizeof r);
    _exit(w == static_cast<ssize_t>(sizeof r) ? 0 : 1);
  }
  close(fds[1]);
  Result r;
  ssize_t got = read(fds[0], &r, sizeof r);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (got != static_cast<ssize_t>(sizeof r) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "benchmark child failed\n");
    std::exit(1);
  }
  return r;
}

// Best time of each phase over the runs; memory of the first run (the
// figures do not vary between fresh processes).
template <class Fn>
Result Best(int runs, Fn fn) {
  Result best = InChild(fn);
  for (int i = 1; i < runs; ++i) {
    Result r = InChild(fn);
    best.create = std::min(best.create, r.create);
    best.lookup = std::min(best.lookup, r.lookup);
    best.teardown = std::min(best.teardown, r.teardown);
    best.found = std::min(best.found, r.found);
  }
  return best;
}

void Print(const char* label, const Result& r, long n) {
  std::printf("  %-22s create %7.1f ms  lookup %7.1f ms  teardown %7.2f ms  "
              "allocated %4.0f B/object  peak RSS %4.0f B/object  (%5.1f MB kept after teardown)\n",
              label, r.create * 1e3, r.lookup * 1e3, r.teardown * 1e3,
              static_cast<double>(r.allocated) / n, static_cast<double>(r.lookupPeak) / n,
              r.afterTeardown / 1048576.0);
}

const char* Verdict(bool ok) { return ok ? "met" : "MISSED"; }

// One size in one creation order; returns whether every target was met.
bool Measure(long n, bool shuffled) {
  Input in;
  in.names.reserve(n);
  char buf[32];
  for (long i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, "NET_%07ld", i);
    in.names.emplace_back(buf);
  }
  std::mt19937_64 rng(12345);
  if (shuffled) std::shuffle(in.names.begin(), in.names.end(), rng);
  in.lookupOrder = in.names;
  std::shuffle(in.lookupOrder.begin(), in.lookupOrder.end(), rng);

  int runs = n >= 1000000 ? 3 : 5;
  Result t = Best(runs, [&] { return RunTavrin(in); });
  Result m = Best(runs, [&] { return RunPlain<std::map<std::string, std::unique_ptr<PlainElement>>>(in); });
  Result u = Best(runs, [&] {
    return RunPlain<std::unordered_map<std::string, std::unique_ptr<PlainElement>>>(in);
  });
  if (t.found != n || m.found != n || u.found != n || t.wrong || m.wrong || u.wrong) {
    std::fprintf(stderr, "lookups missed objects\n");
    std::exit(1);
  }
  std::printf("N = %ld, created in %s order (\"NET_0000000\" ...), looked up in random order, "
              "best of %d runs\n", n, shuffled ? "random" : "name", runs);
  Print("session + RelMap/List", t, n);
  Print("std::map", m, n);
  Print("std::unordered_map", u, n);
  double createRatio = m.create / t.create;
  double lookupRatio = t.lookup / m.lookup;
  double teardownMap = m.teardown / t.teardown;
  double teardownHash = u.teardown / t.teardown;
  double bytesT = static_cast<double>(t.allocated) / n;
  double bytesM = static_cast<double>(m.allocated) / n;
  double bytesU = static_cast<double>(u.allocated) / n;
  // Creation in random name order at 10^6 has the whole board's target, 2x.
  double createTarget = shuffled && n >= 1000000 ? 2.0 : 1.5;
  bool c = createRatio >= createTarget, l = lookupRatio <= 1.3;
  bool d = teardownMap >= 20 && teardownHash >= 20, b = bytesT < bytesM && bytesT < bytesU;
  std::printf("  creation  %.2fx faster than std::map (target >= %.1fx): %s\n", createRatio, createTarget, Verdict(c));
  std::printf("  lookup    %.2fx the time of std::map (target <= 1.3x): %s\n", lookupRatio, Verdict(l));
  std::printf("  teardown  %.0fx faster than std::map, %.0fx than std::unordered_map (target >= 20x): %s\n",
              teardownMap, teardownHash, Verdict(d));
  std::printf("  memory    %.0f allocated B/object vs %.0f (std::map) and %.0f (std::unordered_map): %s\n\n",
              bytesT, bytesM, bytesU, Verdict(b));
  std::fflush(stdout);
  return c && l && d && b;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<long> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atol(argv[i]));
  if (sizes.empty()) sizes = {100000, 1000000};
  bool allMet = true;
  for (long n : sizes) {
    if (n <= 0) continue;
    allMet = Measure(n, false) && allMet;
    allMet = Measure(n, true) && allMet;
  }
  return allMet ? 0 : 2;
}
