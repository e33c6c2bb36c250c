// Pad stacks deleted with their pads; library references of another class.
#include "file_test.h"

using namespace tavrin_test;

using LibraryTest = FileTest;

// A pad stack deletes the pads it holds and its extents, not one taken over or unlinked.
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

// The node's pad stack and the part pin's package pin naming the part (another class) read as null.
TEST_F(LibraryTest, ReferencesOfAnotherClassReadAsNull) {
  SProject* p = Restored(Edited("libraries_full.tvn", {{139, "16"}, {296, "16"}}))->GetProject("P");
  SModule* module = SModule::Cast(p->GetDesign("board")->GetRepresentation("M"));
  SPart* part = SPart::Cast(p->GetDesign("chip")->GetRepresentation("U"));
  ASSERT_TRUE(module && part);
  SNetScalar* net = SNetScalar::Cast(module->GetNet("N"));
  EXPECT_TRUE(!Items(net->GetAllPhysicalNodes())[0]->GetPadStack() && !part->GetPartPin("1")->GetPackagePin());
}
