// Nets, nodes and segments; a net's port instances past the length at which a hash set joins the list.
#include <algorithm>
#include <random>

#include "test_element.h"

using namespace tavrin_test;

namespace {

using NetTest = SessionTest;

// A deleted segment leaves the victim map, as key and as victim.
TEST_F(NetTest, VictimSegments) {
  SNetScalar* n = new (heap) SNetScalar();
  SSegment *s1 = n->CreateSegment(), *s2 = n->CreateSegment(), *s3 = n->CreateSegment();
  EXPECT_TRUE(n->SetVictimSegment(s1, s2) && !n->SetVictimSegment(s1, s1));
  EXPECT_TRUE(n->SetVictimSegment(s2, s3) && n->SetVictimSegment(s3, s3));
  EXPECT_TRUE(n->DestroySegment(s2) && n->GetAllVictimSegments().size() == 1 && n->GetVictimSegment(s3) == s3);
}

// Each side of a node-segment link is its own list; Create puts the child first.
TEST_F(NetTest, LinksAndOwnership) {
  SNetScalar *net = new (heap) SNetScalar(), *other = new (heap) SNetScalar();
  SSegment *s1 = net->CreateSegment(), *s2 = net->CreateSegment();
  SPhysicalNode *a = net->CreatePhysicalNode(), *b = net->CreatePhysicalNode(), *c = net->CreatePhysicalNode();
  EXPECT_EQ(Items(net->GetAllSegments()), (std::vector<SSegment*>{s2, s1}));
  EXPECT_TRUE(s1->GetNetScalar() == net && a->GetNetScalar() == net);
  EXPECT_TRUE(s1->InsertEndpoint(a) && s1->InsertEndpoint(b) && s1->InsertEndpoint(c));
  EXPECT_FALSE(s1->InsertEndpoint(a) || s1->InsertEndpoint(nullptr));
  EXPECT_EQ(Items(s1->GetAllEndpoints()), (std::vector<SPhysicalNode*>{c, b, a}));
  EXPECT_TRUE(a->GetAllSegments().empty() && a->InsertSegment(s1) && !a->InsertSegment(s1) && a->HasSegment(s1));
  EXPECT_TRUE(s1->RemoveEndpoint(b) && !s1->RemoveEndpoint(b));
  EXPECT_FALSE(other->DestroySegment(s1) || other->DestroyPhysicalNode(a) || other->DestroySegment(nullptr)) << "not its own";
  // A deleted segment stays listed at its nodes until the caller unlinks it.
  EXPECT_TRUE(net->DestroySegment(s1) && !net->HasSegment(s1));
  EXPECT_EQ(Items(a->GetAllSegments()), (std::vector<SSegment*>{s1}));
  EXPECT_TRUE(net->DestroyPhysicalNode(b) && !net->HasPhysicalNode(b));
}

// Outside a session owners delete their children (for the sanitizers).
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
  EXPECT_TRUE(bus->GetNetScalar(0) == n && !bus->GetNetScalar(1));
  EXPECT_TRUE(bus->SetNetScalar(1, n) && bus->RemoveNetScalar(1) && !bus->RemoveNetScalar(1));
  bundle->InsertNet(bus);
  n->InsertNetBundle(bundle);
  delete bundle;
  delete bus;
  delete n;
}

class NetPinSetTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    net = new (heap) SNetScalar();
    for (int i = 0; i < 400; ++i) pins.push_back(new (heap) SPortInstanceScalar());
  }
  void ExpectList() { EXPECT_EQ(Items(net->GetAllPortInstanceScalars()), model); }
  bool Listed(SPortInstanceScalar* p) const { return std::find(model.begin(), model.end(), p) != model.end(); }
  // Without memory an absent element may be refused too.
  void Insert(SPortInstanceScalar* p, bool memory = true) {
    bool listed = Listed(p), done = net->InsertPortInstanceScalar(p);
    if (listed || memory) {
      EXPECT_EQ(done, !listed);
    }
    if (done) model.insert(model.begin(), p);
  }
  void Remove(SPortInstanceScalar* p) {
    auto at = std::find(model.begin(), model.end(), p);
    EXPECT_EQ(net->RemovePortInstanceScalar(p), at != model.end());
    if (at != model.end()) model.erase(at);
  }

  SNetScalar* net = nullptr;
  std::vector<SPortInstanceScalar*> pins;
  std::vector<SPortInstanceScalar*> model;
};

// Seeded inserts, repeats and removals across the growth of the set.
TEST_F(NetPinSetTest, AnswersAsTheList) {
  std::mt19937 random(13);
  for (int step = 0; step < 6000; ++step) {
    SPortInstanceScalar* p = pins[random() % (step < 3000 ? pins.size() : 60)];
    if (random() % 3) Insert(p);
    else Remove(p);
  }
  ExpectList();
  EXPECT_FALSE(net->InsertPortInstanceScalar(nullptr));
}

// An allocation failing in the set's first build (at 32) or growth loses no member.
TEST_F(NetPinSetTest, MemoryRunningOut) {
  for (long n = 1; n <= 4; ++n) {
    for (SPortInstanceScalar* p : pins) Remove(p);
    for (size_t i = 0; i < pins.size(); ++i) {
      bool failing = i == 31 || i == 48 || i == 96 || i == 192;
      FailAfter fail(failing ? n : 0);
      Insert(pins[i], !failing);
    }
    for (SPortInstanceScalar* p : pins) Insert(p);
    ExpectList();
    ASSERT_EQ(model.size(), pins.size());
  }
}

}  // namespace
