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

// SetName copies the text, reusing the block while its class holds the new
// size and freeing it otherwise; the element's own text, from a heap block
// that is replaced, survives; null clears. Deleting the element returns its
// texts and its own block to their classes. The class name and casts follow
// the dynamic class; Find finds nothing.
TEST_F(DesignElementTest, SetNameReusesTheBlockWhileItFits) {
  Element* e = new (heap) Element();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->GetHeap(), heap);
  TavrinObject* root = e;
  EXPECT_STREQ(root->GetClassName(), "class Element");
  EXPECT_EQ(SDesignElement::Cast(root), e);
  EXPECT_EQ(SLibrary::Cast(root), nullptr);
  EXPECT_STREQ(SDesignElement::kClassName, "class SDesignElement");
  EXPECT_EQ(e->Find(const_cast<char*>("x")), nullptr);
  EXPECT_EQ(e->GetName(), nullptr);
  e->SetName("0123456789");  // 11 bytes: class 16
  char* block = e->GetName();
  e->SetName("abc");
  EXPECT_EQ(e->GetName(), block);
  EXPECT_STREQ(e->GetName(), "abc");
  e->SetName("a name of twenty+ bytes");
  EXPECT_STREQ(e->GetName(), "a name of twenty+ bytes");
  EXPECT_EQ(tavrin::TextAlloc(heap, 16), block);  // the old block was freed
  std::string pin = "123456789";
  e->SetPinNum(pin.c_str());
  pin[0] = 'X';
  EXPECT_STREQ(e->GetPinNum(), "123456789");
  std::string longName(500, 'n');
  e->SetName(longName.c_str());
  e->SetName(e->GetName());
  EXPECT_EQ(e->GetName(), longName);
  e->SetName(nullptr);
  EXPECT_EQ(e->GetName(), nullptr);
  e->SetName("abc");  // class 8
  char* name = e->GetName();
  char* pinBlock = e->GetPinNum();
  delete e;
  EXPECT_EQ(tavrin::TextAlloc(heap, 4), name);
  EXPECT_EQ(tavrin::TextAlloc(heap, 10), pinBlock);
  Element* again = new (heap) Element();
  EXPECT_EQ(again, e);
  EXPECT_EQ(again->GetName(), nullptr);
  delete again;
  Element* outside = new Element();  // no record: general allocator
  ASSERT_NE(outside, nullptr);
  EXPECT_EQ(outside->GetHeap(), nullptr);
  outside->SetName("n");
  outside->SetPinNum("1");
  delete outside;  // frees its texts (leak checkers verify)
}

// New objects get identifier 0; a current server counts each construction
// and each direct request, no server counts nothing.
TEST_F(DesignElementTest, IdentifiersAreZeroAndTheServerCountsConstructions) {
  GTavrinServer* server = new (heap) GTavrinServer();
  ASSERT_TRUE(server && !GTavrinServer::GetCurrent());
  ServerTestAccess::SetCurrent(server);
  Element* e = new (heap) Element();
  SPackageLibrary* lib = session->CreatePackageLibrary("P");
  EXPECT_EQ(GTavrinServer::GetNewId(), 0);
  ServerTestAccess::SetCurrent(nullptr);
  Element* f = new (heap) Element();
  EXPECT_EQ(e->GetId() | lib->GetId() | f->GetId(), 0);
  EXPECT_EQ(server->GetIdCounter(), 3);
  delete e;
  delete f;
  delete server;
}

}  // namespace
