// Packages with their pins, pad stacks with their pads, the package and
// pad-stack libraries that own them, and the references parts, part pins,
// pin instances and nodes hold to them: edge cases, memory running out,
// the saved file, a restore with distinct identifiers, damaged files.
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "file_test.h"
#include "library_fixture.h"

using namespace tavrin_test;

namespace {

class LibraryTest : public FileTest {};

}  // namespace

// A pad stack outside any session: deleting it deletes the pads it holds
// and its extents, not a pad taken over or unlinked (the leak checkers and
// the sanitizers see a double delete or a leak here).
TEST(PadStackWithoutSession, DeletesWhatItHolds) {
  SPadStack* ps = new SPadStack();
  SPad* directly = new SPad();
  EXPECT_EQ(directly->GetLayer(), 1);
  SPad* first = ps->CreatePad(2);
  SPad* unlinked = ps->CreatePad(3);
  ASSERT_TRUE(first && unlinked && ps->CreatePad(2) && ps->CreatePad(5) && ps->DestroyPad(3));
  ASSERT_TRUE(ps->CreateXExtentValUnitlessValue() && ps->CreateXExtentValUnitlessValue() &&
              ps->CreateYExtentValUnitlessValue());
  SPad* held = ps->GetPad(5);
  ASSERT_TRUE(held->CreateXValUnitlessValue() && held->CreateYValUnitlessValue() && held->CreateYValUnitlessValue());
  delete ps;
  delete first;
  delete unlinked;
  delete directly;
}

// Every allocation of every Create fails in turn: null, nothing linked,
// the value held kept. Then it succeeds.
TEST_F(LibraryTest, MemoryRunningOutInEveryCreate) {
  SPackageLibrary* pkgs = session->CreatePackageLibrary("pkgs");
  SPadStackLibrary* pads = session->CreatePadStackLibrary("pads");
  const std::string name(40, 'n');
  SPackage* pkg = nullptr;
  SPadStack* ps = nullptr;
  SPad* pad = nullptr;
  auto state = [&] {
    std::ostringstream o;
    o << pkgs->GetAllPackages().size() << pads->GetAllPadStacks().size();
    if (pkg) o << pkg->GetAllPackagePins().size();
    if (ps) o << ps->GetAllPads().size() << ps->GetXExtentVal() << ps->GetYExtentVal();
    if (pad) o << pad->GetXVal() << pad->GetYVal();
    return o.str();
  };
  EXPECT_GT(EachFailure(heap, [&] { return (pkg = pkgs->CreatePackage(name.c_str())) != nullptr; }, state), 0);
  EXPECT_GT(EachFailure(heap, [&] { return pkg->CreatePackagePin() != nullptr; }, state), 0);
  EXPECT_GT(EachFailure(heap, [&] { return (ps = pads->CreatePadStack(name.c_str())) != nullptr; }, state), 0);
  EXPECT_GT(EachFailure(heap, [&] { return (pad = ps->CreatePad(3)) != nullptr; }, state), 0);
  ASSERT_TRUE(ps->CreateXExtentValUnitlessValue() && pad->CreateYValUnitlessValue());
  for (auto create : std::vector<std::function<SUnitlessValue*()>>{
           [&] { return ps->CreateXExtentValUnitlessValue(); }, [&] { return ps->CreateYExtentValUnitlessValue(); },
           [&] { return pad->CreateXValUnitlessValue(); }, [&] { return pad->CreateYValUnitlessValue(); }})
    EXPECT_GT(EachFailure(heap, [&] { return create() != nullptr; }, state), 0);
}

// The board saves as the data file; restored (references read before
// their objects' records) and saved it comes out reversed, and once more
// it is the data file.
TEST_F(LibraryTest, SaveAndRestore) {
  LibraryBoard b(session);
  const std::string file = SaveOf(session);
  EXPECT_EQ(file, ReadFile(TestData("libraries_full.tvn")));
  SSession* s = Restored(file);
  SPart* part = SPart::Cast(s->GetProject("P")->GetDesign("chip")->GetRepresentation("U"));
  ASSERT_TRUE(part && part->GetSelectedPackage());
  EXPECT_EQ(part->GetSelectedPackage(), SPackageLibrary::Cast(s->GetLibrary("pkgs"))->GetPackage("DIP"));
  const std::string reversed = SaveOf(s);
  EXPECT_NE(reversed, file);
  EXPECT_EQ(SaveOf(Restored(reversed)), file);
}

// A file whose every identifier of these classes (and of the values and
// libraries, which have no public setter) is distinct and non-zero: each
// reads back in its own object.
TEST_F(LibraryTest, DistinctIdentifiers) {
  SSession* s = Restored(ReadFile(TestData("libraries_ids.tvn")));
  SPackageLibrary* pkgs = SPackageLibrary::Cast(s->GetLibrary("pkgs"));
  SPadStackLibrary* pads = SPadStackLibrary::Cast(s->GetLibrary("pads"));
  ASSERT_TRUE(pkgs && pads);
  EXPECT_EQ(pkgs->GetId(), 51);
  EXPECT_EQ(pads->GetId(), 52);
  SPadStack* via = pads->GetPadStack("VIA");
  SPadStack* pin = pads->GetPadStack("PIN");
  ASSERT_TRUE(via && pin && via->GetPad(1) && via->GetPad(4) && pin->GetPad(2));
  EXPECT_TRUE(via->GetXExtentVal()->GetId() == 61 && via->GetPad(1)->GetXVal()->GetId() == 62 &&
              via->GetPad(4)->GetYVal()->GetId() == 63 && pin->GetYExtentVal()->GetId() == 64 &&
              pin->GetPad(2)->GetXVal()->GetId() == 65 && pin->GetPad(2)->GetYVal()->GetId() == 66);
  EXPECT_TRUE(via->GetId() == 7041 && via->GetPad(1)->GetId() == 7042 && via->GetPad(4)->GetId() == 7043 &&
              pin->GetId() == 7044 && pin->GetPad(2)->GetId() == 7045);
  SPackage* so8 = pkgs->GetPackage("SO8");
  SPackage* dip = pkgs->GetPackage("DIP");
  ASSERT_TRUE(so8 && dip);
  std::vector<SPackagePin*> pins = Items(so8->GetAllPackagePins());
  ASSERT_EQ(pins.size(), 2u);
  EXPECT_TRUE(so8->GetId() == 7031 && pins[0]->GetId() == 7032 && pins[1]->GetId() == 7033 && dip->GetId() == 7034 &&
              Items(dip->GetAllPackagePins())[0]->GetId() == 7035);
  SPart* part = SPart::Cast(s->GetProject("P")->GetDesign("chip")->GetRepresentation("U"));
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->GetId(), 7071);
  EXPECT_EQ(part->GetPartPin("1")->GetId(), 7072);
}

// A reference to an object of another class where a pad stack, package or
// package pin is expected reads as null; the file still restores.
TEST_F(LibraryTest, ReferencesOfAnotherClassReadAsNull) {
  LibraryBoard b(session);
  const std::string good = SaveOf(session);
  // The node's pad stack (7 lines after its name: the rest of its design
  // element record and its port instance) and the part pin's package pin
  // (just before the pin's id) both name the part (whose reference comes 3
  // lines before its name).
  const std::string edited = Reframe(good, [](std::vector<std::string>& d) {
    const std::string partRef = d[LineOf(d, "U") - 3];
    d[LineOf(d, "n1") + 7] = partRef;
    d[LineOf(d, "7072") - 1] = partRef;
  });
  SSession* s = Restored(edited);
  SProject* p = s->GetProject("P");
  SModule* module = SModule::Cast(p->GetDesign("board")->GetRepresentation("M"));
  SPart* part = SPart::Cast(p->GetDesign("chip")->GetRepresentation("U"));
  ASSERT_TRUE(module && part);
  SNetScalar* net = SNetScalar::Cast(module->GetNet("N"));
  EXPECT_EQ(Items(net->GetAllPhysicalNodes())[0]->GetPadStack(), nullptr);
  EXPECT_EQ(part->GetPartPin("1")->GetPackagePin(), nullptr);
}

// A cut anywhere, a pad or a value claimed twice, or a library child that
// is no child of its kind is refused, and the session saves as before.
TEST_F(LibraryTest, DamageLeavesTheSession) {
  LibraryBoard b(session);
  const std::string good = SaveOf(session);
  auto refused = [&](const std::string& bytes, const std::string& what, bool save = true) {
    EXPECT_EQ(Restore(session, bytes), 0) << what;
    EXPECT_TRUE(session->GetAllProjects().size() == 1 && session->GetProject("P") == b.project &&
                session->GetAllLibraries().size() == 2 && session->GetLibrary("pkgs") == b.pkgs &&
                session->GetLibrary("pads") == b.pads && b.pkgs->GetAllPackages().size() == 2 &&
                b.pads->GetAllPadStacks().size() == 2 && b.via->GetAllPads().size() == 2 &&
                b.so8->GetAllPackagePins().size() == 2)
        << what;
    if (save) {
      EXPECT_EQ(SaveOf(session), good) << what;
    }
  };
  for (std::size_t n = 0; n < good.size(); ++n) refused(good.substr(0, n), "cut at " + std::to_string(n), n % 16 == 0);
  // Each pad entry is its layer, its reference and its record: 7 lines of
  // design element, the layer, the region count and references, the id.
  // PIN's pad (no regions) claims VIA's pad 1 (two regions).
  refused(Reframe(good, [](std::vector<std::string>& d) { d[LineOf(d, "7045") - 10] = d[LineOf(d, "7042") - 12]; }),
          "a pad claimed twice");
  // PIN's Y extent claims the X value of VIA's pad 1 (its reference just
  // before its value line).
  refused(Reframe(good, [](std::vector<std::string>& d) { d[LineOf(d, "1506") - 1] = d[LineOf(d, "1501") - 1]; }),
          "a value claimed twice");
  // DIP's pin list claims SO8's first pin (a pin's reference comes 12
  // lines before its id: 8 of design element with a one-letter name, X, Y,
  // the package).
  refused(Reframe(good, [](std::vector<std::string>& d) { d[LineOf(d, "7035") - 12] = d[LineOf(d, "7033") - 12]; }),
          "a package pin claimed twice");
  // The pad-stack library's first child is a package.
  refused(Reframe(good, [](std::vector<std::string>& d) { d[LineOf(d, "PIN") + 1] = d[LineOf(d, "SO8") + 1]; }),
          "a package in a pad-stack library");
  EXPECT_EQ(Restore(session, good), 1) << "the good file still reads";
}
