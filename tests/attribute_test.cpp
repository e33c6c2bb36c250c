// Attributes of design elements: look-up order, both native modes, text
// forms, copying, unlinking, and the element's two lists in its record.
#include "core/pool.h"
#include "test_element.h"

using namespace tavrin_test;
using P = std::pair<int, std::string>;

namespace {

class AttributeTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    e = new (heap) TestElement();
  }
  TestElement* e = nullptr;
  ScratchDir dir;
};

std::string Names(const RelLinkedList<SAttribute*>& list) {
  std::string out;
  for (SAttribute* a : Items(list)) out += std::string(a->GetName()) + " ";
  return out;
}

}  // namespace

// Look-up finds constraint instances before attributes, newest first.
TEST_F(AttributeTest, ConstraintInstancesAreLookedUpFirst) {
  SAttribute* a = e->CreateAttribute("W");
  SConstraintInstance* ci = e->CreateConstraintInstance("W", nullptr);
  EXPECT_EQ(e->GetAssignment("W"), ci);
  EXPECT_EQ(e->GetAttribute("W"), a);
  EXPECT_FALSE(e->HasAssignment("w"));
  e->SetAttribute("W", "10mil");
  EXPECT_EQ(TextOf(e, "W"), P(1, "10mil"));  // set on the instance
  EXPECT_EQ(a->GetValue(), nullptr);
  EXPECT_EQ(e->GetAllAttributes().size(), 1u);
  SAttribute* newer = e->CreateAttribute("W");  // hides the older attribute
  EXPECT_EQ(e->GetAttribute("W"), newer);
}

// Native mode off stores "%d" / "%f" texts; on, typed values reused across
// sets; the text forms of every value class.
TEST_F(AttributeTest, NativeModesAndTextForms) {
  {
    NativeMode off(false);
    e->SetAttribute("I", -12);
    e->SetAttribute("F", 2.5f);
    e->SetAttribute("T", "a");
    e->SetAttribute("T", "b");
    EXPECT_EQ(Names(e->GetAllAttributes()), "T F I ");
    EXPECT_EQ(AttrText(e, "I"), P(1, "-12"));
    EXPECT_EQ(AttrText(e, "F"), P(1, "2.500000"));
    EXPECT_EQ(AttrText(e, "T"), P(1, "b"));
    EXPECT_EQ(AttrInt(e, "I"), std::make_pair(0, 7));
    EXPECT_EQ(AttrFloat(e, "F"), std::make_pair(0, 7.0f));
  }
  NativeMode on(true);
  e->SetAttribute("N", 7);
  SValue* first = e->GetAssignment("N")->GetValue();
  e->SetAttribute("N", 9);
  EXPECT_EQ(e->GetAssignment("N")->GetValue(), first);
  EXPECT_EQ(AttrInt(e, "N"), std::make_pair(1, 9));
  EXPECT_EQ(AttrText(e, "N"), P(1, "9"));
  EXPECT_EQ(AttrFloat(e, "N"), std::make_pair(0, 7.0f));
  e->SetAttribute("R", 0.5f);
  first = e->GetAssignment("R")->GetValue();
  e->SetAttribute("R", 0.1f);
  EXPECT_EQ(e->GetAssignment("R")->GetValue(), first);
  EXPECT_EQ(AttrFloat(e, "R"), std::make_pair(1, 0.1f));
  EXPECT_EQ(AttrText(e, "R"), P(1, "0.100000001490"));
  e->SetAttribute("T", 4);  // a string value is replaced
  EXPECT_EQ(AttrInt(e, "T"), std::make_pair(1, 4));

  // no value, values of other classes, nothing found
  e->CreateAttribute("Empty");
  e->CreateAttribute("Flag")->CreateBooleanValue();
  e->CreateAttribute("Min")->CreateIntegerValue()->SetValue(-2147483647 - 1);
  EXPECT_EQ(AttrText(e, "Empty"), P(1, "x"));
  EXPECT_EQ(AttrInt(e, "Empty"), std::make_pair(1, 0));
  EXPECT_EQ(AttrFloat(e, "Empty"), std::make_pair(1, 0.0f));
  EXPECT_EQ(AttrText(e, "Flag"), P(0, ""));
  EXPECT_EQ(AttrText(e, "Missing"), P(0, ""));
  EXPECT_EQ(AttrInt(e, "Missing"), std::make_pair(0, 7));
  EXPECT_EQ(AttrText(e, "Min"), P(1, "-2147483648"));
}

// Copies as texts, front first (so reversed), skipping "LASTSYSCONFIG".
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
  // each copy goes to the front; "None" lands on the constraint instance
  EXPECT_EQ(Names(e->GetAllAttributes()), "A Int Real B ");
  EXPECT_EQ(AttrText(e, "B"), P(1, "2"));
  EXPECT_EQ(AttrText(e, "Int"), P(1, ""));
  EXPECT_EQ(AttrText(e, "Real"), P(1, ""));
  EXPECT_EQ(TextOf(e, "None"), P(1, ""));
}

// Unlinking without deleting, and copying an element onto itself.
TEST(Attributes, UnlinkingAndCopyingOntoItself) {
  // General-allocator objects: a leak, a double delete or a released text
  // read again shows under the sanitizers.
  TestElement* e = new TestElement();
  e->SetAttribute("A", "a fairly long attribute text");
  e->SetAttribute("B", "2");
  e->SetConstraint("C", "a fairly long constraint text", 0);
  e->CopyAttributes(e);
  e->CopyConstraintInstances(e);
  EXPECT_EQ(AttrText(e, "A"), P(1, "a fairly long attribute text"));
  EXPECT_EQ(TextOf(e, "C"), P(1, "a fairly long constraint text"));
  SAssignment* a = e->GetAssignment("A");
  SAssignment* b = e->GetAssignment("B");
  SAssignment* c = e->GetAssignment("C");
  EXPECT_FALSE(e->DestroyAssignment("Z"));
  EXPECT_TRUE(e->DestroyAssignment("A"));
  EXPECT_FALSE(e->HasAssignment("A"));
  e->RemoveAttribute("C");
  EXPECT_EQ(c->GetValue(), nullptr);
  EXPECT_TRUE(e->RemoveAssignment(b));
  EXPECT_TRUE(e->GetAllAttributes().empty());
  EXPECT_TRUE(e->GetAllConstraintInstances().empty());
  delete a, delete b, delete c;  // unlinked, not deleted
  e->SetAttribute("D", "4");
  e->SetConstraint("E", "5", 1);
  delete e;  // deletes what is still listed
}

// The element record with its two lists (read back reversed); damaged
// lists fail the read.
TEST_F(AttributeTest, ElementRecord) {
  e->SetName("U1");
  e->SetClientFlags(5);
  SAttribute* a = e->CreateAttribute("A");
  a->SetIsGlobal(true);
  a->CreateIntegerValue()->SetValue(3);
  e->CreateAttribute("B");
  e->SetConstraint("C", "x", 4);
  std::string path = dir.File("element");
  EXPECT_EQ(SaveRecord(path, e, heap), (Lines{"1", "5", "2", "U1", "0", "0", "0",                        // element
                                "2", "2", "0", "1", "B", "0", "0",                         // B
                                "3", "1", "1", "A", "4", "3", "0", "0",                    // A
                                "1", "5", "0", "1", "C", "6", "1", "x", "0", "0", "0"}));  // C
  TestElement* back = LoadRecord<TestElement>(path, heap);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(Names(back->GetAllAttributes()), "A B ");
  EXPECT_TRUE(back->GetAttribute("A")->GetIsGlobal());
  EXPECT_EQ(AttrInt(back, "A"), std::make_pair(1, 3));
  EXPECT_EQ(TextOf(back, "C"), P(1, "x"));
  EXPECT_EQ(static_cast<SConstraintInstance*>(back->GetConstraint("C"))->GetDrcCode(), 0);

  // Damaged lists: the element's first lines, then the two lists.
  const Lines classes = {"TestElement", "SConstraintInstance", "SAttribute", "SConstraint"};
  const Lines cases[] = {
      {"1", "2", "0", "1", "C", "0", "0", "0", "0"},  // an instance among the attributes
      {"1", "0", "0"},                                // a null attribute
      {"1", "3", "0", "1", "A", "4", "0", "0"},       // a value that is not a value
      {"0", "1", "3", "0", "1", "A", "0", "0"},       // an attribute among the instances
      {"2", "3", "0", "1", "A", "0", "0"},            // fewer attributes than counted
  };
  for (const Lines& tail : cases) {
    Lines lines = {"1", "0", "0", "0", "0", "0"};
    lines.insert(lines.end(), tail.begin(), tail.end());
    WriteRecordFile(path, lines, classes);
    EXPECT_EQ(LoadRecord<TestElement>(path, heap), nullptr);
  }
}

// Reading over an assignment releases its old name and value.
TEST_F(AttributeTest, ReadingAnAssignmentReplacesNameAndValue) {
  SProperty* p = new (heap) SProperty();
  p->SetName("old");
  char* oldName = p->GetName();
  SValue* oldValue = p->CreateRealValue();
  std::string path = dir.File("property");
  WriteRecordFile(path, {"1", "0", "3", "new", "0", "12"}, {"SProperty"});
  ASSERT_TRUE(ReadOver(path, p, heap));
  EXPECT_STREQ(p->GetName(), "new");
  EXPECT_EQ(p->GetValue(), nullptr);
  EXPECT_EQ(p->GetId(), 12);
  // both released: the pools hand them out again first
  EXPECT_EQ(tavrin::TextAlloc(heap, 4), oldName);
  EXPECT_EQ(tavrin::ObjectAlloc(heap, sizeof(SRealValue)), static_cast<void*>(oldValue));
}
