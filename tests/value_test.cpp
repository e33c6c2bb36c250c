// Values: units, list and range values and their records.
#include <cmath>

#include "test_element.h"

using namespace tavrin_test;

namespace {
g_TavrinUnitType Unit(int u) { return static_cast<g_TavrinUnitType>(u); }
using ValueFiles = ElementTest;
}  // namespace

// Unit factors, truncation toward zero, unknown units (0), saturation at the 32-bit range.
TEST(Values, UnitsAndConversions) {
  const long factors[] = {1, 38100, 15000000, 1500000, 1500, 38100000, 15};
  SUnitlessValue v;
  for (int u = 0; u < 7; ++u)
    EXPECT_TRUE(v.SetInUnits(1.0, Unit(u)) && v.GetValue() == factors[u] && v.GetInUnits(Unit(u)) == 1.0) << u;
  EXPECT_EQ(tavrin::FromUnits(-1.9999, TAVRIN_UNIT_MICRON), -2999);
  for (int u : {7, -1}) EXPECT_TRUE(v.GetInUnits(Unit(u)) == 0.0 && v.SetInUnits(5.0, Unit(u)) && v.GetValue() == 0) << u;
  EXPECT_EQ(tavrin::FromUnits(1e6, TAVRIN_UNIT_INCH), INT32_MAX);
  EXPECT_EQ(tavrin::FromUnits(-1e6, TAVRIN_UNIT_INCH), INT32_MIN);
  EXPECT_EQ(tavrin::FromUnits(std::nan(""), TAVRIN_UNIT_MM), 0);
  SRealValue r;  // through the same truncation as FromUnits
  r.SetValue(-3.7f);
  EXPECT_EQ(r.GetInteger(), -3);
}

// DestroyValue takes members only, off their typed list too; deep nesting deletes without recursion.
TEST(Values, ListDestroy) {
  SListValue* l = new SListValue();
  SBooleanValue* b1 = l->CreateBooleanValue();
  SListValue* nested = l->CreateListValue();
  nested->CreateEnumeratedValue()->SetName("released with the list");
  EXPECT_FALSE(l->DestroyValue(nested->CreateIntegerValue()));
  EXPECT_TRUE(l->DestroyValue(l->CreateBooleanValue()) && l->DestroyValue(l->CreateStringValue()));
  EXPECT_TRUE(l->GetAllStringValues().empty());
  SRangeValue* r = l->CreateRangeValue();
  r->CreateUpperIntegerValue();
  EXPECT_TRUE(r->DestroyUpper() && !r->GetUpper());  // and the list's delete does not free it again
  EXPECT_EQ(Items(l->GetAllValues()), (std::vector<SValue*>{r, nested, b1}));
  delete l;
  SListValue* deep = l = new SListValue();
  for (int k = 0; k < 300000; ++k) deep = deep->CreateListValue();
  delete l;
}

// Range: id, each bound (reference and record, or 0). List: id, the eight typed lists.
TEST_F(ValueFiles, RangeAndListRecords) {
  SRangeValue* r = new (heap) SRangeValue();
  r->CreateUpperIntegerValue()->SetValue(42);
  std::string path = File();
  EXPECT_EQ(SaveRecord(path, r, heap), (Lines{"1", "0", "0", "2", "42", "0", "0"}));
  SListValue* l = new (heap) SListValue();
  l->CreateIntegerValue()->SetValue(7);
  l->CreateEnumeratedValue()->SetName("RED");
  EXPECT_EQ(SaveRecord(path, l, heap),  // id; enumerated (name, value, id), booleans, strings, integers, ...
            (Lines{"1", "0", "1", "2", "3", "RED", "0", "0", "0", "0", "1", "3", "7", "0", "0", "0", "0", "0"}));
  const Lines classes = {"SListValue", "SIntegerValue", "SBooleanValue"};
  const Lines cases[] = {
      {"1", "0", "0", "2", "3", "1", "0", "3", "1", "0"},  // one element twice
      {"1", "0", "0", "0", "0", "0", "0", "0", "1", "1"},  // the list inside itself
  };
  for (const Lines& lines : cases) {
    WriteRecordFile(path, lines, classes);
    EXPECT_EQ(LoadRecord<SListValue>(path, heap), nullptr) << lines.size();
  }
  WriteRecordFile(path, {"1", "0", "0", "1", "3", "1", "0", "0", "0", "0", "0", "0", "0"}, classes);
  EXPECT_NE(LoadRecord<SListValue>(path, heap), nullptr);  // the same lines, sound
}

