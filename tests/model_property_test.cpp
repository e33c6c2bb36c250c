// Random models saved and restored thrice: the third file equals the first, `tavrin diff` finds the first two
// equal. TAVRIN_MODEL_SEEDS=N (1000), TAVRIN_MODEL_SEED=S alone, TAVRIN_MODEL_KEEP=DIR, TAVRIN_MODEL_DIFF=K (10).
#include <memory>

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
std::string RoundTrip(std::uint64_t seed, const std::string& name, [[maybe_unused]] bool diff) {
  std::unique_ptr<SSession> s(BuildRandomModel(seed, seed % 4 == 0));
  for (int i = 1; i <= 3; ++i) {
    const std::string file = name + "." + std::to_string(i) + ".tdb";
    if (!s) return "no session";
    if (s->Save(file.c_str()) != 1) return "save " + std::to_string(i) + " fails: " + s->GetLastError();
    s.reset(i < 3 ? AllocSession() : nullptr);
    std::string reason;
    if (s && tavrin::SessionFiles::Restore(*s, file.c_str(), &reason, false) != 1)
      return "restore of file " + std::to_string(i) + " fails: " + reason;
  }
  if (ReadFile(name + ".1.tdb") != ReadFile(name + ".3.tdb")) return "the third file differs from the first";
#ifdef TAVRIN_TOOL
  const std::string cmd = std::string("'") + TAVRIN_TOOL + "' diff '" + name + ".1.tdb' '" + name + ".2.tdb' >'" +
                          name + ".diff' 2>&1";
  const int rc = diff ? std::system(cmd.c_str()) : 0;
  if (!WIFEXITED(rc) || WEXITSTATUS(rc) != 0)
    return "tavrin diff finds the first and second files different:\n" + ReadFile(name + ".diff");
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
    const std::string name = dir + "/seed" + std::to_string(seed);
    std::string why = RoundTrip(seed, name, first == last || (diffEvery > 0 && seed % diffEvery == 0));
    if (!why.empty()) {
      ++failures;
      ADD_FAILURE() << "seed " << seed << ": " << why << "\n  replay: TAVRIN_MODEL_SEED=" << seed
                    << " TAVRIN_MODEL_KEEP=DIR build/tests/model_property_test";
    }
    if (dir == scratch.path())
      for (const char* suffix : {".1.tdb", ".2.tdb", ".3.tdb", ".diff"}) std::remove((name + suffix).c_str());
  }
}

}  // namespace
}  // namespace tavrin_test
