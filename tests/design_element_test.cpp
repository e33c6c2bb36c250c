// Design elements: texts and their blocks, class names, identifiers and the
// server counter, destruction, heap record.
#include <string>

#include "core/pool.h"
#include "fixture.h"

// Reaches the server's protected current-server setter.
class ServerTestAccess {
 public:
  static void SetCurrent(GTavrinServer* s) { GTavrinServer::SetCurrent(s); }
};

namespace {

class Element : public SDesignElement {
  TAVRIN_CLASS(Element)
  TAVRIN_ID_ACCESSORS
 public:
  Element() {}
  void ForceId(long id) { SetId(id); }
};

using DesignElementTest = tavrin_test::SessionTest;

TEST_F(DesignElementTest, NewElementIsEmptyAndInTheSessionHeap) {
  Element* e = new (heap) Element();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->GetHeap(), heap);
  EXPECT_EQ(tavrin::BlockHeap(e), heap);
  EXPECT_EQ(e->GetName(), nullptr);
  EXPECT_EQ(e->GetPinNum(), nullptr);
  EXPECT_EQ(e->GetClientFlags(), 0);
  EXPECT_TRUE(e->GetAllAttributes().empty());
  EXPECT_TRUE(e->GetAllConstraintInstances().empty());
  EXPECT_EQ(e->Find(const_cast<char*>("x")), nullptr);
  e->SetClientFlags(-5);
  EXPECT_EQ(e->GetClientFlags(), -5);
  e->ForceId(42);
  EXPECT_EQ(e->GetId(), 42);
  delete e;
  Element* outside = new Element();  // no record: general allocator
  ASSERT_NE(outside, nullptr);
  EXPECT_EQ(outside->GetHeap(), nullptr);
  outside->SetName("n");
  outside->SetPinNum("1");
  delete outside;  // frees its texts (leak checkers verify)
}

TEST_F(DesignElementTest, SetNameReusesTheBlockWhileItFits) {
  Element* e = new (heap) Element();
  e->SetName("0123456789");  // 11 bytes: class 16
  char* block = e->GetName();
  e->SetName("abc");
  EXPECT_EQ(e->GetName(), block);
  EXPECT_STREQ(e->GetName(), "abc");
  e->SetName("a name of twenty+ bytes");
  char* bigger = e->GetName();
  EXPECT_NE(bigger, block);
  EXPECT_STREQ(bigger, "a name of twenty+ bytes");
  EXPECT_EQ(tavrin::TextAlloc(heap, 16), block);  // the old block was freed
  std::string copy = "pin";
  e->SetPinNum(copy.c_str());
  copy[0] = 'X';
  EXPECT_STREQ(e->GetPinNum(), "pin");
  std::string longName(500, 'n');
  e->SetName(longName.c_str());
  e->SetName(e->GetName());  // its own text, in a heap block that is replaced
  EXPECT_EQ(e->GetName(), longName);
  e->SetName(nullptr);
  EXPECT_EQ(e->GetName(), nullptr);
  delete e;
}

TEST_F(DesignElementTest, DestructionFreesTheTextsToThePool) {
  Element* e = new (heap) Element();
  e->SetName("abc");       // class 8
  e->SetPinNum("123456789");  // class 16
  char* name = e->GetName();
  char* pin = e->GetPinNum();
  delete e;
  EXPECT_EQ(tavrin::TextAlloc(heap, 4), name);
  EXPECT_EQ(tavrin::TextAlloc(heap, 10), pin);
  Element* again = new (heap) Element();
  EXPECT_EQ(again, e);  // the object block went back to its class too
  EXPECT_EQ(again->GetName(), nullptr);
  delete again;
}

TEST_F(DesignElementTest, ClassNameOfTheDynamicClass) {
  SDesignElement* base = new (heap) Element();
  EXPECT_STREQ(base->GetClassName(), "class Element");
  TavrinObject* root = base;
  EXPECT_STREQ(root->GetClassName(), "class Element");
  EXPECT_STREQ(SDesignElement::kClassName, "class SDesignElement");
  EXPECT_EQ(SDesignElement::Cast(root), base);
  EXPECT_EQ(Element::Cast(root), base);
  EXPECT_EQ(SLibrary::Cast(root), nullptr);
  SLibrary* lib = session->CreatePadStackLibrary("L");
  EXPECT_STREQ(static_cast<TavrinObject*>(lib)->GetClassName(), "class SPadStackLibrary");
  EXPECT_STREQ(SLibrary::kClassName, "class SLibrary");
  EXPECT_STREQ(GTavrinServer::kClassName, "class GTavrinServer");
  delete base;
}

TEST_F(DesignElementTest, IdentifiersAreZeroAndTheServerCountsConstructions) {
  ASSERT_EQ(GTavrinServer::GetCurrent(), nullptr);
  EXPECT_EQ(GTavrinServer::GetNewId(), 0);
  Element* e = new (heap) Element();
  EXPECT_EQ(e->GetId(), 0);
  GTavrinServer* server = new (heap) GTavrinServer();
  ASSERT_NE(server, nullptr);
  server->SetIdCounter(10);
  ServerTestAccess::SetCurrent(server);
  Element* f = new (heap) Element();
  SPackageLibrary* lib = session->CreatePackageLibrary("P");
  EXPECT_EQ(GTavrinServer::GetNewId(), 0);
  ServerTestAccess::SetCurrent(nullptr);
  EXPECT_EQ(f->GetId(), 0);
  EXPECT_EQ(lib->GetId(), 0);
  EXPECT_EQ(server->GetIdCounter(), 13);  // element, library, and the direct call
  Element* g = new (heap) Element();
  EXPECT_EQ(server->GetIdCounter(), 13);  // no current server, no count
  delete e;
  delete f;
  delete g;
  delete server;
}

TEST(DesignElement, NativeModeIsAProcessWideSwitch) {
  EXPECT_FALSE(SDesignElement::GetNativeMode());
  SDesignElement::SetNativeMode(true);
  EXPECT_TRUE(SDesignElement::GetNativeMode());
  SDesignElement::SetNativeMode(false);
  EXPECT_FALSE(SDesignElement::GetNativeMode());
}

}  // namespace
