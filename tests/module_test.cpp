// Modules: renaming collections, removing the electrical data, package
// types; the module through files (round trips, forward references, the
// text written back, damage, cuts, memory running out).
#include <cstring>

#include "file_test.h"

using namespace tavrin_test;

namespace {

class ModuleTest : public FileTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    project = session->CreateProject("P");
    board = project->CreateDesignCell("board");
    chip = project->CreateDesignCell("chip");
    m = board->CreateModule("M1");
    ASSERT_NE(m, nullptr);
  }
  SProject* project = nullptr;
  SCell* board = nullptr;
  SCell* chip = nullptr;
  SModule* m = nullptr;
};

// The index (from 0) of the first data line of a saved file equal to `text`.
std::size_t LineOf(const std::string& file, const std::string& text) { return tavrin_test::LineOf(DataLines(file), text); }

std::string WithLine(const std::string& file, std::size_t at, const std::string& text) {
  return Reframe(file, [&](std::vector<std::string>& data) { data.at(at) = text; });
}

}  // namespace

// ---- collections -----------------------------------------------------------------------

// Rename moves the entry found by the old name, whatever it holds; a name
// that is not a key changes nothing; out of memory for a longer name, the
// name and the entry stay.
TEST_F(ModuleTest, RenameCollection) {
  SElectricalNet* a = m->CreateElectricalNet("A");
  SElectricalNet* b = m->CreateElectricalNet("B");
  EXPECT_TRUE(m->RenameCollection(a, "B"));
  EXPECT_TRUE(m->GetCollection("B") == a && !m->HasCollection("A") && m->GetAllCollections().size() == 1);
  // b's name files a, so renaming b moves a's entry and b takes it.
  EXPECT_TRUE(m->RenameCollection(b, "E") && m->GetCollection("E") == b && !strcmp(a->GetName(), "B"));
  EXPECT_FALSE(m->RenameCollection(a, "F") || m->RenameCollection(b, nullptr) || m->RenameCollection(nullptr, "G"));
  EXPECT_STREQ(a->GetName(), "B");
  {
    Starve(heap);
    FailAfter fail(1);
    EXPECT_FALSE(m->RenameCollection(b, "a much longer name than the block of E can hold"));
  }
  EXPECT_TRUE(m->GetCollection("E") == b && !strcmp(b->GetName(), "E"));
}

// Nothing of the view keeps pointing at what RemoveElectrical deletes, and
// what belongs elsewhere is left alone.
TEST_F(ModuleTest, RemoveElectrical) {
  SNetScalar *n1 = m->CreateNetScalar("n1"), *n2 = m->CreateNetScalar("n2"), *n3 = m->CreateNetScalar("n3");
  SNetScalar* n4 = m->CreateNetScalar("n4");
  SModule* other = board->CreateModule("M2");
  SElectricalNet* foreign = other->CreateElectricalNet("F");
  SElectricalNet* e = m->CreateElectricalNet("E");
  SElectricalNet* e2 = m->CreateElectricalNet("E2");
  SPinPair* pp = m->CreatePinPair("PP");
  SPinPair* owned = e->CreatePinPair("own");  // deleted with e
  SDiffPair* d = m->CreateDiffPair2("D", e, e2);
  ASSERT_TRUE(d && owned);
  EXPECT_TRUE(e->InsertNetScalar(n1) && e->InsertNetScalar(n2) && e->InsertNetScalar(n4));
  n1->SetElectricalNet(e);
  n2->SetElectricalNet(e);
  n3->SetElectricalNet(e2);  // not listed by e2
  n4->SetElectricalNet(foreign);  // listed by e, but belongs to another view's net
  EXPECT_TRUE(n1->InsertDriverReceiverPair(pp) && n2->InsertDriverReceiverPair(owned));
  SPinPair* kept = other->CreatePinPair("K");
  EXPECT_TRUE(n2->InsertDriverReceiverPair(kept));

  m->RemoveElectrical();
  EXPECT_TRUE(!n1->GetElectricalNet() && !n2->GetElectricalNet() && !n3->GetElectricalNet());
  EXPECT_EQ(n4->GetElectricalNet(), foreign);
  EXPECT_TRUE(n1->GetAllDriverReceiverPairs().empty());
  EXPECT_EQ(Items(n2->GetAllDriverReceiverPairs()), (std::vector<SPinPair*>{kept}));
  EXPECT_TRUE(m->GetAllElectricalNets().empty() && m->GetAllPinPairs().empty() && m->GetAllCollections().empty());
  EXPECT_EQ(Items(m->GetAllDiffPairs()), (std::vector<SDiffPair*>{d}));
  EXPECT_TRUE(d->GetAllElectricalNets().empty());
  EXPECT_EQ(m->GetDiffPair2("D"), nullptr);
  EXPECT_EQ(other->GetAllElectricalNets().size(), 1u);
  // The view saves without meeting anything deleted.
  EXPECT_FALSE(SaveOf(session).empty());
}

// ---- module operations -------------------------------------------------------------------------

// An empty package type finds any instance; otherwise the instance's
// PKG_TYPE wins over its cell's, and it must be an equal string.
TEST_F(ModuleTest, FindPartInstanceByPackageType) {
  SPartInstance* u = m->CreatePartInstance("U", chip);
  ASSERT_TRUE(m->SetPartInstance("U", u));
  EXPECT_TRUE(m->FindPartInstance("U", "") == u && m->FindPartInstance("U", nullptr) == u);
  EXPECT_EQ(m->FindPartInstance("U", "SO8"), nullptr);
  EXPECT_EQ(m->FindPartInstance("V", ""), nullptr);
  chip->SetAttribute("PKG_TYPE", "SO8");
  EXPECT_EQ(m->FindPartInstance("U", "SO8"), u);
  EXPECT_EQ(m->FindPartInstance("U", "so8"), nullptr);
  u->SetAttribute("PKG_TYPE", "DIP8");
  EXPECT_TRUE(m->FindPartInstance("U", "DIP8") == u && !m->FindPartInstance("U", "SO8"));
  u->CreateAttribute("PKG_TYPE")->CreateIntegerValue();  // the newest assignment is found first
  EXPECT_EQ(m->FindPartInstance("U", "DIP8"), nullptr);

}

// ---- files -----------------------------------------------------------------------------------

class ModuleFileTest : public ModuleTest {
 protected:
  // M1 (id 4242, layout id 5151): net scalars n1, n2 (partners by name, not
  // saved); electrical net E (id 61) with both and the driver-receiver pair
  // PP; pin pair PP of n1 and E, also n1's driver-receiver pair; a
  // differential pair D (not saved); an index entry for U9, an instance of
  // M2, which the file holds after M1. M2 (id 4343): part instance U9.
  void Build() {
    n1 = m->CreateNetScalar("n1");
    n2 = m->CreateNetScalar("n2");
    e = m->CreateElectricalNet("E");
    pp = m->CreatePinPair("PP");
    e->InsertNetScalar(n1);
    e->InsertNetScalar(n2);
    e->InsertDriverReceiverPair(pp);
    e->SetId(61);
    n1->SetElectricalNet(e);
    n1->InsertDriverReceiverPair(pp);
    pp->SetNetScalar(n1);
    pp->SetElectricalNet(e);
    m->CreateDiffPair2("D", e, e);
    m->CreateDiffPair(n1, n2);
    m->SetId(4242);
    m->CreateLayout()->SetId(5151);
    m2 = board->CreateModule("M2");
    m2->SetId(4343);
    u9 = m2->CreatePartInstance("U9", chip);
    ASSERT_TRUE(m->SetPartInstance("U9", u9));
  }
  SModule* m2 = nullptr;
  SNetScalar *n1 = nullptr, *n2 = nullptr;
  SElectricalNet* e = nullptr;
  SPinPair* pp = nullptr;
  SPartInstance* u9 = nullptr;
};

TEST_F(ModuleFileTest, RoundTrip) {
  Build();
  const std::string first = SaveOf(session);
  SSession* s = Restored(first);
  SCell* b = s->GetProject("P")->GetDesign("board");
  SModule* r1 = SModule::Cast(b->GetRepresentation("M1"));
  SModule* r2 = SModule::Cast(b->GetRepresentation("M2"));
  ASSERT_TRUE(r1 && r2);
  // The index found its instance, read later, under the key.
  SPartInstance* ru9 = r1->GetPartInstance("U9");
  EXPECT_TRUE(ru9 && static_cast<SCellInstance*>(ru9) == r2->GetCellInstance("U9"));
  // Not saved: differential pairs and partners by name.
  EXPECT_TRUE(r1->GetAllDiffPairs().empty() && !r1->HasCollection("D") && !SNetScalar::Cast(r1->GetNet("n1"))->GetDiffNet());
  const std::string second = SaveOf(s);
  EXPECT_NE(second, first) << "the module list comes back reversed";
  EXPECT_EQ(SaveOf(Restored(second)), first);
}

// The text has no accessor: what a file holds is written back.
TEST_F(ModuleFileTest, TextWrittenBack) {
  Build();
  const std::string file = SaveOf(session);
  const std::size_t id = LineOf(file, "4242");
  ASSERT_EQ(DataLines(file).at(id - 5), "0") << "the text before the index (count, key, reference)";
  const std::string edited = WithLine(file, id - 5, "5\nhello");
  const std::string once = SaveOf(Restored(edited));
  EXPECT_NE(once.find("\n5\nhello\n"), std::string::npos);
  EXPECT_EQ(SaveOf(Restored(once)), edited);
}

// Memory running out anywhere in the restore of a module leaves the session.
TEST_F(ModuleFileTest, ExhaustionLeavesTheSession) {
  Build();
  const std::string file = SaveOf(session);
  int failures = 0;
  for (long k = 1; k < 300; ++k) {
    Starve(heap);
    int r;
    {
      FailAfter fail(k);
      r = Restore(session, file);
    }
    if (r) break;
    ++failures;
    ASSERT_EQ(SaveOf(session), file) << "failing allocation " << k;
  }
  EXPECT_GE(failures, 3);
}
