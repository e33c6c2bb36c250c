// Values: units, numeric getters, list and range values and their records.
#include <cmath>
#include <limits>

#include "core/pool.h"
#include "test_element.h"

using namespace tavrin_test;

namespace {
g_TavrinUnitType Unit(int u) { return static_cast<g_TavrinUnitType>(u); }
const int32_t kMax = std::numeric_limits<int32_t>::max();
const int32_t kMin = std::numeric_limits<int32_t>::min();

class ValueFiles : public SessionTest {
 protected:
  std::string File() { return dir.File("v" + std::to_string(++files)); }
  ScratchDir dir;
  int files = 0;
};
}  // namespace

// Factors of the seven units, truncation toward zero, unknown units (0),
// saturation at the 32-bit range.
TEST(Values, UnitsAndConversions) {
  const long factors[] = {1, 38100, 15000000, 1500000, 1500, 38100000, 15};
  SUnitlessValue v;
  for (int u = 0; u < 7; ++u) {
    EXPECT_TRUE(v.SetInUnits(1.0, Unit(u)));
    EXPECT_EQ(v.GetValue(), factors[u]);
    EXPECT_DOUBLE_EQ(v.GetInUnits(Unit(u)), 1.0);
  }
  v.SetInUnits(1.0, TAVRIN_UNIT_INCH);
  EXPECT_DOUBLE_EQ(v.GetInUnits(TAVRIN_UNIT_MIL), 1000.0);
  const std::pair<double, int> cases[] = {{0.0001, 0}, {-1.9999, -2999}, {2.9999, 4499}};
  for (auto c : cases) EXPECT_EQ(FromUnits(c.first, TAVRIN_UNIT_MICRON), c.second);
  v.SetInUnits(-2.5, TAVRIN_UNIT_INTERNAL);
  EXPECT_EQ(v.GetValue(), -2);
  for (int u : {7, -1}) {
    EXPECT_EQ(v.GetInUnits(Unit(u)), 0.0);
    EXPECT_TRUE(v.SetInUnits(5.0, Unit(u)));
    EXPECT_EQ(v.GetValue(), 0);
  }
  EXPECT_EQ(FromUnits(1e6, TAVRIN_UNIT_INCH), kMax);
  EXPECT_EQ(FromUnits(-1e6, TAVRIN_UNIT_INCH), kMin);
  EXPECT_EQ(FromUnits(std::nan(""), TAVRIN_UNIT_MM), 0);
}

// Real values truncate toward zero; ranges match only by bound identity.
TEST(Values, NumericGettersAndMatching) {
  SRealValue r;
  for (auto c : std::vector<std::pair<float, int>>{{-3.7f, -3}, {3.7f, 3}, {1e20f, kMax}, {-1e20f, kMin}}) {
    r.SetValue(c.first);
    EXPECT_EQ(r.GetInteger(), c.second);
  }
  SRealValue same;
  EXPECT_FALSE(r.Matches(&same));
  SRangeValue a, b;
  EXPECT_TRUE(a.Matches(&b));  // no bounds on either side
  EXPECT_FALSE(a.Matches(&r));
  a.CreateLowerIntegerValue();
  b.CreateLowerIntegerValue();
  EXPECT_FALSE(a.Matches(&b));
  EXPECT_TRUE(a.Matches(&a));
}

// Newest first in both lists; DestroyValue only for members; deep nesting
// is deleted without recursing per level (general allocator: leaks show).
TEST(Values, ListOrderAndDestroy) {
  SListValue* l = new SListValue();
  SBooleanValue* b1 = l->CreateBooleanValue();
  SListValue* nested = l->CreateListValue();
  SBooleanValue* b2 = l->CreateBooleanValue();
  EXPECT_EQ(Items(l->GetAllValues()), (std::vector<SValue*>{b2, nested, b1}));
  EXPECT_EQ(Items(l->GetAllBooleanValues()), (std::vector<SBooleanValue*>{b2, b1}));
  nested->CreateEnumeratedValue()->SetName("released with the list");
  l->CreateStringValue()->SetValue("released with the list");
  EXPECT_FALSE(l->DestroyValue(nested->CreateIntegerValue()));
  EXPECT_TRUE(l->DestroyValue(b2));
  EXPECT_FALSE(l->HasValue(b2));
  EXPECT_EQ(Items(l->GetAllBooleanValues()), (std::vector<SBooleanValue*>{b1}));
  EXPECT_EQ(l->GetAllValues().size(), 3u);
  delete l;

  SListValue* root = new SListValue();
  SListValue* deep = root;
  for (int k = 0; k < 300000; ++k) deep = deep->CreateListValue();
  delete root;
}

// A range: id, then each bound as a reference and record or the null
// reference; a bound that is not a number is damage; reading replaces bounds.
TEST_F(ValueFiles, RangeRecords) {
  SRangeValue* r = new (heap) SRangeValue();
  r->CreateUpperIntegerValue()->SetValue(42);
  std::string path = File();
  EXPECT_EQ(SaveRecord(path, r, heap), (Lines{"1", "0", "0", "2", "42", "0", "0"}));
  SRangeValue* old = new SRangeValue();  // general allocator: a bound not deleted leaks
  old->CreateLowerIntegerValue();
  old->CreateStepIntegerValue();
  ASSERT_TRUE(ReadOver(path, old, heap));
  EXPECT_EQ(old->GetLower(), nullptr);
  EXPECT_EQ(old->GetUpper()->GetInteger(), 42);
  EXPECT_EQ(old->GetStep(), nullptr);
  old->DestroyUpper();
  delete old;

  r->CreateLowerRealValue()->SetValue(1.5f);
  r->CreateStepUnitlessValue()->SetValue(-38100);
  SRangeValue* back = RoundTrip(File(), r, heap);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(SRealValue::Cast(back->GetLower())->GetValue(), 1.5f);
  EXPECT_EQ(SIntegerValue::Cast(back->GetUpper())->GetValue(), 42);
  EXPECT_EQ(SUnitlessValue::Cast(back->GetStep())->GetValue(), -38100);

  WriteRecordFile(path, {"1", "0", "2", "1", "x", "0", "0", "0"}, {"SRangeValue", "SStringValue"});
  EXPECT_EQ(LoadRecord<SRangeValue>(path, heap), nullptr);
}

// A list: id, then the eight typed lists. Read back, every typed list is
// reversed and the all-values list starts with the last range read and
// ends with the first enumerated value read.
TEST_F(ValueFiles, ListRecords) {
  SListValue* l = new (heap) SListValue();
  l->CreateIntegerValue()->SetValue(7);
  l->CreateBooleanValue()->SetValue(true);
  l->CreateRealValue()->SetValue(1.5f);
  l->CreateEnumeratedValue()->SetName("RED");
  // id; enumerated, boolean, string, integer, real, unitless, list, range
  EXPECT_EQ(SaveRecord(File(), l, heap), (Lines{"1", "0", "1", "2", "3", "RED", "0", "0", "1", "3", "1", "0", "0",
                                                 "1", "4", "7", "0", "1", "5", "1.50000000", "0", "0", "0", "0"}));

  l->CreateEnumeratedValue()->SetName("BLUE");
  l->CreateStringValue()->SetValue("s1");
  l->CreateStringValue()->SetValue("s2");
  l->CreateListValue()->CreateIntegerValue();
  l->CreateRangeValue()->CreateLowerIntegerValue();
  l->CreateRangeValue();
  SListValue* back = RoundTrip(File(), l, heap);
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(Items(back->GetAllEnumeratedValues())[0]->GetName(), "RED");
  EXPECT_STREQ(Items(back->GetAllStringValues())[0]->GetValue(), "s1");
  std::vector<SRangeValue*> ranges = Items(back->GetAllRangeValues());
  ASSERT_EQ(ranges.size(), 2u);
  EXPECT_NE(ranges[0]->GetLower(), nullptr);
  std::vector<SValue*> all = Items(back->GetAllValues());
  std::vector<int> types;
  for (SValue* v : all) types.push_back(v->GetType());
  EXPECT_EQ(types, (std::vector<int>{10, 10, 9, 4, 5, 2, 2, 6, 7, 7}));
  EXPECT_EQ(all.front(), ranges[0]);
  EXPECT_EQ(all.back(), Items(back->GetAllEnumeratedValues())[1]);
}

// Damaged list records fail the read instead of using what they hold.
TEST_F(ValueFiles, DamagedListRecordsFailCleanly) {
  const Lines classes = {"SListValue", "SIntegerValue", "SBooleanValue"};
  const Lines cases[] = {
      {"1", "0", "0", "1", "0"},                           // null element
      {"1", "0", "0", "1", "2", "5", "0"},                 // integer in the boolean list
      {"1", "0", "0", "2", "3", "1", "0", "3", "1", "0"},  // one element twice
      {"1", "0", "0", "0", "0", "0", "0", "0", "1", "1"},  // the list inside itself
      {"1", "0", "0", "1", "3", "1"},                      // truncated
  };
  std::string path = File();
  for (const Lines& lines : cases) {
    WriteRecordFile(path, lines, classes);
    EXPECT_EQ(LoadRecord<SListValue>(path, heap), nullptr) << lines.size();
  }
  WriteRecordFile(path, {"1", "0", "0", "1", "3", "1", "0", "0", "0", "0", "0", "0", "0"}, classes);
  EXPECT_NE(LoadRecord<SListValue>(path, heap), nullptr);
}

// Nesting is bounded at 1000 levels, for reading and for writing.
TEST_F(ValueFiles, ListNestingIsBounded) {
  auto nested = [](int depth, Lines* classes) {  // a root list with depth lists nested in it
    Lines lines = {"1"};
    for (int level = 0; level <= depth; ++level) {
      classes->push_back("SListValue");
      lines.insert(lines.end(), {"0", "0", "0", "0", "0", "0", "0"});  // id and six empty lists
      if (level < depth) lines.insert(lines.end(), {"1", std::to_string(level + 2)});
    }
    lines.push_back("0");
    lines.insert(lines.end(), std::size_t(depth) + 1, "0");  // the range counts
    return lines;
  };
  std::string path = File();
  for (int depth : {1000, 1001}) {
    Lines classes;
    WriteRecordFile(path, nested(depth, &classes), classes);
    EXPECT_EQ(LoadRecord<SListValue>(path, heap) != nullptr, depth == 1000);
  }
  SListValue* root = new (heap) SListValue();
  SListValue* l = root;
  for (int k = 0; k < 1000; ++k) l = l->CreateListValue();
  EXPECT_NE(RoundTrip(path, root, heap), nullptr);
  l->CreateListValue();
  PersistentFile out(File().c_str(), 1, heap);
  out.WritePointer(root);
  root->Serialize(out);
  EXPECT_FALSE(out.Close());
}

// Reading a record over an enumerated value releases its old name: the
// pools hand out the most recently released block of a size first.
TEST_F(ValueFiles, ReadingRecordsReleasesOldTexts) {
  SEnumeratedValue* e = new (heap) SEnumeratedValue();
  e->SetName("old");
  char* oldName = e->GetName();
  std::string path = File();
  WriteRecordFile(path, {"1", "3", "new", "4", "0"}, {"SEnumeratedValue"});
  ASSERT_TRUE(ReadOver(path, e, heap));
  EXPECT_STREQ(e->GetName(), "new");
  EXPECT_EQ(e->GetValue(), 4);
  EXPECT_EQ(tavrin::TextAlloc(heap, 4), oldName);
}
