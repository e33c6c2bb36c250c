// Design elements: name texts and their blocks, the base class name, destruction.
#include <string>

#include "core/pool.h"
#include "fixture.h"

namespace {

class Element : public SDesignElement {
  TAVRIN_CLASS(Element)
  TAVRIN_ID_ACCESSORS
};

using DesignElementTest = tavrin_test::SessionTest;

// SetName copies the text, reusing the block while its class holds the new size and freeing it
// otherwise; its own text survives being set again from itself; null clears. Deleting the element
// returns its texts and its own block to their classes.
TEST_F(DesignElementTest, SetNameReusesTheBlockWhileItFits) {
  Element* e = new (heap) Element();
  EXPECT_STREQ(SDesignElement::kClassName, "class SDesignElement");
  EXPECT_TRUE(e->GetHeap() == heap && e->GetName() == nullptr && e->GetId() == 0);
  e->SetName("0123456789");  // 11 bytes: class 16
  char* block = e->GetName();
  e->SetName("abc");
  EXPECT_TRUE(e->GetName() == block && !strcmp(block, "abc"));
  std::string longName(500, 'n');
  e->SetName(longName.c_str());
  e->SetName(e->GetName());
  EXPECT_EQ(e->GetName(), longName);
  e->SetName(nullptr);
  EXPECT_FALSE(e->GetName());
  e->SetName("abc");  // class 8
  e->SetPinNum("123456789");
  char *name = e->GetName(), *pinBlock = e->GetPinNum();
  delete e;
  EXPECT_EQ(tavrin::TextAlloc(heap, 4), name);
  EXPECT_EQ(tavrin::TextAlloc(heap, 10), pinBlock);
  Element* again = new (heap) Element();
  EXPECT_TRUE(again == e && again->GetName() == nullptr);
  delete again;
}

}  // namespace
