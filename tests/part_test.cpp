// Parts, part pins and pin mappings.
#include "core/pool.h"
#include "file_test.h"

using namespace tavrin_test;

namespace {

std::vector<std::string> Texts(const CStringList& list) {
  std::vector<std::string> out;
  for (POSITION pos = list.GetHeadPosition(); pos;) out.push_back(list.GetNext(pos).GetString());
  return out;
}

class PartTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    pm = session->CreatePinMappingLibrary("L")->CreatePinMapping("M");
    ASSERT_NE(pm, nullptr);
  }
  SPinMapping* pm = nullptr;
};

// Blocks and nodes not back in the pools, which Drain emptied (so they hold whole chunks).
std::size_t InUse(HANDLEMA* heap) {
  auto count = [](void* head, bool header) {
    std::size_t n = 0;
    for (void* p = head; p; ++n)
      p = header ? reinterpret_cast<void*>(*reinterpret_cast<std::uintptr_t*>(static_cast<char*>(p) - 8))
                 : *static_cast<void**>(p);
    return n;
  };
  std::size_t used = 0;
  for (int c = 0; c < tavrin::kSizeClassCount; ++c)
    if (std::size_t n = count(heap->sizeClassHeads[c], true)) used += tavrin::BlocksPerChunk(c) - n;
  if (std::size_t n = count(heap->listNodeFree, false)) used += tavrin::kListChunkBytes / tavrin::kListCellBytes - n;
  if (std::size_t n = count(heap->mapNodeFree, false)) used += tavrin::kMapChunkBytes / tavrin::kMapCellBytes - n;
  return used;
}

void Drain(HANDLEMA* heap) {
  while (heap->mapNodeFree) HeapAllocMapNode(heap);
  while (heap->listNodeFree) HeapAllocListNode(heap);
  for (int c = 0; c < tavrin::kSizeClassCount; ++c)
    while (heap->sizeClassHeads[c]) tavrin::PoolAlloc(heap, tavrin::kClassSizes[c]);
}

}  // namespace

// Destroy removes the first equal text; a part's own list appended is copied once.
TEST(PartDiscretePinPairs, OrderRemovalAndOwnList) {
  SPart* p = new SPart();
  p->AddDiscretePinPair("a");
  p->AddDiscretePinPair("b");
  p->AddDiscretePinPair("a");
  p->AddDiscretePinPair(static_cast<const char*>(nullptr));
  EXPECT_TRUE(p->HasDiscretePinPair("b") && p->DestroyDiscretePinPair("a"));
  EXPECT_EQ(Texts(p->GetAllDiscretePinPairs()), (std::vector<std::string>{"b", "a"}));
  EXPECT_TRUE(p->HasDiscretePinPair("a") && p->DestroyDiscretePinPair("a"));
  EXPECT_FALSE(p->HasDiscretePinPair("a") || p->DestroyDiscretePinPair("a") || p->HasDiscretePinPair(nullptr) ||
               p->DestroyDiscretePinPair(nullptr));
  p->AddDiscretePinPair(p->GetAllDiscretePinPairs());  // its own list: copied once
  EXPECT_EQ(Texts(p->GetAllDiscretePinPairs()), (std::vector<std::string>{"b", "b"}));
  EXPECT_TRUE(p->DestroyAllDiscretePinPairs() && p->GetAllDiscretePinPairs().GetCount() == 0);
  p->AddDiscretePinPair("kept until the part goes");
  delete p;
}

// Global pairs answer for slot 0 before any slot list; a slot answers both ways.
TEST_F(PartTest, SlotLookups) {
  SPart* part = chip->CreatePart("U");
  SPartPin* pin = part->CreatePartPin("1");
  EXPECT_TRUE(pin && pin->GetPart() == part && part->GetPartPin("1") == pin);
  ASSERT_TRUE(pm->AddGlobalEntry("5", "VCC") && pm->AddSlotEntry(2, "3", "A") && pm->AddSlotEntry(0, "9", "B"));
  EXPECT_TRUE(pm->GetSlotNumber("5") == 0 && pm->GetSlotNumber("3") == 2 && pm->GetSlotNumber("7") == -1 &&
              pm->GetSlotNumber("9") == 0 && pm->GetSlotNumber(nullptr) == -1);
  EXPECT_TRUE(!strcmp(pm->GetSlotMemberName(2, "3"), "A") && !strcmp(pm->GetSlotAggregateName(2, "A"), "3") &&
              !strcmp(pm->GetGlobalMemberName("5"), "VCC"));
  EXPECT_FALSE(pm->GetSlotMemberName(3, "3") || pm->GetSlotMemberName(2, "5") || pm->GetSlotAggregateName(2, "VCC") ||
               pm->GetGlobalMemberName("3") || pm->GetSlotMemberName(2, nullptr));
  EXPECT_FALSE(pm->AddGlobalEntry(nullptr, "x") || pm->AddSlotEntry(4, "x", nullptr));
  EXPECT_EQ(pm->GetAllSlotEntries().size(), 2u) << "a refused pair makes no slot";
  char buf[] = "P1";  // a pair is a copy
  ASSERT_TRUE(pm->AddSlotEntry(6, buf, buf));
  buf[1] = '2';
  EXPECT_STREQ(pm->GetSlotMemberName(6, "P1"), "P1");
}

// Removal takes the first pair matching both names; an emptied slot stays, skipped.
TEST_F(PartTest, RemovingPairs) {
  ASSERT_TRUE(pm->AddSlotEntry(1, "a", "x") && pm->AddSlotEntry(2, "b", "y") && pm->AddSlotEntry(2, "b", "z") &&
              pm->AddGlobalEntry("g", "x") && pm->AddGlobalEntry("g", "x"));
  EXPECT_FALSE(pm->RemoveSlotEntry(9, "a", "x") || pm->RemoveSlotEntry(1, "a", "y") || pm->RemoveSlotEntry(1, nullptr, "x"));
  EXPECT_TRUE(pm->RemoveSlotEntry(1, "a", "x") && pm->GetAllSlotEntries().size() == 2 && pm->GetSlotNumber("a") == -1 &&
              !pm->RemoveSlotEntry(1, "a", "x"));

  const SPinMapping::Entries* two = pm->GetAllSlotEntries().begin()->second;
  ASSERT_EQ(two->size(), 2u);
  auto z = two->begin();  // newest first: (b, z)
  EXPECT_FALSE(pm->RemoveSlotEntryInternal(1, z) || pm->RemoveSlotEntryInternal(7, z));
  EXPECT_TRUE(pm->RemoveSlotEntryInternal(2, z) && !strcmp(pm->GetSlotMemberName(2, "b"), "y"));
  EXPECT_FALSE(pm->RemoveSlotEntryInternal(2, SPinMapping::Entries::iterator()));
}

// Each allocation of a pair in a new slot (7, pools drained) or an existing one (5) fails in turn: no change, no leak.
TEST_F(PartTest, AddSlotEntryOutOfMemory) {
  ASSERT_TRUE(pm->AddSlotEntry(1, "x", "y"));
  const std::string aggregate(30, 'a'), member(50, 'm');
  for (int slot : {3, 1}) {
    const unsigned slots = pm->GetAllSlotEntries().size(), inSlot1 = pm->GetAllSlotEntries().find(1)->second->size();
    int n = 1;
    for (; n < 20; ++n) {
      Drain(heap);
      bool added;
      {
        FailAfter fail(n);
        added = pm->AddSlotEntry(slot, aggregate.c_str(), member.c_str());
      }
      if (added) break;
      EXPECT_EQ(InUse(heap), 0u) << slot << " " << n;
      EXPECT_EQ(pm->GetAllSlotEntries().size(), slots) << n;
      EXPECT_EQ(pm->GetAllSlotEntries().find(1)->second->size(), inSlot1) << n;
    }
    EXPECT_STREQ(pm->GetSlotMemberName(slot, aggregate.c_str()), member.c_str());
    EXPECT_EQ(n, slot == 3 ? 7 : 5) << "slot " << slot;
  }
  EXPECT_TRUE(pm->RemoveSlotEntry(3, aggregate.c_str(), member.c_str()));
}
