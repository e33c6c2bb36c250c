// Packages with their pins, pad stacks with their pads, the package and
// pad-stack libraries that own them, and the references parts, part pins,
// pin instances and nodes hold to them: edge cases, memory running out,
// the saved file, a restore with distinct identifiers, damaged files.
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/pool.h"
#include "design/session_files.h"
#include "file_test.h"
#include "hierarchy_fixture.h"
#include "library_fixture.h"

using namespace tavrin_test;

namespace {

template <class V>
std::vector<int> Numbers(const RelMap<int, V>& map) {
  std::vector<int> out;
  for (auto it = map.begin(); it != map.end(); ++it) out.push_back(it->first);
  return out;
}

int LineOf(const std::vector<std::string>& data, const std::string& text) {
  for (std::size_t i = 0; i < data.size(); ++i)
    if (data[i] == text) return static_cast<int>(i);
  ADD_FAILURE() << text << " not in the file";
  return 0;
}

// Empties the session heap's pools, so that the next allocation of each
// kind goes to the private heap (where FailAfter can make it fail).
void Drain(HANDLEMA* heap) {
  while (heap->mapNodeFree) HeapAllocMapNode(heap);
  while (heap->listNodeFree) HeapAllocListNode(heap);
  for (int c = 0; c < tavrin::kSizeClassCount; ++c)
    while (heap->sizeClassHeads[c]) tavrin::PoolAlloc(heap, tavrin::kClassSizes[c]);
}

// Runs `create` with the n-th private-heap allocation failing, n = 1, 2,
// ... until it succeeds; `unchanged` checks each failure. Returns how many
// failures there were.
template <class Create, class Check>
int FailEachAllocation(HANDLEMA* heap, Create create, Check unchanged) {
  for (int n = 1; n < 20; ++n) {
    Drain(heap);
    bool made;
    {
      FailAfter fail(n);
      made = create();
    }
    if (made) return n - 1;
    unchanged(n);
  }
  ADD_FAILURE() << "never succeeded";
  return -1;
}

class LibraryTest : public FileTest {
 protected:
  std::vector<std::unique_ptr<SSession>> sessions;
};

}  // namespace

// ---- packages and package pins ----------------------------------------------------

// Pins go to the head with their package set; Destroy deletes only a pin
// of this package; the type holds any 32-bit value.
TEST_F(LibraryTest, PackagePins) {
  SPackageLibrary* lib = session->CreatePackageLibrary("L");
  SPackage* a = lib->CreatePackage("A");
  SPackage* b = lib->CreatePackage("B");
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->GetPackageLibrary(), lib);
  EXPECT_TRUE(a->GetPower() == 0.0f && a->GetType() == 0 && a->GetXLength() == 0 && a->GetYLength() == 0);
  SPackagePin* p1 = a->CreatePackagePin();
  SPackagePin* p2 = a->CreatePackagePin();
  SPackagePin* other = b->CreatePackagePin();
  ASSERT_TRUE(p1 && p2 && p1 != p2);
  EXPECT_EQ(Items(a->GetAllPackagePins()), (std::vector<SPackagePin*>{p2, p1}));
  EXPECT_TRUE(p1->GetPackage() == a && !p1->GetName() && p1->GetX() == 0 && p1->GetY() == 0);
  EXPECT_FALSE(a->DestroyPackagePin(other));
  EXPECT_FALSE(a->DestroyPackagePin(nullptr));
  EXPECT_TRUE(b->HasPackagePin(other) && other->GetPackage() == b);
  other->SetX(5);  // still alive
  EXPECT_TRUE(a->DestroyPackagePin(p2));
  EXPECT_FALSE(a->HasPackagePin(p2));
  EXPECT_FALSE(a->DestroyPackagePin(p2));
  EXPECT_EQ(Items(a->GetAllPackagePins()), (std::vector<SPackagePin*>{p1}));
  a->SetType(static_cast<TavrinPackageType>(INT32_MIN));
  EXPECT_EQ(static_cast<int32_t>(a->GetType()), INT32_MIN);
}

// ---- pad stacks and pads ------------------------------------------------------------

// Pads by layer number: a second pad on a layer takes the entry over in
// place, Destroy only unlinks, absent numbers find nothing.
TEST_F(LibraryTest, PadsByLayer) {
  SPadStackLibrary* lib = session->CreatePadStackLibrary("L");
  SPadStack* ps = lib->CreatePadStack("S");
  ASSERT_TRUE(ps);
  EXPECT_EQ(ps->GetPadStackLibrary(), lib);
  EXPECT_TRUE(ps->GetBottomLayer() == 0 && ps->GetTopLayer() == 0 && !ps->GetStackUp() && !ps->GetPhysicalNode() &&
              !ps->GetPartPinInstance() && !ps->GetXExtentVal() && !ps->GetYExtentVal());
  SPad* p4 = ps->CreatePad(4);
  SPad* first2 = ps->CreatePad(2);
  SPad* p7 = ps->CreatePad(7);
  ASSERT_TRUE(p4 && first2 && p7);
  EXPECT_EQ(p4->GetLayer(), 4);
  SPad* second2 = ps->CreatePad(2);
  EXPECT_NE(second2, first2);
  EXPECT_EQ(Numbers(ps->GetAllPads()), (std::vector<int>{7, 2, 4}));
  EXPECT_EQ(ps->GetPad(2), second2);
  EXPECT_TRUE(ps->GetPad(3) == nullptr && !ps->HasPad(3) && !ps->DestroyPad(3));
  EXPECT_TRUE(ps->DestroyPad(7));
  EXPECT_FALSE(ps->HasPad(7));
  EXPECT_FALSE(ps->DestroyPad(7));
  p7->SetLayer(8);  // unlinked, not deleted
  EXPECT_EQ(p7->GetLayer(), 8);
}

// A pad stack outside any session: deleting it deletes the pads it holds
// and its extents, not a pad taken over or unlinked (the leak checkers and
// the sanitizers see a double delete or a leak here).
TEST(PadStackWithoutSession, DeletesWhatItHolds) {
  SPadStack* ps = new SPadStack();
  SPad* directly = new SPad();
  EXPECT_EQ(directly->GetLayer(), 1);
  SPad* first = ps->CreatePad(2);
  SPad* unlinked = ps->CreatePad(3);
  ASSERT_TRUE(first && unlinked && ps->CreatePad(2) && ps->CreatePad(5) && ps->DestroyPad(3));
  ASSERT_TRUE(ps->CreateXExtentValUnitlessValue() && ps->CreateXExtentValUnitlessValue() &&
              ps->CreateYExtentValUnitlessValue());
  SPad* held = ps->GetPad(5);
  ASSERT_TRUE(held->CreateXValUnitlessValue() && held->CreateYValUnitlessValue() && held->CreateYValUnitlessValue());
  delete ps;
  delete first;
  delete unlinked;
  delete directly;
}

// Values: Create replaces the value held, Destroy deletes it and holds null.
TEST_F(LibraryTest, ExtentsAndPositions) {
  SPadStack* ps = session->CreatePadStackLibrary("L")->CreatePadStack("S");
  SUnitlessValue* x = ps->CreateXExtentValUnitlessValue();
  ASSERT_TRUE(x && ps->GetXExtentVal() == x && !ps->GetYExtentVal());
  SUnitlessValue* x2 = ps->CreateXExtentValUnitlessValue();
  EXPECT_TRUE(x2 && ps->GetXExtentVal() == x2);
  EXPECT_TRUE(ps->DestroyXExtentVal() && !ps->GetXExtentVal() && ps->DestroyXExtentVal());
  SPad* pad = ps->CreatePad(1);
  SUnitlessValue* y = pad->CreateYValUnitlessValue();
  EXPECT_TRUE(y && pad->GetYVal() == y && !pad->GetXVal());
  EXPECT_TRUE(pad->DestroyYVal() && !pad->GetYVal());
  EXPECT_FALSE(pad->InsertRegion(nullptr));
  EXPECT_FALSE(pad->RemoveRegion(nullptr));
}

// ---- libraries ----------------------------------------------------------------------

// Null names create nothing and find nothing; a second child of a name
// takes the entry over; Destroy unlinks once.
TEST_F(LibraryTest, LibraryFamilies) {
  SPackageLibrary* pkgs = session->CreatePackageLibrary("pkgs");
  SPadStackLibrary* pads = session->CreatePadStackLibrary("pads");
  EXPECT_EQ(pkgs->CreatePackage(nullptr), nullptr);
  EXPECT_EQ(pads->CreatePadStack(nullptr), nullptr);
  EXPECT_TRUE(pkgs->GetAllPackages().empty() && pads->GetAllPadStacks().empty());
  EXPECT_TRUE(!pkgs->GetPackage(nullptr) && !pkgs->HasPackage(nullptr) && !pkgs->DestroyPackage(nullptr));
  EXPECT_TRUE(!pads->GetPadStack(nullptr) && !pads->HasPadStack(nullptr) && !pads->DestroyPadStack(nullptr));

  SPackage* a1 = pkgs->CreatePackage("A");
  SPackage* a2 = pkgs->CreatePackage("A");
  EXPECT_TRUE(a1 && a2 && a1 != a2);
  EXPECT_EQ(pkgs->GetPackage("A"), a2);
  EXPECT_EQ(pkgs->GetAllPackages().size(), 1u);
  EXPECT_EQ(a1->GetPackageLibrary(), pkgs);
  EXPECT_FALSE(pkgs->HasPackage("a"));
  EXPECT_TRUE(pkgs->DestroyPackage("A"));
  EXPECT_FALSE(pkgs->DestroyPackage("A"));
  EXPECT_STREQ(a2->GetName(), "A");

  SPadStack* s1 = pads->CreatePadStack("S");
  SPadStack* s2 = pads->CreatePadStack("S");
  EXPECT_TRUE(s1 && s2 && pads->GetPadStack("S") == s2 && pads->GetAllPadStacks().size() == 1);
  EXPECT_TRUE(pads->HasPadStack("S") && pads->DestroyPadStack("S") && !pads->HasPadStack("S"));
  EXPECT_EQ(pkgs->GetEntry("A"), nullptr);
}

// Libraries outside any session delete their filled children (the leak
// checkers watch this one).
TEST(LibrariesWithoutSession, DeletingFreesChildren) {
  SPackageLibrary* pkgs = new SPackageLibrary();
  SPackage* p = pkgs->CreatePackage("P");
  ASSERT_TRUE(p && p->CreatePackagePin() && p->CreatePackagePin());
  Items(p->GetAllPackagePins())[0]->SetName("1");
  ASSERT_TRUE(pkgs->CreatePackage("Q"));
  SPadStackLibrary* pads = new SPadStackLibrary();
  SPadStack* s = pads->CreatePadStack("S");
  ASSERT_TRUE(s && s->CreatePad(1) && s->CreatePad(2) && s->CreateXExtentValUnitlessValue());
  ASSERT_TRUE(s->GetPad(1)->CreateXValUnitlessValue());
  delete pkgs;
  delete pads;
}

// Every allocation of every Create fails in turn: null (false), nothing
// linked, the value held kept. Then it succeeds.
TEST_F(LibraryTest, MemoryRunningOutInEveryCreate) {
  SPackageLibrary* pkgs = session->CreatePackageLibrary("pkgs");
  SPadStackLibrary* pads = session->CreatePadStackLibrary("pads");
  const std::string name(40, 'n');
  SPackage* pkg = nullptr;
  EXPECT_GT(FailEachAllocation(
                heap, [&] { return (pkg = pkgs->CreatePackage(name.c_str())) != nullptr; },
                [&](int n) { EXPECT_TRUE(pkgs->GetAllPackages().empty()) << n; }),
            0);
  EXPECT_GT(FailEachAllocation(
                heap, [&] { return pkg->CreatePackagePin() != nullptr; },
                [&](int n) { EXPECT_TRUE(pkg->GetAllPackagePins().empty()) << n; }),
            0);
  SPadStack* ps = nullptr;
  EXPECT_GT(FailEachAllocation(
                heap, [&] { return (ps = pads->CreatePadStack(name.c_str())) != nullptr; },
                [&](int n) { EXPECT_TRUE(pads->GetAllPadStacks().empty()) << n; }),
            0);
  SPad* pad = nullptr;
  EXPECT_GT(FailEachAllocation(
                heap, [&] { return (pad = ps->CreatePad(3)) != nullptr; },
                [&](int n) { EXPECT_TRUE(ps->GetAllPads().empty()) << n; }),
            0);
  SUnitlessValue* kept = ps->CreateXExtentValUnitlessValue();
  SUnitlessValue* padKept = pad->CreateYValUnitlessValue();
  ASSERT_TRUE(kept && padKept);
  kept->SetValue(9);
  for (auto create : std::vector<std::function<SUnitlessValue*()>>{
           [&] { return ps->CreateXExtentValUnitlessValue(); }, [&] { return ps->CreateYExtentValUnitlessValue(); },
           [&] { return pad->CreateXValUnitlessValue(); }, [&] { return pad->CreateYValUnitlessValue(); }}) {
    EXPECT_GT(FailEachAllocation(
                  heap, [&] { return create() != nullptr; },
                  [&](int n) {
                    EXPECT_TRUE(ps->GetXExtentVal() == kept && !ps->GetYExtentVal() && !pad->GetXVal() &&
                                pad->GetYVal() == padKept)
                        << n;
                  }),
              0);
    kept = ps->GetXExtentVal();
    padKept = pad->GetYVal();
    ps->DestroyYExtentVal();
    pad->DestroyXVal();
  }
}

// ---- references from parts -------------------------------------------------------------

// SetPackage files a package under its own name, refuses a name already
// filed and never selects.
TEST_F(LibraryTest, PartPackages) {
  SPart* part = session->CreateProject("P")->CreateDesignCell("c")->CreatePart("U");
  SPackageLibrary* lib = session->CreatePackageLibrary("L");
  SPackage* so8 = lib->CreatePackage("SO8");
  SPackage* dip = lib->CreatePackage("DIP");
  EXPECT_FALSE(part->SetPackage("SO8", nullptr));
  EXPECT_FALSE(part->SetPackage(nullptr, so8));
  EXPECT_TRUE(part->SetPackage("alias", so8));
  EXPECT_TRUE(part->HasPackage("SO8") && !part->HasPackage("alias"));
  EXPECT_FALSE(part->SetPackage("SO8", dip));
  EXPECT_EQ(part->GetPackage("SO8"), so8);
  EXPECT_TRUE(part->SetPackage("DIP", dip));
  EXPECT_EQ(part->GetSelectedPackage(), nullptr);
  EXPECT_EQ(Keys(part->GetAllPackages()), (std::vector<std::string>{"DIP", "SO8"}));
  SPackage nameless;
  EXPECT_FALSE(part->SetPackage("X", &nameless));
}

// ---- the saved file ------------------------------------------------------------------

// The board saves as the data file; restored, every field and reference
// comes back, library maps, pad maps and pin lists reversed; saved again
// and restored once more it is the data file.
TEST_F(LibraryTest, SaveAndRestore) {
  LibraryBoard b(session);
  const std::string golden = ReadFile(TestData("libraries_full.tvn"));
  const std::string file = SaveOf(session);
  EXPECT_EQ(file, golden);
  SSession* s = Restored(file);

  SPackageLibrary* pkgs = SPackageLibrary::Cast(s->GetLibrary("pkgs"));
  SPadStackLibrary* pads = SPadStackLibrary::Cast(s->GetLibrary("pads"));
  ASSERT_TRUE(pkgs && pads);
  EXPECT_EQ(Keys(pkgs->GetAllPackages()), (std::vector<std::string>{"SO8", "DIP"}));
  SPackage* so8 = pkgs->GetPackage("SO8");
  SPackage* dip = pkgs->GetPackage("DIP");
  ASSERT_TRUE(so8 && dip);
  EXPECT_TRUE(so8->GetPackageLibrary() == pkgs && dip->GetPackageLibrary() == pkgs);
  EXPECT_EQ(static_cast<int32_t>(so8->GetType()), INT32_MAX);
  EXPECT_EQ(static_cast<int32_t>(dip->GetType()), INT32_MIN);
  EXPECT_EQ(so8->GetPower(), 2.5f);
  EXPECT_EQ(dip->GetPower(), 0.25f);
  EXPECT_TRUE(so8->GetXLength() == 100 && so8->GetYLength() == 200 && dip->GetXLength() == 300 &&
              dip->GetYLength() == 400);
  EXPECT_TRUE(so8->GetId() == 7031 && dip->GetId() == 7034);
  std::vector<SPackagePin*> pins = Items(so8->GetAllPackagePins());
  ASSERT_EQ(pins.size(), 2u);
  EXPECT_STREQ(pins[0]->GetName(), "1");
  EXPECT_TRUE(pins[0]->GetX() == 11 && pins[0]->GetY() == 12 && pins[0]->GetId() == 7032 &&
              pins[0]->GetPackage() == so8);
  EXPECT_STREQ(pins[1]->GetName(), "2");
  EXPECT_TRUE(pins[1]->GetX() == -13 && pins[1]->GetY() == 14 && pins[1]->GetId() == 7033 &&
              pins[1]->GetPackage() == so8);
  ASSERT_EQ(dip->GetAllPackagePins().size(), 1u);
  SPackagePin* dipPin = Items(dip->GetAllPackagePins())[0];
  EXPECT_TRUE(dipPin->GetX() == 15 && dipPin->GetY() == 16 && dipPin->GetId() == 7035 && dipPin->GetPackage() == dip);

  EXPECT_EQ(Keys(pads->GetAllPadStacks()), (std::vector<std::string>{"VIA", "PIN"}));
  SPadStack* via = pads->GetPadStack("VIA");
  SPadStack* pin = pads->GetPadStack("PIN");
  ASSERT_TRUE(via && pin);
  EXPECT_TRUE(via->GetPadStackLibrary() == pads && via->GetBottomLayer() == 1 && via->GetTopLayer() == 4 &&
              via->GetId() == 7041 && !via->GetPartPinInstance());
  ASSERT_TRUE(via->GetXExtentVal() && !via->GetYExtentVal());
  EXPECT_EQ(via->GetXExtentVal()->GetValue(), 1503);
  EXPECT_EQ(Numbers(via->GetAllPads()), (std::vector<int>{1, 4}));
  SPad* via1 = via->GetPad(1);
  SPad* via4 = via->GetPad(4);
  EXPECT_TRUE(via1->GetLayer() == 1 && via1->GetId() == 7042 && via1->GetXVal() && !via1->GetYVal());
  EXPECT_EQ(via1->GetXVal()->GetValue(), 1501);
  std::vector<SRegion*> regions = Items(via1->GetAllRegions());
  ASSERT_EQ(regions.size(), 2u);
  EXPECT_STREQ(regions[0]->GetName(), "R1");
  EXPECT_STREQ(regions[1]->GetName(), "R2");
  EXPECT_TRUE(via4->GetLayer() == 4 && via4->GetId() == 7043 && !via4->GetXVal() && via4->GetYVal());
  EXPECT_EQ(via4->GetYVal()->GetValue(), 1502);
  EXPECT_TRUE(pin->GetBottomLayer() == 2 && pin->GetTopLayer() == 3 && pin->GetId() == 7044 && !pin->GetPhysicalNode());
  ASSERT_TRUE(!pin->GetXExtentVal() && pin->GetYExtentVal());
  EXPECT_EQ(pin->GetYExtentVal()->GetValue(), 1506);
  SPad* pin2 = pin->GetPad(2);
  ASSERT_TRUE(pin2 && pin2->GetXVal() && pin2->GetYVal());
  EXPECT_TRUE(pin2->GetId() == 7045 && pin2->GetXVal()->GetValue() == 1504 && pin2->GetYVal()->GetValue() == 1505);

  // The references, read before their objects' records.
  SProject* p = s->GetProject("P");
  SPart* part = SPart::Cast(p->GetDesign("chip")->GetRepresentation("U"));
  SModule* module = SModule::Cast(p->GetDesign("board")->GetRepresentation("M"));
  ASSERT_TRUE(part && module);
  EXPECT_EQ(part->GetSelectedPackage(), dip);
  EXPECT_EQ(Keys(part->GetAllPackages()), (std::vector<std::string>{"SO8", "DIP"}));
  EXPECT_TRUE(part->GetPackage("SO8") == so8 && part->GetPackage("DIP") == dip);
  EXPECT_EQ(part->GetPartPin("1")->GetPackagePin(), pins[0]);
  SNetScalar* net = SNetScalar::Cast(module->GetNet("N"));
  ASSERT_TRUE(net && net->GetAllPhysicalNodes().size() == 1);
  SPhysicalNode* node = Items(net->GetAllPhysicalNodes())[0];
  EXPECT_EQ(node->GetPadStack(), via);
  ASSERT_TRUE(module->GetLayout() && module->GetLayout()->GetStackUp());
  SStackUp* stackUp = module->GetLayout()->GetStackUp();
  EXPECT_EQ(via->GetStackUp(), stackUp);
  SLayer* layer = stackUp->GetLayer(1);
  ASSERT_NE(layer, nullptr);
  EXPECT_TRUE(regions[0] == layer->GetRegion("R1") && regions[1] == layer->GetRegion("R2"));
  EXPECT_TRUE(SSignalRegion::Cast(regions[0]) && SInsulatorRegion::Cast(regions[1]));
  EXPECT_EQ(via->GetPhysicalNode(), node);
  SPartInstance* instance = SPartInstance::Cast(module->GetCellInstance("U1"));
  ASSERT_NE(instance, nullptr);
  SPartPinInstance* ppi = instance->GetPartPinInstance("1");
  EXPECT_TRUE(ppi && ppi->GetPadStack() == pin && pin->GetPartPinInstance() == ppi);

  const std::string reversed = SaveOf(s);
  EXPECT_NE(reversed, file);
  EXPECT_EQ(SaveOf(Restored(reversed)), file);
}

// A file whose every identifier of these classes (and of the values and
// libraries, which have no public setter) is distinct and non-zero: each
// reads back in its own object.
TEST_F(LibraryTest, DistinctIdentifiers) {
  SSession* s = Restored(ReadFile(TestData("libraries_ids.tvn")));
  SPackageLibrary* pkgs = SPackageLibrary::Cast(s->GetLibrary("pkgs"));
  SPadStackLibrary* pads = SPadStackLibrary::Cast(s->GetLibrary("pads"));
  ASSERT_TRUE(pkgs && pads);
  EXPECT_EQ(pkgs->GetId(), 51);
  EXPECT_EQ(pads->GetId(), 52);
  SPadStack* via = pads->GetPadStack("VIA");
  SPadStack* pin = pads->GetPadStack("PIN");
  ASSERT_TRUE(via && pin && via->GetPad(1) && via->GetPad(4) && pin->GetPad(2));
  EXPECT_EQ(via->GetXExtentVal()->GetId(), 61);
  EXPECT_EQ(via->GetPad(1)->GetXVal()->GetId(), 62);
  EXPECT_EQ(via->GetPad(4)->GetYVal()->GetId(), 63);
  EXPECT_EQ(pin->GetYExtentVal()->GetId(), 64);
  EXPECT_EQ(pin->GetPad(2)->GetXVal()->GetId(), 65);
  EXPECT_EQ(pin->GetPad(2)->GetYVal()->GetId(), 66);
  EXPECT_TRUE(via->GetId() == 7041 && via->GetPad(1)->GetId() == 7042 && via->GetPad(4)->GetId() == 7043 &&
              pin->GetId() == 7044 && pin->GetPad(2)->GetId() == 7045);
  SPackage* so8 = pkgs->GetPackage("SO8");
  SPackage* dip = pkgs->GetPackage("DIP");
  ASSERT_TRUE(so8 && dip);
  std::vector<SPackagePin*> pins = Items(so8->GetAllPackagePins());
  ASSERT_EQ(pins.size(), 2u);
  EXPECT_TRUE(so8->GetId() == 7031 && pins[0]->GetId() == 7032 && pins[1]->GetId() == 7033 && dip->GetId() == 7034 &&
              Items(dip->GetAllPackagePins())[0]->GetId() == 7035);
  SPart* part = SPart::Cast(s->GetProject("P")->GetDesign("chip")->GetRepresentation("U"));
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->GetId(), 7071);
  EXPECT_EQ(part->GetPartPin("1")->GetId(), 7072);
}

// A reference to an object of another class where a pad stack, package or
// package pin is expected reads as null; the file still restores.
TEST_F(LibraryTest, ReferencesOfAnotherClassReadAsNull) {
  LibraryBoard b(session);
  const std::string good = SaveOf(session);
  // The node's pad stack (7 lines after its name: the rest of its design
  // element record and its port instance) and the part pin's package pin
  // (just before the pin's id) both name the part (whose reference comes 3
  // lines before its name).
  const std::string edited = Reframe(good, [](std::vector<std::string>& d) {
    const std::string partRef = d[LineOf(d, "U") - 3];
    d[LineOf(d, "n1") + 7] = partRef;
    d[LineOf(d, "7072") - 1] = partRef;
  });
  SSession* s = Restored(edited);
  SProject* p = s->GetProject("P");
  SModule* module = SModule::Cast(p->GetDesign("board")->GetRepresentation("M"));
  SPart* part = SPart::Cast(p->GetDesign("chip")->GetRepresentation("U"));
  ASSERT_TRUE(module && part);
  SNetScalar* net = SNetScalar::Cast(module->GetNet("N"));
  EXPECT_EQ(Items(net->GetAllPhysicalNodes())[0]->GetPadStack(), nullptr);
  EXPECT_EQ(part->GetPartPin("1")->GetPackagePin(), nullptr);
}

// A cut anywhere, a pad or a value claimed twice, or a library child that
// is no child of its kind is refused, and the session saves as before.
TEST_F(LibraryTest, DamageLeavesTheSession) {
  LibraryBoard b(session);
  const std::string good = SaveOf(session);
  auto refused = [&](const std::string& bytes, const std::string& what, bool save = true) {
    EXPECT_EQ(Restore(session, bytes), 0) << what;
    EXPECT_TRUE(session->GetAllProjects().size() == 1 && session->GetProject("P") == b.project &&
                session->GetAllLibraries().size() == 2 && session->GetLibrary("pkgs") == b.pkgs &&
                session->GetLibrary("pads") == b.pads && b.pkgs->GetAllPackages().size() == 2 &&
                b.pads->GetAllPadStacks().size() == 2 && b.via->GetAllPads().size() == 2 &&
                b.so8->GetAllPackagePins().size() == 2)
        << what;
    if (save) {
      EXPECT_EQ(SaveOf(session), good) << what;
    }
  };
  for (std::size_t n = 0; n < good.size(); ++n) refused(good.substr(0, n), "cut at " + std::to_string(n), n % 16 == 0);
  // Each pad entry is its layer, its reference and its record: 7 lines of
  // design element, the layer, the region count and references, the id.
  // PIN's pad (no regions) claims VIA's pad 1 (two regions).
  refused(Reframe(good, [](std::vector<std::string>& d) { d[LineOf(d, "7045") - 10] = d[LineOf(d, "7042") - 12]; }),
          "a pad claimed twice");
  // PIN's Y extent claims the X value of VIA's pad 1 (its reference just
  // before its value line).
  refused(Reframe(good, [](std::vector<std::string>& d) { d[LineOf(d, "1506") - 1] = d[LineOf(d, "1501") - 1]; }),
          "a value claimed twice");
  // DIP's pin list claims SO8's first pin (a pin's reference comes 12
  // lines before its id: 8 of design element with a one-letter name, X, Y,
  // the package).
  refused(Reframe(good, [](std::vector<std::string>& d) { d[LineOf(d, "7035") - 12] = d[LineOf(d, "7033") - 12]; }),
          "a package pin claimed twice");
  // The pad-stack library's first child is a package.
  refused(Reframe(good, [](std::vector<std::string>& d) { d[LineOf(d, "PIN") + 1] = d[LineOf(d, "SO8") + 1]; }),
          "a package in a pad-stack library");
  EXPECT_EQ(Restore(session, good), 1) << "the good file still reads";
}
