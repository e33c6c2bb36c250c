// Layers and regions, the "<Unknown>" power-plane type, the board through files.
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

// Ids read at the wrong place would pass a byte round trip: this file has a
// distinct one in every field; its top layer is 2, whose chain 2, 3 returns to 2.
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

// The object table of a file with one more class line.
std::string WithClassLine(const std::string& file, const std::string& name) {
  std::size_t at = file.find("@@@@\n") + 5;
  std::size_t nl = file.find('\n', at);
  std::string out = file.substr(0, at) + std::to_string(std::stol(file.substr(at, nl - at)) + 1) +
                    file.substr(nl) + name + "\n";
  char end[16];
  std::snprintf(end, sizeof end, "%06zu", out.size());
  return out.replace(out.find('\n', 19) + 1, 6, end);  // the second position line
}

// Another class where a typed list holds a region: PG (the net GND's second
// index: newest first) made a signal region or a net, S2 a power-plane region.
// A "<Unknown>" type read back is a text of its own, replaced in place.
TEST_F(StackUpTest, RegionsOfAnotherClassAndUnknownTypes) {
  session->CreateProject("Existing")->CreateDesignCell("kept")->CreateModule("m");
  const std::string before = Fingerprint(session), golden = ReadFile(TestData("stackup.tvn"));
  const Strings data = DataLines(golden);
  // The net's power-plane count comes after its bundles.
  std::size_t pgIndex = std::stoul(data.at(LineOf(data, "2", LineOf(data, "GND")) + 2));
  std::size_t s2Index = std::stoul(data.at(LineOf(data, "S2") - 3));
  ASSERT_TRUE(WithClass(golden, pgIndex, "SPowerPlaneRegion") == golden && WithClass(golden, s2Index, "SSignalRegion") == golden);
  const std::pair<std::size_t, const char*> swaps[] = {
      {pgIndex, "SSignalRegion"}, {pgIndex, "SNetScalar"}, {s2Index, "SPowerPlaneRegion"}};
  for (const auto& swap : swaps) {
    EXPECT_EQ(Restore(session, WithClass(golden, swap.first, swap.second)), 0) << swap.second;
    EXPECT_EQ(Fingerprint(session), before) << swap.second;
  }
  SLayer* l2 = (*Restored(golden)->GetProject("P")->GetDesign("board")->GetAllModules().begin())
                   ->GetLayout()->GetStackUp()->GetLayer(2);
  SPowerPlaneRegion* pu = SPowerPlaneRegion::Cast(l2->GetRegion("PU"));
  ASSERT_TRUE(pu && !std::strcmp(pu->GetType(), "<Unknown>") && pu->GetType() != SPowerPlaneRegion::kUnknownType);
  pu->SetType("PWR");
  // A power-plane region in the object table that no record refers to is
  // made and deleted again with its "<Unknown>" type.
  EXPECT_NE(Restored(WithClassLine(golden, "SPowerPlaneRegion"))->GetProject("P"), nullptr);
}

}  // namespace
