// Modules: renaming collections, removing the electrical data, package types.
#include <cstring>

#include "file_test.h"

using namespace tavrin_test;

using ModuleTest = SceneTest;

// Rename moves the entry found by the old name, whatever it holds; out of memory, name and entry stay.
TEST_F(ModuleTest, RenameCollection) {
  SElectricalNet* a = m->CreateElectricalNet("A");
  SElectricalNet* b = m->CreateElectricalNet("B");
  EXPECT_TRUE(m->RenameCollection(a, "B") && m->GetCollection("B") == a && !m->HasCollection("A") &&
              m->GetAllCollections().size() == 1);
  // b's name files a, so renaming b moves a's entry and b takes it.
  EXPECT_TRUE(m->RenameCollection(b, "E") && m->GetCollection("E") == b && !strcmp(a->GetName(), "B"));
  EXPECT_FALSE(m->RenameCollection(a, "F") || m->RenameCollection(b, nullptr) || m->RenameCollection(nullptr, "G"));
  EXPECT_STREQ(a->GetName(), "B");
  EXPECT_GT(EachFailure(heap, [&] { return m->RenameCollection(b, "a much longer name than the block of E can hold"); },
                        [&] { return std::string(b->GetName()) + (m->GetCollection("E") == b ? " filed" : ""); }), 0);
}

// Nothing keeps pointing at what RemoveElectrical deletes; other views' data stays.
TEST_F(ModuleTest, RemoveElectrical) {
  SNetScalar *n1 = m->CreateNetScalar("n1"), *n2 = m->CreateNetScalar("n2"), *n3 = m->CreateNetScalar("n3"),
             *n4 = m->CreateNetScalar("n4");
  SModule* other = top->CreateModule("M2");
  SElectricalNet* foreign = other->CreateElectricalNet("F");
  SElectricalNet *e = m->CreateElectricalNet("E"), *e2 = m->CreateElectricalNet("E2");
  SPinPair *pp = m->CreatePinPair("PP"), *kept = other->CreatePinPair("K");
  SPinPair* owned = e->CreatePinPair("own");  // deleted with e
  SDiffPair* d = m->CreateDiffPair2("D", e, e2);
  ASSERT_TRUE(d && owned);
  EXPECT_TRUE(e->InsertNetScalar(n1) && e->InsertNetScalar(n2) && e->InsertNetScalar(n4));
  n1->SetElectricalNet(e);
  n2->SetElectricalNet(e);
  n3->SetElectricalNet(e2);  // not listed by e2
  n4->SetElectricalNet(foreign);  // listed by e, but belongs to another view's net
  EXPECT_TRUE(n1->InsertDriverReceiverPair(pp) && n2->InsertDriverReceiverPair(owned) && n2->InsertDriverReceiverPair(kept));

  m->RemoveElectrical();
  EXPECT_TRUE(!n1->GetElectricalNet() && !n2->GetElectricalNet() && !n3->GetElectricalNet());
  EXPECT_TRUE(n4->GetElectricalNet() == foreign && n1->GetAllDriverReceiverPairs().empty());
  EXPECT_EQ(Items(n2->GetAllDriverReceiverPairs()), (std::vector<SPinPair*>{kept}));
  EXPECT_TRUE(m->GetAllElectricalNets().empty() && m->GetAllPinPairs().empty() && m->GetAllCollections().empty());
  EXPECT_EQ(Items(m->GetAllDiffPairs()), (std::vector<SDiffPair*>{d}));
  EXPECT_TRUE(d->GetAllElectricalNets().empty() && !m->GetDiffPair2("D") && other->GetAllElectricalNets().size() == 1);
  EXPECT_FALSE(SaveOf(session).empty()) << "the view saves without meeting anything deleted";
}

// An empty package type finds any instance; the instance's PKG_TYPE wins over its cell's.
TEST_F(ModuleTest, FindPartInstanceByPackageType) {
  SPartInstance* u = m->CreatePartInstance("U", chip);
  ASSERT_TRUE(m->SetPartInstance("U", u));
  EXPECT_TRUE(m->FindPartInstance("U", "") == u && m->FindPartInstance("U", nullptr) == u);
  EXPECT_FALSE(m->FindPartInstance("U", "SO8") || m->FindPartInstance("V", ""));
  chip->SetAttribute("PKG_TYPE", "SO8");
  EXPECT_TRUE(m->FindPartInstance("U", "SO8") == u && !m->FindPartInstance("U", "so8"));
  u->SetAttribute("PKG_TYPE", "DIP8");
  EXPECT_TRUE(m->FindPartInstance("U", "DIP8") == u && !m->FindPartInstance("U", "SO8"));
  u->CreateAttribute("PKG_TYPE")->CreateIntegerValue();  // the newest assignment is found first
  EXPECT_EQ(m->FindPartInstance("U", "DIP8"), nullptr);
}

