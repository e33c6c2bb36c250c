// Sessions on separate threads get what one thread alone would (the tsan preset runs this too).
#include <chrono>
#include <thread>

#include "core/pool.h"
#include "design/session_files.h"
#include "fixture.h"

using namespace tavrin_test;

namespace {

using Clock = std::chrono::steady_clock;

// Fixed-width numbers keep every seed's texts in the same size classes: rounds take the same chunks.
std::string Num(long v) { return std::to_string(1000000 + v % 1000000); }

// Projects with files, attributes, constraints in sets in groups, a library; some objects destroyed.
void Build(SSession* s, long seed) {
  for (int p = 0; p < 12; ++p) {
    std::string tag = Num(seed) + "." + Num(p);
    SProject* pr = s->CreateProject(("P" + tag).c_str());
    for (int k = 0; k < 3; ++k) pr->CreateFile(("f" + tag + Num(k)).c_str())->SetAlias(("a" + Num(seed * k)).c_str());
    pr->CreateFile("gone");
    pr->DestroyFile("gone");
    pr->SetAttribute("A", ("a" + tag).c_str());
    pr->SetConstraint("W", static_cast<int>(seed % 1000 + p), 3);
    SConstraint* c = pr->CreateConstraint(("C" + tag).c_str());
    SConstraintSet* cs = pr->CreateConstraintSet(("S" + tag).c_str());
    cs->SetConstraint(c->GetName(), c);
    pr->CreateConstraintGroup(("G" + tag).c_str())->SetConstraintSet(cs->GetName(), cs);
  }
  s->CreatePackageLibrary(("L" + Num(seed)).c_str())->SetLocation(("at " + Num(seed)).c_str());
}

// Build, then save and restore twice: the third save must be the first file. What went wrong, or "".
std::string Round(const ScratchDir& dir, const std::string& who, long seed) {
  SSession* s[3] = {AllocSession(), AllocSession(), AllocSession()};
  Build(s[0], seed);
  std::string path[3], why, problem;
  for (int i = 0; i < 3 && problem.empty(); ++i) {
    path[i] = dir.File(who + char('a' + i));
    if (!tavrin::SessionFiles::Save(*s[i], path[i].c_str(), &why)) problem = "save " + std::to_string(i) + ": " + why;
    else if (i < 2 && !tavrin::SessionFiles::Restore(*s[i + 1], path[i].c_str(), &why, false))
      problem = "restore " + std::to_string(i) + ": " + why;
  }
  if (problem.empty() && ReadFile(path[2]) != ReadFile(path[0])) problem = "the second round trip changed the file";
  for (SSession* x : s) delete x;
  return problem.empty() ? problem : who + " seed " + std::to_string(seed) + ": " + problem;
}

// Calls round(thread, n) on each thread until the time is up or a round reports a problem; the rounds.
template <class F>
long OnThreads(int threads, int ms, F round) {
  std::vector<std::string> problems(threads);
  std::vector<long> rounds(threads, 0);
  std::vector<std::thread> workers;
  Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
  for (int t = 0; t < threads; ++t)
    workers.emplace_back([&, t] {
      do problems[t] = round(t, rounds[t]++);
      while (problems[t].empty() && Clock::now() < end);
    });
  long total = 0;
  for (int t = 0; t < threads; ++t) {
    workers[t].join();
    EXPECT_EQ(problems[t], "") << "thread " << t << ", round " << rounds[t];
    total += rounds[t];
  }
  return total;
}

std::vector<long> Now() {
  Counts c;
  std::vector<long> out = {GTavrinServer::GetCurrent()->GetIdCounter(), c.large};
  if (c.chunks) out.insert(out.end(), c.chunks, c.chunks + c.classes);
  return out;
}

// The fixture's session keeps the pool tables alive.
class ThreadsTest : public SessionTest {
 protected:
  // Rounds on each thread until the time is up: every counter grows by their worth, as one round alone.
  void RunRounds(int threads, int ms) {
    GTavrinServer server;  // counts the constructions of all threads
    ServerTestAccess::SetCurrent(&server);
    std::vector<long> before = Now();
    EXPECT_EQ(Round(dir, "solo", 999999), "");
    std::vector<long> one = Now();
    long total = OnThreads(threads, ms, [this](int t, long n) { return Round(dir, "t" + std::to_string(t), 1000 * t + n); });
    std::vector<long> after = Now();
    EXPECT_EQ(after.size(), 2u + tavrin::kSizeClassCount);
    for (std::size_t k = 0; k < after.size(); ++k)
      EXPECT_EQ(after[k] - one[k], total * (one[k] - before[k])) << "counter " << k << ", " << total << " rounds";
    EXPECT_EQ(tavrin::LiveSessions(), 1);
    ServerTestAccess::SetCurrent(nullptr);
  }
  ScratchDir dir;
};

}  // namespace

TEST_F(ThreadsTest, TwoAndFourThreadsEachWithTheirOwnSessions) {
  RunRounds(2, 700);
  RunRounds(4, 900);
}

// The first and the last live session come and go on every thread; each finds the tables built.
TEST(ThreadsSessions, TablesStayBuiltWhileAnyThreadHoldsASession) {
  ASSERT_EQ(tavrin::LiveSessions(), 0);
  OnThreads(4, 400, [](int, long) {
    SSession* s = AllocSession();
    Counts c;
    void* block = s ? tavrin::PoolAlloc(s->GetHeap(), 40) : nullptr;
    bool built = s && c.chunks && c.classes == tavrin::kSizeClassCount && tavrin::TablesBuilt() &&
                 tavrin::SizeClassOf(40) == 3 && block && tavrin::BlockTag(block) == 3u && s->CreateProject("p") &&
                 s->GetProject("p");
    delete s;
    return std::string(built ? "" : "a session found the tables not built");
  });
  EXPECT_EQ(tavrin::LiveSessions(), 0);
  EXPECT_FALSE(tavrin::TablesBuilt());
}
