// A net's port-instance list past the length at which the net also keeps a
// hash set of its members: every Insert and Remove answers as a scan of the
// list would, and the list keeps its order, also when memory runs out.
#include <algorithm>
#include <random>
#include <vector>

#include "fixture.h"

using namespace tavrin_test;

namespace {

class NetPinSetTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    net = new (heap) SNetScalar();
    for (int i = 0; i < 400; ++i) pins.push_back(new (heap) SPortInstanceScalar());
  }
  // The model of the list, head first, against the net's.
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

// Seeded inserts, repeats and removals across the growth of the set: the
// answers and the order are those of the list alone.
TEST_F(NetPinSetTest, AnswersAsTheList) {
  std::mt19937 random(13);
  for (int step = 0; step < 6000; ++step) {
    SPortInstanceScalar* p = pins[random() % (step < 3000 ? pins.size() : 60)];
    if (random() % 3) Insert(p);
    else Remove(p);
  }
  ExpectList();
  for (SPortInstanceScalar* p : pins) Remove(p);
  EXPECT_TRUE(net->GetAllPortInstanceScalars().empty());
  for (SPortInstanceScalar* p : pins) Insert(p);
  EXPECT_FALSE(net->InsertPortInstanceScalar(nullptr));
  ExpectList();
}

// An allocation failing at each point of the set's first build and of its
// growth loses no member: what Insert reported listed stays refused.
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
