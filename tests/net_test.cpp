// Nets, buses and bundles: texts, references, keyed maps, sub-buses and
// deletion. Their records are tested on the shared board (hierarchy_test).
#include "test_element.h"

using namespace tavrin_test;

namespace {

class NetTest : public ElementTest {
 protected:
  template <class T>
  T* Named(const char* name) {
    T* net = new (heap) T();
    net->SetName(name);
    return net;
  }
};

// The UID falls back to the name, also when empty; null leaves UID, prefix
// and suffix as they are; the partner is a copy of a name.
TEST_F(NetTest, TextsAndFallbacks) {
  SNetScalar *n = Named<SNetScalar>("N1"), *p = Named<SNetScalar>("P");
  SNetBus* b = Named<SNetBus>("B");
  n->SetUID("u7");
  n->SetUID(nullptr);
  b->SetPrefix("D");
  b->SetSuffix("_n");
  b->SetPrefix(nullptr);
  b->SetSuffix(nullptr);
  EXPECT_STREQ(n->GetUID(), "u7");
  EXPECT_TRUE(!strcmp(b->GetPrefix(), "D") && !strcmp(b->GetSuffix(), "_n"));
  n->SetUID("");
  EXPECT_STREQ(n->GetUID(), "N1");
  EXPECT_TRUE(n->SetDiffNet(p));
  p->SetName("Q");
  EXPECT_STREQ(n->GetDiffNet(), "P");
  EXPECT_TRUE(n->SetDiffNet(static_cast<SNetScalar*>(nullptr)) && !n->GetDiffNet());
}

// Reference lists refuse duplicates and null and put new elements first;
// maps keyed by object or number refuse a taken key and keep its value.
TEST_F(NetTest, ReferencesAndKeyedMaps) {
  SNetScalar *n = Named<SNetScalar>("N"), *a = Named<SNetScalar>("A");
  SNetBundle *x = Named<SNetBundle>("X"), *y = Named<SNetBundle>("Y");
  EXPECT_TRUE(n->InsertNetBundle(x) && n->InsertNetBundle(y));
  EXPECT_FALSE(n->InsertNetBundle(x) || n->InsertNetBundle(nullptr) || x->InsertNet(nullptr));
  EXPECT_EQ(Items(n->GetAllNetBundles()), (std::vector<SNetBundle*>{y, x}));
  EXPECT_TRUE(n->RemoveNetBundle(y) && !n->RemoveNetBundle(y));
  SSegment *s1 = n->CreateSegment(), *s2 = n->CreateSegment();
  EXPECT_TRUE(n->SetVictimSegment(s1, s2) && !n->SetVictimSegment(s1, s1));
  EXPECT_TRUE(n->GetVictimSegment(s1) == s2 && !n->GetVictimSegment(s2));
  EXPECT_TRUE(n->RemoveVictimSegment(s1) && !n->HasVictimSegment(s1) && !n->RemoveVictimSegment(s1));
  // A segment the net deletes leaves the victim map, as key and as victim.
  SSegment* s3 = n->CreateSegment();
  EXPECT_TRUE(n->SetVictimSegment(s1, s2) && n->SetVictimSegment(s2, s3) && n->SetVictimSegment(s3, s3));
  EXPECT_TRUE(n->DestroySegment(s2) && n->GetAllVictimSegments().size() == 1 && n->GetVictimSegment(s3) == s3);
  SNetBus* bus = Named<SNetBus>("B");
  EXPECT_TRUE(bus->SetNetScalar(3, a) && !bus->SetNetScalar(3, n) && bus->SetNetScalar(-7, n));
  EXPECT_TRUE(bus->GetNetScalar(3) == a && bus->GetNetScalar(-7) == n);
  EXPECT_TRUE(a->GetAllNetBi().empty());  // the other side is the caller's
  EXPECT_TRUE(bus->RemoveNetScalar(3) && !bus->HasNetScalar(3) && !bus->RemoveNetScalar(3));
  // Named children are looked up in their own maps; nothing is there yet.
  EXPECT_FALSE(n->HasPinPair("pp") || n->GetPinPair(nullptr) || n->HasVirtualPin("v"));
  EXPECT_FALSE(n->DestroyPinPair("pp") || n->DestroyFromTo("a,b") || n->DestroyRoutedFromTo(nullptr));
}

// A sub-bus is found by the very range object with Get; Has compares ranges
// with Matches, which holds for ranges sharing their bounds (or having none).
TEST_F(NetTest, SubBusesByPointerAndByValue) {
  SNetBus *bus = Named<SNetBus>("B"), *sub = Named<SNetBus>("S");
  SRangeValue* key = bus->CreateIndicesRangeValue();
  EXPECT_TRUE(bus->SetSubNetBus(key, sub) && !bus->SetSubNetBus(key, bus) && bus->GetSubNetBus(key) == sub);
  SRangeValue* other = bus->CreateIndicesRangeValue();
  EXPECT_TRUE(!bus->GetSubNetBus(other) && bus->HasSubNetBus(other) && !bus->HasSubNetBus(nullptr));
  other->CreateLowerIntegerValue();
  EXPECT_FALSE(bus->HasSubNetBus(other));
  EXPECT_EQ(Items(bus->GetAllIndiceses()), (std::vector<SRangeValue*>{other, key}));
  EXPECT_TRUE(bus->RemoveSubNetBus(key) && !bus->RemoveSubNetBus(key) && !bus->HasSubNetBus(key));
  SRangeValue* foreign = sub->CreateIndicesRangeValue();
  EXPECT_TRUE(!bus->DestroyIndices(foreign) && sub->HasIndices(foreign));
  EXPECT_TRUE(bus->DestroyIndices(other) && !bus->HasIndices(other));
  EXPECT_TRUE(bus->SetSubNetBus(key, sub) && bus->DestroyIndices(key) && bus->GetAllSubNetBi().empty());
}

// Outside a session every block comes from the general allocator: the leak
// checker sees what a deletion forgets, the address checker double deletions.
TEST(NetDeletion, OwnedChildrenGoWithTheirOwner) {
  SNetScalar* n = new SNetScalar();
  SNetBus* bus = new SNetBus();
  SNetBundle* bundle = new SNetBundle();
  n->SetUID("U");
  n->SetDiffNet("P");
  SSegment *s = n->CreateSegment(), *gone = n->CreateSegment();
  SPhysicalNode* node = n->CreatePhysicalNode();
  node->CreateXValUnitlessValue();
  node->CreateYValUnitlessValue();
  for (SSegment* seg : {s, gone}) {
    seg->InsertEndpoint(node);
    node->InsertSegment(seg);
  }
  n->SetVictimSegment(s, s);
  EXPECT_TRUE(n->DestroySegment(gone) && !n->DestroySegment(gone) && node->RemoveSegment(gone));
  bus->SetPrefix("D");
  bus->CreateIndicesRangeValue()->CreateUpperIntegerValue();
  bus->SetSubNetBus(bus->CreateIndicesRangeValue(), bus);
  bus->SetNetScalar(0, n);
  bundle->InsertNet(bus);
  n->InsertNetBundle(bundle);
  delete bundle;
  delete bus;
  delete n;
}

}  // namespace
