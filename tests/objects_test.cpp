// Generic objects: position lists, deep trees, records.
#include <algorithm>
#include <cstring>

#include "test_element.h"

using namespace tavrin_test;

namespace {

typedef std::vector<SObject*> Objects;

// The objects head to tail, or walked tail to head and reversed back.
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

class ObjectsTest : public ElementTest {
 protected:
  SObject* New(const char* name) {
    SObject* o = new (heap) SObject();
    return o->SetName(name), o;
  }
};

}  // namespace

// Insert behind the first occurrence or at the head; RemObject takes the first occurrence; deleting the type.
TEST_F(ObjectsTest, ListsOfTypesAndObjects) {
  SObjectType* type = new (heap) SObjectType();
  __POSITION somewhere;
  POSITION pos = &somewhere;  // an empty list sets the position to null
  EXPECT_TRUE(!type->GetFirstObject(pos) && !pos && !type->GetLastObject());
  SObject *a = New("a"), *b = New("b"), *c = New("c"), *d = New("d"), *e = New("e"), *x = New("x");
  SObject* none = nullptr;
  type->AddObject(a);
  type->AddObject(b);
  type->InsObject(c, a);
  EXPECT_TRUE(type->InsObject(d, none) && !type->InsObject(e, x)) << "x is not listed";
  EXPECT_EQ(Walk(type), (Objects{d, a, c, b}));
  EXPECT_EQ(Walk(type, true), (Objects{d, a, c, b}));
  type->AddObject(a);
  type->InsObject(e, a);
  EXPECT_EQ(Walk(type), (Objects{d, a, e, c, b, a}));
  EXPECT_TRUE(type->RemObject(a) == 1 && type->DeleteObject(x) == 0 && type->DeleteObject(e) == 1);
  EXPECT_EQ(Walk(type), (Objects{d, c, b, a}));
  type->RemoveAllObjects();
  EXPECT_EQ(type->GetObjectsCount(), 0);
  SObject* parent = type->CreateObject("p");
  parent->AddObject(a);
  parent->InsObject(b, none);
  EXPECT_EQ(Walk(parent, true), (Objects{b, a}));
  EXPECT_TRUE(parent->RemObject(b) == 1 && parent->RemObject(b) == 0 && parent->DeleteObject(a) == 1);
  SObject* grandchild = parent->CreateObject("child")->CreateObject();
  EXPECT_TRUE(grandchild->GetObjectType() == type && Walk(type) == (Objects{parent}));
  EXPECT_FALSE(type->CreateObject(nullptr) || parent->CreateObject(nullptr));
  for (SObject* o : {b, c, d, x}) delete o;
  SObject* deep = type->CreateObject("deep");  // deleted without recursion
  for (int i = 0; i < 300000; ++i) deep = deep->CreateObject();
  SObject* removed = type->CreateObject("removed");
  removed->CreateObject("kept with it");
  EXPECT_EQ(type->RemObject(removed), 1);
  delete type;
  EXPECT_EQ(removed->GetObjectsCount(), 1) << "a removed object is the caller's";
  delete removed;
  SModule* m = session->CreateProject("p")->CreateDesignCell("c")->CreateModule("m");
  EXPECT_TRUE(m->CreateObjectType("T") && !m->CreateObjectType("T"));
}

// Objects, then the type they refer to: object (design element, level, type, id, composite), type (name, id).
TEST_F(ObjectsTest, ObjectsThenTheirType) {
  SObjectType* type = new (heap) SObjectType();
  type->SetName("T");
  type->SetId(9);
  SObject* o1 = type->CreateObject("o1");
  o1->SetLevel("L");
  o1->SetCompObj(true);
  o1->SetId(11);
  SObject* o2 = o1->CreateObject();
  o2->SetId(12);
  const std::string path = File();
  EXPECT_EQ(SaveRecord(path, o1, heap, o2, type),
            (Lines{"1", "0", "2", "o1", "0", "0", "0", "0", "0", "1", "L", "2", "11", "1",
                   "3", "0", "0", "0", "0", "0", "0", "0", "0", "2", "12", "0", "2", "1", "T", "9"}));
  PersistentFile f(path.c_str(), 0, heap);
  SObject* r[2];
  for (SObject*& o : r) ASSERT_TRUE((o = SObject::Cast(f.ReadPointer())) && o->Serialize(f) == 0);
  SObjectType* rt = SObjectType::Cast(f.ReadPointer());
  ASSERT_TRUE(rt && rt->Serialize(f) == 0 && f.FinishData() && f.Close());
  EXPECT_TRUE(r[0]->GetObjectType() == rt && r[1]->GetObjectType() == rt);
  EXPECT_TRUE(!r[0]->GetParent() && r[0]->GetObjectsCount() == 0) << "parent and children are not saved";
  for (SObject* o : r) delete o;
  delete rt;
  // The composite flag is the int's lowest byte; a type reference of another class reads as none.
  auto object = [&](const char* flag, const char* cls) {
    WriteRecordFile(path, {"1", "0", "0", "0", "0", "0", "0", "0", "0", "2", "5", flag},
                    {"SObject", cls});
    return LoadRecord<SObject>(path, heap);
  };
  SObject* o = object("256", "SObjectType");
  EXPECT_TRUE(o && !o->IsCompObj() && o->GetObjectType());
  o = object("0", "SCondRule");
  EXPECT_TRUE(o && !o->GetObjectType()) << "a rule is no object type";
  WriteRecordFile(path, {"1", "1", "T", "3"}, {"SObjectType"});
  SObjectType* t = LoadRecord<SObjectType>(path, heap);
  EXPECT_TRUE(t && t->GetId() == 3 && !strcmp(t->GetName(), "T"));
}
