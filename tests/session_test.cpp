// Session libraries: the shared map, the kind lists, allocation failure.
#include "file_test.h"

namespace {

using SessionLibraries = tavrin_test::SessionTest;
using tavrin_test::Items;

// A library taken over stays on its kind's list until Destroy; a failed allocation changes nothing.
TEST_F(SessionLibraries, EachKindGoesToTheMapAndItsOwnListOrNowhere) {
  SPackageLibrary* pkg = session->CreatePackageLibrary("Lib");
  SPadStackLibrary* pads = session->CreatePadStackLibrary("Pads");
  ASSERT_TRUE(pkg && pads && session->CreatePinMappingLibrary("Pins") && !session->GetLibrary("lib"));
  SPackageLibrary* again = session->CreatePackageLibrary("Lib");
  EXPECT_EQ(Items(session->GetAllPackageLibraries()), (std::vector<SPackageLibrary*>{again, pkg}));
  EXPECT_EQ(Items(session->GetAllPadStackLibraries()), std::vector<SPadStackLibrary*>{pads});
  EXPECT_TRUE(session->DestroyLibrary("Pads") && session->DestroyLibrary("Lib"));
  EXPECT_TRUE(session->GetAllPadStackLibraries().empty() && session->GetAllLibraries().size() == 1u);
  EXPECT_EQ(Items(session->GetAllPackageLibraries()), std::vector<SPackageLibrary*>{pkg});
  auto address = [](const void* p) { return " " + std::to_string(reinterpret_cast<std::uintptr_t>(p)); };
  for (const char* name : {"Y", "Y"}) {  // a new library, then one taking over its entry
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
