// Values: units and conversions, scalar getters, list and range values and
// their records.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/pool.h"
#include "fixture.h"
#include "memory_store.h"

using namespace tavrin_test;

namespace {

template <class T>
std::vector<T*> Items(const RelLinkedList<T*>& list) {
  std::vector<T*> out;
  for (auto it = list.begin(); it != list.end(); ++it) out.push_back(*it);
  return out;
}

g_TavrinUnitType Unit(int u) { return static_cast<g_TavrinUnitType>(u); }

}  // namespace

// ---- units ------------------------------------------------------------------

TEST(Units, EachUnitHasItsFactor) {
  const double factors[] = {1, 38100, 15000000, 1500000, 1500, 38100000, 15};
  SUnitlessValue v;
  for (int u = 0; u < 7; ++u) {
    EXPECT_TRUE(v.SetInUnits(1.0, Unit(u)));
    EXPECT_EQ(v.GetValue(), static_cast<long>(factors[u])) << "unit " << u;
    EXPECT_DOUBLE_EQ(v.GetInUnits(Unit(u)), 1.0) << "unit " << u;
  }
}

TEST(Units, ConversionsBetweenUnits) {
  SUnitlessValue v;
  v.SetInUnits(1.0, TAVRIN_UNIT_INCH);
  EXPECT_EQ(v.GetValue(), 38100000);
  EXPECT_DOUBLE_EQ(v.GetInUnits(TAVRIN_UNIT_MIL), 1000.0);
  EXPECT_DOUBLE_EQ(v.GetInUnits(TAVRIN_UNIT_MM), 25.4);
  EXPECT_DOUBLE_EQ(ToUnits(7, TAVRIN_UNIT_INTERNAL), 7.0);
  EXPECT_DOUBLE_EQ(ToUnits(-3000, TAVRIN_UNIT_MICRON), -2.0);
}

TEST(Units, TruncationTowardZero) {
  SUnitlessValue v;
  v.SetInUnits(0.0001, TAVRIN_UNIT_MICRON);  // 0.15 internal units
  EXPECT_EQ(v.GetValue(), 0);
  v.SetInUnits(-2.5, TAVRIN_UNIT_INTERNAL);
  EXPECT_EQ(v.GetValue(), -2);
  v.SetInUnits(-1.9999, TAVRIN_UNIT_MICRON);  // -2999.85
  EXPECT_EQ(v.GetValue(), -2999);
  v.SetInUnits(2.9999, TAVRIN_UNIT_HUNDREDTH_MICRON);  // 44.9985
  EXPECT_EQ(v.GetValue(), 44);
}

TEST(Units, UnknownUnits) {
  SUnitlessValue v;
  v.SetValue(12345);
  for (int u : {7, -1, 1000}) {
    EXPECT_EQ(v.GetInUnits(Unit(u)), 0.0);
    EXPECT_EQ(FromUnits(1.0, Unit(u)), 0);
  }
  EXPECT_TRUE(v.SetInUnits(5.0, Unit(7)));
  EXPECT_EQ(v.GetValue(), 0);
}

TEST(Units, OutOfRangeAmountsSaturate) {
  EXPECT_EQ(FromUnits(1e6, TAVRIN_UNIT_INCH), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(FromUnits(-1e6, TAVRIN_UNIT_INCH), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(FromUnits(std::nan(""), TAVRIN_UNIT_MM), 0);
  EXPECT_EQ(FromUnits(std::numeric_limits<double>::infinity(), TAVRIN_UNIT_MM),
            std::numeric_limits<int32_t>::max());
}

// ---- scalars -------------------------------------------------------------------

TEST(Scalars, NumericGetters) {
  SRealValue r;
  r.SetValue(-3.7f);
  EXPECT_EQ(r.GetInteger(), -3);
  r.SetValue(3.7f);
  EXPECT_EQ(r.GetInteger(), 3);
  r.SetValue(1e20f);
  EXPECT_EQ(r.GetInteger(), std::numeric_limits<int32_t>::max());
  SIntegerValue i;
  i.SetValue(-7);
  EXPECT_EQ(i.GetReal(), -7.0f);
  EXPECT_EQ(i.GetInteger(), -7);
  SUnitlessValue u;
  u.SetValue(1500);
  EXPECT_EQ(u.GetInteger(), 1500);
  EXPECT_EQ(u.GetReal(), 1500.0f);
}

TEST(Scalars, TypesNamesAndMatching) {
  SStringValue s;
  SRealValue r;
  SIntegerValue i;
  SBooleanValue b;
  SEnumeratedValue e;
  SUnitlessValue u;
  SListValue l;
  SRangeValue g;
  SValue* all[] = {&s, &r, &i, &b, &e, &u, &l, &g};
  const int types[] = {2, 4, 5, 6, 7, 8, 9, 10};
  const char* names[] = {"class SStringValue", "class SRealValue", "class SIntegerValue",
                         "class SBooleanValue", "class SEnumeratedValue", "class SUnitlessValue",
                         "class SListValue", "class SRangeValue"};
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(all[k]->GetType(), types[k]);
    EXPECT_STREQ(all[k]->GetClassName(), names[k]);
    EXPECT_EQ(all[k]->GetId(), 0);
  }
  EXPECT_NE(SNumericValue::Cast(&u), nullptr);
  EXPECT_EQ(SNumericValue::Cast(&s), nullptr);
  EXPECT_NE(SScalarValue::Cast(&b), nullptr);
  EXPECT_EQ(SScalarValue::Cast(&l), nullptr);

  SIntegerValue j;
  i.SetValue(4);
  j.SetValue(4);
  EXPECT_FALSE(i.Matches(&j));
  EXPECT_FALSE(i.Matches(&i));
}

TEST_F(SessionTest, StringAndNameTextsAreCopies) {
  SListValue* l = new (heap) SListValue();
  SStringValue* s = l->CreateStringValue();
  SEnumeratedValue* e = l->CreateEnumeratedValue();
  char text[] = "abc";
  s->SetValue(text);
  e->SetName(text);
  text[0] = 'x';
  EXPECT_STREQ(s->GetValue(), "abc");
  EXPECT_STREQ(e->GetName(), "abc");
  EXPECT_EQ(tavrin::BlockHeap(s->GetValue()), heap);
  delete l;
}

// ---- range values ------------------------------------------------------------------

TEST(RangeValue, BoundsAreReplacedAndDestroyed) {
  // Without a session heap every block comes from the general allocator, so
  // a bound that is not deleted shows up as a leak under the sanitizers.
  SRangeValue* r = new SRangeValue();
  SIntegerValue* lo = r->CreateLowerIntegerValue();
  ASSERT_NE(lo, nullptr);
  EXPECT_EQ(r->GetLower(), lo);
  SRealValue* lo2 = r->CreateLowerRealValue();
  EXPECT_EQ(r->GetLower(), lo2);
  r->CreateUpperUnitlessValue()->SetValue(9);
  r->CreateStepIntegerValue();
  EXPECT_TRUE(r->DestroyStep());
  EXPECT_EQ(r->GetStep(), nullptr);
  EXPECT_TRUE(r->DestroyStep());
  EXPECT_EQ(r->GetUpper()->GetInteger(), 9);
  delete r;
}

TEST(RangeValue, MatchesByIdentityOfBounds) {
  SRangeValue a, b;
  EXPECT_TRUE(a.Matches(&b));
  SIntegerValue i;
  EXPECT_FALSE(a.Matches(&i));
  EXPECT_FALSE(a.Matches(nullptr));
  a.CreateLowerIntegerValue()->SetValue(1);
  b.CreateLowerIntegerValue()->SetValue(1);
  EXPECT_FALSE(a.Matches(&b));
  EXPECT_FALSE(b.Matches(&a));
  EXPECT_TRUE(a.Matches(&a));
}

TEST_F(SessionTest, RangeWithOnlyUpperBoundRecord) {
  SRangeValue* r = new (heap) SRangeValue();
  r->CreateUpperIntegerValue()->SetValue(42);
  Saved saved = Save(r);
  // root reference, id, null lower, upper reference and record, null step
  EXPECT_EQ(saved.lines, (std::vector<std::string>{"1", "0", "0", "2", "42", "0", "0"}));
  EXPECT_EQ(saved.classes, (std::vector<std::string>{"", "class SRangeValue", "class SIntegerValue"}));

  SRangeValue* back = Load<SRangeValue>(saved, heap);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetLower(), nullptr);
  EXPECT_EQ(back->GetStep(), nullptr);
  ASSERT_NE(SIntegerValue::Cast(back->GetUpper()), nullptr);
  EXPECT_EQ(back->GetUpper()->GetInteger(), 42);
}

TEST_F(SessionTest, RangeRoundTripKeepsBoundClassesAndValues) {
  SRangeValue* r = new (heap) SRangeValue();
  r->CreateLowerRealValue()->SetValue(1.5f);
  r->CreateUpperUnitlessValue()->SetValue(-38100);
  r->CreateStepIntegerValue()->SetValue(3);
  SRangeValue* back = RoundTrip(r, heap);
  ASSERT_NE(back, nullptr);
  ASSERT_NE(SRealValue::Cast(back->GetLower()), nullptr);
  EXPECT_EQ(back->GetLower()->GetReal(), 1.5f);
  ASSERT_NE(SUnitlessValue::Cast(back->GetUpper()), nullptr);
  EXPECT_EQ(back->GetUpper()->GetInteger(), -38100);
  ASSERT_NE(SIntegerValue::Cast(back->GetStep()), nullptr);
  EXPECT_EQ(back->GetStep()->GetInteger(), 3);
}

TEST_F(SessionTest, RangeBoundThatIsNotNumericIsDamage) {
  // lower bound refers to a string value, whose record would follow
  Saved bad{{"1", "0", "2", "1", "x", "0", "0", "0"}, {"", "SRangeValue", "SStringValue"}};
  EXPECT_EQ(Load<SRangeValue>(bad, heap), nullptr);
  // a list value as step
  Saved bad2{{"1", "0", "0", "0", "2", "0", "0", "0", "0", "0", "0", "0", "0", "0"},
             {"", "SRangeValue", "SListValue"}};
  EXPECT_EQ(Load<SRangeValue>(bad2, heap), nullptr);
}

TEST_F(SessionTest, ReadingARangeReplacesItsBounds) {
  SRangeValue* r = new SRangeValue();  // general allocator: a kept bound leaks
  r->CreateLowerIntegerValue()->SetValue(5);
  r->CreateStepIntegerValue();
  MemoryStore in({"0", "0", "2", "8", "0", "0"}, {"", "SRangeValue", "SIntegerValue"}, heap);
  EXPECT_EQ(r->Serialize(in), 0);
  EXPECT_EQ(r->GetLower(), nullptr);
  ASSERT_NE(r->GetUpper(), nullptr);
  EXPECT_EQ(r->GetUpper()->GetInteger(), 8);
  EXPECT_EQ(r->GetStep(), nullptr);
  r->DestroyUpper();
  delete r;
}

// ---- list values ------------------------------------------------------------------

TEST(ListValue, CreationOrderAndTypedLists) {
  SListValue* l = new SListValue();
  SBooleanValue* b1 = l->CreateBooleanValue();
  SIntegerValue* i = l->CreateIntegerValue();
  SBooleanValue* b2 = l->CreateBooleanValue();
  EXPECT_EQ(Items(l->GetAllValues()), (std::vector<SValue*>{b2, i, b1}));
  EXPECT_EQ(Items(l->GetAllBooleanValues()), (std::vector<SBooleanValue*>{b2, b1}));
  EXPECT_EQ(Items(l->GetAllIntegerValues()), (std::vector<SIntegerValue*>{i}));
  EXPECT_TRUE(l->GetAllStringValues().empty());
  EXPECT_TRUE(l->HasValue(i));
  delete l;
}

TEST(ListValue, DestroyValueLeavesNoTrace) {
  SListValue* l = new SListValue();
  SListValue* other = new SListValue();
  SRangeValue* r = l->CreateRangeValue();
  SListValue* nested = l->CreateListValue();
  nested->CreateStringValue()->SetValue("inner");
  SStringValue* foreign = other->CreateStringValue();
  foreign->SetValue("foreign text");
  other->CreateEnumeratedValue()->SetName("named");
  l->CreateEnumeratedValue()->SetName("to be released");

  EXPECT_FALSE(l->DestroyValue(foreign));
  EXPECT_FALSE(l->DestroyValue(nullptr));
  EXPECT_TRUE(other->HasValue(foreign));

  EXPECT_TRUE(l->DestroyValue(nested));
  EXPECT_FALSE(l->HasValue(nested));
  EXPECT_TRUE(l->GetAllListValues().empty());
  EXPECT_EQ(Items(l->GetAllValues()).back(), r);
  EXPECT_TRUE(l->DestroyValue(r));
  EXPECT_EQ(l->GetAllValues().size(), 1u);
  EXPECT_TRUE(l->GetAllRangeValues().empty());
  delete l;
  delete other;
}

TEST(ListValue, DeepNestingIsDeletedWithoutRecursion) {
  SListValue* root = new SListValue();
  SListValue* l = root;
  for (int k = 0; k < 300000; ++k) {
    l->CreateIntegerValue();
    l = l->CreateListValue();
    ASSERT_NE(l, nullptr);
  }
  delete root;
}

TEST_F(SessionTest, ListRecordText) {
  SListValue* l = new (heap) SListValue();
  l->CreateIntegerValue()->SetValue(7);
  l->CreateBooleanValue()->SetValue(true);
  l->CreateRealValue()->SetValue(1.5f);
  l->CreateEnumeratedValue()->SetName("RED");
  Saved saved = Save(l);
  std::vector<std::string> expect = {
      "1", "0",                       // root reference, id
      "1", "2", "3", "RED", "0", "0", // enumerated: count, ref, name, value, id
      "1", "3", "1", "0",             // boolean
      "0",                            // string
      "1", "4", "7", "0",             // integer
      "1", "5", "1.50000000", "0",    // real
      "0", "0", "0"};                 // unitless, list, range
  EXPECT_EQ(saved.lines, expect);
}

TEST_F(SessionTest, ListRoundTripReversesTypedListsAndOrdersAllValues) {
  SListValue* l = new (heap) SListValue();
  SEnumeratedValue* e1 = l->CreateEnumeratedValue();
  e1->SetName("A");
  e1->SetValue(1);
  l->CreateEnumeratedValue()->SetName("B");
  l->CreateStringValue()->SetValue("s1");
  l->CreateStringValue()->SetValue("s2");
  l->CreateUnitlessValue()->SetValue(99);
  SListValue* inner = l->CreateListValue();
  inner->CreateIntegerValue()->SetValue(1);
  inner->CreateIntegerValue()->SetValue(2);
  l->CreateRangeValue()->CreateLowerIntegerValue()->SetValue(-1);
  l->CreateRangeValue();

  SListValue* back = RoundTrip(l, heap);
  ASSERT_NE(back, nullptr);
  std::vector<SEnumeratedValue*> en = Items(back->GetAllEnumeratedValues());
  ASSERT_EQ(en.size(), 2u);
  EXPECT_STREQ(en[0]->GetName(), "A");
  EXPECT_EQ(en[0]->GetValue(), 1);
  EXPECT_STREQ(en[1]->GetName(), "B");
  std::vector<SStringValue*> st = Items(back->GetAllStringValues());
  ASSERT_EQ(st.size(), 2u);
  EXPECT_STREQ(st[0]->GetValue(), "s1");
  EXPECT_STREQ(st[1]->GetValue(), "s2");
  std::vector<SListValue*> lists = Items(back->GetAllListValues());
  ASSERT_EQ(lists.size(), 1u);
  std::vector<SIntegerValue*> ints = Items(lists[0]->GetAllIntegerValues());
  ASSERT_EQ(ints.size(), 2u);
  EXPECT_EQ(ints[0]->GetValue(), 1);
  EXPECT_EQ(ints[1]->GetValue(), 2);
  std::vector<SRangeValue*> ranges = Items(back->GetAllRangeValues());
  ASSERT_EQ(ranges.size(), 2u);
  ASSERT_NE(ranges[0]->GetLower(), nullptr);  // the first range created comes first again
  EXPECT_EQ(ranges[1]->GetLower(), nullptr);

  // All values: the reverse of the reading order, which runs through the
  // typed lists in record order (enumerated first, range last).
  std::vector<SValue*> all = Items(back->GetAllValues());
  std::vector<int> types;
  for (SValue* v : all) types.push_back(v->GetType());
  EXPECT_EQ(types, (std::vector<int>{10, 10, 9, 8, 2, 2, 7, 7}));
  EXPECT_EQ(all.front(), ranges[0]);  // last range read
  EXPECT_EQ(all.back(), en[1]);       // first enumerated read
  EXPECT_EQ(all[4], st[0]);
  EXPECT_EQ(all[5], st[1]);

  // A second round trip restores the first order of every typed list.
  SListValue* again = RoundTrip(back, heap);
  ASSERT_NE(again, nullptr);
  EXPECT_STREQ(Items(again->GetAllStringValues())[0]->GetValue(), "s2");
}

TEST_F(SessionTest, DamagedListRecordsFailCleanly) {
  const std::vector<std::string> classes = {"", "SListValue", "SIntegerValue", "SBooleanValue"};
  // null element reference in the boolean list
  EXPECT_EQ(Load<SListValue>({{"1", "0", "0", "1", "0", "0", "0", "0", "0", "0", "0", "0"}, classes}, heap),
            nullptr);
  // an integer value where the boolean list expects a boolean
  EXPECT_EQ(Load<SListValue>({{"1", "0", "0", "1", "2", "5", "0", "0", "0", "0", "0", "0", "0", "0"}, classes},
                             heap),
            nullptr);
  // the same element twice
  EXPECT_EQ(Load<SListValue>({{"1", "0", "0", "2", "3", "1", "0", "3", "1", "0", "0", "0", "0", "0", "0", "0"},
                              classes},
                             heap),
            nullptr);
  // the list as its own element
  EXPECT_EQ(Load<SListValue>({{"1", "0", "0", "0", "0", "0", "0", "0", "1", "1"}, classes}, heap), nullptr);
  // truncated within an element's record
  EXPECT_EQ(Load<SListValue>({{"1", "0", "0", "1", "3", "1"}, classes}, heap), nullptr);
  // a well-formed record for contrast
  SListValue* ok = Load<SListValue>({{"1", "0", "0", "1", "3", "1", "0", "0", "0", "0", "0", "0", "0"}, classes}, heap);
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(Items(ok->GetAllBooleanValues())[0]->GetValue());
}

namespace {
// A chain of `depth` list values nested in a root list, as record lines.
Saved NestedLists(int depth) {
  Saved s;
  s.classes.push_back("");
  s.lines.push_back("1");
  for (int level = 0; level <= depth; ++level) {
    s.classes.push_back("SListValue");
    s.lines.insert(s.lines.end(), {"0", "0", "0", "0", "0", "0", "0"});  // id, six empty lists
    if (level < depth) {
      s.lines.push_back("1");
      s.lines.push_back(std::to_string(level + 2));
    }
  }
  for (int level = 0; level <= depth; ++level) {
    if (level == 0) s.lines.push_back("0");  // innermost list count
    s.lines.push_back("0");                  // range count
  }
  return s;
}
}  // namespace

TEST_F(SessionTest, ListNestingIsBoundedOnReading) {
  SListValue* deepest = Load<SListValue>(NestedLists(1000), heap);
  ASSERT_NE(deepest, nullptr);
  int depth = 0;
  for (SListValue* l = deepest; !l->GetAllListValues().empty(); l = *l->GetAllListValues().begin()) ++depth;
  EXPECT_EQ(depth, 1000);
  EXPECT_EQ(Load<SListValue>(NestedLists(1001), heap), nullptr);
  EXPECT_EQ(Load<SListValue>(NestedLists(5000), heap), nullptr);
}

TEST_F(SessionTest, ListNestingBeyondTheBoundIsNotWritten) {
  SListValue* root = new (heap) SListValue();
  SListValue* l = root;
  for (int k = 0; k < 1000; ++k) l = l->CreateListValue();
  {
    MemoryStore out;
    out.WritePointer(root);
    root->Serialize(out);
    EXPECT_FALSE(out.IsDamaged());
  }
  for (int k = 0; k < 100000; ++k) l = l->CreateListValue();
  MemoryStore out;
  out.WritePointer(root);
  root->Serialize(out);
  EXPECT_TRUE(out.IsDamaged());
}

TEST_F(SessionTest, ReadingTextsReleasesTheOldOnes) {
  // The pools hand out the most recently released block of a size first.
  SEnumeratedValue* e = new (heap) SEnumeratedValue();
  e->SetName("old");
  char* oldName = e->GetName();
  MemoryStore in({"3", "new", "4", "0"}, {""}, heap);
  ASSERT_EQ(e->Serialize(in), 0);
  EXPECT_STREQ(e->GetName(), "new");
  EXPECT_EQ(e->GetValue(), 4);
  EXPECT_EQ(tavrin::TextAlloc(heap, 4), oldName);

  SStringValue* s = new (heap) SStringValue();
  s->SetValue("older");
  char* oldText = s->GetValue();
  MemoryStore in2({"5", "newer", "0"}, {""}, heap);
  ASSERT_EQ(s->Serialize(in2), 0);
  EXPECT_STREQ(s->GetValue(), "newer");
  EXPECT_EQ(tavrin::TextAlloc(heap, 6), oldText);
}

TEST_F(SessionTest, ScalarRecordsAndIds) {
  Saved saved{{"1", "1", "77", "2", "-5", "3", "3", "-0.25000000", "9"},
              {"", "SBooleanValue", "SUnitlessValue", "SRealValue"}};
  MemoryStore in(saved.lines, saved.classes, heap);
  SBooleanValue* b = SBooleanValue::Cast(in.ReadRoot());
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(b->Serialize(in), 0);
  SUnitlessValue* u = SUnitlessValue::Cast(in.ReadRoot());
  ASSERT_NE(u, nullptr);
  ASSERT_EQ(u->Serialize(in), 0);
  SRealValue* r = SRealValue::Cast(in.ReadRoot());
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->Serialize(in), 0);
  EXPECT_TRUE(b->GetValue());
  EXPECT_EQ(b->GetId(), 77);
  EXPECT_EQ(u->GetValue(), -5);
  EXPECT_EQ(u->GetId(), 3);
  EXPECT_EQ(r->GetValue(), -0.25f);
  EXPECT_EQ(r->GetId(), 9);

  // A boolean reads true only from exactly 1.
  MemoryStore in2({"2", "77"}, {""}, heap);
  b->Serialize(in2);
  EXPECT_FALSE(b->GetValue());

  // Writing gives the same lines back.
  MemoryStore out;
  for (SValue* v : std::vector<SValue*>{b, u, r}) {
    out.WritePointer(v);
    v->Serialize(out);
  }
  std::vector<std::string> expect = saved.lines;
  expect[1] = "0";
  EXPECT_EQ(out.lines(), expect);
}
