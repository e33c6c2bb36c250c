// Cells, representations, configurations, sheets and the designs of a
// project: takeover by name, unlinking versus deleting, instance counts,
// refusals.
#include <memory>

#include "fixture.h"

using namespace tavrin_test;

namespace {

class CellTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    project = session->CreateProject("p");
    cell = project->CreateDesignCell("top");
    leaf = project->CreateDesignCell("leaf");
  }
  SProject* project = nullptr;
  SCell* cell = nullptr;
  SCell* leaf = nullptr;
};

}  // namespace

// The first representation of any kind becomes the default; a later one of
// the same name takes the entry over and both stay listed; Destroy unlinks
// the one found, which keeps its cell. RemoveSlots deletes nothing.
TEST_F(CellTest, RepresentationsAndSlots) {
  SSchematicRepresentation* a = cell->CreateSchematicRepresentation("v");
  SConnectivityRepresentation* b = cell->CreateConnectivityRepresentation("v");
  ASSERT_TRUE(a && b);
  EXPECT_TRUE(cell->GetDefaultRepresentation() == a && cell->GetRepresentation("v") == b);
  EXPECT_TRUE(cell->DestroyRepresentation("v") && !cell->DestroyRepresentation("v"));
  EXPECT_TRUE(cell->GetAllConnectivityRepresentations().empty() && b->GetCell() == cell);
  EXPECT_EQ(Items(cell->GetAllSchematicRepresentations()).size(), 1u) << "the older one stays listed";
  SSlot* three = cell->CreateMemberSlotSlot(3);
  ASSERT_TRUE(three && three->GetAggregateCell() == cell);
  EXPECT_TRUE(cell->InsertAggregateSlot(three) && !cell->InsertAggregateSlot(three));
  cell->RemoveSlots();
  EXPECT_TRUE(cell->GetAllMemberSlots().empty() && cell->GetAllAggregateSlots().empty());
  EXPECT_EQ(three->GetNumber(), 3) << "an unlinked slot stays usable";
}

// A destroyed instance leaves the sheets of its view, so a save writes no
// entry for it: the restored sheets list only the instances still there.
TEST_F(CellTest, DestroyedInstanceLeavesTheSheets) {
  SSchematicRepresentation* v = cell->CreateSchematicRepresentation("v");
  SSchematicSheet* one = v->CreateSchematicSheet(1);
  SSchematicSheet* two = v->CreateSchematicSheet(2);
  SGenericCellInstance* g = v->CreateGenericCellInstance("g", leaf);
  SGenericCellInstance* h = v->CreateGenericCellInstance("h", leaf);
  ASSERT_TRUE(one && two && g && h);
  EXPECT_TRUE(one->InsertGenericCellInstance(g) && one->InsertGenericCellInstance(h) &&
              two->InsertGenericCellInstance(g));
  EXPECT_TRUE(v->DestroyCellInstance("g"));
  EXPECT_EQ(Items(one->GetAllGenericCellInstances()), std::vector<SGenericCellInstance*>{h});
  EXPECT_TRUE(two->GetAllGenericCellInstances().empty());

  ScratchDir dir;
  ASSERT_EQ(session->Save(dir.File("s").c_str()), 1);
  std::unique_ptr<SSession> back(AllocSession());
  ASSERT_EQ(back->Restore(dir.File("s").c_str()), 1);
  auto* rv = SSchematicRepresentation::Cast(back->GetProject("p")->GetDesign("top")->GetRepresentation("v"));
  ASSERT_NE(rv, nullptr);
  std::vector<SGenericCellInstance*> listed = Items(rv->GetSchematicSheet(1)->GetAllGenericCellInstances());
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0], rv->GetCellInstance("h"));
  EXPECT_TRUE(rv->GetSchematicSheet(2)->GetAllGenericCellInstances().empty());
}

// Outside any session a cell deletes everything it owns, a child taken
// over by name too, and the interface a second CreateInterface replaces
// (a leak or a double deletion shows under the sanitizers).
TEST(CellHeapless, DeletesWhatItOwns) {
  SCell* c = new SCell();
  SCell* other = new SCell();
  ASSERT_TRUE(c && other);
  c->SetName("c");
  c->CreateInterface()->CreatePortBus("b")->CreateIndicesRangeValue()->CreateLowerIntegerValue();
  SInterface* i = c->CreateInterface();
  ASSERT_NE(i, nullptr);
  EXPECT_EQ(i->GetCell(), c);
  i->CreatePortScalar("a");
  i->CreatePortScalar("a");
  SSchematicRepresentation* s = c->CreateSchematicRepresentation("s");
  c->CreateConnectivityRepresentation("s")->CreateConfiguration("cfg");
  s->CreateSchematicSheet(2)->SetName("sheet");
  s->CreateGenericCellInstance("u", other)->CreatePortInstanceScalar("p");
  s->CreateGenericCellInstance("u", other);
  s->CreateNetScalar("n");
  s->CreateNetScalar("n");
  c->CreateGlobalPortPortScalar("g");
  c->CreateGlobalPortPortScalar("g");
  c->CreateMemberSlotSlot(1);
  s->SetUnits("mm");
  EXPECT_TRUE(s->DestroyCellInstance("u"));
  EXPECT_EQ(other->GetInstanceCount(), 1);
  // A count read from a file may sit at the ends of the range.
  other->SetInstanceCount(INT_MAX);
  s->CreateGenericCellInstance("v", other);
  EXPECT_EQ(other->GetInstanceCount(), INT_MAX);
  other->SetInstanceCount(INT_MIN);
  EXPECT_TRUE(s->DestroyCellInstance("v"));
  EXPECT_EQ(other->GetInstanceCount(), INT_MIN);
  delete c;
  delete other;
}
