// Modules and their physical representation: collections in one name space,
// removing the electrical data, the part-instance index, package types,
// differential pairs in both forms, layouts, the module list of a cell; the
// module through files (round trips, forward references, damage, cuts).
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

// One name space over three kinds: a lookup of the wrong kind is null, a
// later collection takes the name over while both stay listed, Destroy
// unlinks from the map and the kind list of the class found.
TEST_F(ModuleTest, CollectionsShareOneNameSpace) {
  SElectricalNet* e = m->CreateElectricalNet("X");
  SPinPair* p = m->CreatePinPair("X");
  ASSERT_TRUE(e && p);
  EXPECT_TRUE(m->GetCollection("X") == p && !m->GetElectricalNet("X") && !m->GetDiffPair("X"));
  EXPECT_EQ(Items(m->GetAllElectricalNets()), (std::vector<SElectricalNet*>{e}));
  EXPECT_TRUE(m->DestroyCollection("X") && m->GetAllPinPairs().empty());
  EXPECT_EQ(m->GetAllElectricalNets().size(), 1u) << "the net that lost its name stays listed";
  EXPECT_FALSE(m->DestroyCollection("X") || m->DestroyCollection(nullptr));
  delete p;
  SDiffPair* d = m->CreateDiffPair("D");
  EXPECT_TRUE(d && m->GetDiffPair("D") == d && m->DestroyCollection("D") && m->GetAllDiffPairs().empty());
  delete d;
}

// Rename moves the entry found by the old name, whatever it holds; a name
// that is not a key changes nothing; the new name takes over its entry.
TEST_F(ModuleTest, RenameCollection) {
  SElectricalNet* a = m->CreateElectricalNet("A");
  SElectricalNet* b = m->CreateElectricalNet("B");
  EXPECT_TRUE(m->RenameCollection(a, "C"));
  EXPECT_TRUE(!m->HasCollection("A") && m->GetCollection("C") == a && !strcmp(a->GetName(), "C"));
  // The new name takes over B's entry; B stays listed.
  EXPECT_TRUE(m->RenameCollection(a, "B"));
  EXPECT_TRUE(m->GetCollection("B") == a && !m->HasCollection("C") && m->GetAllCollections().size() == 1);
  // b's name files a, so renaming b moves a's entry and b takes it.
  EXPECT_TRUE(m->RenameCollection(b, "E"));
  EXPECT_TRUE(m->GetCollection("E") == b && !m->HasCollection("B") && m->GetAllCollections().size() == 1);
  EXPECT_STREQ(a->GetName(), "B");
  // a's name is no key any more: nothing changes.
  EXPECT_FALSE(m->RenameCollection(a, "F"));
  EXPECT_STREQ(a->GetName(), "B");
  EXPECT_FALSE(m->RenameCollection(b, nullptr) || m->RenameCollection(nullptr, "G"));
  EXPECT_EQ(m->GetCollection("E"), b);
  EXPECT_EQ(m->GetAllElectricalNets().size(), 2u);
  // Out of memory for a longer name: the name and the entry stay.
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

// A new layout replaces the old one, a failed create keeps it; modules
// keep creation order and the first view becomes the default.
TEST_F(ModuleTest, LayoutsAndModules) {
  EXPECT_TRUE(m->DestroyLayout() && m->CreateLayout());
  SLayout* second = m->CreateLayout();
  {
    Starve(heap);
    FailAfter fail(1);
    EXPECT_EQ(m->CreateLayout(), nullptr);
  }
  EXPECT_EQ(m->GetLayout(), second);
  SModule* m2 = board->CreateModule("M2");
  SModule* m3 = board->CreateModule("M3");
  EXPECT_EQ(Items(board->GetAllModules()), (std::vector<SModule*>{m, m2, m3}));
  EXPECT_TRUE(board->GetDefaultRepresentation() == m && board->DestroyRepresentation("M2"));
  EXPECT_EQ(Items(board->GetAllModules()), (std::vector<SModule*>{m, m3}));
  delete m2;
}

// The index files an instance under its own name; the name given is only
// tested. Removing leaves the instance in its representation.
TEST_F(ModuleTest, PartInstanceIndex) {
  SPartInstance* b = m->CreatePartInstance("B", chip);
  SPartInstance* c = m->CreatePartInstance("C", chip);
  ASSERT_TRUE(b && c);
  EXPECT_TRUE(m->SetPartInstance("A", b));
  EXPECT_TRUE(m->GetPartInstance("B") == b && !m->HasPartInstance("A"));
  EXPECT_TRUE(m->SetPartInstance("A", c)) << "A is still free";
  EXPECT_FALSE(m->SetPartInstance("B", c) || m->SetPartInstance("Z", nullptr) || m->SetPartInstance(nullptr, c));
  EXPECT_EQ(m->GetAllPartInstances().size(), 2u);
  EXPECT_TRUE(m->RemovePartInstance("B") && !m->RemovePartInstance("B") && !m->RemovePartInstance(nullptr));
  EXPECT_EQ(m->GetCellInstance("B"), b);
  EXPECT_EQ(m->SRepresentation::GetAllPartInstances().size(), 2u);
  EXPECT_FALSE(m->HasPartInstance(nullptr) || m->GetPartInstance(nullptr));
}

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

  // An instance without a cell has only its own package type.
  SPartInstance* w = new (heap) SPartInstance();
  w->SetName("W");
  ASSERT_TRUE(m->SetPartInstance("W", w));
  EXPECT_EQ(m->FindPartInstance("W", "SO8"), nullptr);
  w->SetAttribute("PKG_TYPE", "SO8");
  EXPECT_EQ(m->FindPartInstance("W", "SO8"), w);
  EXPECT_TRUE(m->RemovePartInstance("W"));
  delete w;
}

// The pin instance of the same instance name and pin name in this module's
// index; anything missing on the way gives null.
TEST_F(ModuleTest, CorrespondingPartPinInstance) {
  SPartInstance* mine = m->CreatePartInstance("U1", chip);
  SPartInstance* theirs = board->CreateModule("M2")->CreatePartInstance("U1", chip);
  SPartPinInstance* mp = mine->CreatePartPinInstance("1");
  SPartPinInstance* tp = theirs->CreatePartPinInstance("1");
  SPartPinInstance* t2 = theirs->CreatePartPinInstance("2");
  EXPECT_EQ(m->FindCorrespondingPartPinInstance(tp), nullptr) << "U1 is not indexed yet";
  ASSERT_TRUE(m->SetPartInstance("U1", mine));
  EXPECT_TRUE(m->FindCorrespondingPartPinInstance(tp) == mp && !m->FindCorrespondingPartPinInstance(t2));
  SPartPinInstance loose;
  loose.SetName("1");
  EXPECT_EQ(m->FindCorrespondingPartPinInstance(&loose), nullptr) << "no part instance";
}

// By net name: both nets or none; each names the other; the module finds
// the partner, never a bus. As objects: both electrical nets or nothing.
TEST_F(ModuleTest, DifferentialPairs) {
  SNetScalar *p = m->CreateNetScalar("P"), *n = m->CreateNetScalar("N");
  m->CreateNetBus("B");
  EXPECT_FALSE(m->CreateDiffPair("P", "missing") || m->CreateDiffPair("P", "B") || p->GetDiffNet());
  EXPECT_TRUE(m->CreateDiffPair("P", "N") && !strcmp(p->GetDiffNet(), "N") && !strcmp(n->GetDiffNet(), "P"));
  EXPECT_TRUE(p->GetDiffNet(m) == n && n->GetDiffNet(m) == p && !p->GetDiffNet(board->CreateModule("M2")));
  p->SetDiffNet("B");
  EXPECT_EQ(p->GetDiffNet(m), nullptr) << "a bus is no partner";
  EXPECT_TRUE(!m->DeleteDiffPair("P", "missing") && m->DeleteDiffPair("P", "N") && !p->GetDiffNet() && !n->GetDiffNet());
  SElectricalNet *ep = m->CreateElectricalNet("EP"), *en = m->CreateElectricalNet("EN");
  EXPECT_FALSE(m->CreateDiffPair2("D", ep, nullptr) || m->CreateDiffPair2("D", "EP", "missing") || m->HasCollection("D"));
  SDiffPair* d = m->CreateDiffPair2("D", "EP", "EN");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(Items(d->GetAllElectricalNets()), (std::vector<SElectricalNet*>{en, ep}));
  EXPECT_TRUE(m->GetDiffPair2("D") == d && !m->GetDiffPair2("EP") && !m->DeleteDiffPair2("EP"));
  EXPECT_TRUE(m->DeleteDiffPair2("D") && !m->DeleteDiffPair2("D") && m->GetAllDiffPairs().empty());
  delete d;
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

// A damaged module file is refused and leaves the session as it was: a
// layout of another class, a layout with a stack-up, an index key twice,
// and every cut of the file.
TEST_F(ModuleFileTest, DamageLeavesTheSession) {
  Build();
  const std::string file = SaveOf(session);
  const std::string before = file;
  auto refused = [&](const std::string& bytes, const std::string& what) {
    EXPECT_EQ(Restore(session, bytes), 0) << what;
    EXPECT_EQ(SaveOf(session), before) << what;
  };
  const std::size_t id = LineOf(file, "4242");
  const std::vector<std::string> lines = DataLines(file);
  const std::string moduleRef = lines.at(LineOf(file, "M1") - 3);  // reference, client flags, name length
  refused(WithLine(file, id + 1, moduleRef), "a module as the layout");
  ASSERT_EQ(lines.at(id + 2), "5151");
  refused(WithLine(file, id + 3, lines.at(id + 1)), "a stack-up");
  refused(WithLine(file, id - 4, "2"), "an index count beyond its entries");
  refused(WithLine(file, id - 3, "1"), "an index key cut short");

  for (std::size_t n = 0; n < file.size(); ++n) {
    ASSERT_EQ(Restore(session, file.substr(0, n)), 0) << "cut at " << n;
    if (n % 97 == 0) {
      ASSERT_EQ(SaveOf(session), before) << "cut at " << n;
    }
  }
  EXPECT_EQ(SaveOf(session), before);
}

// An index entry of another class is skipped; the rest of the module reads.
TEST_F(ModuleFileTest, IndexEntryOfAnotherClass) {
  Build();
  const std::string file = SaveOf(session);
  const std::size_t id = LineOf(file, "4242");
  const std::string moduleRef = DataLines(file).at(LineOf(file, "M1") - 3);
  SSession* s = Restored(WithLine(file, id - 1, moduleRef));
  SModule* r1 = SModule::Cast(s->GetProject("P")->GetDesign("board")->GetRepresentation("M1"));
  ASSERT_NE(r1, nullptr);
  EXPECT_TRUE(r1->GetAllPartInstances().empty() && r1->GetId() == 4242 && r1->GetLayout());
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
