// Stack-ups, layers and regions: layers by number, regions by name and kind,
// the power-plane type that starts as "<Unknown>", memory running out in
// every Create; the board through files (golden bytes, identifiers in place,
// damage).
#include <set>
#include <sstream>

#include "file_test.h"

using namespace tavrin_test;

namespace {

//
// Project "P", design "board", module "M" (id 20, layout id 30). Its nets come
// before its layout in the file, so what they refer to is written later:
// net "GND" lists the power-plane regions PG and PU; net "SIG" has a
// segment on the signal region S1.
// Stack-up "SU" (id 31): top layer 1, bottom layer 3, layers created 1, 2, 3.
//   1 "TOP" (id 32, client flags 2): SIGNAL, COPPER, FR4 4.5, thickness 1.4
//     mil, via diameter 10 mil, next 2; signal regions S1 (id 41; spacing 5
//     mil, width 6 mil, no TLF) and S2 (id 42, no values), insulator K1 (43).
//   2 "GND" (id 33): PLANE, COPPER, no dielectric name, constant 1.0, no
//     lengths, next 3; power-plane regions PG (id 44, type "GND") and PU (id
//     45, the "<Unknown>" it starts with).
//   3 "BOT" (id 34): SIGNAL, no conductor, PREPREG 3.9, thickness 2 mil, no
//     next; signal region S3 (id 46, TLF 3 mil), insulator K2 (id 47).
struct StackBoard {
  explicit StackBoard(SSession* s) {
    project = s->CreateProject("P");
    cell = project->CreateDesignCell("board");
    module = cell->CreateModule("M");
    module->SetId(20);
    gnd = module->CreateNetScalar("GND");
    sig = module->CreateNetScalar("SIG");
    segment = sig->CreateSegment();
    layout = module->CreateLayout();
    layout->SetId(30);
    su = layout->CreateStackUp();
    su->SetName("SU");
    su->SetId(31);
    l1 = su->CreateLayer(1);
    l2 = su->CreateLayer(2);
    l3 = su->CreateLayer(3);
    su->SetTopLayer(l1);
    su->SetBottomLayer(l3);

    l1->SetName("TOP");
    l1->SetId(32);
    l1->SetClientFlags(2);
    l1->SetType("SIGNAL");
    l1->SetConductor("COPPER");
    l1->SetDielectricName("FR4");
    l1->SetDielectricConstant(4.5);
    l1->SetThickness(1.4, TAVRIN_UNIT_MIL);
    l1->SetViaDiameter(10, TAVRIN_UNIT_MIL);
    l1->SetNextLayer(l2);
    s1 = l1->CreateSignalRegion("S1");
    s1->SetId(41);
    s1->SetTraceSpacing(5, TAVRIN_UNIT_MIL);
    s1->SetTraceWidth(6, TAVRIN_UNIT_MIL);
    s2 = l1->CreateSignalRegion("S2");
    s2->SetId(42);
    k1 = l1->CreateInsulatorRegion("K1");
    k1->SetId(43);

    l2->SetName("GND");
    l2->SetId(33);
    l2->SetType("PLANE");
    l2->SetConductor("COPPER");
    l2->SetNextLayer(l3);
    pg = l2->CreatePowerPlaneRegion("PG");
    pg->SetId(44);
    pg->SetType("GND");
    pu = l2->CreatePowerPlaneRegion("PU");
    pu->SetId(45);

    l3->SetName("BOT");
    l3->SetId(34);
    l3->SetType("SIGNAL");
    l3->SetDielectricName("PREPREG");
    l3->SetDielectricConstant(3.9);
    l3->SetThickness(2, TAVRIN_UNIT_MIL);
    s3 = l3->CreateSignalRegion("S3");
    s3->SetId(46);
    s3->SetTLF(3, TAVRIN_UNIT_MIL);
    k2 = l3->CreateInsulatorRegion("K2");
    k2->SetId(47);

    gnd->InsertPowerPlaneRegion(pg);
    gnd->InsertPowerPlaneRegion(pu);
    segment->SetRegion(s1);
  }
  SProject* project;
  SCell* cell;
  SModule* module;
  SNetScalar *gnd, *sig;
  SSegment* segment;
  SLayout* layout;
  SStackUp* su;
  SLayer *l1, *l2, *l3;
  SSignalRegion *s1, *s2, *s3;
  SInsulatorRegion *k1, *k2;
  SPowerPlaneRegion *pg, *pu;
};

class StackUpTest : public FileTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    su = (new (heap) SLayout())->CreateStackUp();
    ASSERT_NE(su, nullptr);
  }
  SStackUp* su = nullptr;
};

// Regions of three kinds share one name map; a later region takes the
// entry over, and Destroy unlinks it from the map and from the kind list of
// the class the entry holds, leaving the older one listed.
TEST_F(StackUpTest, RegionsShareOneNameMap) {
  SLayer* l = su->CreateLayer(1);
  SSignalRegion* s = l->CreateSignalRegion("S");
  SPowerPlaneRegion* p = l->CreatePowerPlaneRegion("P");
  ASSERT_TRUE(s && p && s->GetLayer() == l && l->GetStackUp() == su);
  EXPECT_FALSE(l->CreateSignalRegion(nullptr) || l->CreatePowerPlaneRegion(nullptr) || l->CreateInsulatorRegion(nullptr));
  SSignalRegion* s2 = l->CreateSignalRegion("S");
  SInsulatorRegion* i2 = l->CreateInsulatorRegion("P");
  EXPECT_TRUE(l->GetRegion("S") == s2 && l->GetRegion("P") == i2);
  EXPECT_TRUE(l->DestroyRegion("S") && l->DestroyRegion("P") && !l->DestroyRegion("P"));
  EXPECT_EQ(Items(l->GetAllSignalRegions()), (std::vector<SSignalRegion*>{s}));
  EXPECT_EQ(Items(l->GetAllPowerPlaneRegions()), (std::vector<SPowerPlaneRegion*>{p}));
  EXPECT_TRUE(l->GetAllInsulatorRegions().empty() && l->GetAllRegions().empty());
  delete s2;
  delete i2;
}

// The type starts as the shared "<Unknown>", which is never given to the
// pool: setting, clearing and deleting take it for no text. Outside a
// session the general allocator would report a free of it.
TEST_P(SessionHeapOrNot, PowerPlaneTypeStartsUnknown) {
  SLayer* l = new (heap) SLayer();
  SPowerPlaneRegion* p = l->CreatePowerPlaneRegion("P");
  l->CreatePowerPlaneRegion("Q");
  EXPECT_STREQ(p->GetType(), "<Unknown>");
  p->SetType("GND");
  EXPECT_STREQ(p->GetType(), "GND");
  p->SetType(nullptr);
  EXPECT_TRUE(!p->GetType() && !strcmp(SPowerPlaneRegion::kUnknownType, "<Unknown>")) << "the shared text is untouched";
  delete new (heap) SPowerPlaneRegion();
  delete l;  // deletes both regions, one of them still "<Unknown>"
}

INSTANTIATE_TEST_SUITE_P(Heaps, SessionHeapOrNot, ::testing::Values(true, false));

TEST_F(StackUpTest, EveryCreateFailsCleanly) {
  SLayer* l = su->CreateLayer(1);
  SSignalRegion* s = l->CreateSignalRegion("S");
  auto layers = [this] {
    std::ostringstream o;
    for (auto it = su->GetAllLayers().begin(); it != su->GetAllLayers().end(); ++it) o << it->first << it->second;
    return o.str();
  };
  auto regions = [l] {
    return std::to_string(l->GetAllRegions().size()) + "/" + std::to_string(l->GetAllSignalRegions().size()) + "/" +
           std::to_string(l->GetAllPowerPlaneRegions().size()) + "/" + std::to_string(l->GetAllInsulatorRegions().size());
  };
  EXPECT_GT(EachFailure(heap, [&] { return su->CreateLayer(5) != nullptr; }, layers), 0);
  const char* name = "a fairly long region name, so its text needs a block";
  EXPECT_GT(EachFailure(heap, [&] { return l->CreateSignalRegion(name) != nullptr; }, regions), 0);
  EXPECT_GT(EachFailure(heap, [&] { return l->CreatePowerPlaneRegion(name) != nullptr; }, regions), 0);
  EXPECT_GT(EachFailure(heap, [&] { return l->CreateInsulatorRegion(name) != nullptr; }, regions), 0);
  // A failed setter holds no value.
  auto none = [&] { return std::string(l->GetThicknessVal() ? "t" : "") + (s->GetTLFVal() ? "f" : ""); };
  EXPECT_GT(EachFailure(heap, [&] { return l->SetThickness(1, TAVRIN_UNIT_MIL); }, none), 0);
  EXPECT_GT(EachFailure(heap, [&] { return s->SetTLF(1, TAVRIN_UNIT_MIL); }, none), 0);

  // The layout: a failed CreateStackUp holds none. (The old stack-up's
  // blocks would serve the new one, so the layout starts without.)
  SLayout* layout = new (heap) SLayout();
  {
    Starve(heap);
    FailAfter fail(1);
    EXPECT_EQ(layout->CreateStackUp(), nullptr);
  }
  EXPECT_EQ(layout->GetStackUp(), nullptr);
  EXPECT_NE(layout->CreateStackUp(), nullptr);
  delete layout;
}

// A power-plane region's type set while memory runs out stays as it was.
TEST_F(StackUpTest, PowerPlaneTypeUnderExhaustion) {
  SPowerPlaneRegion* p = su->CreateLayer(1)->CreatePowerPlaneRegion("P");
  auto type = [p] { return std::string(p->GetType() ? p->GetType() : "(null)"); };
  const char* longer = "a type text long enough to need a block of its own from the heap";
  EXPECT_GT(EachFailure(heap, [&] { p->SetType(longer); return type() == longer; }, type), 0);
}

// The save equals the golden file; restored and saved it comes out
// reversed, and once more it is the golden file again.
TEST_F(StackUpTest, GoldenFileAndDoubleRoundTrip) {
  StackBoard b(session);
  const std::string golden = ReadFile(TestData("stackup.tvn"));
  EXPECT_EQ(SaveOf(session), golden);
  std::string reversed = SaveOf(Restored(golden));
  EXPECT_NE(reversed, golden);
  EXPECT_EQ(SaveOf(Restored(reversed)), golden);
  // A "<Unknown>" read back is a text of its own, replaced in place.
  SLayer* l2 = (*Restored(golden)->GetProject("P")->GetDesign("board")->GetAllModules().begin())
                   ->GetLayout()->GetStackUp()->GetLayer(2);
  SPowerPlaneRegion* pu = SPowerPlaneRegion::Cast(l2->GetRegion("PU"));
  ASSERT_TRUE(pu && !std::strcmp(pu->GetType(), "<Unknown>"));
  EXPECT_NE(pu->GetType(), SPowerPlaneRegion::kUnknownType);
  pu->SetType("PWR");
}

// Identifier fields read at the wrong place would pass a byte round trip;
// this file holds a distinct identifier in every one (the values' too), and
// its top layer is 2, whose chain 2, 3 returns to 2.
TEST_F(StackUpTest, DistinctIdentifiers) {
  SSession* s = Restored(ReadFile(TestData("stackup_ids.tvn")));
  SProject* p = s->GetProject("P");
  ASSERT_TRUE(p && p->GetDesign("board"));
  SModule* m = *p->GetDesign("board")->GetAllModules().begin();
  SStackUp* su = m->GetLayout()->GetStackUp();
  std::set<long> ids{m->GetLayout()->GetId(), su->GetId()};
  std::size_t fields = 2;
  for (auto it = su->GetAllLayers().begin(); it != su->GetAllLayers().end(); ++it) {
    SLayer* l = it->second;
    ids.insert(l->GetId());
    ++fields;
    for (SUnitlessValue* v : {l->GetThicknessVal(), l->GetViaDiameterVal()})
      if (v) ids.insert(v->GetId()), ++fields;
    for (auto r = l->GetAllRegions().begin(); r != l->GetAllRegions().end(); ++r) {
      ids.insert(r->second->GetId());
      ++fields;
      if (SSignalRegion* sr = SSignalRegion::Cast(r->second))
        for (SUnitlessValue* v : {sr->GetTLFVal(), sr->GetTraceSpacingVal(), sr->GetTraceWidthVal()})
          if (v) ids.insert(v->GetId()), ++fields;
    }
  }
  EXPECT_EQ(fields, 2u + 3 + 6 + 7);
  EXPECT_TRUE(ids.size() == fields && !ids.count(0)) << "distinct and read";
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

class StackUpDamageTest : public StackUpTest {
 protected:
  void SetUp() override {
    StackUpTest::SetUp();
    session->CreateProject("Existing")->CreateDesignCell("kept")->CreateModule("m");
    before = Fingerprint(session);
    golden = ReadFile(TestData("stackup.tvn"));
    data = DataLines(golden);
  }
  // A damaged file is refused and leaves the session as it was.
  void Refused(const std::string& bytes, const std::string& what) {
    EXPECT_EQ(Restore(session, bytes), 0) << what;
    EXPECT_EQ(Fingerprint(session), before) << what;
  }
  std::string Edited(std::size_t line, const std::string& text) {
    return Reframe(golden, [&](std::vector<std::string>& d) { d.at(line) = text; });
  }
  std::string before, golden;
  std::vector<std::string> data;
};

TEST_F(StackUpDamageTest, TruncationAtEveryByte) {
  for (std::size_t k = 0; k < golden.size(); ++k) {
    ASSERT_EQ(Restore(session, golden.substr(0, k)), 0) << "cut at " << k;
    ASSERT_EQ(Fingerprint(session), before) << "cut at " << k;
  }
}

// The layer records begin with their client flags and name: the layer's
// reference is the line before. Layer 3 is written first (newest first).
TEST_F(StackUpDamageTest, CraftedDamage) {
  std::size_t bot = LineOf(data, "BOT");  // name text; length, flags, reference before it
  ASSERT_EQ(data.at(bot - 1), "3");
  std::size_t botRef = bot - 3;
  ASSERT_EQ(data.at(botRef - 1), "3") << "the layer's key";
  Refused(Edited(botRef, "0"), "a null layer in Layers");

  // Another class where a typed list holds a region: PG (the second index
  // the net "GND" lists: PU came first, newest first) made a signal region
  // or a net, S2 a power-plane region.
  std::size_t gnd = LineOf(data, "GND");
  std::size_t count = LineOf(data, "2", gnd);  // the net's power-plane count after bundles
  std::size_t pgIndex = std::stoul(data.at(count + 2));
  std::size_t s2Index = std::stoul(data.at(LineOf(data, "S2") - 3));
  ASSERT_TRUE(WithClass(golden, pgIndex, "SPowerPlaneRegion") == golden && WithClass(golden, s2Index, "SSignalRegion") == golden);
  Refused(WithClass(golden, pgIndex, "SSignalRegion"), "a signal region in the power-plane list");
  Refused(WithClass(golden, pgIndex, "SNetScalar"), "a net in the power-plane list");
  Refused(WithClass(golden, s2Index, "SPowerPlaneRegion"), "a power-plane region in the signal list");

  // A value claimed twice: layer 1's via diameter names its thickness.
  std::size_t thickness = LineOf(data, "53340");
  std::size_t via = LineOf(data, "381000");
  Refused(Edited(via - 1, data.at(thickness - 1)), "a value claimed twice");
  // A region claimed twice: S2's reference names S1's.
  std::size_t s1 = LineOf(data, "S1", LineOf(data, "SU"));
  std::size_t s2 = LineOf(data, "S2", LineOf(data, "SU"));
  Refused(Edited(s2 - 3, data.at(s1 - 3)), "a region claimed twice");
}

// An object table naming a power-plane region no record refers to: the
// region is made and deleted again with its "<Unknown>" type.
TEST_F(StackUpDamageTest, UnreferencedRegionInTheTable) {
  SSession* s = Restored(WithClassLine(golden, "SPowerPlaneRegion"));
  EXPECT_NE(s->GetProject("P"), nullptr);
}

}  // namespace
