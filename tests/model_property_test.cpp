// Random models saved and restored thrice: lists come back reversed, so the third file must equal
// the first and `tavrin diff` find the first two equal. TAVRIN_MODEL_SEEDS=N (default 1000),
// TAVRIN_MODEL_SEED=S alone, TAVRIN_MODEL_KEEP=DIR for its files, TAVRIN_MODEL_DIFF=K (default 10).
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "design/session_files.h"
#include "fixture.h"
#include "random_model.h"

namespace tavrin_test {
namespace {

std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
  const char* v = std::getenv(name);
  char* end = nullptr;
  unsigned long long n = v && *v ? std::strtoull(v, &end, 10) : 0;
  return end && !*end ? n : fallback;
}

// Why the round trip of `seed` fails, or empty.
std::string RoundTrip(std::uint64_t seed, const std::string& dir, bool diff) {
  const std::string name = dir + "/seed" + std::to_string(seed);
  const std::string files[3] = {name + ".1.tdb", name + ".2.tdb", name + ".3.tdb"};
  std::unique_ptr<SSession> s(BuildRandomModel(seed, seed % 4 == 0));
  for (int i = 0; i < 3; ++i) {
    if (!s) return "no session";
    if (s->Save(files[i].c_str()) != 1) return "save " + std::to_string(i + 1) + " fails: " + s->GetLastError();
    if (i == 2) break;
    s.reset(AllocSession());
    std::string reason;
    if (s && tavrin::SessionFiles::Restore(*s, files[i].c_str(), &reason, false) != 1)
      return "restore of file " + std::to_string(i + 1) + " fails: " + reason;
  }
  s.reset();
  const std::string first = ReadFile(files[0]);
  if (first != ReadFile(files[2])) return "the third file differs from the first";
#ifdef TAVRIN_TOOL
  if (diff) {
    std::string cmd = std::string("'") + TAVRIN_TOOL + "' diff '" + files[0] + "' '" + files[1] + "' >'" + name +
                      ".diff' 2>&1";
    int rc = std::system(cmd.c_str());
    if (!WIFEXITED(rc) || WEXITSTATUS(rc) != 0)
      return "tavrin diff finds the first and second files different:\n" + ReadFile(name + ".diff");
  }
#else
  (void)diff;
#endif
  return "";
}

TEST(ModelProperty, SaveRestoreSaveIsStable) {
  ScratchDir scratch;
  const char* keep = std::getenv("TAVRIN_MODEL_KEEP");
  std::uint64_t first = 1, last = EnvNumber("TAVRIN_MODEL_SEEDS", 1000);
  if (std::getenv("TAVRIN_MODEL_SEED")) first = last = EnvNumber("TAVRIN_MODEL_SEED", 1);
  const std::uint64_t diffEvery = EnvNumber("TAVRIN_MODEL_DIFF", 10);
  const std::string dir = keep && first == last ? std::string(keep) : scratch.path();
  int failures = 0;
  for (std::uint64_t seed = first; seed <= last && failures < 10; ++seed) {
    std::string why = RoundTrip(seed, dir, first == last || (diffEvery > 0 && seed % diffEvery == 0));
    if (!why.empty()) {
      ++failures;
      ADD_FAILURE() << "seed " << seed << ": " << why << "\n  replay: TAVRIN_MODEL_SEED=" << seed
                    << " TAVRIN_MODEL_KEEP=DIR build/tests/model_property_test";
    }
    if (dir == scratch.path())
      for (const char* suffix : {".1.tdb", ".2.tdb", ".3.tdb", ".diff"})
        std::remove((dir + "/seed" + std::to_string(seed) + suffix).c_str());
  }
#ifndef TAVRIN_TOOL
  std::printf("tavrin diff not built: the first and second files were not compared\n");
#endif
}

}  // namespace
}  // namespace tavrin_test
