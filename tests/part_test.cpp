// Parts, part pins and pin mappings: pair lookups by slot, discrete pin
// pairs, files with forward references to mappings, damaged files and memory
// running out.
#include <string>
#include <vector>

#include "core/pool.h"
#include "design/session_files.h"
#include "file_test.h"
#include "hierarchy_fixture.h"

using namespace tavrin_test;

namespace {

std::vector<std::string> Texts(const CStringList& list) {
  std::vector<std::string> out;
  for (POSITION pos = list.GetHeadPosition(); pos;) out.push_back(list.GetNext(pos).GetString());
  return out;
}


class PartTest : public FileTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    project = session->CreateProject("P");
    cell = project->CreateDesignCell("c");
    part = cell->CreatePart("U");
    lib = session->CreatePinMappingLibrary("L");
    ASSERT_TRUE(part && lib);
  }

  SProject* project = nullptr;
  SCell* cell = nullptr;
  SPart* part = nullptr;
  SPinMappingLibrary* lib = nullptr;
};

}  // namespace

// Discrete pin pairs keep insertion order; Destroy removes the first equal
// text; Has finds what Destroy would remove; appending a part's own list
// copies it once. The part is deleted by the test, so its texts must go.
TEST(PartDiscretePinPairs, OrderRemovalAndOwnList) {
  SPart* p = new SPart();
  ASSERT_NE(p, nullptr);
  p->AddDiscretePinPair("a");
  p->AddDiscretePinPair("b");
  p->AddDiscretePinPair("a");
  p->AddDiscretePinPair(static_cast<const char*>(nullptr));
  EXPECT_TRUE(p->HasDiscretePinPair("b"));
  EXPECT_TRUE(p->DestroyDiscretePinPair("a"));
  EXPECT_EQ(Texts(p->GetAllDiscretePinPairs()), (std::vector<std::string>{"b", "a"}));
  EXPECT_TRUE(p->HasDiscretePinPair("a"));
  EXPECT_TRUE(p->DestroyDiscretePinPair("a"));
  EXPECT_FALSE(p->HasDiscretePinPair("a") || p->DestroyDiscretePinPair("a") || p->HasDiscretePinPair(nullptr) ||
               p->DestroyDiscretePinPair(nullptr));
  p->AddDiscretePinPair(p->GetAllDiscretePinPairs());  // its own list: copied once
  EXPECT_EQ(Texts(p->GetAllDiscretePinPairs()), (std::vector<std::string>{"b", "b"}));
  EXPECT_TRUE(p->DestroyAllDiscretePinPairs());
  EXPECT_EQ(p->GetAllDiscretePinPairs().GetCount(), 0);
  p->AddDiscretePinPair("kept until the part goes");
  delete p;
}

// Global pairs answer for slot 0 before any slot list; a slot answers both
// ways; null names are never found and never added.
TEST_F(PartTest, SlotLookups) {
  SPinMapping* m = lib->CreatePinMapping("M");
  ASSERT_TRUE(m->AddGlobalEntry("5", "VCC") && m->AddSlotEntry(2, "3", "A") && m->AddSlotEntry(0, "9", "B"));
  EXPECT_TRUE(m->GetSlotNumber("5") == 0 && m->GetSlotNumber("3") == 2 && m->GetSlotNumber("7") == -1 &&
              m->GetSlotNumber("9") == 0 && m->GetSlotNumber(nullptr) == -1);
  EXPECT_STREQ(m->GetSlotMemberName(2, "3"), "A");
  EXPECT_STREQ(m->GetSlotAggregateName(2, "A"), "3");
  EXPECT_STREQ(m->GetGlobalMemberName("5"), "VCC");
  EXPECT_FALSE(m->GetSlotMemberName(3, "3") || m->GetSlotMemberName(2, "5") || m->GetSlotAggregateName(2, "VCC") ||
               m->GetGlobalMemberName("3") || m->GetSlotMemberName(2, nullptr));
  EXPECT_FALSE(m->AddGlobalEntry(nullptr, "x") || m->AddSlotEntry(4, "x", nullptr));
  EXPECT_EQ(m->GetAllSlotEntries().size(), 2u) << "a refused pair makes no slot";
  char buf[] = "P1";  // a pair is a copy
  ASSERT_TRUE(m->AddSlotEntry(6, buf, buf));
  buf[1] = '2';
  EXPECT_STREQ(m->GetSlotMemberName(6, "P1"), "P1");
}

// Removal takes the first pair matching both names; an emptied slot stays
// but is skipped; a position outside the slot's list removes nothing.
TEST_F(PartTest, RemovingPairs) {
  SPinMapping* m = lib->CreatePinMapping("M");
  ASSERT_TRUE(m->AddSlotEntry(1, "a", "x") && m->AddSlotEntry(2, "b", "y") && m->AddSlotEntry(2, "b", "z") &&
              m->AddGlobalEntry("g", "x") && m->AddGlobalEntry("g", "x"));
  EXPECT_FALSE(m->RemoveSlotEntry(9, "a", "x") || m->RemoveSlotEntry(1, "a", "y") || m->RemoveSlotEntry(1, nullptr, "x"));
  EXPECT_TRUE(m->RemoveSlotEntry(1, "a", "x"));
  EXPECT_EQ(m->GetAllSlotEntries().size(), 2u);
  EXPECT_EQ(m->GetSlotNumber("a"), -1);
  EXPECT_FALSE(m->RemoveSlotEntry(1, "a", "x"));

  const SPinMapping::Entries* two = m->GetAllSlotEntries().begin()->second;
  ASSERT_EQ(two->size(), 2u);
  auto z = two->begin();  // newest first: (b, z)
  EXPECT_FALSE(m->RemoveSlotEntryInternal(1, z) || m->RemoveSlotEntryInternal(7, z));
  EXPECT_TRUE(m->RemoveSlotEntryInternal(2, z));
  EXPECT_STREQ(m->GetSlotMemberName(2, "b"), "y");
  EXPECT_FALSE(m->RemoveSlotEntryInternal(2, SPinMapping::Entries::iterator()));
}

namespace {
// A cell with two parts, pins on one of them and two mappings of a library
// that the file writes after the project.
struct PartBoard {
  explicit PartBoard(SSession* s) {
    project = s->CreateProject("P");
    cell = project->CreateDesignCell("c");
    u1 = cell->CreatePart("U1");
    u2 = cell->CreatePart("U2");
    u1->SetType(static_cast<TavrinPartType>(123456));
    u1->SetId(777001);
    pin = u1->CreatePartPin("1");
    pin->SetX(100);
    pin->SetY(654321);
    pin->SetId(42);
    u1->CreatePartPin("2");
    lib = s->CreatePinMappingLibrary("L");
    m1 = lib->CreatePinMapping("M1");
    m2 = lib->CreatePinMapping("M2");
    m1->SetId(43);
    m1->AddGlobalEntry("1", "A");
    m1->AddSlotEntry(2, "2", "B");
    u1->SetPinMapping("M1", m1);
    u1->SetPinMapping("M2", m2);
    u1->SetSelectedMapping(m2);
    u1->AddDiscretePinPair("1-2");
  }
  // Discrete pin pairs live in the platform list, outside the session heap,
  // so deleting the session whole would not reach them.
  ~PartBoard() { u1->DestroyAllDiscretePinPairs(); }
  SProject* project;
  SCell* cell;
  SPart *u1, *u2;
  SPartPin* pin;
  SPinMappingLibrary* lib;
  SPinMapping *m1, *m2;
};

}  // namespace

// Parts, pins and mappings come back with their fields; the part's mappings
// are keyed by the key text although the mappings' records come later in
// the file; pairs and discrete pin pairs are not saved. Saved again the file
// comes out reversed, and once more it is the first file.
TEST_F(PartTest, SaveAndRestore) {
  delete session;
  session = AllocSession();
  PartBoard b(session);
  const std::string file = SaveOf(session);
  SSession* s = Restored(file);
  EXPECT_EQ(b.pin->GetPart(), b.u1);
  SPart* u1 = SPart::Cast(s->GetProject("P")->GetDesign("c")->GetRepresentation("U1"));
  SPinMappingLibrary* lib2 = SPinMappingLibrary::Cast(s->GetLibrary("L"));
  ASSERT_TRUE(u1 && lib2);
  EXPECT_TRUE(u1->GetSelectedMapping() == lib2->GetPinMapping("M2") && u1->GetPinMapping("M1") == lib2->GetPinMapping("M1"));
  EXPECT_EQ(Keys(u1->GetAllPinMappings()), (std::vector<std::string>{"M1", "M2"}));
  EXPECT_EQ(u1->GetAllDiscretePinPairs().GetCount(), 0);
  std::string reversed = SaveOf(s);
  EXPECT_NE(reversed, file);
  EXPECT_EQ(SaveOf(Restored(reversed)), file);
}

// A cut anywhere, a package entry the file does not hold, or a mapping
// where the library keeps its children is refused, and the session holding
// the board saves as before; a package or package pin of another class
// reads as null.
TEST_F(PartTest, DamageLeavesTheSession) {
  delete session;
  session = AllocSession();
  PartBoard b(session);
  const std::string good = SaveOf(session);
  // A save syncs its file: every cut is checked by what it could have
  // touched, every 16th by a whole save.
  auto refused = [&](const std::string& bytes, const std::string& what, bool save = true) {
    EXPECT_EQ(Restore(session, bytes), 0) << what;
    EXPECT_TRUE(session->GetAllProjects().size() == 1 && session->GetProject("P") == b.project &&
                session->GetAllLibraries().size() == 1 && session->GetLibrary("L") == b.lib &&
                Items(b.cell->GetAllParts()) == (std::vector<SPart*>{b.u2, b.u1}) &&
                b.u1->GetAllPartPins().size() == 2 && b.lib->GetAllPinMappings().size() == 2)
        << what;
    if (save) {
      EXPECT_EQ(SaveOf(session), good) << what;
    }
  };
  for (std::size_t n = 0; n < good.size(); ++n) refused(good.substr(0, n), "cut at " + std::to_string(n), n % 16 == 0);
  // A package entry claimed where the file holds none runs into the id.
  refused(Reframe(good, [](std::vector<std::string>& d) { d[LineOf(d, "777001") - 1] = "1"; }), "a package");
  // The library's first mapping (M2: key, reference, then its record, which
  // begins with the name) replaced by the reference a pin holds to its part.
  refused(Reframe(good,
                  [](std::vector<std::string>& d) {
                    int name = static_cast<int>(d.size()) - 1;
                    while (name > 3 && d[name] != "M2") --name;
                    ASSERT_EQ(d[name - 3], "M2");
                    d[name - 2] = d[LineOf(d, "654321") + 1];
                  }),
          "a part as a pin mapping");
  EXPECT_EQ(Restore(session, good), 1) << "the good file still reads";
  // A selected package and a package pin naming the project read as null.
  SSession* s = Restored(Reframe(good, [](std::vector<std::string>& d) {
    d[LineOf(d, "123456") + 1] = "1";
    d[LineOf(d, "654321") + 2] = "1";
  }));
  SPart* u1 = SPart::Cast(s->GetProject("P")->GetDesign("c")->GetRepresentation("U1"));
  ASSERT_NE(u1, nullptr);
  EXPECT_EQ(u1->GetSelectedPackage(), nullptr);
  EXPECT_EQ(u1->GetPartPin("1")->GetPackagePin(), nullptr);
}

namespace {
// Blocks and nodes taken from the session heap and not back in its pools,
// counted in the pools drained before: each pool then holds whole chunks.
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

// Each allocation of a pair in a new slot (the pair, its two texts, the
// slot's list, the map node, the list node; pools drained so each needs a
// chunk) fails in turn: false, the slots as they were, every block given
// back. Then it succeeds; a pair in an existing slot fails the same way.
TEST_F(PartTest, AddSlotEntryOutOfMemory) {
  SPinMapping* m = lib->CreatePinMapping("M");
  ASSERT_TRUE(m->AddSlotEntry(1, "x", "y"));
  const std::string aggregate(30, 'a'), member(50, 'm');
  for (int slot : {3, 1}) {
    const unsigned slots = m->GetAllSlotEntries().size(), inSlot1 = m->GetAllSlotEntries().find(1)->second->size();
    int n = 1;
    for (; n < 20; ++n) {
      Drain(heap);
      bool added;
      {
        FailAfter fail(n);
        added = m->AddSlotEntry(slot, aggregate.c_str(), member.c_str());
      }
      if (added) break;
      EXPECT_EQ(InUse(heap), 0u) << slot << " " << n;
      EXPECT_EQ(m->GetAllSlotEntries().size(), slots) << n;
      EXPECT_EQ(m->GetAllSlotEntries().find(1)->second->size(), inSlot1) << n;
    }
    EXPECT_STREQ(m->GetSlotMemberName(slot, aggregate.c_str()), member.c_str());
    EXPECT_EQ(n, slot == 3 ? 7 : 5) << "slot " << slot;
  }
  EXPECT_TRUE(m->RemoveSlotEntry(3, aggregate.c_str(), member.c_str()));
}
