// Class registry (creation by class name) and checked casts.
#include <set>

#include "core/pool.h"
#include "fixture.h"

namespace {

using RegistryTest = tavrin_test::SessionTest;

// Every factory, registered once, creates its class on the heap from the exact name without "class ".
TEST_F(RegistryTest, EveryFactoryCreatesItsOwnClassAndCastChecksIt) {
  std::set<std::string> names;
  int count = 0;
  for (Dynamic::FactoryListElement* e = Dynamic::RegistryHead(); e; e = e->next, ++count) {
    const char* full = e->factory->ClassName();
    ASSERT_EQ(std::strncmp(full, "class ", 6), 0) << full;
    EXPECT_TRUE(names.insert(full).second) << "registered twice: " << full;
    TavrinObject* o = Dynamic::CreateByClassName(full + 6, heap);
    ASSERT_NE(o, nullptr) << full;
    EXPECT_STREQ(o->GetClassName(), full);
    EXPECT_TRUE(tavrin::BlockHeap(o)->heap == heap->heap && !e->factory->Create("SNoSuchClass", heap)) << full;
    SSession* placed = SSession::Cast(o);  // with a record of its own in the heap, not counted as live
    EXPECT_TRUE(!placed || (placed->GetHeap() != heap && placed->CreatePackageLibrary("L"))) << full;
    delete o;
    EXPECT_EQ(tavrin::LiveSessions(), 1);
  }
  EXPECT_EQ(count, Dynamic::RegisteredCount());
  for (const char* bad : {"class SSession", "ssession", "SSess", "SSessionX", "", "SDesignElement",
                          "SLibrary", static_cast<const char*>(nullptr)})
    EXPECT_EQ(Dynamic::CreateByClassName(bad, heap), nullptr) << (bad ? bad : "null");
  TavrinObject *pkg = session->CreatePackageLibrary("P"), *ses = session;
  EXPECT_TRUE(SLibrary::Cast(pkg) == pkg && SPackageLibrary::Cast(pkg) == pkg && SSession::Cast(ses) == session);
  EXPECT_TRUE(!SPadStackLibrary::Cast(pkg) && !SLibrary::Cast(ses) && !SDesignElement::Cast(ses) &&
              !SSession::Cast(nullptr));
}

// Without a heap a session says so and uses the general allocator (leak checkers verify).
TEST(Registry, SessionWithoutHeapUsesTheGeneralAllocator) {
  testing::internal::CaptureStdout();
  SSession* s = SSession::Cast(Dynamic::CreateByClassName("SSession", nullptr));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n malloc SSession " + std::to_string(sizeof(SSession)));
  ASSERT_TRUE(s && s->GetHeap() == nullptr);
  SPadStackLibrary* kept = s->CreatePadStackLibrary("Other");  // its nodes stay linked
  ASSERT_NE(kept, nullptr);
  kept->SetLocation("/somewhere");
  s->SetVersion("v1");
  delete s;
  delete kept;
}

}  // namespace
