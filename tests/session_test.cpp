// Sessions and libraries: creation by name, kind lists, lookup, unlinking,
// null names, allocation failure, and whole-heap release.
#include <string>
#include <vector>

#include "core/pool.h"
#include "fixture.h"

namespace {

using tavrin_test::FailAfter;
using SessionLibraries = tavrin_test::SessionTest;

template <class L>
std::vector<SLibrary*> ListOf(const RelLinkedList<L*>& list) {
  std::vector<SLibrary*> v;
  for (auto it = list.begin(); it != list.end(); ++it) v.push_back(*it);
  return v;
}

// Each library goes to the shared map, under its own name text (newest
// first, case-sensitive), and to the list of its kind only; a second one of
// the same name takes over the map entry while the first stays listed.
TEST_F(SessionLibraries, EachKindGoesToTheMapAndItsOwnList) {
  SPackageLibrary* pkg = session->CreatePackageLibrary("Lib");
  SPadStackLibrary* pads = session->CreatePadStackLibrary("Pads");
  SPinMappingLibrary* pins = session->CreatePinMappingLibrary("Pins");
  ASSERT_TRUE(pkg && pads && pins);
  EXPECT_EQ(session->GetLibrary("Pads"), pads);
  EXPECT_EQ(session->GetLibrary("lib"), nullptr);
  EXPECT_TRUE(session->HasLibrary("Pins"));
  EXPECT_FALSE(session->HasLibrary("Pin"));
  EXPECT_EQ(ListOf(session->GetAllPackageLibraries()), std::vector<SLibrary*>{pkg});
  EXPECT_EQ(ListOf(session->GetAllPadStackLibraries()), std::vector<SLibrary*>{pads});
  EXPECT_EQ(ListOf(session->GetAllPinMappingLibraries()), std::vector<SLibrary*>{pins});
  SPackageLibrary* again = session->CreatePackageLibrary("Lib");
  ASSERT_TRUE(again && again != pkg);
  EXPECT_EQ(session->GetLibrary("Lib"), again);
  EXPECT_EQ(ListOf(session->GetAllPackageLibraries()), (std::vector<SLibrary*>{again, pkg}));
  EXPECT_STREQ(pkg->GetName(), "Lib");  // the older one stays allocated
  std::vector<SLibrary*> inMap;
  for (auto it = session->GetAllLibraries().begin(); it != session->GetAllLibraries().end(); ++it) {
    EXPECT_EQ(it->first.c_str(), it->second->GetName());
    inMap.push_back(it->second);
  }
  EXPECT_EQ(inMap, (std::vector<SLibrary*>{pins, pads, again}));
  // Libraries, their children maps and texts live in the session heap.
  EXPECT_EQ(pkg->GetHeap(), heap);
  EXPECT_EQ(pkg->GetAllPackages().GetHeap(), heap);
  EXPECT_EQ(pads->GetAllPadStacks().GetHeap(), heap);
  EXPECT_EQ(pins->GetAllPinMappings().GetHeap(), heap);
  EXPECT_EQ(pkg->CreateEntry(const_cast<char*>("x")), nullptr);
  EXPECT_EQ(pkg->GetEntry("x"), nullptr);
  std::string where = "/lib/pins";
  pins->SetLocation(where.c_str());
  where[1] = 'X';
  EXPECT_STREQ(pins->GetLocation(), "/lib/pins");
  session->SetVersion("5.0");
  EXPECT_STREQ(session->GetVersion(), "5.0");
  EXPECT_EQ(tavrin::BlockHeap(session->GetVersion()), heap);
}

// Destroy unlinks from the map and from the list of the library's own kind,
// without deleting; a second time, or a null or absent name, gives false.
TEST_F(SessionLibraries, DestroyUnlinksWithoutDeleting) {
  SPadStackLibrary* pads = session->CreatePadStackLibrary("P");
  SPackageLibrary* pkg = session->CreatePackageLibrary("Q");
  SPinMappingLibrary* pins = session->CreatePinMappingLibrary("R");
  EXPECT_TRUE(session->DestroyLibrary("P"));
  EXPECT_FALSE(session->DestroyLibrary("P"));
  EXPECT_TRUE(session->GetAllPadStackLibraries().empty());
  EXPECT_EQ(session->GetAllPackageLibraries().size(), 1u);
  EXPECT_EQ(session->GetAllPinMappingLibraries().size(), 1u);
  EXPECT_STREQ(pads->GetName(), "P");  // still valid for a caller holding it
  EXPECT_TRUE(session->DestroyLibrary("R"));
  EXPECT_TRUE(session->GetAllPinMappingLibraries().empty());
  EXPECT_EQ(session->GetAllLibraries().size(), 1u);
  EXPECT_EQ(session->GetLibrary("Q"), pkg);
  EXPECT_STREQ(pins->GetName(), "R");
  for (const char* name : {static_cast<const char*>(nullptr), "none"}) {
    EXPECT_FALSE(session->DestroyLibrary(name));
    EXPECT_FALSE(session->DestroyProject(name));
    EXPECT_FALSE(session->HasLibrary(name));
    EXPECT_FALSE(session->HasProject(name));
    EXPECT_EQ(session->GetLibrary(name), nullptr);
    EXPECT_EQ(session->GetProject(name), nullptr);
  }
  // A null name creates nothing; the empty name is a name like any other.
  EXPECT_EQ(session->CreatePackageLibrary(nullptr), nullptr);
  EXPECT_EQ(session->CreatePadStackLibrary(nullptr), nullptr);
  EXPECT_EQ(session->CreatePinMappingLibrary(nullptr), nullptr);
  EXPECT_EQ(session->CreateProject(nullptr), nullptr);
  EXPECT_EQ(session->GetAllLibraries().size(), 1u);
  EXPECT_EQ(session->GetAllPackageLibraries().size(), 1u);
  SPackageLibrary* empty = session->CreatePackageLibrary("");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(session->GetLibrary(""), empty);
}

// Makes the creation of a package library fail at each heap allocation it
// makes in turn (object block, name text, list node, map node: the free
// lists are drained first so each needs a new chunk), until one succeeds.
// Every failed creation returns null and leaves maps and lists as they were.
void SweepCreationFailures(SSession* session, const char* name) {
  HANDLEMA* heap = session->GetHeap();
  SLibrary* before = session->GetLibrary(name);
  for (int n = 1; n < 20; ++n) {
    while (heap->mapNodeFree) HeapAllocMapNode(heap);
    while (heap->listNodeFree) HeapAllocListNode(heap);
    int k = tavrin::SizeClassOf(sizeof(SPackageLibrary));
    while (heap->sizeClassHeads[k]) tavrin::PoolAlloc(heap, tavrin::kClassSizes[k]);
    while (heap->sizeClassHeads[0]) tavrin::PoolAlloc(heap, 2);
    unsigned libs = session->GetAllLibraries().size();
    std::vector<SLibrary*> listed = ListOf(session->GetAllPackageLibraries());
    SPackageLibrary* made;
    {
      FailAfter fail(n);
      made = session->CreatePackageLibrary(name);
    }
    if (made) {
      EXPECT_GE(n, 4) << "each of the four allocations must be able to fail";
      EXPECT_EQ(session->GetLibrary(name), made);
      EXPECT_EQ(*session->GetAllPackageLibraries().begin(), made);
      return;
    }
    EXPECT_EQ(session->GetLibrary(name), before) << "failure " << n;
    EXPECT_EQ(session->GetAllLibraries().size(), libs) << "failure " << n;
    EXPECT_EQ(ListOf(session->GetAllPackageLibraries()), listed) << "failure " << n;
  }
  ADD_FAILURE() << "creation never succeeded";
}

TEST_F(SessionLibraries, AllocationFailureReturnsNullAndLeavesTheSessionAsItWas) {
  ASSERT_NE(session->CreatePackageLibrary("X"), nullptr);
  SweepCreationFailures(session, "Y");  // a new entry
  SweepCreationFailures(session, "X");  // taking over an existing entry
}

// Deleting a session frees its many objects, texts (pooled and large) and
// nodes with its heap, without running their destructors (leak checkers verify).
TEST(Session, DeletingReleasesTheWholeHeap) {
  SSession* s = AllocateSession();
  ASSERT_NE(s, nullptr);
  for (int i = 0; i < 3000; ++i)
    ASSERT_NE(s->CreatePadStackLibrary(("lib" + std::to_string(i) + std::string(i % 300, 'x')).c_str()), nullptr);
  EXPECT_EQ(s->GetAllLibraries().size(), 3000u);
  delete s;
}

}  // namespace
