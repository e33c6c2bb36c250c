// Nets, buses and bundles, physical nodes and segments: victim segments,
// keyed maps, both sides of node-segment links, deletion. Their records are
// tested on the shared board (hierarchy_test).
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

// Each side of a node-segment link is its own list; a segment takes any
// number of nodes; Create sets the child's net and puts it first.
TEST_F(NetTest, LinksAndOwnership) {
  SNetScalar *net = new (heap) SNetScalar(), *other = new (heap) SNetScalar();
  SSegment *s1 = net->CreateSegment(), *s2 = net->CreateSegment();
  SPhysicalNode *a = net->CreatePhysicalNode(), *b = net->CreatePhysicalNode(), *c = net->CreatePhysicalNode();
  EXPECT_EQ(Items(net->GetAllSegments()), (std::vector<SSegment*>{s2, s1}));
  EXPECT_TRUE(s1->GetNetScalar() == net && a->GetNetScalar() == net);
  EXPECT_TRUE(s1->InsertEndpoint(a) && s1->InsertEndpoint(b) && s1->InsertEndpoint(c));
  EXPECT_FALSE(s1->InsertEndpoint(a) || s1->InsertEndpoint(nullptr));
  EXPECT_EQ(Items(s1->GetAllEndpoints()), (std::vector<SPhysicalNode*>{c, b, a}));
  EXPECT_TRUE(a->GetAllSegments().empty());
  EXPECT_TRUE(a->InsertSegment(s1) && !a->InsertSegment(s1) && a->HasSegment(s1));
  EXPECT_TRUE(s1->RemoveEndpoint(b) && !s1->RemoveEndpoint(b));
  // Another net's children are refused and stay alive.
  EXPECT_FALSE(other->DestroySegment(s1) || other->DestroyPhysicalNode(a) || other->DestroySegment(nullptr));
  EXPECT_TRUE(net->HasSegment(s1) && net->HasPhysicalNode(a));
  // A deleted segment stays listed at its nodes until the caller unlinks it.
  EXPECT_TRUE(net->DestroySegment(s1) && !net->HasSegment(s1));
  EXPECT_EQ(Items(a->GetAllSegments()), (std::vector<SSegment*>{s1}));
  EXPECT_TRUE(net->DestroyPhysicalNode(b) && !net->HasPhysicalNode(b));
  EXPECT_TRUE(s2->SetNetScalar(other) && s2->GetNetScalar() == other);
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
