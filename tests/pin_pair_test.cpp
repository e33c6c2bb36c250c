// Electrical nets, differential pairs, pin pairs, from-tos, virtual pins and
// board-description pins: operations, the two-base objects (heap, deletion,
// one reference index), and a net's record damaged.
#include "hierarchy_fixture.h"
#include "test_element.h"

using namespace tavrin_test;

namespace {

using PinPairTest = ElementTest;

// The number of object table entries (index 0 included) of a saved file.
int TableCount(const std::string& file) {
  std::size_t at = file.find("@@@@\n");
  return at == std::string::npos ? -1 : std::atoi(file.c_str() + at + 5);
}

// A pin pair made by an electrical net knows it; one made by a differential
// pair does not. A pin pair filed under two names and in both maps is
// deleted once.
TEST_F(PinPairTest, ElectricalNetAndDiffPair) {
  SElectricalNet* en = new (heap) SElectricalNet();
  SDiffPair* dp = new (heap) SDiffPair();
  SPinPair* p = en->CreatePinPair("p");
  EXPECT_TRUE(p && p->GetElectricalNet() == en && en->GetAllPinPairs().lookup("p") == p);
  EXPECT_EQ(dp->CreatePinPair("q")->GetElectricalNet(), nullptr);
  EXPECT_FALSE(en->DestroyConnPinPair("p") || en->DestroyPinPair(nullptr));
  EXPECT_TRUE(en->DestroyPinPair("p") && !en->DestroyPinPair("p"));
  SPinPair* c = en->CreateConnPinPair("c");
  SPinPair* d = dp->CreateDiffPinPair("d");
  EXPECT_TRUE(en->GetAllConnPinPairs().lookup("c") == c && !en->GetAllPinPairs().lookup("c"));
  EXPECT_TRUE(dp->GetAllDiffPinPairs().lookup("d") == d && !dp->GetAllPinPairs().lookup("d"));
  en->InsertPinPair(c);
  c->SetName("c2");
  en->InsertConnPinPair(c);
  delete p;
  delete en;
  delete dp;
}

// Both parts of a two-base object live on the session heap, and deleting
// through either base frees the whole object (the sanitizers check the
// free).
TEST_F(PinPairTest, TwoBaseObjectsOnTheHeap) {
  std::size_t start = HeapBytes(heap);
  SPinPair* p = new (heap) SPinPair();
  SFromTo* f = new (heap) SFromTo();
  SVirtualPin* v = new (heap) SVirtualPin();
  SEbdPin* e2 = new (heap) SEbdPin();
  ASSERT_TRUE(p && f && v && e2);
  EXPECT_TRUE(p->GetHeap() == heap && f->GetHeap() == heap && v->GetHeap() == heap && e2->GetHeap() == heap);
  EXPECT_EQ(tavrin::BlockHeap(tavrin::AsObject(p)), heap);
  for (int i = 0; i < 200; ++i) p->InsertPin(v);
  p->SetName("a name long enough for a block of its own");
  EXPECT_EQ(SPin::Cast(tavrin::AsObject(v)), static_cast<SPin*>(v));
  EXPECT_EQ(SDesignElement::Cast(tavrin::AsObject(f)), static_cast<SDesignElement*>(f));
  EXPECT_EQ(SPinPair::Cast(static_cast<SDesignElement*>(f)), nullptr);
  delete static_cast<SDesignElement*>(p);
  delete static_cast<SDesignElement*>(f);
  delete static_cast<SPin*>(v);
  delete tavrin::AsObject(e2);
  SPortInstanceScalar* pin = new (heap) SPortInstanceScalar();
  EXPECT_EQ(pin->GetHeap(), heap);
  delete static_cast<SPin*>(pin);
  EXPECT_LE(HeapBytes(heap), start + 256 * 1024);
}

// From-tos are found by either order of the names split at the first
// comma; the net's scheduled flag is set on each from-to, its routed flag
// read from them; driver-receiver pairs are listed, not filed, and not
// deleted with the net.
TEST_F(PinPairTest, NetChildrenAndSwappedNames) {
  SNetScalar* n = new (heap) SNetScalar();
  SFromTo* f = n->CreateFromTo("U1.1,U2.3");
  EXPECT_TRUE(f && f->GetNetScalar() == n && n->GetFromTo("U2.3,U1.1") == f && !n->HasFromTo("U1.1"));
  EXPECT_EQ(n->GetRoutedFromTo("U2.3,U1.1"), nullptr);
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
  EXPECT_TRUE(n->GetbRouted());
  n->InsertRoutedFromTo(g);  // now in both maps: still deleted once
  SVirtualPin* v = n->CreateVirtualPin("v");
  SVirtualPin* w = n->CreateVirtualPin("w");
  EXPECT_TRUE(w && n->DestroyVirtualPin("w") && !n->HasVirtualPin("w") && !n->DestroyVirtualPin("w"));
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

// A port instance scalar listed as a pin (its pin view) and as a port
// instance (its design element view) is one object with one index.
TEST_F(PinPairTest, OneObjectOneIndex) {
  SNetScalar* n = new (heap) SNetScalar();
  SPortInstanceScalar* pin = new (heap) SPortInstanceScalar();
  n->InsertPortInstanceScalar(pin);
  SFromTo* f = n->CreateFromTo("f");
  f->InsertPin(pin);
  f->InsertPin(f->GetNetScalar() ? n->CreateVirtualPin("v") : nullptr);
  SaveRecord(File(), n, heap);
  EXPECT_EQ(TableCount(ReadFile(dir.File("f1"))), 5) << "null, net, port instance, from-to, virtual pin";
  SNetScalar* back = LoadRecord<SNetScalar>(dir.File("f1"), heap);
  ASSERT_TRUE(back);
  SFromTo* fb = back->GetFromTo("f");
  ASSERT_TRUE(fb && fb->GetAllPins().size() == 2);
  SPortInstanceScalar* listed = *back->GetAllPortInstanceScalars().begin();
  EXPECT_TRUE(fb->HasPin(listed) && fb->HasPin(back->GetVirtualPin("v")));
  EXPECT_EQ(fb->GetNetScalar(), back);
}

// Every truncation of a net's record file is refused; a from-to claimed
// twice is damage; a wrong-class electrical net reads as none.
TEST_F(PinPairTest, DamagedNetFiles) {
  SNetScalar* n = new (heap) SNetScalar();
  n->CreateFromTo("a,b")->SetbScheduled(true);
  n->CreateRoutedFromTo("r");
  n->CreateVirtualPin("v")->SetX(1.0, TAVRIN_UNIT_MIL);
  const std::string path = File();
  Lines data = SaveRecord(path, n, heap);
  const std::string good = ReadFile(path);
  ASSERT_TRUE(LoadRecord<SNetScalar>(path, heap));
  for (std::size_t k = 0; k < good.size(); ++k) {
    WriteFile(path, good.substr(0, k));
    EXPECT_EQ(LoadRecord<SNetScalar>(path, heap), nullptr) << k;
  }
  // The routed from-to's entry names the from-to's index.
  Lines twice = data;
  std::size_t fromToRef = 0, routedRef = 0;
  for (std::size_t i = 0; i + 1 < twice.size(); ++i) {
    if (twice[i] == "a,b" && !fromToRef) fromToRef = i + 1;
    if (twice[i] == "r" && !routedRef) routedRef = i + 1;
  }
  ASSERT_TRUE(fromToRef && routedRef);
  twice[routedRef] = twice[fromToRef];
  WriteRecordFile(path, twice, {"SNetScalar", "SFromTo", "SFromTo", "SVirtualPin", "SUnitlessValue"});
  EXPECT_EQ(LoadRecord<SNetScalar>(path, heap), nullptr);
  // A from-to in both of the net's maps cannot be saved.
  n->InsertFromTo(n->GetRoutedFromTo("r"));
  PersistentFile out(File().c_str(), 1, heap);
  out.WritePointer(n);
  n->Serialize(out);
  EXPECT_FALSE(out.Close());
}

}  // namespace
