// Constraints: the constraint members of design elements (sentinels, text
// rules, both native modes), constraint sets and groups, and the records of
// the five constraint classes.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/pool.h"
#include "fixture.h"
#include "memory_store.h"
#include "test_element.h"

using namespace tavrin_test;

namespace {

class ConstraintTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    e = new (heap) TestElement();
    ASSERT_NE(e, nullptr);
  }
  TestElement* e = nullptr;
};

uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

template <class T>
std::vector<T> Items(const RelLinkedList<T>& list) {
  std::vector<T> out;
  for (auto it = list.begin(); it != list.end(); ++it) out.push_back(*it);
  return out;
}

std::vector<std::string> Texts(const RelLinkedList<char*>& list) {
  std::vector<std::string> out;
  for (auto it = list.begin(); it != list.end(); ++it) out.push_back(*it);
  return out;
}

template <class V>
std::vector<std::string> Keys(const RelMap<CharM, V>& map) {
  std::vector<std::string> out;
  for (auto it = map.begin(); it != map.end(); ++it) out.push_back(it->first.c_str());
  return out;
}

// A text list on a heap, head first as given.
RelLinkedList<char*> TextList(HANDLEMA* heap, std::vector<const char*> texts) {
  RelLinkedList<char*> list;
  for (auto it = texts.rbegin(); it != texts.rend(); ++it) {
    char* t = nullptr;
    tavrin::SetText(heap, t, *it);
    list.insert(t, heap);
  }
  return list;
}

}  // namespace

TEST_F(ConstraintTest, SentinelsWhenNothingIsFound) {
  int i = 0, b = 0, drc = 55;
  float f = 0;
  CString out("x");
  EXPECT_EQ(e->GetConstraint("M", i, &drc), 0);
  EXPECT_EQ(i, 2147483646);
  EXPECT_EQ(e->GetConstraint("M", f, &drc), 0);
  EXPECT_EQ(Bits(f), 0x7F7FC99Eu);
  EXPECT_EQ(e->GetBoolConstraint("M", b, &drc), 0);
  EXPECT_EQ(b, -1);
  EXPECT_EQ(e->GetConstraint("M", out, &drc), 0);
  EXPECT_STREQ(out, "");
  out = "x";
  EXPECT_EQ(e->GetConstraintStr("M", out, &drc), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(drc, 55);  // nothing found, nothing reported

  // Attributes are not constraint instances.
  e->SetAttribute("A", "5");
  EXPECT_EQ(e->GetConstraint("A", i), 0);
  EXPECT_EQ(i, 2147483646);
}

TEST_F(ConstraintTest, TextValuesConvert) {
  NativeMode mode(false);
  int i = 0, b = 0, drc = 0;
  float f = 0;
  EXPECT_EQ(e->SetConstraint("W", "12abc", 3), 1);
  EXPECT_EQ(e->GetConstraint("W", i, &drc), 1);
  EXPECT_EQ(i, 12);
  EXPECT_EQ(drc, 3);
  e->SetConstraint("W", " -2.5mm", 0);
  EXPECT_EQ(e->GetConstraint("W", f), 1);
  EXPECT_EQ(f, -2.5f);
  EXPECT_EQ(e->GetConstraint("W", i), 1);
  EXPECT_EQ(i, -2);
  e->SetConstraint("W", "99999999999", 0);
  EXPECT_EQ(e->GetConstraint("W", i), 1);
  EXPECT_EQ(i, 2147483647);
  e->SetConstraint("W", "1e300", 0);
  EXPECT_EQ(e->GetConstraint("W", f), 1);
  EXPECT_TRUE(std::isinf(f));

  const std::pair<const char*, int> bools[] = {{"false", 0}, {"FaLsE", 0}, {"0", 0}, {"no", 1},
                                               {"", 1},      {"00", 1},    {"TRUE", 1}, {"FALSE ", 1}};
  for (const auto& c : bools) {
    e->SetConstraint("B", c.first, 0);
    EXPECT_EQ(e->GetBoolConstraint("B", b), 1) << c.first;
    EXPECT_EQ(b, c.second) << c.first;
  }

  CString out;
  EXPECT_EQ(e->GetConstraint("B", out), 1);
  EXPECT_STREQ(out, "FALSE ");
  EXPECT_EQ(e->GetConstraintStr("B", out), 1);
  EXPECT_STREQ(out, "FALSE ");
}

TEST_F(ConstraintTest, NativeModeOffStoresText) {
  NativeMode mode(false);
  int drc = -1;
  CString out;
  EXPECT_EQ(e->SetBoolConstraint("B", 5, 7), 1);
  EXPECT_EQ(e->GetConstraint("B", out, &drc), 1);
  EXPECT_STREQ(out, "TRUE");
  EXPECT_EQ(drc, 0);
  e->SetBoolConstraint("B", 0, 7);
  e->GetConstraint("B", out);
  EXPECT_STREQ(out, "FALSE");
  EXPECT_EQ(e->SetConstraint("F", 2.5f, 9), 1);
  EXPECT_EQ(e->GetConstraint("F", out, &drc), 1);
  EXPECT_STREQ(out, "2.500000");
  EXPECT_EQ(drc, 0);
  EXPECT_EQ(e->SetConstraint("I", -40, 9), 1);
  EXPECT_EQ(e->GetConstraint("I", out), 1);
  EXPECT_STREQ(out, "-40");
}

TEST_F(ConstraintTest, NativeModeOnStoresTypedValues) {
  NativeMode mode(true);
  int i = 0, b = 0, drc = 0;
  float f = 0;
  CString out("x");
  EXPECT_EQ(e->SetConstraint("I", 5, 3), 1);
  EXPECT_EQ(e->GetConstraint("I", i, &drc), 1);
  EXPECT_EQ(i, 5);
  EXPECT_EQ(drc, 3);
  EXPECT_EQ(e->GetConstraintStr("I", out), 1);
  EXPECT_STREQ(out, "5");
  EXPECT_EQ(e->GetConstraint("I", out), 0);  // the text form takes string values only
  EXPECT_STREQ(out, "");
  EXPECT_EQ(e->GetConstraint("I", f), 0);
  EXPECT_EQ(Bits(f), 0x7F7FC99Eu);
  EXPECT_EQ(e->GetBoolConstraint("I", b), 0);
  EXPECT_EQ(b, -1);

  EXPECT_EQ(e->SetConstraint("R", 0.1f, 2), 1);
  EXPECT_EQ(e->GetConstraint("R", f, &drc), 1);
  EXPECT_EQ(f, 0.1f);
  EXPECT_EQ(drc, 2);
  EXPECT_EQ(e->GetConstraintStr("R", out), 1);
  EXPECT_STREQ(out, "0.100000001490");
  EXPECT_EQ(e->GetConstraint("R", i), 0);
  EXPECT_EQ(i, 2147483646);

  EXPECT_EQ(e->SetBoolConstraint("B", 5, 8), 1);
  EXPECT_EQ(e->GetBoolConstraint("B", b, &drc), 1);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(drc, 8);
  out = "x";
  EXPECT_EQ(e->GetConstraintStr("B", out), 0);
  EXPECT_STREQ(out, "");
  e->SetBoolConstraint("B", 0, 8);
  e->GetBoolConstraint("B", b);
  EXPECT_EQ(b, 0);

  // String values are still read by the typed getters.
  e->SetConstraint("S", "17", 0);
  EXPECT_EQ(e->GetConstraint("S", i), 1);
  EXPECT_EQ(i, 17);
}

TEST_F(ConstraintTest, SettingKeepsTheInstanceAndItsConstraint) {
  NativeMode mode(true);
  SConstraint* c = new (heap) SConstraint();
  SConstraintInstance* ci = e->CreateConstraintInstance("W", c);
  EXPECT_EQ(ci->GetConstraint(), c);
  e->SetConstraint("W", "1", 0);
  e->SetConstraint("W", 2, 0);
  e->SetConstraint("W", 3.0f, 0);
  e->SetBoolConstraint("W", 1, 6);
  EXPECT_EQ(e->GetAllConstraintInstances().size(), 1u);
  EXPECT_EQ(e->GetConstraint("W"), ci);
  EXPECT_EQ(ci->GetConstraint(), c);
  EXPECT_EQ(ci->GetDrcCode(), 6);
  EXPECT_NE(SBooleanValue::Cast(ci->GetValue()), nullptr);

  // A new instance has no constraint.
  e->SetConstraint("New", "x", 0);
  EXPECT_EQ(static_cast<SConstraintInstance*>(e->GetConstraint("New"))->GetConstraint(), nullptr);
  EXPECT_EQ(e->CreateConstraintInstance(nullptr, c), nullptr);
}

TEST_F(ConstraintTest, InstanceWithoutValue) {
  e->CreateConstraintInstance("V", nullptr)->SetDrcCode(4);
  CString out("keep");
  int i = 0, b = 0, drc = 0;
  EXPECT_EQ(e->GetConstraintStr("V", out, &drc), 1);
  EXPECT_STREQ(out, "keep");
  EXPECT_EQ(drc, 4);
  EXPECT_EQ(e->GetConstraint("V", out), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(e->GetConstraint("V", i), 0);
  EXPECT_EQ(i, 2147483646);
  EXPECT_EQ(e->GetBoolConstraint("V", b), 0);
  EXPECT_EQ(b, -1);
}

TEST(Constraints, RemoveConstraintUnlinksWithoutDeleting) {
  TestElement* e = new TestElement();  // general allocator: leaks and double deletes show
  e->SetConstraint("A", "1", 0);
  e->SetConstraint("B", "2", 0);
  SConstraintInstance* a = static_cast<SConstraintInstance*>(e->GetConstraint("A"));
  e->RemoveConstraint("A");
  e->RemoveConstraint("missing");
  EXPECT_EQ(e->GetConstraint("A"), nullptr);
  EXPECT_EQ(a->GetValue(), nullptr);
  EXPECT_EQ(e->GetAllConstraintInstances().size(), 1u);
  delete a;
  delete e;
}

TEST_F(ConstraintTest, CopyConstraintInstances) {
  TestElement* src = new (heap) TestElement();
  {
    NativeMode on(true);
    src->SetConstraint("I", 4, 9);
    src->SetConstraint("R", 1.5f, 9);
    src->SetBoolConstraint("B", 1, 9);
  }
  src->SetConstraint("S", "txt", 9);
  src->CreateConstraintInstance("Empty", nullptr);
  SConstraint* c = new (heap) SConstraint();
  static_cast<SConstraintInstance*>(src->GetConstraint("S"))->SetConstraint(c);
  e->SetAttribute("S", "attribute");

  {
    NativeMode on(true);
    e->CopyConstraintInstances(src);
  }
  e->CopyConstraintInstances(nullptr);
  std::vector<std::string> names;
  for (SConstraintInstance* ci : Items(e->GetAllConstraintInstances())) names.push_back(ci->GetName());
  EXPECT_EQ(names, (std::vector<std::string>{"I", "R", "S"}));
  SConstraintInstance* s = static_cast<SConstraintInstance*>(e->GetConstraint("S"));
  EXPECT_EQ(s->GetConstraint(), nullptr);
  EXPECT_EQ(s->GetDrcCode(), 0);
  int i = 0;
  float f = 0;
  EXPECT_EQ(e->GetConstraint("I", i), 1);
  EXPECT_EQ(i, 4);
  EXPECT_EQ(e->GetConstraint("R", f), 1);
  EXPECT_EQ(f, 1.5f);
  EXPECT_NE(SIntegerValue::Cast(e->GetConstraint("I")->GetValue()), nullptr);
  CString out;
  e->GetAttribute("S", out);
  EXPECT_STREQ(out, "txt");  // the instance is found before the attribute

  // With native mode off the numbers arrive as text.
  TestElement* t = new (heap) TestElement();
  t->CopyConstraintInstances(src);
  EXPECT_EQ(t->GetConstraint("R", out), 1);
  EXPECT_STREQ(out, "1.500000");
  EXPECT_EQ(t->GetConstraint("I", out), 1);
  EXPECT_STREQ(out, "4");

  // Onto itself: the texts survive their own replacement.
  src->CopyConstraintInstances(src);
  EXPECT_EQ(src->GetConstraint("S", out), 1);
  EXPECT_STREQ(out, "txt");
}

// ---- sets and groups -------------------------------------------------------------

TEST_F(SessionTest, ConstraintSetMembers) {
  SConstraintSet* set = new (heap) SConstraintSet();
  SConstraint* c = new (heap) SConstraint();
  c->SetName("B");
  EXPECT_TRUE(set->SetConstraint("A", c));
  EXPECT_EQ(set->GetConstraint("B"), c);
  EXPECT_EQ(set->GetConstraint("A"), nullptr);
  EXPECT_FALSE(set->SetConstraint("B", c));
  EXPECT_FALSE(set->SetConstraint("C", nullptr));
  EXPECT_TRUE(set->HasConstraint("B"));
  EXPECT_FALSE(set->RemoveConstraint("A"));
  EXPECT_TRUE(set->RemoveConstraint("B"));
  EXPECT_FALSE(set->HasConstraint("B"));
  EXPECT_STREQ(c->GetName(), "B");  // not deleted

  SConstraintSet* t1 = new (heap) SConstraintSet();
  SConstraintSet* t2 = new (heap) SConstraintSet();
  EXPECT_TRUE(set->InsertTargetSet(t1));
  EXPECT_TRUE(set->InsertTargetSet(t2));
  EXPECT_FALSE(set->InsertTargetSet(t1));
  EXPECT_EQ(Items(set->GetAllTargetSets()), (std::vector<SConstraintSet*>{t2, t1}));
  EXPECT_TRUE(set->RemoveTargetSet(t2));
  EXPECT_FALSE(set->RemoveTargetSet(t2));
  EXPECT_FALSE(set->HasTargetSet(t2));
  EXPECT_TRUE(set->HasTargetSet(t1));
}

TEST_F(SessionTest, ConstraintGroupMembers) {
  SConstraintGroup* g = new (heap) SConstraintGroup();
  SConstraintSet* s = new (heap) SConstraintSet();
  s->SetName("S1");
  EXPECT_TRUE(g->SetConstraintSet("other", s));
  EXPECT_EQ(g->GetConstraintSet("S1"), s);
  EXPECT_FALSE(g->SetConstraintSet("S1", s));
  EXPECT_TRUE(g->HasConstraintSet("S1"));
  EXPECT_FALSE(g->HasConstraintSet("other"));
  EXPECT_TRUE(g->RemoveConstraintSet("S1"));
  EXPECT_FALSE(g->RemoveConstraintSet("S1"));
  EXPECT_TRUE(g->GetAllConstraintSets().empty());
}

TEST(Constraints, HeaplessSetAndGroupFreeTheirNodes) {
  SConstraint* c = new SConstraint();
  c->SetName("C");
  c->SetOwners(TextList(nullptr, {}));
  SConstraintSet* s = new SConstraintSet();
  s->SetName("S");
  s->SetConstraint("C", c);
  s->InsertTargetSet(s);
  SConstraintGroup* g = new SConstraintGroup();
  g->SetConstraintSet("S", s);
  delete g;
  delete s;
  delete c;
}

// ---- records -------------------------------------------------------------------------

TEST_F(SessionTest, ConstraintRecordAndOwnersReversed) {
  SListValue* holder = new (heap) SListValue();
  SIntegerValue* basis = holder->CreateIntegerValue();
  SConstraint* c = new (heap) SConstraint();
  c->SetName("WIDTH");
  c->SetBasis(basis);
  c->SetOwners(TextList(heap, {"net", "pin"}));
  EXPECT_EQ(Texts(c->GetOwners()), (std::vector<std::string>{"net", "pin"}));
  Saved saved = Save(c);
  EXPECT_EQ(saved.lines, (std::vector<std::string>{"1", "2", "0", "5", "WIDTH", "2", "3", "net", "3", "pin", "0"}));
  EXPECT_EQ(saved.classes[2], "class SIntegerValue");

  SConstraint* back = Load<SConstraint>(saved, heap);
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(back->GetName(), "WIDTH");
  EXPECT_NE(SIntegerValue::Cast(back->GetBasis()), nullptr);
  EXPECT_EQ(back->GetDefaultValue(), nullptr);
  EXPECT_EQ(Texts(back->GetOwners()), (std::vector<std::string>{"pin", "net"}));
}

TEST_F(SessionTest, ConstraintSetRecord) {
  SConstraintSet* set = new (heap) SConstraintSet();
  set->SetName("SET");
  set->SetQualifiers(TextList(heap, {"q1", "q2"}));
  SConstraint* c = new (heap) SConstraint();
  c->SetName("C");
  set->SetConstraint("C", c);
  SConstraintSet* t1 = new (heap) SConstraintSet();
  SConstraintSet* t2 = new (heap) SConstraintSet();
  set->InsertTargetSet(t1);
  set->InsertTargetSet(t2);
  Saved saved = Save(set);
  EXPECT_EQ(saved.lines, (std::vector<std::string>{"1", "3", "SET", "2", "2", "q1", "2", "q2", "1", "1", "C", "2",
                                                   "2", "3", "4", "0", "0"}));

  SConstraintSet* back = Load<SConstraintSet>(saved, heap);
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(back->GetName(), "SET");
  EXPECT_EQ(Texts(back->GetQualifiers()), (std::vector<std::string>{"q2", "q1"}));
  EXPECT_EQ(Keys(back->GetAllConstraints()), (std::vector<std::string>{"C"}));
  std::vector<SConstraintSet*> targets = Items(back->GetAllTargetSets());
  ASSERT_EQ(targets.size(), 2u);
  EXPECT_NE(targets[0], targets[1]);
  EXPECT_NE(targets[0], back);
}

TEST_F(SessionTest, SetConstraintsComeBackUnderTheKeysWritten) {
  // two constraints named C1 and C2, written under the keys K1 and K2
  Saved saved{{"1", "1", "S", "0", "2", "2", "K1", "2", "2", "K2", "3", "0", "7", "0",  // the set
               "2", "0", "0", "2", "C1", "0", "0",                                     // C1
               "3", "0", "0", "2", "C2", "0", "0"},                                    // C2
              {"", "SConstraintSet", "SConstraint", "SConstraint"}};
  MemoryStore in(saved.lines, saved.classes, heap);
  SConstraintSet* set = SConstraintSet::Cast(in.ReadRoot());
  ASSERT_NE(set, nullptr);
  ASSERT_EQ(set->Serialize(in), 0);
  SConstraint* c1 = SConstraint::Cast(in.ReadRoot());
  ASSERT_NE(c1, nullptr);
  ASSERT_EQ(c1->Serialize(in), 0);
  SConstraint* c2 = SConstraint::Cast(in.ReadRoot());
  ASSERT_NE(c2, nullptr);
  ASSERT_EQ(c2->Serialize(in), 0);
  EXPECT_TRUE(in.AtEnd());
  EXPECT_EQ(set->GetId(), 7);
  EXPECT_EQ(set->GetConstraint("K1"), c1);
  EXPECT_EQ(set->GetConstraint("K2"), c2);
  EXPECT_EQ(set->GetConstraint("C1"), nullptr);
  EXPECT_EQ(Keys(set->GetAllConstraints()), (std::vector<std::string>{"K2", "K1"}));
}

TEST_F(SessionTest, GroupSetsComeBackUnderTheirOwnNames) {
  // The group is written with the key "old" for the set now named S1; a
  // reference to something that is not a set is skipped.
  Saved saved{{"1", "2", "S1", "0", "0", "0", "0", "0",                    // the set
               "2", "1", "G", "2", "3", "old", "1", "1", "x", "3", "4"},   // the group
              {"", "SConstraintSet", "SConstraintGroup", "SConstraint"}};
  MemoryStore in(saved.lines, saved.classes, heap);
  SConstraintSet* set = SConstraintSet::Cast(in.ReadRoot());
  ASSERT_NE(set, nullptr);
  ASSERT_EQ(set->Serialize(in), 0);
  SConstraintGroup* g = SConstraintGroup::Cast(in.ReadRoot());
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->Serialize(in), 0);
  EXPECT_TRUE(in.AtEnd());
  EXPECT_STREQ(g->GetName(), "G");
  EXPECT_EQ(g->GetId(), 4);
  EXPECT_EQ(g->GetConstraintSet("S1"), set);
  EXPECT_EQ(g->GetConstraintSet("old"), nullptr);
  EXPECT_EQ(g->GetAllConstraintSets().size(), 1u);

  // Written back, the entry carries the set's name as its key.
  Saved again = Save(g);
  EXPECT_EQ(again.lines, (std::vector<std::string>{"1", "1", "G", "1", "2", "S1", "2", "4"}));
}

TEST_F(SessionTest, ConstraintInstanceRecord) {
  SConstraint* c = new (heap) SConstraint();
  TestElement* e = new (heap) TestElement();
  SConstraintInstance* ci = e->CreateConstraintInstance("CI", c);
  ci->SetDrcCode(5);
  ci->CreateUnitlessValue()->SetValue(-1500);
  Saved saved = Save(ci);
  EXPECT_EQ(saved.lines, (std::vector<std::string>{"1", "0", "2", "CI", "2", "-1500", "0", "3", "0"}));
  SConstraintInstance* back = Load<SConstraintInstance>(saved, heap);
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(back->GetName(), "CI");
  EXPECT_NE(SConstraint::Cast(back->GetConstraint()), nullptr);
  EXPECT_EQ(back->GetDrcCode(), 0);
  EXPECT_EQ(SUnitlessValue::Cast(back->GetValue())->GetValue(), -1500);
}

TEST_F(SessionTest, ConstraintOverrideRecord) {
  SConstraintOverride* o = new (heap) SConstraintOverride();
  SConstraint* c = new (heap) SConstraint();
  SListValue* holder = new (heap) SListValue();
  o->SetClientFlags(3);
  o->SetStaticClientFlags(-4);
  o->SetbOverridden(true);
  o->SetCurrentValue(holder->CreateRealValue());
  EXPECT_TRUE(o->SetConstraint(c));
  Saved saved = Save(o);
  EXPECT_EQ(saved.lines, (std::vector<std::string>{"1", "3", "2", "-4", "1", "3", "0"}));
  EXPECT_EQ(saved.classes, (std::vector<std::string>{"", "class SConstraintOverride", "class SRealValue",
                                                     "class SConstraint"}));
  SConstraintOverride* back = Load<SConstraintOverride>(saved, heap);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetClientFlags(), 3);
  EXPECT_EQ(back->GetStaticClientFlags(), -4);
  EXPECT_TRUE(back->GetbOverridden());
  EXPECT_NE(SRealValue::Cast(back->GetCurrentValue()), nullptr);
  EXPECT_NE(back->GetConstraint(), nullptr);

  // References of the wrong class read as null, without damage.
  MemoryStore in({"0", "2", "0", "0", "2", "0"}, {"", "SConstraintOverride", "SConstraint"}, heap);
  ASSERT_EQ(back->Serialize(in), 0);
  EXPECT_EQ(back->GetCurrentValue(), nullptr);
  EXPECT_NE(back->GetConstraint(), nullptr);
}
