// Design elements: their texts, attributes (look-up, native modes, copying), their record.
#include "test_element.h"

using namespace tavrin_test;
using AttributeTest = ElementTest;

// Constraint instances are found before attributes, newest first; native mode off stores texts.
TEST_F(AttributeTest, LookUpOrderAndNativeModes) {
  e->CreateAttribute("W");
  SConstraintInstance* ci = e->CreateConstraintInstance("W", nullptr);
  EXPECT_EQ(e->GetAssignment("W"), ci);
  e->SetAttribute("W", "10mil");
  EXPECT_EQ(TextOf(e, "W"), P(1, "10mil"));  // set on the instance
  SAttribute* newer = e->CreateAttribute("W");  // hides the older attribute
  EXPECT_EQ(e->GetAttribute("W"), newer);
  {
    NativeMode off(false);
    e->SetAttribute("I", -12);
    e->SetAttribute("F", 2.5f);
    EXPECT_EQ(AttrText(e, "I").second + AttrText(e, "F").second, "-122.500000");
    EXPECT_EQ(AttrInt(e, "I"), std::make_pair(0, 7));
  }
  NativeMode on(true);
  e->SetAttribute("N", 7);
  SValue* first = e->GetAssignment("N")->GetValue();
  e->SetAttribute("N", -2147483647 - 1);
  EXPECT_EQ(e->GetAssignment("N")->GetValue(), first);
  EXPECT_TRUE(AttrInt(e, "N") == std::make_pair(1, -2147483647 - 1) && AttrFloat(e, "N") == std::make_pair(0, 7.0f));
  e->SetAttribute("R", 0.1f);
  EXPECT_EQ(AttrFloat(e, "R"), std::make_pair(1, 0.1f));  // the text forms: constraint_test
  e->CreateAttribute("L")->CreateListValue();
  EXPECT_EQ(AttrText(e, "L"), P(0, "")) << "a list has no text form";
}

// Copies as texts, skipping "LASTSYSCONFIG"; self-copies and unlinking leak or double-free nothing.
TEST_F(AttributeTest, CopyingAndUnlinking) {
  TestElement* src = new (heap) TestElement();
  src->CreateAttribute("LASTSYSCONFIG")->CreateStringValue()->SetValue("x");
  src->CreateAttribute("Real")->CreateRealValue()->SetValue(1.5f);
  src->SetAttribute("B", "2");
  e->SetAttribute("B", "old");
  e->CopyAttributes(src);
  EXPECT_EQ(Names(e->GetAllAttributes()), (Strings{"Real", "B"}));  // each copy goes to the front
  EXPECT_TRUE(AttrText(e, "B") == P(1, "2") && AttrText(e, "Real") == P(1, ""));
  TestElement* g = new TestElement();
  g->SetAttribute("A", "a fairly long attribute text");
  g->SetAttribute("B", "2");
  g->SetConstraint("C", "a fairly long constraint text", 0);
  g->CopyAttributes(g);
  g->CopyConstraintInstances(g);
  EXPECT_EQ(AttrText(g, "A").second + TextOf(g, "C").second, "a fairly long attribute texta fairly long constraint text");
  SAssignment *a = g->GetAssignment("A"), *b = g->GetAssignment("B"), *c = g->GetAssignment("C");
  EXPECT_TRUE(g->DestroyAssignment("A"));
  g->RemoveAttribute("C");
  EXPECT_EQ(c->GetValue(), nullptr);
  EXPECT_TRUE(g->RemoveAssignment(b));
  EXPECT_TRUE(g->GetAllAttributes().empty() && g->GetAllConstraintInstances().empty());
  delete a, delete b, delete c;  // unlinked, not deleted
  delete g;
}

// The element record, damaged lists; reading over an assignment frees its old name and value.
TEST_F(AttributeTest, ElementMemoryAndRecord) {
  e->SetName("U1");
  e->SetClientFlags(5);
  SAttribute* a = e->CreateAttribute("A");
  a->SetIsGlobal(true);
  a->CreateIntegerValue()->SetValue(3);
  e->SetConstraint("C", "x", 4);
  std::string path = File();
  EXPECT_EQ(SaveRecord(path, e, heap), (Lines{"1", "5", "2", "U1", "0", "0", "0",                        // element
                                              "1", "2", "1", "1", "A", "3", "3", "0", "0",               // A
                                              "1", "4", "0", "1", "C", "5", "1", "x", "0", "0", "0"}));  // C
  const Lines classes = {"TestElement", "SConstraintInstance", "SAttribute", "SConstraint"};
  const Lines cases[] = {
      {"1", "2", "0", "1", "C", "0", "0", "0", "0"},  // an instance among the attributes
      {"1", "3", "0", "1", "A", "4", "0", "0"},       // a value that is not a value
  };
  for (Lines lines : cases) {
    lines.insert(lines.begin(), {"1", "0", "0", "0", "0", "0"});
    WriteRecordFile(path, lines, classes);
    EXPECT_EQ(LoadRecord<TestElement>(path, heap), nullptr);
  }
  SProperty* p = new (heap) SProperty();
  p->SetName("old");
  char* oldName = p->GetName();
  SValue* oldValue = p->CreateRealValue();
  WriteRecordFile(path, {"1", "0", "3", "new", "0", "12"}, {"SProperty"});
  PersistentFile f(path.c_str(), 0, heap);
  f.ReadPointer();  // the root's reference; its record is read over p
  ASSERT_TRUE(f.IsOK() && p->Serialize(f) == 0 && f.FinishData() && p->GetId() == 12);
  EXPECT_EQ(tavrin::TextAlloc(heap, 4), oldName);  // the pools hand the last released block out first
  EXPECT_EQ(tavrin::ObjectAlloc(heap, sizeof(SRealValue)), static_cast<void*>(oldValue));
}
