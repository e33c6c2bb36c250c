// The golden boards through files: round trips, cuts, damage, memory running out; what a restore sets.
#include <functional>

#include "board_fixture.h"
#include "file_test.h"

using namespace tavrin_test;

namespace {

class HierarchyTest : public FileTest {
 protected:
  std::string SaveOf(SSession* s) {
    Fingerprint(s);
    return FileTest::SaveOf(s);
  }
};

// A golden board, its builder and damage (lines as an editor numbers them) a restore refuses.
struct Board {
  const char* file;
  std::function<void(SSession*)> build;
  std::vector<std::pair<const char*, Edits>> damage;
};

const Board kBoards[] = {
    {"hierarchy.tvn", [](SSession* s) { HierarchyBoard b(s); },
     {{"an instance claimed twice", {{134, "10"}}},
      {"a reference one past the object table", {{114, "41"}}},
      {"a schematic view in the connectivity list", {{56, "4"}}},
      {"a port as the interface", {{539, "38"}}},
      {"an integer value as a range", {{604, "40"}}},
      {"a node as a segment", {{288, "18"}}},
      {"an integer value as a position", {{322, "32"}}},
      {"the X value claimed again as Y", {{325, "28"}}},
      {"a port instance as a slot instance", {{211, "13"}}},
      {"a design key read twice", {{497, "5"}, {498, "board"}}},
      {"a count beyond the file", {{230, "2147483647"}}},
      {"a module", {{95, "1"}}},
      {"a part instance", {{88, "1"}}},
      {"an OAT context", {{93, "1"}}},
      {"a driver-receiver pair", {{250, "1"}}},
      {"a from-to", {{255, "1"}}},
      {"a routed from-to", {{256, "1"}}},
      {"a virtual pin", {{257, "1"}}}}},
    {"board.tvn", [](SSession* s) { BoardFixture b(s); },
     {{"a pin pair claimed twice", {{453, "22"}}},
      {"an electrical net claimed as a pin pair", {{438, "21"}}},
      {"a layout of another class", {{477, "19"}}},
      {"a part pin instance claimed by two part instances", {{121, "18"}}},
      {"a part pin claimed twice", {{606, "20"}}},
      {"a pin mapping claimed twice", {{685, "38"}}},
      {"a connector pin instance as an electrical net", {{409, "19"}}},
      {"a from-to key read twice", {{327, "U2.1,V1"}, {326, "7"}}},
      {"a stack-up", {{479, "1"}}}}},
    {"libraries_full.tvn", [](SSession* s) { LibraryBoard b(s); },
     {{"a pad claimed twice (PIN's pad as VIA's pad 1)", {{419, "31"}}},
      {"a package pin claimed twice (DIP's as SO8's)", {{333, "23"}}},
      {"a package in a pad-stack library", {{401, "18"}}}}},
    {"stackup.tvn", [](SSession* s) { StackBoard b(s); },
     {{"a null layer in the layers", {{149, "0"}}},
      {"a region claimed twice (S2 as S1)", {{276, "6"}}},
      {"a power-plane region (PG) as a signal region", {{276, "9"}}},
      {"a signal region (S2) as a power-plane region", {{236, "19"}}}}},
    {"contexts.tvn", [](SSession* s) { ContextSession b(s); },
     {{"a property claimed twice", {{108, "11"}}},
      {"a null property", {{102, "0"}}},
      {"a string value as a property", {{102, "13"}}}}},
};

}  // namespace

TEST_F(HierarchyTest, GoldenFilesCutsAndExhaustion) {
  for (const auto& board : kBoards) {
    SCOPED_TRACE(board.file);
    delete session;
    session = AllocSession();
    heap = session->GetHeap();
    board.build(session);
    const std::string golden = ReadFile(TestData(board.file)), before = Fingerprint(session);
    ASSERT_EQ(SaveOf(session), golden);
    const std::string reversed = SaveOf(Restored(golden));
    EXPECT_NE(reversed, golden);
    EXPECT_EQ(SaveOf(Restored(reversed)), golden);
    // Every cut of the data section, in a frame that fits it.
    for (std::size_t n = 0; n < DataLines(golden).size(); ++n) {
      ASSERT_EQ(Restore(session, Reframe(golden, [n](Strings& d) { d.resize(n); })), 0) << "cut at line " << n;
      ASSERT_EQ(Fingerprint(session), before) << "cut at line " << n;
    }
    for (const auto& c : board.damage) {
      EXPECT_EQ(Restore(session, Edited(board.file, c.second)), 0) << c.first;
      ASSERT_EQ(Fingerprint(session), before) << c.first;
    }
    int failures = 0;
    for (long k = 1; k < 1000; ++k) {
      Starve(heap);
      int r;
      {
        FailAfter fail(k);
        r = Restore(session, golden);
      }
      if (r) break;
      ++failures;
      ASSERT_EQ(Fingerprint(session), before) << "failing allocation " << k;
    }
    EXPECT_GE(failures, 3);
  }
  // A distinct id in every field, the libraries' too, reads in its own place.
  const std::string ids = ReadFile(TestData("libraries_ids.tvn"));
  EXPECT_EQ(SaveOf(Restored(SaveOf(Restored(ids)))), ids);
}

// What a restore sets without reading it: back-pointers, instance counts,
// defaults (the partner net name is not saved); restored objects delete as new ones.
TEST_F(HierarchyTest, RestoredBoard) {
  HierarchyBoard orig(session);
  orig.n1->SetDiffNet("N2");
  SSession* s = Restored(SaveOf(session));
  SProject* p = s->GetProject("P");
  SCell *board = p->GetDesign("board"), *leaf = p->GetDesign("leaf");
  ASSERT_TRUE(board && leaf && board->GetProject() == p);
  SInterface* i = leaf->GetInterface();
  ASSERT_TRUE(i && i->GetCell() == leaf && i->GetPort("A")->GetInterface() == i &&
              leaf->GetMemberSlot(2)->GetAggregateCell() == leaf);
  SRepresentation* lc = leaf->GetRepresentation("lc");
  auto* sch = SSchematicRepresentation::Cast(board->GetRepresentation("sch"));
  ASSERT_TRUE(lc && lc->GetCell() == leaf && sch && sch->GetCell() == board);
  auto* u1 = SGenericCellInstance::Cast(sch->GetCellInstance("U1"));
  ASSERT_TRUE(u1 && u1->GetPortInstance("A")->GetCellInstance() == u1);
  SSlotInstance* si = u1->GetMemberSlotInstance(2);
  ASSERT_TRUE(si && si->GetAggregateCellInstance() == u1 && sch->GetSchematicSheet(1)->GetSchematicRepresentation() == sch);
  SConfiguration* cfg = sch->GetConfiguration("cfg");
  ASSERT_TRUE(cfg && cfg->GetRepresentation() == sch);
  EXPECT_EQ(cfg->GetSelectedRepresentation(u1), lc);
  EXPECT_EQ(SCellInstance::Cast(sch->GetCellInstance("U2"))->GetAggregateSlotInstance(sch), si);
  auto* n1 = SNetScalar::Cast(sch->GetNet("N1"));
  ASSERT_TRUE(n1 && !n1->GetDiffNet());
  EXPECT_STREQ(sch->GetNet("N2")->GetUID(), "N2") << "no UID: the name";
  EXPECT_EQ((*n1->GetAllPhysicalNodes().begin())->GetNetScalar(), n1);

  EXPECT_TRUE(sch->DestroyCellInstance("U1") && leaf->GetInstanceCount() == 2 && cfg->GetAllSelectedRepresentations().empty());
  EXPECT_FALSE(p->DestroyDesign("leaf"));
  EXPECT_TRUE(p->DestroyDesign("board") && leaf->GetInstanceCount() == 0 && p->GetAllTopCells().empty());
  EXPECT_TRUE(p->DestroyDesign("leaf") && p->GetAllDesigns().empty());
}

// Ids read back; of two children of one name both are saved, and after a restore the name finds the one read last.
TEST_F(HierarchyTest, IdsTakenOverNamesAndReferencesOfAnotherClass) {
  SCell* rb = Restored(Edited("hierarchy.tvn", {{54, "54007"}, {496, "496007"}}))->GetProject("P")->GetDesign("board");
  EXPECT_TRUE(rb && rb->GetId() == 54007 && rb->GetMemberSlot(1)->GetId() == 496007);
  HierarchyBoard h(session);
  h.iface->CreatePortScalar("A")->SetSignalType(static_cast<TavrinPortType>(5));
  h.sch->CreateNetBus("N1");
  SSession* s = Restored(SaveOf(session));
  SCell* leaf = s->GetProject("P")->GetDesign("leaf");
  SRepresentation* sch = s->GetProject("P")->GetDesign("board")->GetRepresentation("sch");
  EXPECT_EQ(Names(leaf->GetInterface()->GetAllPortScalars()), (Strings{"A", "B", "A"}));
  EXPECT_EQ(leaf->GetInterface()->GetPort("A")->GetSignalType(), 2);
  EXPECT_TRUE(SNetBus::Cast(sch->GetNet("N1")) && sch->GetAllNetScalars().size() == 2) << "buses are read after scalars";

  // A segment's region or a node's pad stack of another class reads as null.
  s = Restored(Edited("hierarchy.tvn", {{292, "17"}, {316, "13"}}));
  SNetScalar* n1 = SNetScalar::Cast(s->GetProject("P")->GetDesign("board")->GetRepresentation("sch")->GetNet("N1"));
  ASSERT_NE(n1, nullptr);
  for (auto it = n1->GetAllSegments().begin(); it != n1->GetAllSegments().end(); ++it)
    EXPECT_EQ((*it)->GetRegion(), nullptr);
  EXPECT_EQ((*n1->GetAllPhysicalNodes().begin())->GetPadStack(), nullptr);
}
