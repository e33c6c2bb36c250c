// Physical nodes and segments: both sides of their links, positions,
// ownership by the net.
#include "test_element.h"

using namespace tavrin_test;

namespace {

using SegmentTest = ElementTest;

// Each side of a node-segment link is its own list; a segment takes any
// number of nodes; Create sets the child's net and puts it first.
TEST_F(SegmentTest, LinksAndOwnership) {
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

}  // namespace
