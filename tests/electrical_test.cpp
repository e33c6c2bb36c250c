// Driver-receiver pairs and copies of electrical data between two modules.
#include <algorithm>
#include <climits>

#include "file_test.h"

using namespace tavrin_test;

namespace {

constexpr int kMax = 10;

std::string NameOf(SDesignElement* e) { return e && e->GetName() ? e->GetName() : "(null)"; }

// "REFDES.PIN" of a pin of a pair, head first.
std::string PinOf(SPin* pin) {
  auto* p = dynamic_cast<SPortInstanceScalar*>(pin);
  if (!p || !p->GetPartPinInstance()) return "?";
  SPartInstance* u = p->GetPartPinInstance()->GetPartInstance();
  return std::string(u && u->GetRefDes() ? u->GetRefDes() : "") + "." + NameOf(p->GetPartPinInstance());
}

Strings PinsOf(SPinPair* pair) {
  Strings out;
  for (auto it = pair->GetAllPins().begin(); it != pair->GetAllPins().end(); ++it) out.push_back(PinOf(*it));
  return out;
}

Strings Sorted(Strings s) {
  std::sort(s.begin(), s.end());
  return s;
}

// tests/data/pairs.tvn (the inspector's `pairs` test reads it): modules M1, M2 of
// "board", alike from "chip" (active) and "res" (passive), ports t0-t9 of types 0-9:
//   N1   U1.3 out, U2.7 in, U3.1 in, R1.1 out (passive)
//   BI   U1.5 and U2.5 bidirectional (type 3)
//   DRV  U1.7 type 7, U2.8 type 8, U3.4 type 4
//   IGN  U3.2 in; the others types 5, 6, 0, 9, with client flags or passive
//   INC  X1.2 out (no reference designator), U3.9 in, three incomplete pins
//   EQ   two outputs, five inputs: 2 x 5 = kMax
//   VCC  an output and an input, constant voltage
//   E1a  U1.40 out, U2.40 in;  E1b  U3.40 in
// M1 only: electrical nets E1 (E1a, E1b), EMISS (over ONLY1, not in M2); virtual pins on N1, ONLY1, BUSN.
class Board : public FileTest {
 protected:
  // Restored twice, so that every list is in the order it was built in.
  void SetUp() override {
    SessionTest::SetUp();
    ASSERT_EQ(Restore(session, SaveOf(Restored(ReadFile(TestData("pairs.tvn"))))), 1);
    SCell* board = session->GetProject("P")->GetDesign("board");
    chip = session->GetProject("P")->GetDesign("chip");
    m1 = SModule::Cast(board->GetRepresentation("M1"));
    m2 = SModule::Cast(board->GetRepresentation("M2"));
    ASSERT_TRUE(chip && m1 && m2);
    e1 = m1->GetElectricalNet("E1");
  }

  // Pin `pin` of u, of signal type `type`, joined to `net` on both sides.
  SPortInstanceScalar* Connect(SNetScalar* net, SPartInstance* u, const char* pin, int type) {
    SPortInstanceScalar* p = u->CreatePortInstanceScalar(pin);
    p->SetPort(u->GetCell()->GetInterface()->GetPort(("t" + std::to_string(type)).c_str()));
    p->SetPartPinInstance(u->CreatePartPinInstance(pin));
    p->GetPartPinInstance()->SetPortInstanceScalar(p);
    net->InsertPortInstanceScalar(p);
    p->SetNetScalar(net);
    return p;
  }

  static SNetScalar* Net(SModule* m, const char* name) { return SNetScalar::Cast(m->GetNet(name)); }
  static Strings PairsOf(SModule* m, const char* net) { return Names(Net(m, net)->GetAllDriverReceiverPairs()); }

  // Every pair a net scalar lists: two distinct pins, the receiver first, filed in the module.
  void ExpectSoundPairs(SModule* m) {
    for (auto n = m->GetAllNetScalars().begin(); n != m->GetAllNetScalars().end(); ++n)
      for (auto p = (*n)->GetAllDriverReceiverPairs().begin(); p != (*n)->GetAllDriverReceiverPairs().end(); ++p) {
        Strings pins = PinsOf(*p);
        ASSERT_EQ(pins.size(), 2u) << NameOf(*p);
        EXPECT_NE(pins[0], pins[1]);
        EXPECT_EQ(pins[1] + "->" + pins[0], NameOf(*p)) << "the receiver heads the pins";
        EXPECT_EQ(m->GetCollection((*p)->GetName()), *p);
        EXPECT_TRUE(m->GetAllPinPairs().contains(*p));
      }
  }

  SCell* chip = nullptr;
  SModule* m1 = nullptr;
  SModule* m2 = nullptr;
  SElectricalNet* e1 = nullptr;
};

// Bidirectional pins pair with each other, never themselves; 7, 8 drive, 4 does both.
TEST_F(Board, PairNamesAndCounts) {
  EXPECT_EQ(m1->CreateAllDriverReceiverPairs(kMax), 0) << "EQ reaches the bound";
  EXPECT_EQ(Sorted(PairsOf(m1, "N1")), (Strings{"U1.3->U2.7", "U1.3->U3.1"}));
  EXPECT_EQ(PairsOf(m1, "BI"), (Strings{"U1.5->U2.5", "U2.5->U1.5"}));
  EXPECT_EQ(Sorted(PairsOf(m1, "DRV")), (Strings{"U1.7->U3.4", "U2.8->U3.4"}));
  EXPECT_EQ(PairsOf(m1, "INC"), Strings{".2->U3.9"}) << "no reference designator: empty text";
  for (const char* none : {"IGN", "EQ", "VCC", "E1a", "E1b"}) EXPECT_EQ(PairsOf(m1, none), Strings{}) << none;
  EXPECT_EQ(m1->GetAllPinPairs().size(), 9u) << "E1's two and the seven made now";
  EXPECT_TRUE(Net(m1, "BI")->GetAllPinPairs().empty()) << "the net scalar only lists them";
}

// A net scalar needs drivers x receivers below the bound; an electrical net fails per member reaching it.
TEST_F(Board, Bounds) {
  auto over = [this](const char* name, std::initializer_list<const char*> nets) {
    SElectricalNet* en = m2->CreateElectricalNet(name);
    for (const char* n : nets) en->InsertNetScalar(Net(m2, n));  // head insertion: the last is walked first
    return en;
  };
  SElectricalNet* eq = over("EQE", {"EQ"});
  EXPECT_TRUE(m2->CreateElectricalNetDriverReceiverPairs(eq, kMax) == 0 && eq->GetAllDriverReceiverPairs().size() == 10u);
  // BI gives 2 x 2 (below 6), then E1b brings 2 x 3.
  SElectricalNet* both = over("BOTH", {"E1b", "BI"});
  EXPECT_EQ(m2->CreateElectricalNetDriverReceiverPairs(both, 6), 0);
  EXPECT_EQ(Sorted(Names(both->GetAllDriverReceiverPairs())), (Strings{"U1.5->U2.5", "U1.5->U3.40", "U2.5->U1.5", "U2.5->U3.40"}));
  EXPECT_EQ(m2->CreateElectricalNetDriverReceiverPairs(over("SEVEN", {"E1b", "BI"}), 7), 1);
  // At 2, BI fills both counts, E1b adds nothing (both failing), 2 x 2 is above.
  SElectricalNet* full = over("FULL", {"E1b", "BI"});
  EXPECT_TRUE(m2->CreateElectricalNetDriverReceiverPairs(full, 2) == 0 && full->GetAllDriverReceiverPairs().empty());
  // E1b's and E1a's receivers fill 2 before E1a's driver is read: no pair, no failure.
  SElectricalNet* early = over("EARLY", {"E1a", "E1b"});
  EXPECT_TRUE(m2->CreateElectricalNetDriverReceiverPairs(early, 2) == 1 && early->GetAllDriverReceiverPairs().empty());
  EXPECT_EQ(m2->CreateElectricalNetDriverReceiverPairs(nullptr, kMax), 0);
  // A bound of 0 or below fails; INT_MAX needs no more room than the pins.
  for (int max : {0, INT_MIN}) {
    EXPECT_TRUE(!m1->CreateAllDriverReceiverPairs(max) && Net(m1, "N1")->GetAllDriverReceiverPairs().empty()) << max;
    EXPECT_EQ(m1->CreateElectricalNetDriverReceiverPairs(e1, max), 0) << max;
  }
  EXPECT_TRUE(m1->CreateAllDriverReceiverPairs(INT_MAX) && PairsOf(m1, "EQ").size() == 10u);
  EXPECT_EQ(m1->CreateElectricalNetDriverReceiverPairs(e1, INT_MAX), 1);
}

// An electrical net comes over by its net scalars' names, its pairs by pin names.
TEST_F(Board, CopyElectricalNets) {
  SPinPair* src = SPinPair::Cast(m1->GetCollection("U1.40->U2.40"));
  src->SetAttribute("W", "5");
  src->SetConstraint("C", "7", 1);
  m2->CopyElectricalNets(m1, true, false);
  SElectricalNet* e = m2->GetElectricalNet("E1");
  ASSERT_TRUE(e && !m2->HasCollection("EMISS") && m2->GetAllElectricalNets().size() == 1) << "ONLY1 is missing in M2";
  EXPECT_TRUE(e->HasNetScalar(Net(m2, "E1a")) && e->HasNetScalar(Net(m2, "E1b")) && e->GetAllNetScalars().size() == 2);
  EXPECT_EQ(Net(m2, "E1a")->GetElectricalNet(), nullptr) << "the scalar's reference is the caller's";
  CString text;
  EXPECT_TRUE(e->GetAttribute("IMPEDANCE", text) && text == "50");
  EXPECT_TRUE(e->GetConstraint("MAXLEN", text) == 1 && text == "1000");

  EXPECT_EQ(Sorted(Names(e->GetAllDriverReceiverPairs())), (Strings{"U1.40->U2.40", "U1.40->U3.40"}));
  SPinPair* copy = SPinPair::Cast(m2->GetCollection("U1.40->U2.40"));
  ASSERT_TRUE(copy && e->HasDriverReceiverPair(copy));
  EXPECT_EQ(PinsOf(copy), (Strings{"U1.40", "U2.40"}));
  EXPECT_EQ(dynamic_cast<SPortInstanceScalar*>(*copy->GetAllPins().begin())->GetNetScalar(), Net(m2, "E1a"));
  EXPECT_TRUE(copy->GetAttribute("W", text) && text == "5");
  EXPECT_EQ(copy->GetConstraint("C", text), 0) << "constraints not asked for";

  EXPECT_FALSE(m2->CopyElectricalNet(e1, true, true) || m2->CopyElectricalNet(nullptr, true, true)) << "E1 is taken";
  const std::size_t mine = m1->GetAllCollections().size(), theirs = m2->GetAllCollections().size();
  m2->CopyElectricalNets(nullptr, true, true);
  m1->CopyElectricalNets(m1, true, true);
  EXPECT_TRUE(m1->GetAllCollections().size() == mine && m2->GetAllCollections().size() == theirs);
}

// An electrical net is built from two nets or more under a name (N1 and BI: 3 x 4, above the bound: no
// pairs). Virtual pins come over with their coordinates to same-named net scalars only.
TEST_F(Board, BuildElectricalNetAndCopyVirtualPins) {
  const std::size_t collections = m2->GetAllCollections().size();
  RelLinkedList<SNetScalar*> nets;
  nets.insert(Net(m2, "N1"), heap);
  m2->BuildElectricalNet("ONE", nets, kMax);
  nets.insert(Net(m2, "BI"), heap);
  m2->BuildElectricalNet(nullptr, nets, kMax);
  EXPECT_TRUE(m2->GetAllCollections().size() == collections && !Net(m2, "N1")->GetElectricalNet());
  m2->BuildElectricalNet("TWO", nets, kMax);
  nets.clear(heap);
  SElectricalNet* two = m2->GetElectricalNet("TWO");
  ASSERT_TRUE(two && Net(m2, "BI")->GetElectricalNet() == two && Net(m2, "N1")->GetElectricalNet() == two);
  EXPECT_TRUE(two->GetAllDriverReceiverPairs().empty());

  m2->CopyVirtualPins(m1);
  SVirtualPin* v = Net(m2, "N1")->GetVirtualPin("V1");
  ASSERT_TRUE(v && v->GetNetScalar() == Net(m2, "N1"));
  EXPECT_TRUE(v->GetX(TAVRIN_UNIT_INTERNAL) == 100.0 && v->GetY(TAVRIN_UNIT_INTERNAL) == -250.0);
  std::size_t copied = 0;
  for (auto n = m2->GetAllNetScalars().begin(); n != m2->GetAllNetScalars().end(); ++n)
    copied += (*n)->GetAllVirtualPins().size();
  EXPECT_TRUE(copied == 2 && Net(m2, "N1")->HasVirtualPin("V2")) << "ONLY1 is missing in M2, BUSN a bus there";
  SVirtualPin* own = Net(m1, "N1")->GetVirtualPin("V1");
  m1->CopyVirtualPins(m1);
  EXPECT_EQ(Net(m1, "N1")->GetVirtualPin("V1"), own) << "onto itself: nothing";
}

// A pin pair comes over only whole: two port instance scalars with counterparts here, under a free name.
TEST_F(Board, CopyPinPairs) {
  m1->CreateAllDriverReceiverPairs(kMax);
  SPinPair* bi = SPinPair::Cast(m1->GetCollection("U2.5->U1.5"));
  ASSERT_TRUE(bi && !m1->CopyPinPair(bi, false, false)) << "its own name";
  SPinPair* single = m1->CreatePinPair("single");
  single->InsertPin(*bi->GetAllPins().begin());
  SPinPair* virt = m1->CreatePinPair("virtual");
  virt->InsertPin(*bi->GetAllPins().begin());
  virt->InsertPin(Net(m1, "N1")->GetVirtualPin("V1"));
  EXPECT_FALSE(m2->CopyPinPair(single, false, false) || m2->CopyPinPair(virt, false, false) ||
               m2->CopyPinPair(nullptr, false, false));
  ASSERT_TRUE(m2->RemovePartInstance("U2"));
  EXPECT_FALSE(m2->CopyPinPair(bi, false, false) || m2->HasCollection("U2.5->U1.5")) << "U2 is not indexed in M2";
  ASSERT_TRUE(m2->SetPartInstance("U2", SPartInstance::Cast(m2->GetCellInstance("U2"))));

  const std::size_t pairs = m2->GetAllPinPairs().size();
  EXPECT_FALSE(m2->CopyPinPairs(Net(m1, "N1"), nullptr, true, true) || m2->CopyPinPairs(nullptr, Net(m2, "N1"), true, true));
  for (const char* name : {"N1", "BI", "INC"}) EXPECT_EQ(m2->CopyElectricalNetPinPairs(Net(m1, name), false, false), Net(m2, name));
  EXPECT_EQ(Sorted(PairsOf(m2, "N1")), (Strings{"U1.3->U2.7", "U1.3->U3.1"}));
  EXPECT_EQ(PairsOf(m2, "INC"), Strings{".2->U3.9"});
  EXPECT_EQ(PinsOf(SPinPair::Cast(m2->GetCollection("U2.5->U1.5"))), (Strings{"U2.5", "U1.5"}));
  for (const char* name : {"E1a", "BUSN", "ONLY1"})  // in an electrical net, a bus in M2, missing in M2
    EXPECT_EQ(m2->CopyElectricalNetPinPairs(Net(m1, name), false, false), nullptr) << name;
  EXPECT_EQ(m2->CopyElectricalNetPinPairs(nullptr, false, false), nullptr);
  EXPECT_EQ(m2->GetAllPinPairs().size(), pairs + 5);
}

// Memory running out while pairing gives 0 and whole pairs; a refused heap array changes nothing.
TEST_F(Board, PairingUnderExhaustion) {
  bool failedOnce = false;
  for (long n = 1; n < 60; ++n) {
    Starve(m1->GetHeap());
    FailAfter fail(n);
    failedOnce = m1->CreateAllDriverReceiverPairs(kMax + 1) == 0 || failedOnce;
    tavrin::HeapFailAfter(0);
    ExpectSoundPairs(m1);
  }
  EXPECT_TRUE(failedOnce);

  SNetScalar* wide = m1->CreateNetScalar("WIDE");
  SPartInstance* u9 = m1->CreatePartInstance("U9", chip);
  u9->SetRefDes("U9");
  for (int i = 0; i <= 40; ++i) Connect(wide, u9, std::to_string(i).c_str(), i ? 1 : 2);
  ASSERT_EQ(m1->CreateAllDriverReceiverPairs(100), 1);
  const Strings n1 = PairsOf(m1, "N1"), w = PairsOf(m1, "WIDE");
  const std::size_t pairs = m1->GetAllPinPairs().size();
  SElectricalNet* en = m1->CreateElectricalNet("WIDE E");
  en->InsertNetScalar(wide);
  for (long n : {1, 2}) {
    FailAfter fail(n);
    EXPECT_EQ(m1->CreateAllDriverReceiverPairs(100), 0) << n;
    EXPECT_TRUE(PairsOf(m1, "WIDE") == w && w.size() == 40 && PairsOf(m1, "N1") == n1 && m1->GetAllPinPairs().size() == pairs) << n;
    tavrin::HeapFailAfter(n);
    EXPECT_EQ(m1->CreateElectricalNetDriverReceiverPairs(en, 100), 0) << n;
    EXPECT_TRUE(en->GetAllDriverReceiverPairs().empty());
  }
  EXPECT_TRUE(m1->CreateElectricalNetDriverReceiverPairs(en, 100) == 1 && en->GetAllDriverReceiverPairs().size() == 40u);
}

}  // namespace
