// The electrical operations of a module on a board of two modules of one
// cell: driver-receiver pairs (names, counts, the bound on both sides,
// rebuilding), electrical nets built from net scalars, copies between the
// modules by name, virtual pins, and memory running out.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "core/pool.h"
#include "design/session_files.h"
#include "fixture.h"

using namespace tavrin_test;

// The protected operations, for the tests.
class ModuleElectricalAccess {
 public:
  static bool Gather(SModule* m, const RelLinkedList<SPortInstanceScalar*>& ports, SPortInstanceScalar** d,
                     SPortInstanceScalar** r, int max, int& nd, int& nr) {
    return m->GetDriverReceiverPairs(ports, d, r, max, nd, nr);
  }
  static SPinPair* Pair(SModule* m, SPortInstanceScalar* d, SPortInstanceScalar* r) {
    return m->CreateDriverReceiverPair(d, r);
  }
};

namespace {

typedef std::vector<std::string> Strings;
constexpr int kMax = 10;

std::string NameOf(SDesignElement* e) { return e && e->GetName() ? e->GetName() : "(null)"; }

// "REFDES.PIN" of a pin of a pair.
std::string PinOf(SPin* pin) {
  auto* p = dynamic_cast<SPortInstanceScalar*>(pin);
  if (!p || !p->GetPartPinInstance()) return "?";
  SPartInstance* u = p->GetPartPinInstance()->GetPartInstance();
  return std::string(u && u->GetRefDes() ? u->GetRefDes() : "") + "." + NameOf(p->GetPartPinInstance());
}

// The pins of a pair, head first.
Strings PinsOf(SPinPair* pair) {
  Strings out;
  for (auto it = pair->GetAllPins().begin(); it != pair->GetAllPins().end(); ++it) out.push_back(PinOf(*it));
  return out;
}

Strings Names(const RelLinkedList<SPinPair*>& list) {
  Strings out;
  for (auto it = list.begin(); it != list.end(); ++it) out.push_back(NameOf(*it));
  return out;
}
Strings Sorted(Strings s) {
  std::sort(s.begin(), s.end());
  return s;
}

// Empties the free cells of a session heap, so that the next allocation of
// any size goes to the heap itself (and FailAfter can refuse it).
void Starve(HANDLEMA* heap) {
  heap->listNodeFree = nullptr;
  heap->mapNodeFree = nullptr;
  for (int c = 0; heap->sizeClassHeads && c < tavrin::kSizeClassCount; ++c) heap->sizeClassHeads[c] = nullptr;
}

// The board: a cell "board" with the modules M1 and M2, built alike from
// the components "chip" (an active part) and "res" (a passive one), whose
// ports t0 to t9 have the signal types 0 to 9. Nets of both modules:
//   N1   U1.3 out, U2.7 in, U3.1 in, R1.1 out (passive)
//   BI   U1.5 and U2.5 bidirectional (type 3)
//   DRV  U1.7 type 7, U2.8 type 8, U3.4 type 4
//   IGN  U3.2 in; the others ignored: types 5, 6, 0, 9, client flags, passive
//   INC  X1.2 out (X1 has no reference designator), U3.9 in, and three
//        incomplete pins: no part pin instance, no port, a part pin
//        instance without part instance
//   EQ   two outputs, five inputs: 2 x 5 = kMax
//   VCC  an output and an input, constant voltage
//   E1a  U1.40 out, U2.40 in;  E1b  U3.40 in
// M1 only: the electrical net E1 of E1a and E1b (built), the electrical
// net EMISS over ONLY1 (a net M2 lacks), virtual pins on N1, ONLY1 and
// BUSN, which is a scalar in M1 and a bus in M2.
class Board : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    project = session->CreateProject("P");
    board = project->CreateDesignCell("board");
    chip = Component("chip", 2);
    res = Component("res", 1);
    m1 = board->CreateModule("M1");
    m2 = board->CreateModule("M2");
    ASSERT_TRUE(m1 && m2);
    Populate(m1);
    Populate(m2);

    RelLinkedList<SNetScalar*> members;
    members.insert(Net(m1, "E1a"), heap);
    members.insert(Net(m1, "E1b"), heap);
    m1->BuildElectricalNet("E1", members, kMax);
    members.clear(heap);
    e1 = m1->GetElectricalNet("E1");
    ASSERT_NE(e1, nullptr);
    e1->SetAttribute("IMPEDANCE", "50");
    e1->SetConstraint("MAXLEN", "1000", 3);
    SNetScalar* only = m1->CreateNetScalar("ONLY1");
    SElectricalNet* emiss = m1->CreateElectricalNet("EMISS");
    ASSERT_TRUE(only && emiss && emiss->InsertNetScalar(only));
    SNetScalar* bus = m1->CreateNetScalar("BUSN");
    ASSERT_TRUE(bus && m2->CreateNetBus("BUSN"));
    SVirtualPin* v1 = Net(m1, "N1")->CreateVirtualPin("V1");
    ASSERT_TRUE(v1 && v1->SetX(100, TAVRIN_UNIT_INTERNAL) && v1->SetY(-250, TAVRIN_UNIT_INTERNAL));
    ASSERT_TRUE(Net(m1, "N1")->CreateVirtualPin("V2"));
    ASSERT_TRUE(only->CreateVirtualPin("VO") && bus->CreateVirtualPin("VB"));
  }

  SCell* Component(const char* name, int partType) {
    SCell* c = project->CreateDesignCell(name);
    c->CreatePart("p")->SetType(static_cast<TavrinPartType>(partType));
    SInterface* i = c->CreateInterface();
    for (int t = 0; t <= 9; ++t)
      i->CreatePortScalar(("t" + std::to_string(t)).c_str())->SetSignalType(static_cast<TavrinPortType>(t));
    return c;
  }

  SPartInstance* Place(SModule* m, const char* name, SCell* cell, const char* refDes) {
    SPartInstance* u = m->CreatePartInstance(name, cell);
    if (refDes) u->SetRefDes(refDes);
    m->SetPartInstance(name, u);
    return u;
  }

  // Pin `pin` of u, of signal type `type`, joined to `net` on both sides.
  SPortInstanceScalar* Connect(SNetScalar* net, SPartInstance* u, const char* pin, int type) {
    SPortInstanceScalar* p = u->CreatePortInstanceScalar(pin);
    p->SetPort(u->GetCell()->GetInterface()->GetPort(("t" + std::to_string(type)).c_str()));
    SPartPinInstance* ppi = u->CreatePartPinInstance(pin);
    p->SetPartPinInstance(ppi);
    ppi->SetPortInstanceScalar(p);
    net->InsertPortInstanceScalar(p);
    p->SetNetScalar(net);
    return p;
  }

  void Populate(SModule* m) {
    SPartInstance* u1 = Place(m, "U1", chip, "U1");
    SPartInstance* u2 = Place(m, "U2", chip, "U2");
    SPartInstance* u3 = Place(m, "U3", chip, "U3");
    SPartInstance* r1 = Place(m, "R1", res, "R1");
    SPartInstance* x1 = Place(m, "X1", chip, nullptr);

    SNetScalar* n = m->CreateNetScalar("N1");
    Connect(n, u1, "3", 2);
    Connect(n, u2, "7", 1);
    Connect(n, u3, "1", 1);
    Connect(n, r1, "1", 2);

    n = m->CreateNetScalar("BI");
    Connect(n, u1, "5", 3);
    Connect(n, u2, "5", 3);

    n = m->CreateNetScalar("DRV");
    Connect(n, u1, "7", 7);
    Connect(n, u2, "8", 8);
    Connect(n, u3, "4", 4);

    n = m->CreateNetScalar("IGN");
    Connect(n, u3, "2", 1);
    Connect(n, u1, "10", 5);
    Connect(n, u2, "10", 6);
    Connect(n, u3, "10", 0);
    Connect(n, u1, "11", 9);
    Connect(n, u2, "11", 2)->GetPartPinInstance()->SetClientFlags(4);
    Connect(n, r1, "2", 2);

    n = m->CreateNetScalar("INC");
    Connect(n, x1, "2", 2);
    Connect(n, u3, "9", 1);
    Connect(n, u1, "12", 2)->SetPartPinInstance(nullptr);
    Connect(n, u2, "12", 2)->SetPort(nullptr);
    SPartPinInstance* loose = new (heap) SPartPinInstance();
    loose->SetName("12");
    Connect(n, u3, "12", 2)->SetPartPinInstance(loose);

    n = m->CreateNetScalar("EQ");
    Connect(n, u1, "20", 2);
    Connect(n, u2, "20", 2);
    for (int i = 20; i < 25; ++i) Connect(n, u3, std::to_string(i).c_str(), 1);

    n = m->CreateNetScalar("VCC");
    n->SetbConstantVoltage(true);
    Connect(n, u1, "30", 2);
    Connect(n, u2, "30", 1);

    n = m->CreateNetScalar("E1a");
    Connect(n, u1, "40", 2);
    Connect(n, u2, "40", 1);
    n = m->CreateNetScalar("E1b");
    Connect(n, u3, "40", 1);
  }

  static SNetScalar* Net(SModule* m, const char* name) { return SNetScalar::Cast(m->GetNet(name)); }
  static Strings PairsOf(SModule* m, const char* net) { return Names(Net(m, net)->GetAllDriverReceiverPairs()); }

  // Every driver-receiver pair of the module's net scalars: two distinct
  // pins, the receiver first, filed in the module under its name.
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

  SProject* project = nullptr;
  SCell* board = nullptr;
  SCell* chip = nullptr;
  SCell* res = nullptr;
  SModule* m1 = nullptr;
  SModule* m2 = nullptr;
  SElectricalNet* e1 = nullptr;
};

// ---- pairs of net scalars ------------------------------------------------------------------

// Outputs pair with inputs, bidirectional pins with each other but never
// with themselves, types 7, 8 drive and 4 does both; ignored and incomplete
// pins, nets in an electrical net and constant-voltage nets get nothing.
TEST_F(Board, PairNamesAndCounts) {
  EXPECT_EQ(m1->CreateAllDriverReceiverPairs(kMax), 0) << "EQ reaches the bound";
  EXPECT_EQ(Sorted(PairsOf(m1, "N1")), (Strings{"U1.3->U2.7", "U1.3->U3.1"}));
  EXPECT_EQ(PairsOf(m1, "BI"), (Strings{"U1.5->U2.5", "U2.5->U1.5"}));
  EXPECT_EQ(Sorted(PairsOf(m1, "DRV")), (Strings{"U1.7->U3.4", "U2.8->U3.4"}));
  EXPECT_EQ(PairsOf(m1, "IGN"), Strings{});
  EXPECT_EQ(PairsOf(m1, "INC"), Strings{".2->U3.9"}) << "no reference designator: empty text";
  EXPECT_EQ(PairsOf(m1, "EQ"), Strings{});
  EXPECT_EQ(PairsOf(m1, "VCC"), Strings{});
  EXPECT_EQ(PairsOf(m1, "E1a"), Strings{});
  EXPECT_EQ(PairsOf(m1, "E1b"), Strings{});
  ExpectSoundPairs(m1);
  // Two pairs of E1 and the seven made now.
  EXPECT_EQ(m1->GetAllPinPairs().size(), 9u);
  // The module holds the pairs; the net scalar only lists them.
  SPinPair* p = Net(m1, "BI")->GetAllDriverReceiverPairs().begin().operator*();
  EXPECT_TRUE(p->GetElectricalNet() == nullptr && Net(m1, "BI")->GetAllPinPairs().empty());
}

// A net scalar needs drivers x receivers below the bound, an electrical
// net at most the bound.
TEST_F(Board, BoundStrictForNetsInclusiveForElectricalNets) {
  EXPECT_EQ(m1->CreateAllDriverReceiverPairs(kMax + 1), 1);
  EXPECT_EQ(PairsOf(m1, "EQ").size(), 10u);
  ExpectSoundPairs(m1);

  // EQ as an electrical net of its own at the same bound gets its ten,
  // while the gathering call still counts as a failure.
  SElectricalNet* en = m2->CreateElectricalNet("EQE");
  en->InsertNetScalar(Net(m2, "EQ"));
  EXPECT_EQ(m2->CreateElectricalNetDriverReceiverPairs(en, kMax), 0);
  EXPECT_EQ(en->GetAllDriverReceiverPairs().size(), 10u);
  EXPECT_EQ(m2->CreateAllDriverReceiverPairs(kMax), 0);
  EXPECT_EQ(PairsOf(m2, "EQ"), Strings{}) << "the net scalar alone does not";
  SElectricalNet* wider = m2->CreateElectricalNet("EQ11");
  wider->InsertNetScalar(Net(m2, "EQ"));
  EXPECT_EQ(m2->CreateElectricalNetDriverReceiverPairs(wider, kMax + 1), 1);
  EXPECT_EQ(wider->GetAllDriverReceiverPairs().size(), 10u);
}

// Across an electrical net the counts run on: the member that brings the
// product to the bound fails, yet the pairs are made (at most the bound),
// and the result is 0. A count that fills up stops the gathering.
TEST_F(Board, ElectricalNetCountsEveryFailure) {
  // E1 is listed E1b (U3.40 in), then E1a (U2.40 in, U1.40 out).
  EXPECT_EQ(Sorted(Names(e1->GetAllDriverReceiverPairs())), (Strings{"U1.40->U2.40", "U1.40->U3.40"}));

  // Listed BI, then E1b: BI gives 2 x 2 (below 6), E1b brings 2 x 3.
  SElectricalNet* both = m2->CreateElectricalNet("BOTH");
  both->InsertNetScalar(Net(m2, "E1b"));
  both->InsertNetScalar(Net(m2, "BI"));
  EXPECT_EQ(m2->CreateElectricalNetDriverReceiverPairs(both, 6), 0) << "E1b ends at 2 x 3, not below 6";
  EXPECT_EQ(Sorted(Names(both->GetAllDriverReceiverPairs())),
            (Strings{"U1.5->U2.5", "U1.5->U3.40", "U2.5->U1.5", "U2.5->U3.40"}));
  SElectricalNet* seven = m2->CreateElectricalNet("SEVEN");
  seven->InsertNetScalar(Net(m2, "E1b"));
  seven->InsertNetScalar(Net(m2, "BI"));
  EXPECT_EQ(m2->CreateElectricalNetDriverReceiverPairs(seven, 7), 1);
  EXPECT_EQ(seven->GetAllDriverReceiverPairs().size(), 4u);

  // At a bound of 2, BI fills both counts: it fails, E1b adds nothing and
  // fails as well, and 2 x 2 is above the bound.
  SElectricalNet* full = m2->CreateElectricalNet("FULL");
  full->InsertNetScalar(Net(m2, "E1b"));
  full->InsertNetScalar(Net(m2, "BI"));
  EXPECT_EQ(m2->CreateElectricalNetDriverReceiverPairs(full, 2), 0);
  EXPECT_TRUE(full->GetAllDriverReceiverPairs().empty());
  // E1a is listed U2.40, then U1.40: a bound of 2 is full of receivers
  // (with E1b's) before the driver is read, so there is nothing to pair.
  SElectricalNet* early = m2->CreateElectricalNet("EARLY");
  early->InsertNetScalar(Net(m2, "E1a"));
  early->InsertNetScalar(Net(m2, "E1b"));
  EXPECT_EQ(m2->CreateElectricalNetDriverReceiverPairs(early, 2), 1);
  EXPECT_TRUE(early->GetAllDriverReceiverPairs().empty());

  // Without a driver nothing is paired, whatever the bound.
  SElectricalNet* inputs = m2->CreateElectricalNet("IN");
  inputs->InsertNetScalar(Net(m2, "E1b"));
  EXPECT_EQ(m2->CreateElectricalNetDriverReceiverPairs(inputs, kMax), 1);
  EXPECT_TRUE(inputs->GetAllDriverReceiverPairs().empty());
  EXPECT_EQ(m2->CreateElectricalNetDriverReceiverPairs(nullptr, kMax), 0);
}

// A bound of 0 or below gathers nothing and fails every net; INT_MAX
// needs no more room than the pins there are.
TEST_F(Board, BoundsZeroNegativeAndLargest) {
  const std::size_t pairs = m1->GetAllPinPairs().size();
  for (int max : {0, -1, INT_MIN}) {
    EXPECT_EQ(m1->CreateAllDriverReceiverPairs(max), 0) << max;
    for (auto n = m1->GetAllNetScalars().begin(); n != m1->GetAllNetScalars().end(); ++n)
      EXPECT_TRUE((*n)->GetAllDriverReceiverPairs().empty()) << NameOf(*n);
    EXPECT_EQ(m1->CreateElectricalNetDriverReceiverPairs(e1, max), 0) << max;
  }
  EXPECT_EQ(m1->GetAllPinPairs().size(), pairs) << "nothing was made";

  EXPECT_EQ(m1->CreateAllDriverReceiverPairs(INT_MAX), 1);
  EXPECT_EQ(PairsOf(m1, "EQ").size(), 10u);
  EXPECT_EQ(m1->CreateElectricalNetDriverReceiverPairs(e1, INT_MAX), 1);
  ExpectSoundPairs(m1);
  SModule* empty = board->CreateModule("empty");
  EXPECT_EQ(empty->CreateAllDriverReceiverPairs(0), 1) << "no net, no failure";
}

// Rebuilding only unlinks the old pairs: they stay pin pairs of the
// module, listed and saved, and the new pairs take over their names. Nets
// that are no longer paired lose what they listed.
TEST_F(Board, RebuildKeepsOldPairs) {
  m1->CreateAllDriverReceiverPairs(kMax);
  SPinPair* old = m1->GetCollection("U1.5->U2.5") ? SPinPair::Cast(m1->GetCollection("U1.5->U2.5")) : nullptr;
  ASSERT_NE(old, nullptr);
  Net(m1, "E1a")->InsertDriverReceiverPair(old);
  Net(m1, "VCC")->InsertDriverReceiverPair(old);
  const std::size_t before = m1->GetAllPinPairs().size();

  EXPECT_EQ(m1->CreateAllDriverReceiverPairs(kMax), 0);
  EXPECT_EQ(m1->GetAllPinPairs().size(), before + 7);
  EXPECT_TRUE(m1->GetAllPinPairs().contains(old));
  EXPECT_EQ(PinsOf(old), (Strings{"U2.5", "U1.5"}));
  SPinPair* now = SPinPair::Cast(m1->GetCollection("U1.5->U2.5"));
  EXPECT_TRUE(now && now != old && Net(m1, "BI")->HasDriverReceiverPair(now) &&
              !Net(m1, "BI")->HasDriverReceiverPair(old));
  EXPECT_TRUE(Net(m1, "E1a")->GetAllDriverReceiverPairs().empty() && Net(m1, "VCC")->GetAllDriverReceiverPairs().empty());

  // The old pairs go through a save with the rest.
  ScratchDir dir;
  ASSERT_EQ(session->Save(dir.File("b").c_str()), 1);
  SSession* back = AllocSession();
  ASSERT_EQ(tavrin::SessionFiles::Restore(*back, dir.File("b").c_str(), nullptr, false), 1);
  SCell* cell = back->GetProject("P")->GetDesign("board");
  SModule* r1 = SModule::Cast(cell->GetRepresentation("M1"));
  ASSERT_NE(r1, nullptr);
  EXPECT_EQ(r1->GetAllPinPairs().size(), before + 7);
  EXPECT_EQ(r1->CreateAllDriverReceiverPairs(kMax), 0) << "a restored board pairs again";
  EXPECT_EQ(Sorted(PairsOf(r1, "N1")), (Strings{"U1.3->U2.7", "U1.3->U3.1"}));
  delete back;
}

// The gathering step appends at the counts it is given and terminates
// both arrays; it stops once either count is full.
TEST_F(Board, GatheringAppendsAtTheCounts) {
  SPortInstanceScalar* d[8];
  SPortInstanceScalar* r[8];
  SPortInstanceScalar* mark = Net(m1, "N1")->GetAllPortInstanceScalars().begin().operator*();
  d[0] = mark;
  int nd = 1, nr = 0;
  EXPECT_TRUE(ModuleElectricalAccess::Gather(m1, Net(m1, "BI")->GetAllPortInstanceScalars(), d, r, kMax, nd, nr));
  EXPECT_TRUE(nd == 3 && nr == 2 && d[0] == mark && d[3] == nullptr && r[2] == nullptr);
  EXPECT_TRUE(d[1] == r[0] && d[2] == r[1] && d[1] != d[2]);

  // EQ lists its five inputs first: two fill the bound, no driver is read.
  nd = nr = 0;
  EXPECT_TRUE(ModuleElectricalAccess::Gather(m1, Net(m1, "EQ")->GetAllPortInstanceScalars(), d, r, 2, nd, nr));
  EXPECT_TRUE(nd == 0 && nr == 2 && d[0] == nullptr && r[2] == nullptr) << nd << " " << nr;
  nd = nr = 0;
  EXPECT_FALSE(ModuleElectricalAccess::Gather(m1, Net(m1, "BI")->GetAllPortInstanceScalars(), d, r, 2, nd, nr));
  EXPECT_TRUE(nd == 2 && nr == 2);
  nd = nr = 0;
  EXPECT_FALSE(ModuleElectricalAccess::Gather(m1, Net(m1, "BI")->GetAllPortInstanceScalars(), d, r, -5, nd, nr));
  EXPECT_TRUE(nd == 0 && nr == 0 && d[0] == nullptr && r[0] == nullptr);

  // A pair of a pin without a part instance or designator has empty texts.
  SPortInstanceScalar* in = Net(m1, "INC")->GetAllPortInstanceScalars().begin().operator*();
  SPinPair* p = ModuleElectricalAccess::Pair(m1, in, mark);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(NameOf(p).substr(0, 5), ".12->") << NameOf(p);
  EXPECT_EQ(ModuleElectricalAccess::Pair(m1, nullptr, mark), nullptr);
}

// ---- electrical nets -----------------------------------------------------------------------

TEST_F(Board, BuildElectricalNet) {
  EXPECT_EQ(Names(Net(m1, "E1a")->GetAllDriverReceiverPairs()), Strings{}) << "E1's pairs are listed in E1";
  EXPECT_TRUE(Net(m1, "E1a")->GetElectricalNet() == e1 && Net(m1, "E1b")->GetElectricalNet() == e1);
  EXPECT_TRUE(e1->HasNetScalar(Net(m1, "E1a")) && e1->HasNetScalar(Net(m1, "E1b")));

  const std::size_t collections = m2->GetAllCollections().size();
  RelLinkedList<SNetScalar*> one;
  one.insert(Net(m2, "N1"), heap);
  m2->BuildElectricalNet("ONE", one, kMax);
  one.insert(Net(m2, "BI"), heap);
  m2->BuildElectricalNet(nullptr, one, kMax);
  EXPECT_EQ(m2->GetAllCollections().size(), collections);
  EXPECT_TRUE(Net(m2, "N1")->GetElectricalNet() == nullptr && Net(m2, "BI")->GetElectricalNet() == nullptr);
  m2->BuildElectricalNet("TWO", one, kMax);
  SElectricalNet* two = m2->GetElectricalNet("TWO");
  ASSERT_NE(two, nullptr);
  // Drivers U1.3, U1.5, U2.5 and receivers U2.7, U3.1, U1.5, U2.5: 3 x 4
  // is above the bound, so no pairs.
  EXPECT_TRUE(two->GetAllDriverReceiverPairs().empty());
  EXPECT_EQ(Net(m2, "BI")->GetElectricalNet(), two);
  one.clear(heap);
}

// ---- copies --------------------------------------------------------------------------------

// An electrical net comes over by the names of its net scalars, with its
// attributes and constraint instances always; its pairs are copied by
// part instance and pin names with their pins in the other order.
TEST_F(Board, CopyElectricalNets) {
  SPinPair* src = SPinPair::Cast(m1->GetCollection("U1.40->U2.40"));
  ASSERT_NE(src, nullptr);
  src->SetAttribute("W", "5");
  src->SetConstraint("C", "7", 1);

  m2->CopyElectricalNets(m1, true, false);
  SElectricalNet* e = m2->GetElectricalNet("E1");
  ASSERT_NE(e, nullptr);
  EXPECT_FALSE(m2->HasCollection("EMISS")) << "ONLY1 is missing in M2";
  EXPECT_EQ(m2->GetAllElectricalNets().size(), 1u);
  EXPECT_TRUE(e->HasNetScalar(Net(m2, "E1a")) && e->HasNetScalar(Net(m2, "E1b")) && e->GetAllNetScalars().size() == 2);
  EXPECT_TRUE(Net(m2, "E1a")->GetElectricalNet() == nullptr) << "the scalar's reference is the caller's";
  CString text;
  EXPECT_TRUE(e->GetAttribute("IMPEDANCE", text) && std::string(text) == "50");
  EXPECT_EQ(e->GetConstraint("MAXLEN", text), 1);
  EXPECT_EQ(std::string(text), "1000");

  EXPECT_EQ(Sorted(Names(e->GetAllDriverReceiverPairs())), (Strings{"U1.40->U2.40", "U1.40->U3.40"}));
  SPinPair* copy = SPinPair::Cast(m2->GetCollection("U1.40->U2.40"));
  ASSERT_TRUE(copy && e->HasDriverReceiverPair(copy));
  EXPECT_EQ(PinsOf(copy), (Strings{"U1.40", "U2.40"}));
  SPortInstanceScalar* pin = dynamic_cast<SPortInstanceScalar*>(*copy->GetAllPins().begin());
  EXPECT_EQ(pin->GetNetScalar(), Net(m2, "E1a")) << "the pins are M2's";
  EXPECT_TRUE(copy->GetAttribute("W", text) && std::string(text) == "5");
  EXPECT_EQ(copy->GetConstraint("C", text), 0) << "constraints not asked for";

  EXPECT_EQ(m2->CopyElectricalNet(e1, true, true), nullptr) << "E1 is taken now";
  EXPECT_EQ(m2->CopyElectricalNet(nullptr, true, true), nullptr);
  const std::size_t collections = m2->GetAllCollections().size();
  m2->CopyElectricalNets(nullptr, true, true);
  m1->CopyElectricalNets(m1, true, true);
  EXPECT_EQ(m2->GetAllCollections().size(), collections);
}

// A pin pair comes over only whole: two port instance scalars first in
// its list, each with a counterpart here, under a name not yet taken.
TEST_F(Board, CopyPinPairRefusals) {
  m1->CreateAllDriverReceiverPairs(kMax);
  SPinPair* bi = SPinPair::Cast(m1->GetCollection("U2.5->U1.5"));
  ASSERT_NE(bi, nullptr);
  EXPECT_EQ(m2->CopyPinPair(nullptr, false, false), nullptr);
  EXPECT_EQ(m1->CopyPinPair(bi, false, false), nullptr) << "its own name";

  SPinPair* single = m1->CreatePinPair("single");
  single->InsertPin(*bi->GetAllPins().begin());
  EXPECT_EQ(m2->CopyPinPair(single, false, false), nullptr) << "one pin";
  SPinPair* virt = m1->CreatePinPair("virtual");
  virt->InsertPin(*bi->GetAllPins().begin());
  virt->InsertPin(Net(m1, "N1")->GetVirtualPin("V1"));
  EXPECT_EQ(m2->CopyPinPair(virt, false, false), nullptr) << "a virtual pin first";

  ASSERT_TRUE(m2->RemovePartInstance("U2"));
  EXPECT_EQ(m2->CopyPinPair(bi, false, false), nullptr) << "U2 is not indexed in M2";
  EXPECT_FALSE(m2->HasCollection("U2.5->U1.5"));
  ASSERT_TRUE(m2->SetPartInstance("U2", SPartInstance::Cast(m2->GetCellInstance("U2"))));
  SPinPair* copy = m2->CopyPinPair(bi, false, false);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(PinsOf(copy), (Strings{"U2.5", "U1.5"}));
  EXPECT_EQ(PinsOf(bi), (Strings{"U1.5", "U2.5"}));
}

// The pairs of a stand-alone net scalar go to the same-named one here.
TEST_F(Board, CopyNetScalarPairs) {
  m1->CreateAllDriverReceiverPairs(kMax);
  const std::size_t pairs = m2->GetAllPinPairs().size();
  EXPECT_FALSE(m2->CopyPinPairs(Net(m1, "N1"), nullptr, true, true));
  EXPECT_FALSE(m2->CopyPinPairs(nullptr, Net(m2, "N1"), true, true));
  EXPECT_EQ(m2->GetAllPinPairs().size(), pairs) << "nothing was copied";

  EXPECT_EQ(m2->CopyElectricalNetPinPairs(Net(m1, "N1"), false, false), Net(m2, "N1"));
  EXPECT_EQ(Sorted(PairsOf(m2, "N1")), (Strings{"U1.3->U2.7", "U1.3->U3.1"}));
  EXPECT_EQ(m2->CopyElectricalNetPinPairs(Net(m1, "INC"), false, false), Net(m2, "INC"));
  EXPECT_EQ(PairsOf(m2, "INC"), Strings{".2->U3.9"});
  EXPECT_EQ(m2->CopyElectricalNetPinPairs(Net(m1, "E1a"), false, false), nullptr) << "in an electrical net";
  EXPECT_EQ(m2->CopyElectricalNetPinPairs(Net(m1, "BUSN"), false, false), nullptr) << "a bus in M2";
  EXPECT_EQ(m2->CopyElectricalNetPinPairs(Net(m1, "ONLY1"), false, false), nullptr) << "missing in M2";
  EXPECT_EQ(m2->CopyElectricalNetPinPairs(nullptr, false, false), nullptr);
  EXPECT_EQ(m2->GetAllPinPairs().size(), pairs + 3);
}

// Virtual pins come over with their coordinates to same-named net scalars;
// a name missing here or naming a bus is passed over.
TEST_F(Board, CopyVirtualPins) {
  m2->CopyVirtualPins(m1);
  SVirtualPin* v = Net(m2, "N1")->GetVirtualPin("V1");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->GetNetScalar(), Net(m2, "N1"));
  EXPECT_EQ(v->GetX(TAVRIN_UNIT_INTERNAL), 100.0);
  EXPECT_EQ(v->GetY(TAVRIN_UNIT_INTERNAL), -250.0);
  EXPECT_TRUE(Net(m2, "N1")->HasVirtualPin("V2"));
  EXPECT_EQ(Net(m2, "N1")->GetAllVirtualPins().size(), 2u);
  std::size_t total = 0;
  for (auto n = m2->GetAllNetScalars().begin(); n != m2->GetAllNetScalars().end(); ++n)
    total += (*n)->GetAllVirtualPins().size();
  EXPECT_EQ(total, 2u);

  SVirtualPin* mine = Net(m1, "N1")->GetVirtualPin("V1");
  m1->CopyVirtualPins(m1);
  m1->CopyVirtualPins(nullptr);
  EXPECT_EQ(Net(m1, "N1")->GetVirtualPin("V1"), mine) << "a module onto itself changes nothing";
  EXPECT_EQ(Net(m1, "N1")->GetAllVirtualPins().size(), 2u);
}

// ---- memory running out --------------------------------------------------------------------

// Arrays too large for the pools come from the heap itself. When either
// cannot be had, nothing changes: every net keeps its pairs.
TEST_F(Board, ArrayAllocationFailure) {
  SNetScalar* wide = m1->CreateNetScalar("WIDE");
  SPartInstance* u9 = Place(m1, "U9", chip, "U9");
  Connect(wide, u9, "0", 2);
  for (int i = 1; i <= 40; ++i) Connect(wide, u9, std::to_string(i).c_str(), 1);
  ASSERT_EQ(m1->CreateAllDriverReceiverPairs(100), 1);
  ASSERT_EQ(PairsOf(m1, "WIDE").size(), 40u);
  const Strings n1 = PairsOf(m1, "N1");
  const std::size_t pairs = m1->GetAllPinPairs().size();
  for (long n : {1, 2}) {
    {
      FailAfter fail(n);
      EXPECT_EQ(m1->CreateAllDriverReceiverPairs(100), 0) << n;
    }
    EXPECT_EQ(PairsOf(m1, "WIDE").size(), 40u) << n;
    EXPECT_EQ(PairsOf(m1, "N1"), n1) << n;
    EXPECT_EQ(m1->GetAllPinPairs().size(), pairs) << n;
  }

  SElectricalNet* en = m1->CreateElectricalNet("WIDE E");
  en->InsertNetScalar(wide);
  for (long n : {1, 2}) {
    FailAfter fail(n);
    EXPECT_EQ(m1->CreateElectricalNetDriverReceiverPairs(en, 100), 0) << n;
  }
  EXPECT_TRUE(en->GetAllDriverReceiverPairs().empty());
  EXPECT_EQ(m1->CreateElectricalNetDriverReceiverPairs(en, 100), 1);
  EXPECT_EQ(en->GetAllDriverReceiverPairs().size(), 40u);
}

// Memory running out at any step of pairing gives 0, and every pair a net
// lists is whole; with memory back, pairing gives the same pairs again.
TEST_F(Board, PairingUnderExhaustion) {
  bool failedOnce = false;
  for (long n = 1; n < 60; ++n) {
    int result;
    {
      Starve(heap);
      FailAfter fail(n);
      result = m1->CreateAllDriverReceiverPairs(kMax + 1);
    }
    failedOnce = failedOnce || result == 0;
    ExpectSoundPairs(m1);
  }
  EXPECT_TRUE(failedOnce);
  EXPECT_EQ(m1->CreateAllDriverReceiverPairs(kMax + 1), 1);
  EXPECT_EQ(Sorted(PairsOf(m1, "DRV")), (Strings{"U1.7->U3.4", "U2.8->U3.4"}));
}

// ---- the board on file ---------------------------------------------------------------------

// tests/data/pairs.tvn is this board as saved (the inspector's `pairs`
// test reads it). TAVRIN_WRITE_GOLDEN=1 writes it anew.
TEST_F(Board, SavedBoard) {
  ScratchDir dir;
  ASSERT_EQ(session->Save(dir.File("pairs.tvn").c_str()), 1);
  const std::string saved = ReadFile(dir.File("pairs.tvn"));
  if (std::getenv("TAVRIN_WRITE_GOLDEN")) WriteFile(TestData("pairs.tvn"), saved);
  EXPECT_EQ(saved, ReadFile(TestData("pairs.tvn")));

  SSession* back = AllocSession();
  ASSERT_EQ(tavrin::SessionFiles::Restore(*back, TestData("pairs.tvn").c_str(), nullptr, false), 1);
  SModule* r1 = SModule::Cast(back->GetProject("P")->GetDesign("board")->GetRepresentation("M1"));
  SModule* r2 = SModule::Cast(back->GetProject("P")->GetDesign("board")->GetRepresentation("M2"));
  ASSERT_TRUE(r1 && r2);
  EXPECT_EQ(r1->CreateAllDriverReceiverPairs(kMax), 0);
  EXPECT_EQ(r1->CreateAllDriverReceiverPairs(kMax + 1), 1);
  EXPECT_EQ(Sorted(PairsOf(r1, "BI")), (Strings{"U1.5->U2.5", "U2.5->U1.5"}));
  EXPECT_EQ(PairsOf(r1, "INC"), Strings{".2->U3.9"});
  r2->CopyElectricalNets(r1, false, false);
  EXPECT_TRUE(r2->GetElectricalNet("E1") && !r2->HasCollection("EMISS"));
  delete back;
}

}  // namespace
