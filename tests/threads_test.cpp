// Sessions on separate threads: each thread builds, saves, restores and
// deletes sessions of its own while the others do the same, and every result
// must be what one thread alone would get. Run under ThreadSanitizer by the
// tsan preset.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "core/pool.h"
#include "design/session_files.h"
#include "fixture.h"

using namespace tavrin_test;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kProjects = 12;
constexpr int kFiles = 3;

// Fixed-width numbers keep every text of every seed in the same size class,
// so each round takes the same objects, blocks and chunks.
std::string Num(long v) {
  char b[16];
  std::snprintf(b, sizeof b, "%06ld", v % 1000000);
  return b;
}

// A design that depends on `seed`: projects with files, attributes,
// constraint instances, constraints filed in sets filed in groups, and
// libraries; a project and a file are created and destroyed again.
void Build(SSession* s, long seed) {
  for (int p = 0; p < kProjects; ++p) {
    std::string tag = Num(seed) + "." + Num(p);
    SProject* pr = s->CreateProject(("P" + tag).c_str());
    pr->SetClientFlags(seed + p);
    for (int k = 0; k < kFiles; ++k) {
      SFile* f = pr->CreateFile(("f" + tag + Num(k)).c_str());
      f->SetAlias(("alias " + Num(seed * k)).c_str());
      f->SetTimeStamp(seed * 10 + k);
    }
    pr->CreateFile("gone");
    pr->DestroyFile("gone");
    pr->SetAttribute("A", ("a" + tag).c_str());
    pr->SetConstraint("W", static_cast<int>(seed % 1000 + p), 3);
    SConstraint* c = pr->CreateConstraint(("C" + tag).c_str());
    SConstraintSet* cs = pr->CreateConstraintSet(("S" + tag).c_str());
    SConstraintGroup* g = pr->CreateConstraintGroup(("G" + tag).c_str());
    cs->SetConstraint(c->GetName(), c);
    g->SetConstraintSet(cs->GetName(), cs);
  }
  s->CreateProject("gone");
  s->DestroyProject("gone");
  s->CreatePackageLibrary(("L" + Num(seed)).c_str())->SetLocation(("at " + Num(seed)).c_str());
}

// One round: build, save, restore, save the restored session, restore that
// and save again (which must give the first file back byte for byte, so
// every saved field came back), delete all three. Returns what went wrong.
std::string Round(const ScratchDir& dir, const std::string& who, long seed) {
  std::string a = dir.File(who + "a"), b = dir.File(who + "b"), c = dir.File(who + "c"), why;
  SSession* built = AllocSession();
  SSession* first = AllocSession();
  SSession* second = AllocSession();
  if (!built || !first || !second) return "no session";
  Build(built, seed);
  std::string problem;
  if (built->GetAllProjects().size() != kProjects) problem = "built " + std::to_string(built->GetAllProjects().size());
  else if (!tavrin::SessionFiles::Save(*built, a.c_str(), &why)) problem = "save: " + why;
  else if (!tavrin::SessionFiles::Restore(*first, a.c_str(), &why, false)) problem = "restore: " + why;
  else if (!tavrin::SessionFiles::Save(*first, b.c_str(), &why)) problem = "second save: " + why;
  else if (!tavrin::SessionFiles::Restore(*second, b.c_str(), &why, false)) problem = "second restore: " + why;
  else if (!tavrin::SessionFiles::Save(*second, c.c_str(), &why)) problem = "third save: " + why;
  else if (ReadFile(c) != ReadFile(a)) problem = "the second round trip changed the file";
  delete built;
  delete first;
  delete second;
  return problem.empty() ? problem : who + " seed " + std::to_string(seed) + ": " + problem;
}

// The id counter, the counted large allocations and the chunk counters.
std::vector<long> Now() {
  Counts c;
  std::vector<long> out = {GTavrinServer::GetCurrent()->GetIdCounter(), c.large};
  if (c.chunks) out.insert(out.end(), c.chunks, c.chunks + c.classes);
  return out;
}

class ThreadsTest : public SessionTest {
 protected:
  // A current server counts the constructions of all threads. The fixture's
  // session keeps the pool tables (and their chunk counters) alive.
  void SetUp() override {
    SessionTest::SetUp();
    server = new GTavrinServer();
    ASSERT_NE(server, nullptr);
    ServerTestAccess::SetCurrent(server);
  }
  void TearDown() override {
    ServerTestAccess::SetCurrent(nullptr);
    delete server;
    SessionTest::TearDown();
  }

  // Each of `threads` threads runs rounds with seeds of its own until the
  // time is up; every round must succeed, and every counter of Now() must
  // have grown by exactly the rounds' worth, as measured on one round alone.
  void RunRounds(int threads, std::chrono::milliseconds time) {
    std::vector<long> before = Now();
    ASSERT_EQ(Round(dir, "solo", 999999), "");
    std::vector<long> one = Now();
    std::vector<std::string> problems(threads);
    std::vector<long> rounds(threads, 0);
    std::vector<std::thread> workers;
    Clock::time_point end = Clock::now() + time;
    for (int t = 0; t < threads; ++t) {
      workers.emplace_back([&, t] {
        do {
          problems[t] = Round(dir, "t" + std::to_string(t), 1000 * t + rounds[t]);
          ++rounds[t];
        } while (problems[t].empty() && Clock::now() < end);
      });
    }
    for (std::thread& w : workers) w.join();
    long total = 0;
    for (int t = 0; t < threads; ++t) {
      EXPECT_EQ(problems[t], "");
      total += rounds[t];
    }
    std::vector<long> after = Now();
    ASSERT_EQ(after.size(), 2u + tavrin::kSizeClassCount);
    for (std::size_t k = 0; k < after.size(); ++k)
      EXPECT_EQ(after[k] - one[k], total * (one[k] - before[k])) << "counter " << k << ", " << total << " rounds";
    EXPECT_EQ(tavrin::LiveSessions(), 1);
  }

  GTavrinServer* server = nullptr;
  ScratchDir dir;
};

}  // namespace

TEST_F(ThreadsTest, TwoAndFourThreadsEachWithTheirOwnSessions) {
  RunRounds(2, std::chrono::milliseconds(700));
  RunRounds(4, std::chrono::milliseconds(900));
}

// With no session held elsewhere, the first and the last live session come
// and go on every thread: whichever thread holds a session must find the
// pool tables built and the chunk counters handed out.
TEST(ThreadsSessions, TablesStayBuiltWhileAnyThreadHoldsASession) {
  ASSERT_EQ(tavrin::LiveSessions(), 0);
  std::atomic<long> bad{0}, rounds{0};
  std::vector<std::thread> workers;
  Clock::time_point end = Clock::now() + std::chrono::milliseconds(400);
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&] {
      do {
        SSession* s = AllocSession();
        Counts c;
        void* block = s ? tavrin::PoolAlloc(s->GetHeap(), 40) : nullptr;
        bool sound = s && c.chunks && c.classes == tavrin::kSizeClassCount && tavrin::TablesBuilt() &&
                     tavrin::SizeClassOf(40) == 3 && block && tavrin::BlockTag(block) == 3u &&
                     s->CreateProject("p") && s->GetProject("p");
        if (!sound) bad.fetch_add(1);
        delete s;
        rounds.fetch_add(1);
      } while (Clock::now() < end);
    });
  }
  for (std::thread& w : workers) w.join();
  EXPECT_EQ(bad.load(), 0) << "of " << rounds.load() << " rounds";
  EXPECT_EQ(tavrin::LiveSessions(), 0);
  EXPECT_FALSE(tavrin::TablesBuilt());
}
