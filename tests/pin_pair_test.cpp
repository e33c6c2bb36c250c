// Pin pairs, from-tos, virtual pins and EBD pins.
#include <algorithm>

#include "file_test.h"
#include "test_element.h"

using namespace tavrin_test;

namespace {

using PinPairTest = ElementTest;

// Only an electrical net's pin pairs know it; a pin pair in both maps is deleted once.
TEST_F(PinPairTest, ElectricalNetAndDiffPair) {
  SElectricalNet* en = new (heap) SElectricalNet();
  SDiffPair* dp = new (heap) SDiffPair();
  EXPECT_EQ(en->CreatePinPair("p")->GetElectricalNet(), en);
  EXPECT_EQ(dp->CreatePinPair("q")->GetElectricalNet(), nullptr);
  SPinPair* c = en->CreateConnPinPair("c");
  en->InsertPinPair(c);
  c->SetName("c2");
  en->InsertConnPinPair(c);
  delete en;
  delete dp;
}

// From-tos are found by either order of the names at the first comma; driver-receiver pairs are only listed.
TEST_F(PinPairTest, NetChildrenAndSwappedNames) {
  SNetScalar* n = new (heap) SNetScalar();
  SFromTo* f = n->CreateFromTo("U1.1,U2.3");
  EXPECT_TRUE(f && f->GetNetScalar() == n && n->GetFromTo("U2.3,U1.1") == f && !n->HasFromTo("U1.1") &&
              !n->GetRoutedFromTo("U2.3,U1.1"));
  SFromTo* r = n->CreateRoutedFromTo("b,c,a");
  EXPECT_TRUE(n->GetRoutedFromTo("a,b,c") == r && !n->GetRoutedFromTo("c,a,b"));
  SFromTo* f2 = n->CreateFromTo("U1.1,U2.3");
  EXPECT_TRUE(n->GetAllFromTos().size() == 1 && n->GetFromTo("U1.1,U2.3") == f2);
  EXPECT_TRUE(n->DestroyFromTo("U1.1,U2.3") && !n->GetFromTo("U1.1,U2.3") && f2->GetNetScalar() == n);
  n->InsertFromTo(f);
  n->InsertFromTo(f2);  // same name: takes the entry over
  SFromTo* g = n->CreateFromTo("x,y");
  n->SetbScheduled(true);
  EXPECT_TRUE(n->GetbScheduled() && g->GetbScheduled() && f2->GetbScheduled() && !f->GetbScheduled());
  EXPECT_FALSE(n->GetbRouted());
  r->SetbRouted(true);
  EXPECT_TRUE(n->GetbRouted()) << "read from the routed from-tos";
  n->InsertRoutedFromTo(g);  // now in both maps: still deleted once
  SVirtualPin* v = n->CreateVirtualPin("v");
  SPinPair* dr = n->CreateDriverReceiverPair("dr");
  EXPECT_TRUE(dr && n->HasDriverReceiverPair(dr) && !n->HasPinPair("dr") && dr->GetNetScalar() == n);
  SPinPair* pp = n->CreatePinPair("pp");
  EXPECT_TRUE(pp->GetNetScalar() == n && pp->InsertPin(v) && !pp->InsertPin(v) && !pp->InsertPin(nullptr));
  EXPECT_TRUE(v->InsertPin(v) && !v->InsertPin(v) && v->RemovePin(v) && !v->RemovePin(v));
  delete f;
  delete n;
  EXPECT_STREQ(dr->GetName(), "dr");
  delete dr;
}

// A from-to claimed twice in a net's record is damage; one in both maps cannot be saved.
TEST_F(PinPairTest, DamagedNetFiles) {
  SNetScalar* n = new (heap) SNetScalar();
  n->CreateFromTo("a,b")->SetbScheduled(true);
  n->CreateRoutedFromTo("r");
  n->CreateVirtualPin("v")->SetX(1.0, TAVRIN_UNIT_MIL);
  const std::string path = File();
  Lines data = SaveRecord(path, n, heap);
  ASSERT_TRUE(LoadRecord<SNetScalar>(path, heap));
  Lines twice = data;
  auto after = [&twice](const char* key) { return std::find(twice.begin(), twice.end(), key) - twice.begin() + 1; };
  twice[after("r")] = twice[after("a,b")];
  WriteRecordFile(path, twice, {"SNetScalar", "SFromTo", "SFromTo", "SVirtualPin", "SUnitlessValue"});
  EXPECT_EQ(LoadRecord<SNetScalar>(path, heap), nullptr);
  n->InsertFromTo(n->GetRoutedFromTo("r"));
  PersistentFile out(File().c_str(), 1, heap);
  out.WritePointer(n);
  n->Serialize(out);
  EXPECT_FALSE(out.Close());
}

}  // namespace
