// Nets, buses and bundles: victim segments, keyed maps and deletion. Their records are tested on the shared board (hierarchy_test).
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

// A segment the net deletes leaves the victim map, as key and as victim;
// maps keyed by object or number refuse a taken key and keep its value.
TEST_F(NetTest, VictimSegmentsAndKeyedMaps) {
  SNetScalar *n = Named<SNetScalar>("N"), *a = Named<SNetScalar>("A");
  SSegment *s1 = n->CreateSegment(), *s2 = n->CreateSegment(), *s3 = n->CreateSegment();
  EXPECT_TRUE(n->SetVictimSegment(s1, s2) && !n->SetVictimSegment(s1, s1));
  EXPECT_TRUE(n->SetVictimSegment(s2, s3) && n->SetVictimSegment(s3, s3));
  EXPECT_TRUE(n->DestroySegment(s2) && n->GetAllVictimSegments().size() == 1 && n->GetVictimSegment(s3) == s3);
  SNetBus* bus = Named<SNetBus>("B");
  EXPECT_TRUE(bus->SetNetScalar(3, a) && !bus->SetNetScalar(3, n) && bus->SetNetScalar(-7, n));
  EXPECT_TRUE(bus->GetNetScalar(3) == a && bus->GetNetScalar(-7) == n);
  EXPECT_TRUE(bus->RemoveNetScalar(3) && !bus->HasNetScalar(3) && !bus->RemoveNetScalar(3));
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
