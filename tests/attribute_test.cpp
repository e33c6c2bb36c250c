// Attributes and assignments of design elements: look-up order, both native
// modes, text forms, copying, unlinking, and the element's two lists in its
// record.
#include <string>
#include <vector>

#include "core/pool.h"
#include "fixture.h"
#include "memory_store.h"
#include "test_element.h"

using namespace tavrin_test;

namespace {

class AttributeTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    e = new (heap) TestElement();
    ASSERT_NE(e, nullptr);
  }
  TestElement* e = nullptr;
};

std::vector<std::string> Names(const RelLinkedList<SAttribute*>& list) {
  std::vector<std::string> out;
  for (auto it = list.begin(); it != list.end(); ++it) out.push_back((*it)->GetName());
  return out;
}

std::string Text(SAssignment* a) {
  SStringValue* s = SStringValue::Cast(a ? a->GetValue() : nullptr);
  return s && s->GetValue() ? s->GetValue() : "<none>";
}

}  // namespace

TEST_F(AttributeTest, ConstraintInstancesAreLookedUpFirst) {
  SAttribute* a = e->CreateAttribute("W");
  SConstraintInstance* ci = e->CreateConstraintInstance("W", nullptr);
  EXPECT_EQ(e->GetAssignment("W"), ci);
  EXPECT_EQ(e->GetAttribute("W"), a);
  EXPECT_EQ(e->GetConstraint("W"), ci);
  EXPECT_TRUE(e->HasAssignment("W"));
  EXPECT_FALSE(e->HasAssignment("w"));  // case-sensitive
  EXPECT_FALSE(e->HasAssignment(nullptr));

  e->SetAttribute("W", "10mil");
  EXPECT_EQ(Text(ci), "10mil");
  EXPECT_EQ(a->GetValue(), nullptr);
  EXPECT_EQ(e->GetAllAttributes().size(), 1u);

  CString out;
  EXPECT_TRUE(e->GetAttribute("W", out));
  EXPECT_STREQ(out, "10mil");

  // A newer attribute of the same name hides the older one.
  SAttribute* b = e->CreateAttribute("V");
  SAttribute* b2 = e->CreateAttribute("V");
  EXPECT_NE(b, b2);
  EXPECT_EQ(e->GetAssignment("V"), b2);
}

TEST_F(AttributeTest, NativeModeOffStoresText) {
  NativeMode mode(false);
  e->SetAttribute("I", -12);
  e->SetAttribute("F", 2.5f);
  EXPECT_EQ(Text(e->GetAssignment("I")), "-12");
  EXPECT_EQ(Text(e->GetAssignment("F")), "2.500000");
  int i = 77;
  float f = 7.0f;
  EXPECT_FALSE(e->GetAttribute("I", i));
  EXPECT_EQ(i, 77);
  EXPECT_FALSE(e->GetAttribute("F", f));
  EXPECT_EQ(f, 7.0f);
  CString out;
  EXPECT_TRUE(e->GetAttribute("I", out));
  EXPECT_STREQ(out, "-12");

  e->SetAttribute("T", "a");
  e->SetAttribute("T", "b");
  EXPECT_EQ(Names(e->GetAllAttributes()), (std::vector<std::string>{"T", "F", "I"}));
  EXPECT_EQ(Text(e->GetAssignment("T")), "b");
}

TEST_F(AttributeTest, NativeModeOnKeepsTypedValues) {
  NativeMode mode(true);
  e->SetAttribute("N", 7);
  SValue* first = e->GetAssignment("N")->GetValue();
  e->SetAttribute("N", 9);
  EXPECT_EQ(e->GetAssignment("N")->GetValue(), first);
  int i = 0;
  EXPECT_TRUE(e->GetAttribute("N", i));
  EXPECT_EQ(i, 9);
  CString out;
  EXPECT_TRUE(e->GetAttribute("N", out));
  EXPECT_STREQ(out, "9");
  float f = 3.0f;
  EXPECT_FALSE(e->GetAttribute("N", f));
  EXPECT_EQ(f, 3.0f);

  e->SetAttribute("R", 0.1f);
  SValue* real = e->GetAssignment("R")->GetValue();
  e->SetAttribute("R", 0.5f);
  EXPECT_EQ(e->GetAssignment("R")->GetValue(), real);
  e->SetAttribute("R", 0.1f);
  EXPECT_TRUE(e->GetAttribute("R", f));
  EXPECT_EQ(f, 0.1f);
  EXPECT_TRUE(e->GetAttribute("R", out));
  EXPECT_STREQ(out, "0.100000001490");

  // A value of another class is replaced.
  e->SetAttribute("S", "text");
  e->SetAttribute("S", 4);
  ASSERT_NE(SIntegerValue::Cast(e->GetAssignment("S")->GetValue()), nullptr);
  EXPECT_TRUE(e->GetAttribute("S", i));
  EXPECT_EQ(i, 4);
}

TEST_F(AttributeTest, GettersWithoutValueOrOfOtherTypes) {
  e->CreateAttribute("Empty");
  CString out("keep");
  EXPECT_TRUE(e->GetAttribute("Empty", out));
  EXPECT_STREQ(out, "keep");
  int i = 5;
  float f = 5.0f;
  EXPECT_TRUE(e->GetAttribute("Empty", i));
  EXPECT_EQ(i, 0);
  EXPECT_TRUE(e->GetAttribute("Empty", f));
  EXPECT_EQ(f, 0.0f);

  e->CreateAttribute("Flag")->CreateBooleanValue();
  EXPECT_FALSE(e->GetAttribute("Flag", out));
  EXPECT_STREQ(out, "");
  out = "keep";
  EXPECT_FALSE(e->GetAttribute("Missing", out));
  EXPECT_STREQ(out, "");
  i = 5;
  EXPECT_FALSE(e->GetAttribute("Missing", i));
  EXPECT_EQ(i, 5);

  e->CreateAttribute("Big")->CreateIntegerValue()->SetValue(-2147483647 - 1);
  EXPECT_TRUE(e->GetAttribute("Big", out));
  EXPECT_STREQ(out, "-2147483648");
}

TEST_F(AttributeTest, CopyAttributes) {
  TestElement* src = new (heap) TestElement();
  src->SetAttribute("A", "1");
  src->CreateAttribute("Int")->CreateIntegerValue()->SetValue(3);
  src->CreateAttribute("LASTSYSCONFIG")->CreateStringValue()->SetValue("x");
  src->CreateAttribute("Real")->CreateRealValue()->SetValue(1.5f);
  src->CreateAttribute("None");
  src->SetAttribute("B", "2");
  e->SetAttribute("B", "old");
  e->CreateConstraintInstance("None", nullptr);

  e->CopyAttributes(src);
  e->CopyAttributes(nullptr);
  // Copies go to the front one by one; "None" landed on the constraint instance.
  EXPECT_EQ(Names(e->GetAllAttributes()), (std::vector<std::string>{"A", "Int", "Real", "B"}));
  EXPECT_EQ(Text(e->GetAttribute("B")), "2");
  EXPECT_EQ(Text(e->GetAttribute("Int")), "");
  EXPECT_EQ(Text(e->GetAttribute("Real")), "");
  EXPECT_EQ(Text(e->GetAttribute("A")), "1");
  EXPECT_EQ(Text(e->GetConstraint("None")), "");
  EXPECT_EQ(e->GetAttribute("LASTSYSCONFIG"), nullptr);

  // Copying an element onto itself keeps its texts.
  src->CopyAttributes(src);
  EXPECT_EQ(Text(src->GetAttribute("A")), "1");
  EXPECT_EQ(Text(src->GetAttribute("B")), "2");
  EXPECT_EQ(Text(src->GetAttribute("Int")), "");
}

TEST(Attributes, UnlinkedAssignmentsStayAlive) {
  // General-allocator element: whatever is not deleted exactly once shows
  // up under the sanitizers.
  TestElement* e = new TestElement();
  e->SetAttribute("A", "1");
  e->SetAttribute("B", "2");
  e->SetConstraint("C", "3", 0);
  SAssignment* a = e->GetAssignment("A");
  SAssignment* c = e->GetAssignment("C");

  EXPECT_FALSE(e->DestroyAssignment("Z"));
  EXPECT_TRUE(e->DestroyAssignment("A"));
  EXPECT_FALSE(e->HasAssignment("A"));
  EXPECT_EQ(Text(a), "1");  // unlinked, not deleted

  e->RemoveAttribute("C");
  EXPECT_FALSE(e->HasAssignment("C"));
  EXPECT_EQ(c->GetValue(), nullptr);

  SAssignment* b = e->GetAssignment("B");
  EXPECT_TRUE(e->RemoveAssignment(b));
  EXPECT_TRUE(e->GetAllAttributes().empty());
  EXPECT_TRUE(e->RemoveAssignment(nullptr));
  delete a;
  delete b;
  delete c;
  e->SetAttribute("D", "4");
  e->SetConstraint("E", 5.0f, 1);
  delete e;  // deletes the assignments still listed
}

TEST_F(AttributeTest, ElementRecordWithAssignments) {
  e->SetName("U1");
  e->SetClientFlags(5);
  SAttribute* a = e->CreateAttribute("A");
  a->SetIsGlobal(true);
  a->CreateIntegerValue()->SetValue(3);
  e->CreateAttribute("B");
  e->SetConstraint("C", "x", 4);
  Saved saved = Save(e);
  std::vector<std::string> expect = {
      "1",                                     // root reference
      "5", "2", "U1", "0", "0", "0",           // flags, name, shared value, two zeros
      "2",                                     // attributes: B then A
      "2", "0", "1", "B", "0", "0",            // B: ref, global, name, null value, id
      "3", "1", "1", "A", "4", "3", "0", "0",  // A: ref, global, name, value ref, 3, id, id
      "1",                                     // constraint instances
      "5", "0", "1", "C", "6", "1", "x", "0", "0", "0"};  // C: ..., constraint ref, id
  EXPECT_EQ(saved.lines, expect);

  TestElement* back = Load<TestElement>(saved, heap);
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(back->GetName(), "U1");
  EXPECT_EQ(back->GetClientFlags(), 5);
  EXPECT_EQ(Names(back->GetAllAttributes()), (std::vector<std::string>{"A", "B"}));
  SAssignment* ra = back->GetAttribute("A");
  EXPECT_TRUE(ra->GetIsGlobal());
  EXPECT_FALSE(back->GetAttribute("B")->GetIsGlobal());
  int i = 0;
  EXPECT_TRUE(back->GetAttribute("A", i));
  EXPECT_EQ(i, 3);
  EXPECT_EQ(Text(back->GetConstraint("C")), "x");
  int drc = -1;
  CString out;
  back->GetConstraint("C", out, &drc);
  EXPECT_EQ(drc, 0);  // the drcCode is not saved
}

TEST_F(AttributeTest, DamagedAssignmentListsFailCleanly) {
  // element header lines, up to the attribute count
  const std::vector<std::string> head = {"1", "0", "0", "0", "0", "0"};
  const std::vector<std::string> classes = {"", "TestElement", "SConstraintInstance", "SAttribute",
                                            "SConstraint"};
  auto with = [&](std::vector<std::string> tail) {
    std::vector<std::string> lines = head;
    lines.insert(lines.end(), tail.begin(), tail.end());
    return Saved{lines, classes};
  };
  // a constraint instance in the attribute list
  EXPECT_EQ(Load<TestElement>(with({"1", "2", "0", "1", "C", "0", "0", "0", "0"}), heap), nullptr);
  // a null attribute
  EXPECT_EQ(Load<TestElement>(with({"1", "0", "0"}), heap), nullptr);
  // an attribute whose value is not a value
  EXPECT_EQ(Load<TestElement>(with({"1", "3", "0", "1", "A", "4", "0", "0"}), heap), nullptr);
  // an attribute in the constraint-instance list
  EXPECT_EQ(Load<TestElement>(with({"0", "1", "3", "0", "1", "A", "0", "0"}), heap), nullptr);
  // a count larger than what follows
  EXPECT_EQ(Load<TestElement>(with({"2", "3", "0", "1", "A", "0", "0"}), heap), nullptr);
  // and the well-formed form of the last one
  TestElement* ok = Load<TestElement>(with({"1", "3", "0", "1", "A", "0", "0", "0"}), heap);
  ASSERT_NE(ok, nullptr);
  EXPECT_NE(ok->GetAttribute("A"), nullptr);
}

TEST_F(AttributeTest, ReadingAnAssignmentReplacesNameAndValue) {
  SAttribute* a = new (heap) SAttribute();
  a->SetName("old");
  char* oldName = a->GetName();
  SValue* oldValue = a->CreateRealValue();
  MemoryStore in({"0", "3", "new", "0", "12"}, {""}, heap);
  ASSERT_EQ(a->Serialize(in), 0);
  EXPECT_STREQ(a->GetName(), "new");
  EXPECT_EQ(a->GetValue(), nullptr);
  EXPECT_EQ(a->GetId(), 12);
  EXPECT_EQ(tavrin::TextAlloc(heap, 4), oldName);
  EXPECT_EQ(tavrin::ObjectAlloc(heap, sizeof(SRealValue)), static_cast<void*>(oldValue));
}

TEST_F(AttributeTest, PropertyRecord) {
  SProperty* p = new (heap) SProperty();
  p->SetName("P");
  p->CreateStringValue()->SetValue("v");
  EXPECT_STREQ(p->GetClassName(), "class SProperty");
  Saved saved = Save(p);
  EXPECT_EQ(saved.lines, (std::vector<std::string>{"1", "0", "1", "P", "2", "1", "v", "0", "0"}));
  SProperty* back = Load<SProperty>(saved, heap);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(Text(back), "v");
  EXPECT_EQ(SAttribute::Cast(back), nullptr);
  EXPECT_NE(SAssignment::Cast(back), nullptr);
}

TEST(Attributes, CopyingOntoItselfReadsNoReleasedText) {
  // General-allocator blocks: a text read after its release is caught by the
  // sanitizers.
  TestElement* e = new TestElement();
  e->SetAttribute("A", "a fairly long attribute text");
  e->SetConstraint("C", "a fairly long constraint text", 2);
  e->CopyAttributes(e);
  e->CopyConstraintInstances(e);
  CString out;
  EXPECT_TRUE(e->GetAttribute("A", out));
  EXPECT_STREQ(out, "a fairly long attribute text");
  EXPECT_EQ(e->GetConstraint("C", out), 1);
  EXPECT_STREQ(out, "a fairly long constraint text");
  delete e;
}
