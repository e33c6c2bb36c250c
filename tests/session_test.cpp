// Sessions and libraries: creation by name, kind lists, lookup, unlinking,
// null names and allocation failure.
#include <cstdint>
#include <string>
#include <vector>

#include "file_test.h"

namespace {

using SessionLibraries = tavrin_test::SessionTest;
using tavrin_test::Items;

// Each library goes to the shared map under its own name (case-sensitive)
// and to the list of its kind only; a second one of the same name takes over
// the map entry while the first stays listed. Destroy unlinks from map and
// list without deleting; a second time, or a null or absent name, gives false.
TEST_F(SessionLibraries, EachKindGoesToTheMapAndItsOwnList) {
  SPackageLibrary* pkg = session->CreatePackageLibrary("Lib");
  SPadStackLibrary* pads = session->CreatePadStackLibrary("Pads");
  SPinMappingLibrary* pins = session->CreatePinMappingLibrary("Pins");
  ASSERT_TRUE(pkg && pads && pins);
  EXPECT_TRUE(session->GetLibrary("Pads") == pads && !session->GetLibrary("lib"));
  SPackageLibrary* again = session->CreatePackageLibrary("Lib");
  EXPECT_TRUE(again != pkg && session->GetLibrary("Lib") == again);
  EXPECT_EQ(Items(session->GetAllPackageLibraries()), (std::vector<SPackageLibrary*>{again, pkg}));
  EXPECT_EQ(Items(session->GetAllPadStackLibraries()), std::vector<SPadStackLibrary*>{pads});
  EXPECT_TRUE(session->DestroyLibrary("Pads") && session->DestroyLibrary("Lib"));
  EXPECT_FALSE(session->DestroyLibrary("Pads") || session->DestroyLibrary(nullptr) || session->DestroyLibrary("none"));
  EXPECT_TRUE(session->GetAllPadStackLibraries().empty() && session->GetAllLibraries().size() == 1u);
  EXPECT_EQ(Items(session->GetAllPackageLibraries()), std::vector<SPackageLibrary*>{pkg});  // the older one stays
  EXPECT_EQ(std::string(pads->GetName()) + again->GetName(), "PadsLib");  // unlinked, still valid
  EXPECT_FALSE(session->CreatePackageLibrary(nullptr) || session->CreatePinMappingLibrary(nullptr));
}

// Creating a library (new, or taking over an entry) fails at each of its
// allocations in turn (block, name, list node, map node) until one
// succeeds; each failure returns null and leaves maps and lists as they were.
TEST_F(SessionLibraries, AllocationFailureReturnsNullAndLeavesTheSessionAsItWas) {
  ASSERT_NE(session->CreatePackageLibrary("X"), nullptr);
  auto address = [](const void* p) { return " " + std::to_string(reinterpret_cast<std::uintptr_t>(p)); };
  for (const char* name : {"Y", "X"}) {
    auto state = [&] {
      std::string s = std::to_string(session->GetAllLibraries().size()) + address(session->GetLibrary(name));
      for (SPackageLibrary* l : Items(session->GetAllPackageLibraries())) s += address(l);
      return s;
    };
    SPackageLibrary* made = nullptr;
    int failures = tavrin_test::EachFailure(heap, [&] { return (made = session->CreatePackageLibrary(name)); }, state);
    EXPECT_GE(failures, 3) << name;
    EXPECT_TRUE(session->GetLibrary(name) == made && *session->GetAllPackageLibraries().begin() == made);
  }
}

}  // namespace
