// Saving and restoring sessions of 10^5 and 10^6 objects (projects with
// files), side by side with the plain ways of writing and reading the same
// bytes:
//   raw write   one buffered write of the saved bytes to a temporary file,
//               synced and renamed over the target the way Save does it
//   fprintf     one fprintf per line of the same values, each line flushed
//               (and, for reference, without the flushes), synced and renamed
//   convert     reading the saved file and converting every line to a number
// Each figure is the best of three runs. Usage: bench_persist [FOLDER]
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "design/session_files.h"
#include "tavrin/tavrin.h"

#include "bench/bench_common.h"

namespace {

using tavrin_bench::Now;
using tavrin_bench::Slurp;
using tavrin_bench::StatusKb;
using tavrin_bench::SyncFolder;

template <class F>
double Best(F f, int runs = 3) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    double t = Now();
    f();
    best = std::min(best, Now() - t);
  }
  return best;
}

// Writes through a stdio stream to a temporary file, syncs and renames it.
template <class F>
void WriteReplacing(const std::string& path, F body) {
  std::string tmp = path + ".tmp";
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) std::abort();
  body(f);
  std::fflush(f);
  fsync(fileno(f));
  std::fclose(f);
  std::rename(tmp.c_str(), path.c_str());
  SyncFolder(path);
}

// The lines of the saved file, as numbers where they are numbers.
struct Line {
  bool number;
  int value;
  std::string text;
};

std::vector<Line> Lines(const std::string& bytes) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t lf = bytes.find('\n', start);
    std::string t = bytes.substr(start, lf - start);
    char* end = nullptr;
    long v = std::strtol(t.c_str(), &end, 10);
    bool number = !t.empty() && *end == '\0';
    lines.push_back({number, static_cast<int>(v), number ? std::string() : t});
    start = lf + 1;
  }
  return lines;
}

SSession* Build(long objects) {
  SSession* s = AllocSession();
  const long perProject = 1000;
  for (long p = 0; p * perProject < objects; ++p) {
    SProject* project = s->CreateProject(("project " + std::to_string(p)).c_str());
    project->SetHostCAD("bench");
    for (long f = 1; f < perProject && p * perProject + f < objects; ++f) {
      SFile* file = project->CreateFile(("file " + std::to_string(f)).c_str());
      file->SetAlias("alias");
      file->SetKind("kind");
      file->SetTimeStamp(static_cast<long>(p * perProject + f));
    }
  }
  return s;
}

struct Result {
  double save, raw, fprintfFlushed, fprintfPlain, restore, convert;
  std::size_t bytes;
};

Result Measure(const std::string& folder, long objects) {
  Result r{};
  SSession* s = Build(objects);
  std::string path = folder + "/bench-" + std::to_string(objects) + ".tvn";
  std::string copy = path + ".copy";
  r.save = Best([&] {
    if (s->Save(path.c_str()) != 1) std::abort();
  });
  std::string bytes = Slurp(path);
  r.bytes = bytes.size();
  r.raw = Best([&] { WriteReplacing(copy, [&](FILE* f) { std::fwrite(bytes.data(), 1, bytes.size(), f); }); });
  std::vector<Line> lines = Lines(bytes);
  auto fprintfWriter = [&](bool flush) {
    WriteReplacing(copy, [&](FILE* f) {
      for (const Line& l : lines) {
        if (l.number) std::fprintf(f, "%d\n", l.value);
        else std::fprintf(f, "%s\n", l.text.c_str());
        if (flush) std::fflush(f);
      }
    });
  };
  r.fprintfFlushed = Best([&] { fprintfWriter(true); }, 1);
  r.fprintfPlain = Best([&] { fprintfWriter(false); });
  r.restore = Best([&] {
    SSession* t = AllocSession();
    if (!tavrin::SessionFiles::Restore(*t, path.c_str(), nullptr, false)) std::abort();
    delete t;
  });
  long long sink = 0;
  r.convert = Best([&] {
    std::string in = Slurp(path);
    const char* p = in.c_str();
    const char* end = p + in.size();
    while (p < end) {
      char* next;
      sink += std::strtol(p, &next, 10);
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      p = lf ? lf + 1 : end;
    }
  });
  if (sink == 42) std::puts("");
  delete s;
  std::remove(path.c_str());
  std::remove(copy.c_str());
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : "/tmp";
  Result small = Measure(folder, 100000);
  Result large = Measure(folder, 1000000);
  std::printf("%-28s %14s %14s\n", "seconds (best of 3)", "10^5 objects", "10^6 objects");
  std::printf("%-28s %14zu %14zu\n", "file bytes", small.bytes, large.bytes);
  auto row = [](const char* name, double a, double b) { std::printf("%-28s %14.4f %14.4f\n", name, a, b); };
  row("Save", small.save, large.save);
  row("raw write + sync + rename", small.raw, large.raw);
  row("fprintf per line, flushed", small.fprintfFlushed, large.fprintfFlushed);
  row("fprintf per line", small.fprintfPlain, large.fprintfPlain);
  row("Restore", small.restore, large.restore);
  row("read + convert every line", small.convert, large.convert);
  std::printf("\nratios %-21s %14s %14s   target\n", "", "10^5", "10^6");
  auto ratio = [](const char* name, double a, double b, const char* target) {
    std::printf("%-28s %14.2f %14.2f   %s\n", name, a, b, target);
  };
  ratio("Save / raw write", small.save / small.raw, large.save / large.raw, "<= 2");
  ratio("fprintf flushed / Save", small.fprintfFlushed / small.save, large.fprintfFlushed / large.save, ">= 5");
  ratio("fprintf / Save", small.fprintfPlain / small.save, large.fprintfPlain / large.save, "(reference)");
  ratio("Restore / Save", small.restore / small.save, large.restore / large.save, "<= 3");
  ratio("Restore / read + convert", small.restore / small.convert, large.restore / large.convert, "(reference)");
  std::printf("%-28s %14.2f %14s   <= 11\n", "Save 10^6 / 10^5", large.save / small.save, "");
  std::printf("%-28s %14.2f %14s   <= 11\n", "Restore 10^6 / 10^5", large.restore / small.restore, "");
  return 0;
}
