// Generic objects: the position lists of object types and objects (append,
// insert behind, walks both ways, removal), child objects, deletion of
// whole trees (deep ones too), memory running out; object and type records
// in files of their own, objects before the type they refer to.
#include <algorithm>
#include <cstring>
#include <functional>

#include "file_test.h"
#include "test_element.h"

using namespace tavrin_test;

namespace {

typedef std::vector<SObject*> Objects;

// Head to tail with GetFirstObject / GetNextObject, then tail to head with
// GetLastObject / GetPrevObject; the second walk is reversed back.
template <class H>
Objects Walk(const H* holder, bool backwards = false) {
  Objects out;
  POSITION pos = nullptr;
  SObject* o = backwards ? holder->GetLastObject(pos) : holder->GetFirstObject(pos);
  if (o || pos) out.push_back(o);
  while (pos) out.push_back(backwards ? holder->GetPrevObject(pos) : holder->GetNextObject(pos));
  if (backwards) std::reverse(out.begin(), out.end());
  return out;
}

class ObjectsTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    type = new (heap) SObjectType();
    ASSERT_NE(type, nullptr);
  }
  SObject* New(const char* name) {
    SObject* o = new (heap) SObject();
    o->SetName(name);
    return o;
  }
  SObjectType* type = nullptr;
  ScratchDir dir;
};

}  // namespace

// ---- lists --------------------------------------------------------------------------------

// Append, insert behind the first occurrence or at the head, refuse an
// absent `after`; walks both ways visit each object once.
TEST_F(ObjectsTest, InsertAndWalk) {
  __POSITION somewhere;
  POSITION pos = &somewhere;  // an empty list sets the position to null
  EXPECT_TRUE(!type->GetFirstObject(pos) && !pos);
  pos = &somewhere;
  EXPECT_TRUE(!type->GetLastObject(pos) && !pos);
  EXPECT_EQ(type->GetLastObject(), nullptr);
  EXPECT_TRUE(!type->GetNextObject(pos) && !type->GetPrevObject(pos));

  SObject *a = New("a"), *b = New("b"), *c = New("c"), *d = New("d"), *e = New("e"), *x = New("x");
  SObject* none = nullptr;
  EXPECT_NE(type->AddObject(a), nullptr);
  type->AddObject(b);
  POSITION at = type->InsObject(c, a);
  ASSERT_NE(at, nullptr);
  EXPECT_EQ(Walk(type), (Objects{a, c, b}));
  EXPECT_NE(type->InsObject(d, none), nullptr);
  EXPECT_EQ(type->InsObject(e, x), nullptr);
  EXPECT_EQ(Walk(type), (Objects{d, a, c, b}));
  EXPECT_EQ(Walk(type, true), (Objects{d, a, c, b}));
  EXPECT_EQ(type->GetObjectsCount(), 4);
  EXPECT_EQ(type->GetLastObject(), b);
  // The position returned is the new node's: walking on from it.
  EXPECT_TRUE(type->GetNextObject(at) == c && type->GetNextObject(at) == b && !at);
  // GetFirstObject leaves the position on the node after the head.
  pos = nullptr;
  EXPECT_TRUE(type->GetFirstObject(pos) == d && type->GetNextObject(pos) == a);
  pos = nullptr;
  EXPECT_TRUE(type->GetLastObject(pos) == b && type->GetPrevObject(pos) == c);

  // A second occurrence: insertion behind the first one.
  type->AddObject(a);
  type->InsObject(e, a);
  EXPECT_EQ(Walk(type), (Objects{d, a, e, c, b, a}));
  EXPECT_EQ(type->RemObject(a), 1);
  EXPECT_EQ(Walk(type), (Objects{d, e, c, b, a}));
  EXPECT_TRUE(type->RemObject(a) == 1 && type->RemObject(a) == 0);
  EXPECT_EQ(type->DeleteObject(x), 0);
  EXPECT_EQ(type->DeleteObject(e), 1);
  EXPECT_EQ(Walk(type), (Objects{d, c, b}));
  type->RemoveAllObjects();
  EXPECT_TRUE(type->GetObjectsCount() == 0 && !type->GetLastObject() && Walk(type).empty());
  EXPECT_STREQ(d->GetName(), "d") << "removing deletes nothing";
  for (SObject* o : {a, b, c, d, x}) delete o;
}

// The same operations on an object's children; GetNext follows the
// position only. A child has its parent's type and parent and stands in its
// parent's list only.
TEST_F(ObjectsTest, ChildrenLists) {
  SObject* parent = type->CreateObject("p");
  SObject* other = type->CreateObject("q");
  SObject *a = New("a"), *b = New("b"), *none = nullptr;
  parent->AddObject(a);
  parent->InsObject(b, none);
  EXPECT_EQ(Walk(parent, true), (Objects{b, a}));
  POSITION pos = nullptr;
  parent->GetFirstObject(pos);
  EXPECT_EQ(other->GetNextObject(pos), a);
  EXPECT_TRUE(parent->RemObject(b) == 1 && parent->RemObject(b) == 0 && parent->GetLastObject() == a);
  EXPECT_EQ(parent->DeleteObject(a), 1);
  delete b;
  SObject* child = parent->CreateObject("child");
  SObject* grandchild = child->CreateObject();
  EXPECT_TRUE(child->GetObjectType() == type && child->GetParent() == parent && grandchild->GetParent() == child);
  EXPECT_TRUE(grandchild->GetObjectType() == type && Walk(type) == (Objects{parent, other}));
  SObject* loose = New("loose");
  EXPECT_EQ(loose->CreateObject("c")->GetObjectType(), nullptr) << "a parent without a type gives none";
  EXPECT_FALSE(type->CreateObject(nullptr) || parent->CreateObject(nullptr));
  delete loose;
}

// Memory running out: no node, no object, nothing changed, nothing thrown.
TEST_F(ObjectsTest, ExhaustionChangesNothing) {
  SObject* a = type->CreateObject("a");
  SObject* b = New("b");
  SObject* none = nullptr;
  struct Step {
    const char* what;
    std::function<bool()> run;
  };
  const Step steps[] = {
      {"AddObject", [&] { return type->AddObject(b) != nullptr; }},
      {"InsObject", [&] { return type->InsObject(b, a) != nullptr; }},
      {"InsObject at the head", [&] { return a->InsObject(b, none) != nullptr; }},
      {"CreateObject", [&] { return type->CreateObject() != nullptr; }},
      {"a named child", [&] { return a->CreateObject("child") != nullptr; }},
  };
  for (const Step& s : steps) {
    Starve(heap);
    FailAfter fail(1);
    EXPECT_FALSE(s.run()) << s.what;
  }
  EXPECT_EQ(Walk(type), (Objects{a}));
  EXPECT_EQ(a->GetObjectsCount(), 0);
  delete b;
}

// Deleting a type deletes its objects and their whole trees, however deep,
// without recursion; outside a session the leak check sees nothing left.
TEST(ObjectTrees, DeletedWithTheirType) {
  SObjectType* t = new SObjectType();
  SObject* o = t->CreateObject("root");
  for (int i = 0; i < 3; ++i) o->CreateObject("wide")->CreateObject("deeper");
  SObject* deep = t->CreateObject("deep");
  for (int i = 0; i < 300000; ++i) deep = deep->CreateObject();
  SObject* removed = t->CreateObject("removed");
  removed->CreateObject("kept with it");
  EXPECT_EQ(t->RemObject(removed), 1);
  delete t;
  EXPECT_EQ(removed->GetObjectsCount(), 1) << "a removed object is the caller's";
  delete removed;
  // DeleteAllObjects deletes and empties; the type lives on.
  SObjectType* u = new SObjectType();
  u->CreateObject("a")->CreateObject("b");
  u->DeleteAllObjects();
  EXPECT_EQ(u->GetObjectsCount(), 0);
  delete u;
}

// ---- records --------------------------------------------------------------------------------

// Objects first, then the type they refer to: the reference is resolved
// through the object table once the type is read. Type: name, id. Object:
// design element, level, type reference, id, composite flag.
TEST_F(ObjectsTest, ObjectsThenTheirType) {
  type->SetName("T");
  type->SetId(9);
  SObject* o1 = type->CreateObject("o1");
  o1->SetLevel("L");
  o1->SetCompObj(true);
  o1->SetId(11);
  SObject* o2 = o1->CreateObject();
  o2->SetId(12);
  const std::string path = dir.File("objects");
  {
    PersistentFile f(path.c_str(), 1, heap);
    for (SObject* o : {o1, o2}) {
      f.WritePointer(o);
      o->Serialize(f);
    }
    f.WritePointer(type);
    type->Serialize(f);
    ASSERT_TRUE(f.Close()) << f.GetError();
  }
  const Lines golden = {"1", "0", "2", "o1", "0", "0", "0", "0", "0", "1", "L", "2", "11", "1",
                        "3", "0", "0", "0", "0", "0", "0", "0", "0", "2", "12", "0",
                        "2", "1", "T", "9",
                        "@@@@", "4", "SObject", "SObjectType", "0"};
  std::istringstream in(ReadFile(path));
  Lines lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(Lines(lines.begin() + 7, lines.end()), golden);

  auto read = [&](const std::string& file, SObject*& r1, SObject*& r2, SObjectType*& rt) {
    PersistentFile f(file.c_str(), 0, heap);
    ASSERT_TRUE(f.IsOK());
    r1 = SObject::Cast(f.ReadPointer());
    ASSERT_TRUE(r1 && r1->Serialize(f) == 0);
    r2 = SObject::Cast(f.ReadPointer());
    ASSERT_TRUE(r2 && r2->Serialize(f) == 0);
    rt = SObjectType::Cast(f.ReadPointer());
    ASSERT_TRUE(rt && rt->Serialize(f) == 0);
    EXPECT_TRUE(f.FinishData() && f.Close());
  };
  SObject *r1 = nullptr, *r2 = nullptr;
  SObjectType* rt = nullptr;
  read(path, r1, r2, rt);
  ASSERT_TRUE(r1 && r2 && rt);
  EXPECT_TRUE(r1->GetObjectType() == rt && r2->GetObjectType() == rt);
  EXPECT_TRUE(!r1->GetParent() && r1->GetObjectsCount() == 0) << "parent and children are not saved";

  // Written again, the same lines (an empty level is written as 0 either way).
  const std::string again = dir.File("again");
  {
    PersistentFile f(again.c_str(), 1, heap);
    for (SObject* o : {r1, r2}) {
      f.WritePointer(o);
      o->Serialize(f);
    }
    f.WritePointer(rt);
    rt->Serialize(f);
    ASSERT_TRUE(f.Close());
  }
  EXPECT_EQ(ReadFile(again), ReadFile(path));
  for (SObject* o : {r1, r2}) delete o;
  delete rt;
}

// The composite flag is the lowest byte of the int read; a type reference
// of another class reads as no type; a cut record is damage.
TEST_F(ObjectsTest, FlagByteTypeOfAnotherClassAndCuts) {
  const std::string path = dir.File("o");
  auto object = [&](const char* flag, const char* cls) {
    WriteRecordFile(path, {"1", "0", "0", "0", "0", "0", "0", "0", "0", "2", "5", flag},
                    {"SObject", cls});
    SObject* o = LoadRecord<SObject>(path, heap);
    return o;
  };
  SObject* o = object("256", "SObjectType");
  ASSERT_NE(o, nullptr);
  EXPECT_FALSE(o->IsCompObj());
  EXPECT_NE(o->GetObjectType(), nullptr);
  o = object("513", "SObjectType");
  ASSERT_NE(o, nullptr);
  EXPECT_TRUE(o->IsCompObj() && o->GetId() == 5);
  o = object("0", "SCondRule");
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->GetObjectType(), nullptr) << "a rule is no object type";
  const Lines full = {"1", "0", "0", "0", "0", "0", "0", "0", "0", "0", "5", "1"};
  for (std::size_t n = 0; n < full.size(); ++n) {
    WriteRecordFile(path, Lines(full.begin(), full.begin() + n), {"SObject"});
    EXPECT_EQ(LoadRecord<SObject>(path, heap), nullptr) << "cut at " << n;
  }
  WriteRecordFile(path, {"1", "1", "T"}, {"SObjectType"});
  EXPECT_EQ(LoadRecord<SObjectType>(path, heap), nullptr);
  WriteRecordFile(path, {"1", "1", "T", "3"}, {"SObjectType"});
  SObjectType* t = LoadRecord<SObjectType>(path, heap);
  EXPECT_TRUE(t && t->GetId() == 3 && !strcmp(t->GetName(), "T"));
}
