// Class registry (creation by class name) and checked casts.
#include <cstring>
#include <set>
#include <string>

#include "core/pool.h"
#include "fixture.h"

namespace {

using RegistryTest = tavrin_test::SessionTest;

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
    // The block comes from the session's heap (a placed session carries a
    // record of its own in that heap).
    ASSERT_NE(tavrin::BlockHeap(o), nullptr) << full;
    EXPECT_EQ(tavrin::BlockHeap(o)->heap, heap->heap) << full;
    // A factory answers only to its own name.
    EXPECT_EQ(e->factory->Create("SNoSuchClass", heap), nullptr);
    delete o;
  }
  EXPECT_EQ(count, Dynamic::RegisteredCount());
  for (const char* n : {"class SSession", "class SPackageLibrary", "class SPadStackLibrary",
                        "class SPinMappingLibrary", "class GTavrinServer"})
    EXPECT_TRUE(names.count(n)) << n;
}

TEST_F(RegistryTest, NamesMatchExactly) {
  for (const char* bad : {"class SSession", "ssession", "SSESSION", "SSess", "SSessionX", "",
                          "SDesignElement", "SLibrary", "TavrinObject"})
    EXPECT_EQ(Dynamic::CreateByClassName(bad, heap), nullptr) << bad;
  EXPECT_EQ(Dynamic::CreateByClassName(nullptr, heap), nullptr);
}

TEST_F(RegistryTest, RestoredSessionLivesInTheGivenHeap) {
  SSession* inner = SSession::Cast(Dynamic::CreateByClassName("SSession", heap));
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(tavrin::LiveSessions(), 1);  // placing a session is not a new heap
  ASSERT_NE(inner->GetHeap(), nullptr);
  EXPECT_NE(inner->GetHeap(), heap);  // a record of its own ...
  EXPECT_EQ(inner->GetHeap()->heap, heap->heap);  // ... in the same heap
  EXPECT_NE(inner->CreatePackageLibrary("L"), nullptr);
  delete inner;  // leaves the block to the outer heap
  EXPECT_EQ(tavrin::LiveSessions(), 1);
}

TEST(Registry, SessionWithoutHeapComesFromTheGeneralAllocator) {
  testing::internal::CaptureStdout();
  SSession* s = SSession::Cast(Dynamic::CreateByClassName("SSession", nullptr));
  std::string out = testing::internal::GetCapturedStdout();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(out, "\n malloc SSession " + std::to_string(sizeof(SSession)));
  EXPECT_EQ(s->GetHeap(), nullptr);
  // Without a record everything comes from the general allocator and the
  // destructors give it back (leak checkers verify).
  SPackageLibrary* lib = s->CreatePackageLibrary("Lib");
  ASSERT_NE(lib, nullptr);
  lib->SetLocation("/somewhere");
  EXPECT_EQ(s->GetLibrary("Lib"), lib);
  ASSERT_TRUE(s->DestroyLibrary("Lib"));
  delete lib;
  // Left in the map and list: the session frees their nodes, and the
  // library itself belongs to the caller.
  SPadStackLibrary* other = s->CreatePadStackLibrary("Other");
  ASSERT_NE(other, nullptr);
  s->SetVersion("v1");
  delete s;
  delete other;
}

TEST_F(RegistryTest, CastChecksTheDynamicClass) {
  SPackageLibrary* pkg = session->CreatePackageLibrary("P");
  ASSERT_NE(pkg, nullptr);
  EXPECT_EQ(SLibrary::Cast(static_cast<TavrinObject*>(pkg)), pkg);
  EXPECT_EQ(SPackageLibrary::Cast(static_cast<TavrinObject*>(pkg)), pkg);
  EXPECT_EQ(SPadStackLibrary::Cast(static_cast<TavrinObject*>(pkg)), nullptr);
  EXPECT_EQ(SSession::Cast(static_cast<TavrinObject*>(session)), session);
  EXPECT_EQ(SLibrary::Cast(static_cast<TavrinObject*>(session)), nullptr);
  EXPECT_EQ(SDesignElement::Cast(static_cast<TavrinObject*>(session)), nullptr);
  EXPECT_EQ(GTavrinServer::Cast(static_cast<TavrinObject*>(session)), nullptr);
  EXPECT_EQ(SLibrary::Cast(nullptr), nullptr);
  EXPECT_EQ(SSession::Cast(nullptr), nullptr);
}

}  // namespace
