// Cells, interfaces and ports, representations, configurations, sheets and
// the designs and top cells of a project: takeover by name, unlinking versus
// deleting, instance counts, bus members and ranges, deletion outside a session.
#include "file_test.h"

using namespace tavrin_test;

namespace {

class CellTest : public FileTest {
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
// entry for it.
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
  SProject* p = new SProject();  // and a project its files and designs
  p->CreateFile("a")->SetAlias("x");
  SCell* d = p->CreateDesignCell("d");
  p->InsertTopCell(d);
  d->CreateConnectivityRepresentation("v")->CreateGenericCellInstance("u", p->CreateDesignCell("e"));
  delete p;
}

// Top cells: no duplicates; appended at the tail.
TEST_F(CellTest, TopCells) {
  SProject* p = project;
  EXPECT_TRUE(p->InsertTopCell(cell) && p->InsertTopCell(leaf) && p->RemoveTopCell(cell) && p->InsertTopCell(cell));
  EXPECT_FALSE(p->InsertTopCell(leaf) || p->RemoveTopCell(nullptr) || p->HasTopCell(nullptr));
  EXPECT_EQ(Items(p->GetAllTopCells()), (std::vector<SCell*>{leaf, cell}));
}

// A swappable port is one direction per entry, and a port with a partner
// refuses another; memberships are one-sided references. (Ports by name:
// named_family_test.)
TEST_F(CellTest, SwappablePortsAndMemberships) {
  SInterface* interface = cell->CreateInterface();
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

// Members by exact index (negative too), taken indices refused; ranges are
// owned by one bus; sub-buses are found by pointer except by HasSubPortBus,
// which matches by value, and a null range is never bound.
TEST_F(CellTest, BusMembersRangesAndSubBuses) {
  SInterface* interface = cell->CreateInterface();
  SPortBus* bus = interface->CreatePortBus("d");
  SPortBus* other = interface->CreatePortBus("e");
  SPortScalar* s = interface->CreatePortScalar("s");
  SPortScalar* t = interface->CreatePortScalar("t");
  EXPECT_EQ(bus->GetSize(), 0);
  bus->SetSize(8);
  EXPECT_TRUE(bus->GetSize() == 8 && bus->SetPortScalar(3, s) && bus->SetPortScalar(-1, s) && !bus->SetPortScalar(3, t));
  EXPECT_TRUE(bus->GetPortScalar(3) == s && bus->GetPortScalar(-1) == s);
  EXPECT_TRUE(bus->RemovePortScalar(3) && bus->SetPortScalar(3, t) && !bus->RemovePortScalar(7));

  SRangeValue* r1 = bus->CreateIndicesRangeValue();
  SRangeValue* r2 = bus->CreateIndicesRangeValue();
  SRangeValue* foreign = other->CreateIndicesRangeValue();
  ASSERT_TRUE(r1 && r2 && foreign);
  EXPECT_EQ(Items(bus->GetAllIndiceses()), (std::vector<SRangeValue*>{r2, r1}));
  EXPECT_TRUE(!bus->DestroyIndices(foreign) && !bus->HasIndices(foreign) && other->HasIndices(foreign));
  foreign->CreateLowerIntegerValue();  // still alive

  // r1 and r2 have the same (absent) bounds, so they match by value.
  EXPECT_TRUE(bus->SetSubPortBus(r1, other) && !bus->SetSubPortBus(r1, bus) && bus->HasSubPortBus(r2));
  EXPECT_TRUE(!bus->GetSubPortBus(r2) && !bus->RemoveSubPortBus(r2) && bus->GetSubPortBus(r1) == other);
  EXPECT_FALSE(bus->HasSubPortBus(foreign) || bus->HasSubPortBus(nullptr));
  EXPECT_TRUE(bus->DestroyIndices(r2));
  EXPECT_EQ(Items(bus->GetAllIndiceses()), (std::vector<SRangeValue*>{r1}));
  EXPECT_TRUE(bus->RemoveSubPortBus(r1));
  EXPECT_FALSE(bus->HasSubPortBus(r1) || bus->DestroyIndices(nullptr));
  EXPECT_TRUE(bus->SetSubPortBus(r1, other) && bus->DestroyIndices(r1) && bus->GetAllSubPortBi().empty());
}
