// Packages with their pins, pad stacks with their pads, the package and
// pad-stack libraries that own them, and the references parts, part pins,
// pin instances and nodes hold to them: deletion, memory running out,
// damaged files (the golden file: hierarchy_test).
#include <functional>
#include <sstream>

#include "file_test.h"
#include "board_fixture.h"

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

// A pad or a value claimed twice, or a library child that is no child of
// its kind is refused, and the session is as before.
TEST_F(LibraryTest, DamageLeavesTheSession) {
  LibraryBoard b(session);
  const std::string good = SaveOf(session), before = Fingerprint(session);
  auto refused = [&](const std::function<void(std::vector<std::string>&)>& edit, const char* what) {
    EXPECT_EQ(Restore(session, Reframe(good, edit)), 0) << what;
    EXPECT_EQ(Fingerprint(session), before) << what;
  };
  // Each pad entry is its layer, its reference and its record: 7 lines of
  // design element, the layer, the region count and references, the id.
  // PIN's pad (no regions) claims VIA's pad 1 (two regions).
  refused([](Strings& d) { d[LineOf(d, "7045") - 10] = d[LineOf(d, "7042") - 12]; }, "a pad claimed twice");
  // PIN's Y extent claims the X value of VIA's pad 1 (references just before the values).
  refused([](Strings& d) { d[LineOf(d, "1506") - 1] = d[LineOf(d, "1501") - 1]; }, "a value claimed twice");
  // DIP's pin list claims SO8's first pin (a pin's reference comes 12 lines
  // before its id: 8 of design element with a one-letter name, X, Y, the package).
  refused([](Strings& d) { d[LineOf(d, "7035") - 12] = d[LineOf(d, "7033") - 12]; }, "a package pin claimed twice");
  refused([](Strings& d) { d[LineOf(d, "PIN") + 1] = d[LineOf(d, "SO8") + 1]; }, "a package in a pad-stack library");
  EXPECT_EQ(Restore(session, good), 1) << "the good file still reads";
}
