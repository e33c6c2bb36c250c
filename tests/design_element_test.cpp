// Design elements: texts and their blocks, class names, identifiers and the
// server counter, destruction.
#include <string>

#include "core/pool.h"
#include "fixture.h"

namespace {

class Element : public SDesignElement {
  TAVRIN_CLASS(Element)
  TAVRIN_ID_ACCESSORS
};

using DesignElementTest = tavrin_test::SessionTest;

TEST_F(DesignElementTest, SetNameReusesTheBlockWhileItFits) {
  Element* e = new (heap) Element();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->GetHeap(), heap);
  EXPECT_EQ(e->GetName(), nullptr);
  e->SetName("0123456789");  // 11 bytes: class 16
  char* block = e->GetName();
  e->SetName("abc");
  EXPECT_EQ(e->GetName(), block);
  EXPECT_STREQ(e->GetName(), "abc");
  e->SetName("a name of twenty+ bytes");
  EXPECT_NE(e->GetName(), block);
  EXPECT_STREQ(e->GetName(), "a name of twenty+ bytes");
  EXPECT_EQ(tavrin::TextAlloc(heap, 16), block);  // the old block was freed
  std::string pin = "pin";
  e->SetPinNum(pin.c_str());
  pin[0] = 'X';
  EXPECT_STREQ(e->GetPinNum(), "pin");  // a copy
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
  e->SetName("abc");          // class 8
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
  Element* outside = new Element();  // no record: general allocator
  ASSERT_NE(outside, nullptr);
  EXPECT_EQ(outside->GetHeap(), nullptr);
  outside->SetName("n");
  outside->SetPinNum("1");
  delete outside;  // frees its texts (leak checkers verify)
}

TEST_F(DesignElementTest, ClassNameOfTheDynamicClass) {
  SDesignElement* base = new (heap) Element();
  TavrinObject* root = base;
  EXPECT_STREQ(root->GetClassName(), "class Element");
  EXPECT_EQ(Element::Cast(root), base);
  EXPECT_EQ(SDesignElement::Cast(root), base);
  EXPECT_EQ(SLibrary::Cast(root), nullptr);
  EXPECT_STREQ(SDesignElement::kClassName, "class SDesignElement");
  EXPECT_STREQ(SLibrary::kClassName, "class SLibrary");
  SLibrary* lib = session->CreatePadStackLibrary("L");
  EXPECT_STREQ(static_cast<TavrinObject*>(lib)->GetClassName(), "class SPadStackLibrary");
  EXPECT_EQ(base->Find(const_cast<char*>("x")), nullptr);
  delete base;
}

TEST_F(DesignElementTest, IdentifiersAreZeroAndTheServerCountsConstructions) {
  ASSERT_EQ(GTavrinServer::GetCurrent(), nullptr);
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

}  // namespace
