// Part instances and part pin instances, and their records.
#include <climits>

#include "file_test.h"
#include "test_element.h"

using namespace tavrin_test;

namespace {

class PartInstanceTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    u1 = m->CreatePartInstance("U1", chip);
  }
  SPartInstance* u1 = nullptr;
};

// Degrees beyond a full turn are reduced keeping their sign; INT_MIN is reduced in 64 bits.
TEST_F(PartInstanceTest, RotationAndCoordinates) {
  const std::pair<int, int> cases[] = {{450, 90000}, {-450, -90000}, {360, 360000}, {INT_MAX, 127000}, {INT_MIN, -128000}};
  for (auto c : cases) {
    u1->SetRotation(c.first);
    EXPECT_EQ(u1->GetRotation1000(), c.second) << c.first;
  }
  for (auto c : {std::make_pair(45500, 45), {-1999, -1}, {INT_MIN, INT_MIN / 1000}}) {
    u1->SetRotation1000(c.first);
    EXPECT_EQ(u1->GetRotation(), c.second) << c.first;
  }
  // Coordinates convert as unitless values, clamped to 32 bits; an unknown unit gives 0.
  SPartPinInstance* p = u1->CreatePartPinInstance("1");
  EXPECT_TRUE(u1->SetX(2.0, TAVRIN_UNIT_MIL) && u1->SetY(-1.5, TAVRIN_UNIT_MM));
  EXPECT_TRUE(p->SetX(3.0, TAVRIN_UNIT_MICRON) && p->SetY(1e30, TAVRIN_UNIT_INCH));
  EXPECT_TRUE(u1->GetXVal() == 76200 && u1->GetYVal() == -2250000 && p->GetXVal() == 4500 && p->GetYVal() == INT32_MAX);
  EXPECT_DOUBLE_EQ(p->GetX(TAVRIN_UNIT_MICRON), 3.0);
  EXPECT_EQ(u1->GetY(static_cast<g_TavrinUnitType>(99)), 0.0);
  EXPECT_TRUE(u1->SetX(5, static_cast<g_TavrinUnitType>(-1)) && u1->GetXVal() == 0);
}

// The EBD flag follows the EBD pins held (pins by name: named_family_test).
TEST_F(PartInstanceTest, EbdPins) {
  EXPECT_FALSE(u1->GetbIsEBD());
  SEbdPin* e = u1->CreateEbdPin("E1");
  EXPECT_TRUE(u1->GetbIsEBD() && e->GetPartInstance() == u1 && u1->GetEbdPin("E1") == e);
  EXPECT_TRUE(u1->DestroyEbdPin("E1") && !u1->GetbIsEBD() && !u1->DestroyEbdPin("E1"));
  delete e;
}

// The first part of the cell decides; no part, no cell: not passive.
TEST_F(PartInstanceTest, IsPassive) {
  EXPECT_FALSE(u1->IsPassive());
  SPart* part = chip->CreatePart("phys");
  for (int type = 0; type <= 7; ++type) {
    part->SetType(static_cast<TavrinPartType>(type));
    EXPECT_EQ(u1->IsPassive(), type == 1 || type == 3 || type == 5 || type == 6) << type;
  }
  EXPECT_FALSE((new (heap) SPartInstance())->IsPassive());
}

// The instance's own string value wins; a value of another class counts as none.
TEST_F(PartInstanceTest, AttributeFallback) {
  chip->SetAttribute("VALUE", "10k");
  EXPECT_STREQ(u1->GetAttributeValue("VALUE")->GetValue(), "10k");
  u1->SetAttribute("VALUE", "4k7");
  EXPECT_STREQ(u1->GetAttributeValue("VALUE")->GetValue(), "4k7");
  {
    NativeMode native(true);
    u1->SetAttribute("TOL", 5);
    chip->SetAttribute("TOL", "1%");
    chip->SetAttribute("N", 3);
  }
  EXPECT_STREQ(u1->GetAttributeValue("TOL")->GetValue(), "1%");
  EXPECT_FALSE(u1->GetAttributeValue("N") || u1->GetAttributeValue(nullptr) || (new (heap) SPartInstance())->GetAttributeValue("VALUE"));
}

// A net reaches a pin through a port instance's part pin instance and its refdes.
TEST_F(PartInstanceTest, NetConnectsToPin) {
  SNetScalar* net = m->CreateNetScalar("N");
  SPartPinInstance* p3 = u1->CreatePartPinInstance("3");
  SPortInstanceScalar* pis = u1->CreatePortInstanceScalar("3");
  SPortInstanceScalar* bare = u1->CreatePortInstanceScalar("4");
  net->InsertPortInstanceScalar(bare);
  net->InsertPortInstanceScalar(pis);
  EXPECT_EQ(net->NetConnectsToPin("U1", "3"), 0) << "the port instance has no pin instance yet";
  pis->SetPartPinInstance(p3);
  EXPECT_EQ(net->NetConnectsToPin("U1", "3"), 0) << "no reference designator";
  u1->SetRefDes("U1");
  EXPECT_EQ(net->NetConnectsToPin("U1", "3"), 1);
  EXPECT_EQ(net->NetConnectsToPin("u1", "3") + net->NetConnectsToPin("U1", "4") + net->NetConnectsToPin(nullptr, "3"), 0);
}

// A part instance record (layer 2, "U5", 90 degrees, X 10, Y -20), one pin instance (drill "D", X 3),
// after 15 lines: the root reference, the empty design element and cell instance records.
class PartInstanceRecord : public PartInstanceTest {
 protected:
  static const std::size_t kHead = 15;
  // Layer, RefDes, rotation, id; a pin instance (key, reference, design element,
  // overrides, four references, id, X, Y); X, Y.
  const Lines kTail = {"2", "2", "U5", "90000", "-1", "1", "1", "1", "2",
                       "0", "1", "1", "0", "0", "0", "0", "0",
                       "1", "D", "0", "0", "0", "1", "0", "-1", "3", "0",
                       "10", "-20"};
  const Lines kClasses = {"SPartInstance", "SPartPinInstance", "SUnitlessValue", "SUnitlessValue"};
  static const std::size_t kId = 4, kPadStack = 20, kPinId = 24, kPinX = 25, kX = 27;
  Lines WithTail(const Lines& tail) {
    Lines all(kHead, "0");
    all[0] = "1";
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
  }
};

// Another id names the older form: each coordinate an optional value whose integer is taken before it
// is deleted (read once outside a session, for the sanitizers). A pad stack of another class reads as null.
TEST_F(PartInstanceRecord, OlderValueObjectFormAndPadStack) {
  Lines tail = kTail;
  tail[kPadStack] = "2";
  tail[kId] = "5";
  tail[kPinId] = "4";
  tail.erase(tail.begin() + kX, tail.end());
  tail.insert(tail.end(), {"0", "3", "-20", "0"});  // X null, Y a value of -20
  tail.erase(tail.begin() + kPinX, tail.begin() + kPinX + 2);
  tail.insert(tail.begin() + kPinX, {"4", "3", "0", "0"});  // X a value of 3, Y null
  const std::string path = dir.File("record");
  WriteRecordFile(path, WithTail(tail), kClasses);
  SPartInstance* back = LoadRecord<SPartInstance>(path, heap);
  ASSERT_TRUE(back && back->GetId() == 5 && back->GetXVal() == 0 && back->GetYVal() == -20);
  ASSERT_EQ(back->GetAllPartPinInstances().size(), 1u);
  SPartPinInstance* p = back->GetPartPinInstance("1");
  ASSERT_TRUE(p && p->GetId() == 4 && p->GetXVal() == 3 && p->GetYVal() == 0);
  EXPECT_EQ(p->GetPadStack(), nullptr);
  Lines pinless(kTail.begin(), kTail.begin() + kId + 1);  // no pin instances
  pinless[kId] = "5";
  pinless.insert(pinless.end(), {"0", "3", "-20", "0", "4", "30", "0"});
  WriteRecordFile(path, WithTail(pinless), kClasses);
  back = LoadRecord<SPartInstance>(path, nullptr);
  ASSERT_TRUE(back && back->GetXVal() == -20 && back->GetYVal() == 30);
  delete back;

  // A value referred to again after it was taken (and deleted) is damage, as is a coordinate of another class.
  for (const char* again : {"3", "2"}) {
    Lines twice = pinless;
    twice[kId] = "0";
    twice.erase(twice.end() - 4, twice.end());
    twice.push_back(again);
    WriteRecordFile(path, WithTail(twice), kClasses);
    EXPECT_EQ(LoadRecord<SPartInstance>(path, nullptr), nullptr) << again;
  }
}

}  // namespace
