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
// and to the list of its kind only, where one that lost its map entry to a
// second of the same name stays; Destroy takes it off the list too. (Take-over
// and unlinking of every named family: named_family_test.)
TEST_F(SessionLibraries, EachKindGoesToTheMapAndItsOwnList) {
  SPackageLibrary* pkg = session->CreatePackageLibrary("Lib");
  SPadStackLibrary* pads = session->CreatePadStackLibrary("Pads");
  ASSERT_TRUE(pkg && pads && session->CreatePinMappingLibrary("Pins"));
  EXPECT_TRUE(session->GetLibrary("Pads") == pads && !session->GetLibrary("lib"));
  SPackageLibrary* again = session->CreatePackageLibrary("Lib");
  EXPECT_EQ(Items(session->GetAllPackageLibraries()), (std::vector<SPackageLibrary*>{again, pkg}));
  EXPECT_EQ(Items(session->GetAllPadStackLibraries()), std::vector<SPadStackLibrary*>{pads});
  EXPECT_TRUE(session->DestroyLibrary("Pads") && session->DestroyLibrary("Lib"));
  EXPECT_TRUE(session->GetAllPadStackLibraries().empty() && session->GetAllLibraries().size() == 1u);
  EXPECT_EQ(Items(session->GetAllPackageLibraries()), std::vector<SPackageLibrary*>{pkg});
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
