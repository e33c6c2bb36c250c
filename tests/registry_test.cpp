// Class registry (creation by class name) and checked casts.
#include <cstring>
#include <set>
#include <string>

#include "core/pool.h"
#include "fixture.h"

namespace {

using RegistryTest = tavrin_test::SessionTest;

// Every factory is registered once and creates its own class on the given
// heap; only the exact name without the "class " prefix creates anything.
TEST_F(RegistryTest, EveryFactoryCreatesItsOwnClassOnTheGivenHeap) {
  std::set<std::string> names;
  int count = 0;
  for (Dynamic::FactoryListElement* e = Dynamic::RegistryHead(); e; e = e->next, ++count) {
    ASSERT_NE(e->factory, nullptr);
    const char* full = e->factory->ClassName();
    ASSERT_EQ(std::strncmp(full, "class ", 6), 0) << full;
    EXPECT_TRUE(names.insert(full).second) << "registered twice: " << full;
    TavrinObject* o = Dynamic::CreateByClassName(full + 6, heap);
    ASSERT_NE(o, nullptr) << full;
    EXPECT_STREQ(o->GetClassName(), full);
    // From the session's heap (a placed session has a record of its own there).
    EXPECT_EQ(tavrin::BlockHeap(o)->heap, heap->heap) << full;
    EXPECT_EQ(e->factory->Create("SNoSuchClass", heap), nullptr);
    delete o;
  }
  EXPECT_EQ(count, Dynamic::RegisteredCount());
  for (const char* n : {"class SSession", "class SPackageLibrary", "class SPadStackLibrary",
                        "class SPinMappingLibrary", "class GTavrinServer"})
    EXPECT_TRUE(names.count(n)) << n;
  for (const char* bad : {"class SSession", "ssession", "SSess", "SSessionX", "", "SDesignElement",
                          "SLibrary", static_cast<const char*>(nullptr)})
    EXPECT_EQ(Dynamic::CreateByClassName(bad, heap), nullptr) << (bad ? bad : "null");
}

// A session created by name is placed in the given heap with a record of its
// own (no heap of its own, not counted as live) and usable.
TEST_F(RegistryTest, SessionPlacedInAnotherSessionsHeap) {
  SSession* inner = SSession::Cast(Dynamic::CreateByClassName("SSession", heap));
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(tavrin::LiveSessions(), 1);
  EXPECT_NE(inner->GetHeap(), heap);
  EXPECT_EQ(inner->GetHeap()->heap, heap->heap);
  EXPECT_NE(inner->CreatePackageLibrary("L"), nullptr);
  delete inner;  // leaves its memory to the outer heap
  EXPECT_EQ(tavrin::LiveSessions(), 1);
}

// Without a heap the session says so on standard output and everything comes
// from the general allocator and goes back to it (leak checkers verify).
TEST(Registry, SessionWithoutHeapUsesTheGeneralAllocator) {
  testing::internal::CaptureStdout();
  SSession* s = SSession::Cast(Dynamic::CreateByClassName("SSession", nullptr));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n malloc SSession " + std::to_string(sizeof(SSession)));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetHeap(), nullptr);
  SPackageLibrary* lib = s->CreatePackageLibrary("Lib");
  ASSERT_NE(lib, nullptr);
  lib->SetLocation("/somewhere");
  ASSERT_TRUE(s->DestroyLibrary("Lib"));
  delete lib;
  SPadStackLibrary* kept = s->CreatePadStackLibrary("Other");  // its nodes stay linked
  s->SetVersion("v1");
  delete s;
  delete kept;
}

// Cast checks the dynamic class, through bases too; null gives null.
TEST_F(RegistryTest, CastChecksTheDynamicClass) {
  TavrinObject* pkg = session->CreatePackageLibrary("P");
  TavrinObject* ses = session;
  EXPECT_STREQ(pkg->GetClassName(), "class SPackageLibrary");
  EXPECT_EQ(SLibrary::Cast(pkg), pkg);
  EXPECT_EQ(SPackageLibrary::Cast(pkg), pkg);
  EXPECT_EQ(SPadStackLibrary::Cast(pkg), nullptr);
  EXPECT_EQ(SSession::Cast(ses), session);
  EXPECT_EQ(SLibrary::Cast(ses), nullptr);
  EXPECT_EQ(SDesignElement::Cast(ses), nullptr);
  EXPECT_EQ(SSession::Cast(nullptr), nullptr);
}

}  // namespace
