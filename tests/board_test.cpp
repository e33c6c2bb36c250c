// The board with parts and electrical data: what a restore sets, deletions.
#include "board_fixture.h"
#include "core/pool.h"
#include "file_test.h"

using namespace tavrin_test;

using BoardTest = FileTest;

// What a restore sets without reading it: back-pointers, counts, maps; an EBD pin a pair
// refers to comes back empty. The module's text (no accessor) is written back as read.
TEST_F(BoardTest, RestoredBoard) {
  SSession* s = Restored(ReadFile(TestData("board.tvn")));
  SProject* p = s->GetProject("B");
  SCell *chip = p->GetDesign("chip"), *top = p->GetDesign("top");
  ASSERT_TRUE(chip && top && chip->GetInstanceCount() == 3 && top->GetInstanceCount() == 0);
  auto* maps = dynamic_cast<SPinMappingLibrary*>(s->GetLibrary("maps"));
  ASSERT_TRUE(maps && maps->GetPinMapping("pmA") && maps->GetPinMapping("pmA")->GetPinMappingLibrary() == maps);
  SPart* part = SPart::Cast(chip->GetRepresentation("cp"));
  ASSERT_TRUE(part && part->GetCell() == chip && part->GetPartPin("1") && part->GetPartPin("1")->GetPart() == part);
  auto* brd = SModule::Cast(top->GetRepresentation("brd"));
  auto* u1 = brd ? SPartInstance::Cast(brd->GetCellInstance("U1")) : nullptr;
  ASSERT_TRUE(u1 && u1->GetCell() == chip);
  auto* u1a = SPortInstanceScalar::Cast(u1->GetPortInstance("1"));
  SPartPinInstance* ppi1 = u1->GetPartPinInstance("1");
  ASSERT_TRUE(u1a && ppi1 && u1a->GetCellInstance() == u1 && ppi1->GetPartInstance() == u1 &&
              brd->FindCorrespondingPartPinInstance(ppi1) == ppi1);
  auto* n1 = SNetScalar::Cast(brd->GetNet("N1"));
  ASSERT_TRUE(n1 && n1->NetConnectsToPin("R1", "1") == 1);
  SFromTo* ft = n1->GetFromTo("U2.1,U1.1");
  ASSERT_TRUE(ft && ft->GetNetScalar() == n1 && (*n1->GetAllSegments().begin())->GetNetScalar() == n1);
  SVirtualPin* v1 = n1->GetVirtualPin("V1");
  ASSERT_TRUE(v1 && v1->GetNetScalar() == n1);
  EXPECT_EQ(brd->GetAllCollections().size(), 4u) << "E1, E2, DR1, DR2";
  std::vector<SPin*> drPins = Items(SPinPair::Cast(brd->GetCollection("DR2"))->GetAllPins());
  SEbdPin* ebd = drPins.size() == 2 ? dynamic_cast<SEbdPin*>(drPins[1]) : nullptr;
  ASSERT_TRUE(ebd && drPins[0] == v1 && !ebd->GetName() && !ebd->GetPartInstance() && ebd->GetAllPins().empty());
  brd->RemoveElectrical();  // restored objects delete as new ones
  EXPECT_TRUE(!n1->GetElectricalNet() && n1->GetAllDriverReceiverPairs().empty() && brd->GetAllPinPairs().empty());
  EXPECT_TRUE(brd->DestroyCellInstance("U1") && chip->GetInstanceCount() == 2);

  const std::string edited = Edited("board.tvn", {{468, "5\nhello"}});  // the text before brd's index
  const std::string once = SaveOf(Restored(edited));
  EXPECT_NE(once.find("\n5\nhello\n2\n"), std::string::npos);
  EXPECT_EQ(SaveOf(Restored(once)), edited);
}

// Deleting a design uncounts the instances of all its views, parts and modules.
TEST_F(BoardTest, DestroyDesignUncountsEveryInstance) {
  BoardFixture b(session);
  SCell* other = b.project->CreateDesignCell("other");
  b.part->CreateModuleInstance("MI", other);
  b.part->CreatePartInstance("PI", other);
  EXPECT_TRUE(other->GetInstanceCount() == 2 && b.chip->GetInstanceCount() == 3);
  EXPECT_FALSE(b.project->DestroyDesign("chip")) << "instanced";
  EXPECT_TRUE(b.project->DestroyDesign("top") && b.chip->GetInstanceCount() == 0) << "U1, U2 and M1 of the module";
  EXPECT_TRUE(b.project->DestroyDesign("chip") && other->GetInstanceCount() == 0) << "MI and PI of the part";
  EXPECT_TRUE(b.project->DestroyDesign("other"));
}

// Discrete pin pairs go with the session's heap; destructors leave nothing behind (valgrind runs this).
TEST_F(BoardTest, DiscretePinPairsAndDestructors) {
  BoardFixture b(session);
  b.part->AddDiscretePinPair("a discrete pin pair text well beyond any short-string buffer");
  CStringList more;
  more.AddTail("3-4");
  more.AddTail(CString("5-6 and a text long enough to need a block of its own"));
  b.part->AddDiscretePinPair(more);
  EXPECT_TRUE(b.part->GetAllDiscretePinPairs().GetCount() == 3 && b.part->DestroyDiscretePinPair("3-4"));
  EXPECT_EQ(tavrin::BlockHeap(b.part->GetAllDiscretePinPairs().GetTailPosition()), heap)
      << "the list takes its blocks from the session heap";
  SSession* restored = Restored(SaveOf(session));
  SPart::Cast(restored->GetProject("B")->GetDesign("chip")->GetRepresentation("cp"))
      ->AddDiscretePinPair("restored parts take theirs from their own heap, which the session holds");
  EXPECT_TRUE(restored->GetProject("B")->DestroyDesign("top"));
  EXPECT_TRUE(b.project->DestroyDesign("top") && b.project->DestroyDesign("chip"));
}
