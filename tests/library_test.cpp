// Packages with their pins, pad stacks with their pads, the package and
// pad-stack libraries that own them, and the references parts, part pins,
// pin instances and nodes hold to them: deletion, memory running out,
// references of another class (the golden file and its damage:
// hierarchy_test).
#include <functional>
#include <sstream>

#include "file_test.h"

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
  // The node's pad stack and the part pin's package pin both name the part.
  SSession* s = Restored(Edited("libraries_full.tvn", {{139, "16"}, {296, "16"}}));
  SProject* p = s->GetProject("P");
  SModule* module = SModule::Cast(p->GetDesign("board")->GetRepresentation("M"));
  SPart* part = SPart::Cast(p->GetDesign("chip")->GetRepresentation("U"));
  ASSERT_TRUE(module && part);
  SNetScalar* net = SNetScalar::Cast(module->GetNet("N"));
  EXPECT_EQ(Items(net->GetAllPhysicalNodes())[0]->GetPadStack(), nullptr);
  EXPECT_EQ(part->GetPartPin("1")->GetPackagePin(), nullptr);
}
