// Constraints of design elements and the records of the constraint classes.
#include <cstring>

#include "test_element.h"

using namespace tavrin_test;

namespace {
using ConstraintTest = ElementTest;

void ExpectSentinels(SDesignElement* e, const char* name) {
  EXPECT_EQ(IntOf(e, name), std::make_pair(0, 2147483646)) << name;
  EXPECT_EQ(FloatOf(e, name), std::make_pair(0, 3.4e38f)) << name;  // 0x7F7FC99E
  EXPECT_EQ(BoolOf(e, name), std::make_pair(0, -1)) << name;
}

RelLinkedList<char*> TextList(HANDLEMA* heap, Lines texts) {
  RelLinkedList<char*> list;
  for (auto it = texts.rbegin(); it != texts.rend(); ++it)
    if (char* t = nullptr; tavrin::SetText(heap, t, it->c_str())) list.insert(t, heap);
  return list;
}
}  // namespace

// Not found (attributes do not count): sentinels, drc untouched. Texts: decimal, or "FALSE"/"0".
// Native mode off stores texts with drc 0; on, typed values with the drc; another type: sentinels.
TEST_F(ConstraintTest, TypedGettersAndNativeModes) {
  e->SetAttribute("M", "5");
  ExpectSentinels(e, "M");
  int drc = 55;
  CString out;
  EXPECT_EQ(e->GetConstraint("M", out, &drc) * 100 + drc, 55);
  const std::pair<const char*, int> ints[] = {{"12abc", 12}, {"99999999999", 2147483647}, {" -2.5mm", -2}};
  for (auto c : ints) {
    e->SetConstraint("W", c.first, 3);
    EXPECT_EQ(IntOf(e, "W"), std::make_pair(1, c.second));
  }
  EXPECT_EQ(e->GetConstraint("W", out, &drc) * 100 + drc, 103);
  EXPECT_EQ(FloatOf(e, "W"), std::make_pair(1, -2.5f));
  const std::pair<const char*, int> bools[] = {{"FaLsE", 0}, {"0", 0}, {"", 1}, {"00", 1}, {"FALSE ", 1}};
  for (auto c : bools) {
    e->SetConstraint("B", c.first, 0);
    EXPECT_EQ(BoolOf(e, "B"), std::make_pair(1, c.second)) << c.first;
  }
  {
    NativeMode off(false);
    EXPECT_EQ(e->SetBoolConstraint("B", 5, 7) + e->SetConstraint("F", 2.5f, 9) + e->SetConstraint("I", -40, 9), 3);
    EXPECT_EQ(TextOf(e, "B").second + TextOf(e, "F").second + TextOf(e, "I").second, "TRUE2.500000-40");
    EXPECT_TRUE(e->GetConstraint("I", out, &drc) && drc == 0);
  }
  NativeMode on(true);
  e->SetConstraint("I", 5, 3);
  e->SetConstraint("R", 0.1f, 2);
  e->SetBoolConstraint("B", 5, 8);
  e->CreateConstraintInstance("V", nullptr);
  EXPECT_TRUE(e->GetConstraint("I", out, &drc) == 0 && drc == 3);  // string values only
  EXPECT_TRUE(IntOf(e, "I") == std::make_pair(1, 5) && StrOf(e, "I") == P(1, "5"));
  EXPECT_TRUE(FloatOf(e, "R") == std::make_pair(1, 0.1f) && StrOf(e, "R") == P(1, "0.100000001490"));
  EXPECT_TRUE(BoolOf(e, "B") == std::make_pair(1, 1) && StrOf(e, "B") == P(0, ""));
  EXPECT_EQ(StrOf(e, "V"), P(1, "x"));  // no value: unchanged
  ExpectSentinels(e, "V");
}

// Set keeps instance and constraint; Remove unlinks; copies take texts and numbers, no constraint.
TEST_F(ConstraintTest, SetRemoveAndCopy) {
  NativeMode on(true);
  SConstraint* c = new (heap) SConstraint();
  SConstraintInstance* ci = e->CreateConstraintInstance("W", c);
  e->SetBoolConstraint("W", 1, 6);
  EXPECT_TRUE(e->GetAllConstraintInstances().size() == 1 && ci->GetConstraint() == c);
  e->RemoveConstraint("W");
  EXPECT_TRUE(!e->GetConstraint("W") && !ci->GetValue() && !strcmp(ci->GetName(), "W"));
  EXPECT_EQ(e->SetConstraint("I", 4, 9) + e->SetConstraint("R", 1.5f, 9) + e->SetBoolConstraint("B", 1, 9), 3);
  e->CreateConstraintInstance("S", c);
  e->SetConstraint("S", "txt", 9);
  e->CreateConstraintInstance("Empty", nullptr);
  TestElement* t = new (heap) TestElement();
  t->CopyConstraintInstances(e);
  EXPECT_EQ(Names(t->GetAllConstraintInstances()), (Lines{"I", "R", "S"}));
  SConstraintInstance* s = static_cast<SConstraintInstance*>(t->GetConstraint("S"));
  EXPECT_TRUE(!s->GetConstraint() && s->GetDrcCode() == 0);
  EXPECT_EQ(StrOf(t, "R"), P(1, "1.500000000000"));  // still a real value
}

// Constraint, set, override and group records (text lists come back reversed), project files.
TEST_F(ConstraintTest, ConstraintFamilyRecords) {
  SConstraint* c = new (heap) SConstraint();
  c->SetName("C");
  c->SetBasis((new (heap) SListValue())->CreateIntegerValue());
  c->SetOwners(TextList(heap, {"net", "pin"}));
  std::string path = File();
  EXPECT_EQ(SaveRecord(path, c, heap), (Lines{"1", "2", "0", "1", "C", "2", "3", "net", "3", "pin", "0"}));
  SConstraint* cb = LoadRecord<SConstraint>(path, heap);
  EXPECT_EQ((cb ? Items<char*, std::string>(cb->GetOwners()) : Lines()), (Lines{"pin", "net"}));
  SConstraintSet* set = new (heap) SConstraintSet();
  set->SetName("SET");
  set->SetQualifiers(TextList(heap, {"q1", "q2"}));
  set->SetConstraint("C", c);
  set->InsertTargetSet(new (heap) SConstraintSet());
  EXPECT_EQ(SaveRecord(path, set, heap),  // name, qualifiers, constraints (key, reference), target sets, id, 0
            (Lines{"1", "3", "SET", "2", "2", "q1", "2", "q2", "1", "1", "C", "2", "1", "3", "0", "0"}));
  SConstraintOverride* o = new (heap) SConstraintOverride();
  o->SetClientFlags(3);
  o->SetStaticClientFlags(-4);
  o->SetbOverridden(true);
  o->SetCurrentValue(c->GetBasis());
  o->SetConstraint(c);  // flags, current value, static flags, flag, constraint, id
  EXPECT_EQ(SaveRecord(path, o, heap), (Lines{"1", "3", "2", "-4", "1", "3", "0"}));
  // A group files a set read before it under the set's name, not the key; a non-set is skipped.
  WriteRecordFile(path, {"1", "2", "S1", "0", "0", "0", "0", "0", "2", "1", "G", "2", "3", "old", "1", "1", "x", "3", "4"},
                  {"SConstraintSet", "SConstraintGroup", "SConstraint"});
  PersistentFile f(path.c_str(), 0, heap);
  set = SConstraintSet::Cast(f.ReadPointer());
  ASSERT_EQ(set->Serialize(f), 0);
  SConstraintGroup* g = SConstraintGroup::Cast(f.ReadPointer());
  ASSERT_EQ(g->Serialize(f), 0);
  EXPECT_TRUE(f.FinishData() && g->GetConstraintSet("S1") == set && g->GetAllConstraintSets().size() == 1);
  EXPECT_EQ(SaveRecord(File(), g, heap), (Lines{"1", "1", "G", "1", "2", "S1", "2", "4"}));
  // A project saves its constraint sets before its constraints (the model round trip does the rest).
  SProject* p = session->CreateProject("P");
  p->CreateConstraint("WIDTH");
  p->CreateConstraintSet("S1");
  path = File();
  ASSERT_EQ(session->Save(path.c_str()), 1);
  std::string saved = ReadFile(path);
  EXPECT_LT(saved.find("\nS1\n"), saved.find("\nWIDTH\n"));
  SProject* loose = new SProject();  // outside a session it deletes its definitions (or they leak)
  loose->CreateConstraintSet("S")->SetConstraint("C", loose->CreateConstraint("C"));
  delete loose;
}
