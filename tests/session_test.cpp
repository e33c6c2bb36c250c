// Sessions and libraries: creation by name, kind lists, lookup, unlinking,
// null names and allocation failure.
#include <string>
#include <vector>

#include "core/pool.h"
#include "fixture.h"

namespace {

using SessionLibraries = tavrin_test::SessionTest;
using tavrin_test::Items;

// Each library goes to the shared map under its own name text (newest first, case-sensitive) and
// to the list of its kind only; a second one of the same name takes over the map entry while the
// first stays listed. Destroy unlinks from map and list without deleting; a second time, or a null
// or absent name, gives false. A null name creates nothing.
TEST_F(SessionLibraries, EachKindGoesToTheMapAndItsOwnList) {
  SPackageLibrary* pkg = session->CreatePackageLibrary("Lib");
  SPadStackLibrary* pads = session->CreatePadStackLibrary("Pads");
  SPinMappingLibrary* pins = session->CreatePinMappingLibrary("Pins");
  ASSERT_TRUE(pkg && pads && pins);
  EXPECT_TRUE(session->GetLibrary("Pads") == pads && session->HasLibrary("Pins"));
  EXPECT_TRUE(!session->GetLibrary("lib") && !session->HasLibrary("Pin"));
  EXPECT_EQ(Items(session->GetAllPadStackLibraries()), std::vector<SPadStackLibrary*>{pads});
  SPackageLibrary* again = session->CreatePackageLibrary("Lib");
  ASSERT_TRUE(again && again != pkg);
  EXPECT_EQ(session->GetLibrary("Lib"), again);
  EXPECT_EQ(Items(session->GetAllPackageLibraries()), (std::vector<SPackageLibrary*>{again, pkg}));
  std::vector<SLibrary*> inMap;
  for (auto it = session->GetAllLibraries().begin(); it != session->GetAllLibraries().end(); ++it) {
    EXPECT_EQ(it->first.c_str(), it->second->GetName());
    inMap.push_back(it->second);
  }
  EXPECT_EQ(inMap, (std::vector<SLibrary*>{pins, pads, again}));
  EXPECT_EQ(pkg->GetAllPackages().GetHeap(), heap);  // children maps live in the session heap
  EXPECT_TRUE(session->DestroyLibrary("Pads") && session->DestroyLibrary("Lib"));
  EXPECT_FALSE(session->DestroyLibrary("Pads"));
  EXPECT_TRUE(session->GetAllPadStackLibraries().empty() && session->GetLibrary("Lib") == nullptr);
  EXPECT_EQ(Items(session->GetAllPinMappingLibraries()), std::vector<SPinMappingLibrary*>{pins});
  EXPECT_EQ(Items(session->GetAllPackageLibraries()), std::vector<SPackageLibrary*>{pkg});  // the older one stays
  // Unlinked or replaced libraries stay valid for a caller holding them.
  EXPECT_EQ(std::string(pads->GetName()) + again->GetName() + pkg->GetName(), "PadsLibLib");
  for (const char* name : {static_cast<const char*>(nullptr), "none"})
    EXPECT_FALSE(session->DestroyLibrary(name) || session->GetLibrary(name) || session->HasProject(name)) << !name;
  EXPECT_FALSE(session->CreatePackageLibrary(nullptr) || session->CreatePadStackLibrary(nullptr) ||
               session->CreatePinMappingLibrary(nullptr));
  EXPECT_EQ(session->GetAllLibraries().size(), 1u);
}

// Creating a library (new, or taking over an entry) fails at each of its allocations in turn (block,
// name, list node, map node: free lists drained so each needs a new chunk) until one succeeds; each
// failure returns null and leaves maps and lists as they were.
TEST_F(SessionLibraries, AllocationFailureReturnsNullAndLeavesTheSessionAsItWas) {
  ASSERT_NE(session->CreatePackageLibrary("X"), nullptr);
  int k = tavrin::SizeClassOf(sizeof(SPackageLibrary)), n = 1;
  for (const char* name : {"Y", "X"}) {
    SLibrary* before = session->GetLibrary(name);
    for (n = 1; n < 20; ++n) {
      while (heap->mapNodeFree) HeapAllocMapNode(heap);
      while (heap->listNodeFree) HeapAllocListNode(heap);
      while (heap->sizeClassHeads[k]) tavrin::PoolAlloc(heap, tavrin::kClassSizes[k]);
      while (heap->sizeClassHeads[0]) tavrin::PoolAlloc(heap, 2);
      unsigned libs = session->GetAllLibraries().size();
      std::vector<SPackageLibrary*> listed = Items(session->GetAllPackageLibraries());
      SPackageLibrary* made = [&] {
        tavrin_test::FailAfter fail(n);
        return session->CreatePackageLibrary(name);
      }();
      if (made) {
        EXPECT_TRUE(session->GetLibrary(name) == made && *session->GetAllPackageLibraries().begin() == made);
        break;
      }
      EXPECT_TRUE(session->GetLibrary(name) == before && session->GetAllLibraries().size() == libs) << n;
      EXPECT_EQ(Items(session->GetAllPackageLibraries()), listed) << n;
    }
    EXPECT_TRUE(n >= 4 && n < 20) << name << ": each of the four allocations must fail in turn, then succeed";
  }
}

}  // namespace
