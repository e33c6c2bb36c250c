// Values: units, numeric getters, list and range values and their records.
#include <cmath>
#include <limits>

#include "test_element.h"

using namespace tavrin_test;

namespace {
g_TavrinUnitType Unit(int u) { return static_cast<g_TavrinUnitType>(u); }
const int32_t kMax = std::numeric_limits<int32_t>::max();
const int32_t kMin = std::numeric_limits<int32_t>::min();
class ValueFiles : public ElementTest {};
}  // namespace

// Factors of the seven units, truncation toward zero, unknown units (0),
// saturation at the 32-bit range, for units and for real values.
TEST(Values, UnitsAndConversions) {
  const long factors[] = {1, 38100, 15000000, 1500000, 1500, 38100000, 15};
  SUnitlessValue v;
  for (int u = 0; u < 7; ++u) {
    EXPECT_TRUE(v.SetInUnits(1.0, Unit(u)));
    EXPECT_EQ(v.GetValue(), factors[u]);
    EXPECT_DOUBLE_EQ(v.GetInUnits(Unit(u)), 1.0);
  }
  const std::pair<double, int> cases[] = {{0.0001, 0}, {-1.9999, -2999}, {2.9999, 4499}};
  for (auto c : cases) EXPECT_EQ(tavrin::FromUnits(c.first, TAVRIN_UNIT_MICRON), c.second);
  v.SetInUnits(-2.5, TAVRIN_UNIT_INTERNAL);
  EXPECT_EQ(v.GetValue(), -2);
  for (int u : {7, -1}) {
    EXPECT_EQ(v.GetInUnits(Unit(u)), 0.0);
    EXPECT_TRUE(v.SetInUnits(5.0, Unit(u)));
    EXPECT_EQ(v.GetValue(), 0);
  }
  EXPECT_EQ(tavrin::FromUnits(1e6, TAVRIN_UNIT_INCH), kMax);
  EXPECT_EQ(tavrin::FromUnits(-1e6, TAVRIN_UNIT_INCH), kMin);
  EXPECT_EQ(tavrin::FromUnits(std::nan(""), TAVRIN_UNIT_MM), 0);
  SRealValue r;  // real values truncate toward zero too
  for (auto c : std::vector<std::pair<float, int>>{{-3.7f, -3}, {3.7f, 3}, {1e20f, kMax}, {-1e20f, kMin}}) {
    r.SetValue(c.first);
    EXPECT_EQ(r.GetInteger(), c.second);
  }
}

// DestroyValue only for members; deep nesting is deleted without recursion.
TEST(Values, ListDestroy) {
  SListValue* l = new SListValue();
  SBooleanValue* b1 = l->CreateBooleanValue();
  SListValue* nested = l->CreateListValue();
  SBooleanValue* b2 = l->CreateBooleanValue();
  nested->CreateEnumeratedValue()->SetName("released with the list");
  EXPECT_FALSE(l->DestroyValue(nested->CreateIntegerValue()));
  EXPECT_TRUE(l->DestroyValue(b2));
  EXPECT_EQ(Items(l->GetAllValues()), (std::vector<SValue*>{nested, b1}));
  delete l;
  SListValue* deep = l = new SListValue();
  for (int k = 0; k < 300000; ++k) deep = deep->CreateListValue();
  delete l;
}

// A range: id, then each bound as a reference and record or the null
// reference; a bound that is not a number is damage.
TEST_F(ValueFiles, RangeRecords) {
  SRangeValue* r = new (heap) SRangeValue();
  r->CreateUpperIntegerValue()->SetValue(42);
  std::string path = File();
  EXPECT_EQ(SaveRecord(path, r, heap), (Lines{"1", "0", "0", "2", "42", "0", "0"}));
  WriteRecordFile(path, {"1", "0", "2", "1", "x", "0", "0", "0"}, {"SRangeValue", "SStringValue"});
  EXPECT_EQ(LoadRecord<SRangeValue>(path, heap), nullptr);
}

// A list: id, then the eight typed lists. Read back, typed lists are reversed
// and all values run from the last range read to the first enumerated one.
TEST_F(ValueFiles, ListRecords) {
  std::string path = File();
  SListValue* l = new (heap) SListValue();
  l->CreateIntegerValue()->SetValue(7);
  l->CreateBooleanValue()->SetValue(true);
  l->CreateRealValue()->SetValue(1.5f);
  l->CreateEnumeratedValue()->SetName("RED");
  // id; enumerated, boolean, string, integer, real, unitless, list, range
  EXPECT_EQ(SaveRecord(path, l, heap), (Lines{"1", "0", "1", "2", "3", "RED", "0", "0", "1", "3", "1", "0", "0",
                                                 "1", "4", "7", "0", "1", "5", "1.50000000", "0", "0", "0", "0"}));
  l->CreateEnumeratedValue()->SetName("BLUE");
  l->CreateStringValue()->SetValue("s1");
  l->CreateStringValue()->SetValue("s2");
  l->CreateListValue()->CreateIntegerValue();
  l->CreateRangeValue()->CreateLowerIntegerValue();
  l->CreateRangeValue();
  SaveRecord(path, l, heap);
  SListValue* back = LoadRecord<SListValue>(path, heap);
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
  EXPECT_NE(LoadRecord<SListValue>(path, heap), nullptr);  // the same lines, sound
}

// Nesting is bounded at kMaxNesting levels, for reading and for writing.
TEST_F(ValueFiles, ListNestingIsBounded) {
  std::string path = File();
  const int deepest = PersistentStore::kMaxNesting - 1;  // the root is one level
  for (int depth : {deepest, deepest + 1}) {  // a root list with depth lists nested in it
    Lines lines = {"1"}, classes;
    for (int level = 0; level <= depth; ++level) {
      classes.push_back("SListValue");
      lines.insert(lines.end(), {"0", "0", "0", "0", "0", "0", "0"});  // id and six empty lists
      if (level < depth) lines.insert(lines.end(), {"1", std::to_string(level + 2)});
    }
    lines.push_back("0");
    lines.insert(lines.end(), std::size_t(depth) + 1, "0");  // the range counts
    WriteRecordFile(path, lines, classes);
    EXPECT_EQ(LoadRecord<SListValue>(path, heap) != nullptr, depth == deepest);
  }
  SListValue* root = new (heap) SListValue();
  SListValue* l = root;
  for (int k = 0; k <= PersistentStore::kMaxNesting; ++k) l = l->CreateListValue();
  PersistentFile out(File().c_str(), 1, heap);
  out.WritePointer(root);
  root->Serialize(out);
  EXPECT_FALSE(out.Close());
}
