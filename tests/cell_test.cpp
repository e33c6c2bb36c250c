// Cells, interfaces and ports, representations, sheets and top cells.
#include "file_test.h"

using namespace tavrin_test;

using CellTest = SceneTest;  // `chip` has no view yet

// The first view is the default; a same-named later one takes the entry over; RemoveSlots deletes nothing.
TEST_F(CellTest, RepresentationsAndSlots) {
  SSchematicRepresentation* a = chip->CreateSchematicRepresentation("v");
  SConnectivityRepresentation* b = chip->CreateConnectivityRepresentation("v");
  ASSERT_TRUE(a && b && chip->GetDefaultRepresentation() == a && chip->GetRepresentation("v") == b);
  EXPECT_TRUE(chip->DestroyRepresentation("v") && !chip->DestroyRepresentation("v"));
  EXPECT_TRUE(chip->GetAllConnectivityRepresentations().empty() && b->GetCell() == chip);
  EXPECT_EQ(Items(chip->GetAllSchematicRepresentations()).size(), 1u) << "the older one stays listed";
  SSlot* three = chip->CreateMemberSlotSlot(3);
  ASSERT_TRUE(three && three->GetAggregateCell() == chip);
  EXPECT_TRUE(chip->InsertAggregateSlot(three) && !chip->InsertAggregateSlot(three));
  chip->RemoveSlots();
  EXPECT_TRUE(chip->GetAllMemberSlots().empty() && chip->GetAllAggregateSlots().empty());
  EXPECT_EQ(three->GetNumber(), 3) << "an unlinked slot stays usable";
}

// Outside a session a cell deletes all it owns, taken-over children and a replaced interface too.
TEST(CellHeapless, DeletesWhatItOwns) {
  SCell* c = new SCell();
  SCell* other = new SCell();
  c->SetName("c");
  c->CreateInterface()->CreatePortBus("b")->CreateIndicesRangeValue()->CreateLowerIntegerValue();
  SInterface* i = c->CreateInterface();
  ASSERT_TRUE(i && i->GetCell() == c);
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
  EXPECT_TRUE(s->DestroyCellInstance("u") && other->GetInstanceCount() == 1);
  // A count read from a file may sit at the ends of the range.
  other->SetInstanceCount(INT_MAX);
  s->CreateGenericCellInstance("v", other);
  EXPECT_EQ(other->GetInstanceCount(), INT_MAX);
  other->SetInstanceCount(INT_MIN);
  EXPECT_TRUE(s->DestroyCellInstance("v") && other->GetInstanceCount() == INT_MIN);
  delete c;
  delete other;
  SProject* p = new SProject();  // and a project its files and designs
  p->CreateFile("a")->SetAlias("x");
  SCell* d = p->CreateDesignCell("d");
  p->InsertTopCell(d);
  d->CreateConnectivityRepresentation("v")->CreateGenericCellInstance("u", p->CreateDesignCell("e"));
  delete p;
}

// Top cells: no duplicates, appended at the tail.
TEST_F(CellTest, TopCells) {
  EXPECT_TRUE(project->InsertTopCell(chip) && project->InsertTopCell(top) && project->RemoveTopCell(chip));
  EXPECT_TRUE(project->InsertTopCell(chip) && !project->InsertTopCell(top) && !project->RemoveTopCell(nullptr));
  EXPECT_FALSE(project->HasTopCell(nullptr));
  EXPECT_EQ(Items(project->GetAllTopCells()), (std::vector<SCell*>{top, chip}));
}

// A swappable port is one direction and one partner; memberships are one-sided.
TEST_F(CellTest, SwappablePortsAndMemberships) {
  SInterface* interface = chip->CreateInterface();
  SPortScalar* a1 = interface->CreatePortScalar("a");
  SPortScalar* a2 = interface->CreatePortScalar("a2");
  SPortBus* b = interface->CreatePortBus("b");
  SPortBundle* u = interface->CreatePortBundle("u");
  ASSERT_TRUE(a1 && a2 && b && u && a1->GetInterface() == interface);
  EXPECT_TRUE(interface->SetSwappablePort(a1, a2) && !interface->SetSwappablePort(a1, b));
  EXPECT_TRUE(interface->GetSwappablePort(a1) == a2 && !interface->GetSwappablePort(a2));
  EXPECT_TRUE(interface->RemoveSwappablePort(a1) && !interface->RemoveSwappablePort(a1));
  EXPECT_TRUE(u->InsertPort(a1) && !u->InsertPort(a1) && !a1->HasPortBundle(u)) << "one-sided";
}

// Members by exact index; a range belongs to one bus; sub-buses by range pointer, HasSubPortBus by value.
TEST_F(CellTest, BusMembersRangesAndSubBuses) {
  SInterface* interface = chip->CreateInterface();
  SPortBus* bus = interface->CreatePortBus("d");
  SPortBus* other = interface->CreatePortBus("e");
  SPortScalar* s = interface->CreatePortScalar("s");
  SPortScalar* t = interface->CreatePortScalar("t");
  EXPECT_TRUE(bus->SetPortScalar(3, s) && bus->SetPortScalar(-1, s) && !bus->SetPortScalar(3, t));
  EXPECT_TRUE(bus->GetPortScalar(3) == s && bus->GetPortScalar(-1) == s);
  EXPECT_TRUE(bus->RemovePortScalar(3) && bus->SetPortScalar(3, t) && !bus->RemovePortScalar(7));

  SRangeValue* r1 = bus->CreateIndicesRangeValue();
  SRangeValue* r2 = bus->CreateIndicesRangeValue();
  SRangeValue* foreign = other->CreateIndicesRangeValue();
  EXPECT_EQ(Items(bus->GetAllIndiceses()), (std::vector<SRangeValue*>{r2, r1}));
  EXPECT_TRUE(!bus->DestroyIndices(foreign) && !bus->HasIndices(foreign) && other->HasIndices(foreign));
  foreign->CreateLowerIntegerValue();  // still alive

  // r1 and r2 have the same (absent) bounds, so they match by value.
  EXPECT_TRUE(bus->SetSubPortBus(r1, other) && !bus->SetSubPortBus(r1, bus) && bus->HasSubPortBus(r2));
  EXPECT_TRUE(!bus->GetSubPortBus(r2) && !bus->RemoveSubPortBus(r2) && bus->GetSubPortBus(r1) == other);
  EXPECT_FALSE(bus->HasSubPortBus(foreign) || bus->HasSubPortBus(nullptr));
  EXPECT_TRUE(bus->DestroyIndices(r2));
  EXPECT_EQ(Items(bus->GetAllIndiceses()), (std::vector<SRangeValue*>{r1}));
  EXPECT_TRUE(bus->RemoveSubPortBus(r1) && !bus->HasSubPortBus(r1) && !bus->DestroyIndices(nullptr));
  EXPECT_TRUE(bus->SetSubPortBus(r1, other) && bus->DestroyIndices(r1) && bus->GetAllSubPortBi().empty());
}
