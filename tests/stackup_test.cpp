// Layers and regions, the "<Unknown>" power-plane type, stack-up files.
#include <set>

#include "file_test.h"

using namespace tavrin_test;

namespace {

using StackUpTest = FileTest;

// Regions of three kinds share one name map; a later region takes the entry
// over; Destroy unlinks it from the map and its kind list, the older stays listed.
TEST_F(StackUpTest, RegionsShareOneNameMap) {
  SStackUp* su = (new (heap) SLayout())->CreateStackUp();
  SLayer* l = su->CreateLayer(1);
  SSignalRegion* s = l->CreateSignalRegion("S");
  SPowerPlaneRegion* p = l->CreatePowerPlaneRegion("P");
  ASSERT_TRUE(s && p && s->GetLayer() == l && l->GetStackUp() == su);
  EXPECT_FALSE(l->CreateSignalRegion(nullptr) || l->CreatePowerPlaneRegion(nullptr) || l->CreateInsulatorRegion(nullptr));
  SSignalRegion* s2 = l->CreateSignalRegion("S");
  SInsulatorRegion* i2 = l->CreateInsulatorRegion("P");
  EXPECT_TRUE(l->GetRegion("S") == s2 && l->GetRegion("P") == i2 && l->DestroyRegion("S") && l->DestroyRegion("P") &&
              !l->DestroyRegion("P"));
  EXPECT_EQ(Items(l->GetAllSignalRegions()), (std::vector<SSignalRegion*>{s}));
  EXPECT_EQ(Items(l->GetAllPowerPlaneRegions()), (std::vector<SPowerPlaneRegion*>{p}));
  EXPECT_TRUE(l->GetAllInsulatorRegions().empty() && l->GetAllRegions().empty());
  delete s2;
  delete i2;
}

// The shared "<Unknown>" is never freed (the general allocator would report it).
TEST_P(SessionHeapOrNot, PowerPlaneTypeStartsUnknown) {
  SLayer* l = new (heap) SLayer();
  SPowerPlaneRegion* p = l->CreatePowerPlaneRegion("P");
  l->CreatePowerPlaneRegion("Q");
  EXPECT_STREQ(p->GetType(), "<Unknown>");
  p->SetType("GND");
  p->SetType(nullptr);
  EXPECT_TRUE(!p->GetType() && !strcmp(SPowerPlaneRegion::kUnknownType, "<Unknown>")) << "the shared text is untouched";
  delete new (heap) SPowerPlaneRegion();
  delete l;  // deletes both regions, one of them still "<Unknown>"
}

INSTANTIATE_TEST_SUITE_P(Heaps, SessionHeapOrNot, ::testing::Values(true, false));

// stackup_ids.tvn: a distinct id in every field read where it belongs; top layer 2 chains 2, 3, 2.
TEST_F(StackUpTest, DistinctIdentifiers) {
  SProject* p = Restored(ReadFile(TestData("stackup_ids.tvn")))->GetProject("P");
  ASSERT_TRUE(p && p->GetDesign("board"));
  SModule* m = *p->GetDesign("board")->GetAllModules().begin();
  SStackUp* su = m->GetLayout()->GetStackUp();
  std::vector<long> ids{m->GetLayout()->GetId(), su->GetId()};
  auto add = [&ids](auto* e) { if (e) ids.push_back(e->GetId()); };
  for (auto it = su->GetAllLayers().begin(); it != su->GetAllLayers().end(); ++it) {
    add(it->second), add(it->second->GetThicknessVal()), add(it->second->GetViaDiameterVal());
    for (auto r = it->second->GetAllRegions().begin(); r != it->second->GetAllRegions().end(); ++r) {
      add(r->second);
      if (SSignalRegion* sr = SSignalRegion::Cast(r->second))
        add(sr->GetTLFVal()), add(sr->GetTraceSpacingVal()), add(sr->GetTraceWidthVal());
    }
  }
  const std::set<long> distinct(ids.begin(), ids.end());
  EXPECT_TRUE(ids.size() == 2u + 3 + 6 + 7 && distinct.size() == ids.size() && !distinct.count(0)) << "distinct and read";
  EXPECT_TRUE(su->GetTopLayer() == su->GetLayer(2) && su->GetLayer(3)->GetNextLayer() == su->GetLayer(2));
}

// A "<Unknown>" type read back is a text of its own, replaced in place. A signal region (S2) in the
// net GND's power-plane regions reads as none.
TEST_F(StackUpTest, UnknownTypeReadBack) {
  SModule* m = *Restored(Edited("stackup.tvn", {{111, "19"}}))->GetProject("P")->GetDesign("board")->GetAllModules().begin();
  EXPECT_EQ(SNetScalar::Cast(m->GetNet("GND"))->GetAllPowerPlaneRegions().size(), 1u);
  SLayer* l2 = m->GetLayout()->GetStackUp()->GetLayer(2);
  SPowerPlaneRegion* pu = SPowerPlaneRegion::Cast(l2->GetRegion("PU"));
  ASSERT_TRUE(pu && !std::strcmp(pu->GetType(), "<Unknown>") && pu->GetType() != SPowerPlaneRegion::kUnknownType);
  pu->SetType("PWR");
}

}  // namespace
