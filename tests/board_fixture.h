// The board with parts and electrical data, saved as tests/data/board.tvn.
// Pin-mapping library "maps" (pmA, id 41, with a global and a slot pair
// that are not saved; pmB, id 42). Project "B" with the designs "chip" and
// "top" (the top cell; created last, so written first).
//   chip: interface (id 31) with scalars "1" and "2"; part "cp" (type 3, id
//     51; pins "1" (id 52) and "2" (id 53); mappings pmA and pmB, pmB
//     selected; pin pair "PP" (id 54); a discrete pin pair, not saved).
//   top: modules "brd" (id 61, the default; layout id 63) and "brd2" (id 62).
//     brd: part instances U1 ("R1", layer 2, 90 degrees) and U2 ("R2") of
//     chip, indexed; module instance M1 of chip (id 64). U1 has port
//     instance scalars "1" (id 71, holding connector pin "J1", id 81) and
//     "2", pin instances with overrides, EBD pin "E" (not saved). Nets N1
//     (from-tos, a routed from-to, virtual pins V1 (id 93) and V2, segment
//     S) and N2; electrical nets E1 (id 91; N1, N2) and E2; driver-receiver
//     pairs DR1 (id 92) and DR2; differential pair "DP" (not saved).
#ifndef TAVRIN_TESTS_BOARD_FIXTURE_H
#define TAVRIN_TESTS_BOARD_FIXTURE_H

#include "hierarchy_fixture.h"

namespace tavrin_test {

struct BoardFixture {
  explicit BoardFixture(SSession* s) {
    maps = s->CreatePinMappingLibrary("maps");
    pmA = WithId(maps->CreatePinMapping("pmA"), 41);
    pmB = WithId(maps->CreatePinMapping("pmB"), 42);
    pmA->AddGlobalEntry("1", "A");
    pmA->AddSlotEntry(2, "2", "B");

    project = s->CreateProject("B");
    chip = project->CreateDesignCell("chip");
    top = project->CreateDesignCell("top");
    project->InsertTopCell(top);

    iface = WithId(chip->CreateInterface(), 31);
    p1 = iface->CreatePortScalar("1");
    p2 = iface->CreatePortScalar("2");
    part = WithId(chip->CreatePart("cp"), 51);
    part->SetType(static_cast<TavrinPartType>(3));
    pin1 = WithId(part->CreatePartPin("1"), 52);
    pin1->SetX(10);
    pin1->SetY(-20);
    pin2 = WithId(part->CreatePartPin("2"), 53);
    pin2->SetX(30);
    pin2->SetY(40);
    part->SetPinMapping("pmA", pmA);
    part->SetPinMapping("pmB", pmB);
    part->SetSelectedMapping(pmB);
    part->AddDiscretePinPair("1-2");
    partPair = WithId(part->CreatePinPair("PP"), 54);

    brd = WithId(top->CreateModule("brd"), 61);
    brd2 = WithId(top->CreateModule("brd2"), 62);
    layout = WithId(brd->CreateLayout(), 63);

    u1 = brd->CreatePartInstance("U1", chip);
    u2 = brd->CreatePartInstance("U2", chip);
    u1->SetRefDes("R1");
    u1->SetLayer(2);
    u1->SetRotation(90);
    u1->SetX(100, TAVRIN_UNIT_INTERNAL);
    u1->SetY(-200, TAVRIN_UNIT_INTERNAL);
    u2->SetRefDes("R2");
    u2->SetLayer(1);
    u2->SetX(7, TAVRIN_UNIT_INTERNAL);
    brd->SetPartInstance("U1", u1);
    brd->SetPartInstance("U2", u2);
    m1 = WithId(brd->CreateModuleInstance("M1", chip), 64);

    u1a = WithId(u1->CreatePortInstanceScalar("1"), 71);
    u1b = u1->CreatePortInstanceScalar("2");
    u2a = u2->CreatePortInstanceScalar("1");
    u1a->SetPort(p1);
    u1b->SetPort(p2);
    u2a->SetPort(p1);
    ppi1 = u1->CreatePartPinInstance("1");
    ppi2 = u1->CreatePartPinInstance("2");
    ppi3 = u2->CreatePartPinInstance("1");
    Place(ppi1, pin1, u1a);
    Place(ppi2, pin2, u1b);
    Place(ppi3, pin1, u2a);
    ppi1->SetDrillOverride("d8");
    ppi1->SetPadStackOverride("ps2");
    ppi1->SetX(5, TAVRIN_UNIT_INTERNAL);
    ppi1->SetY(6, TAVRIN_UNIT_INTERNAL);
    ppi3->SetY(9, TAVRIN_UNIT_INTERNAL);
    ebd = u1->CreateEbdPin("E");
    ebd->SetGroup("g");
    ebd->InsertPin(ppi1);
    connector = WithId(new (s->GetHeap()) SConnectorPinInstance(), 81);
    connector->SetName("J1");
    connector->SetPortInstanceScalar(u1a);
    u1a->SetConnectorPinInstance(connector);

    n1 = brd->CreateNetScalar("N1");
    n2 = brd->CreateNetScalar("N2");
    Connect(n1, u1a);
    Connect(n1, u2a);
    Connect(n2, u1b);
    brd->CreateDiffPair(n1, n2);
    seg = n1->CreateSegment();
    v1 = WithId(n1->CreateVirtualPin("V1"), 93);
    v2 = n1->CreateVirtualPin("V2");
    v1->SetX(11, TAVRIN_UNIT_INTERNAL);
    v1->SetY(12, TAVRIN_UNIT_INTERNAL);
    v1->SetGuidePin(true);
    v1->InsertPin(u1);
    ft = WithId(n1->CreateFromTo("U1.1,U2.1"), 94);
    ft2 = n1->CreateFromTo("U2.1,V1");
    ft->SetbScheduled(true);
    ft->SetbUserDefined(true);
    ft->InsertPin(u1a);
    ft->InsertPin(v1);
    rft = n1->CreateRoutedFromTo("U1.1,V1");
    rft->SetbRouted(true);
    rft->InsertSegment(seg);

    e1 = WithId(brd->CreateElectricalNet("E1"), 91);
    e2 = brd->CreateElectricalNet("E2");
    e1->SetbDiffPair(true);
    e1->InsertNetScalar(n1);
    e1->InsertNetScalar(n2);
    n1->SetElectricalNet(e1);
    n2->SetElectricalNet(e1);
    e1->CreatePinPair("EP");
    dr1 = WithId(brd->CreatePinPair("DR1"), 92);
    dr2 = brd->CreatePinPair("DR2");
    dr1->SetNetScalar(n1);
    dr1->SetElectricalNet(e1);
    dr1->InsertPin(u1a);
    dr1->InsertPin(u2a);
    dr2->InsertPin(v1);
    dr2->InsertPin(ebd);
    for (SPinPair* dr : {dr1, dr2}) {
      n1->InsertDriverReceiverPair(dr);
      e1->InsertDriverReceiverPair(dr);
    }
    dp = brd->CreateDiffPair2("DP", e1, e2);
    dp->CreatePinPair("DPP");
  }

  static void Place(SPartPinInstance* pin, SPartPin* of, SPortInstanceScalar* at) {
    pin->SetPartPin(of);
    pin->SetPortInstanceScalar(at);
    at->SetPartPinInstance(pin);
  }
  static void Connect(SNetScalar* net, SPortInstanceScalar* at) {
    net->InsertPortInstanceScalar(at);
    at->SetNetScalar(net);
  }

  SPinMappingLibrary* maps;
  SPinMapping *pmA, *pmB;
  SProject* project;
  SCell *chip, *top;
  SInterface* iface;
  SPortScalar *p1, *p2;
  SPart* part;
  SPartPin *pin1, *pin2;
  SPinPair* partPair;
  SModule *brd, *brd2;
  SLayout* layout;
  SPartInstance *u1, *u2;
  SModuleInstance* m1;
  SPortInstanceScalar *u1a, *u1b, *u2a;
  SPartPinInstance *ppi1, *ppi2, *ppi3;
  SEbdPin* ebd;
  SConnectorPinInstance* connector;
  SNetScalar *n1, *n2;
  SSegment* seg;
  SVirtualPin *v1, *v2;
  SFromTo *ft, *ft2, *rft;
  SElectricalNet *e1, *e2;
  SPinPair *dr1, *dr2;
  SDiffPair* dp;
};

// The stack-up board, saved as tests/data/stackup.tvn: project "P", design
// "board", module "M" (id 20, layout 30). Its nets come before its layout in
// the file: "GND" lists the power-plane regions PG and PU, "SIG" has a
// segment on the signal region S1. Stack-up "SU" (id 31) with layers 1
// "TOP" (signal regions S1, S2, insulator K1), 2 "GND" (power-plane regions
// PG of type "GND" and PU still "<Unknown>") and 3 "BOT" (S3, K2).
struct StackBoard {
  explicit StackBoard(SSession* s) {
    project = s->CreateProject("P");
    cell = project->CreateDesignCell("board");
    module = WithId(cell->CreateModule("M"), 20);
    gnd = module->CreateNetScalar("GND");
    sig = module->CreateNetScalar("SIG");
    segment = sig->CreateSegment();
    layout = WithId(module->CreateLayout(), 30);
    su = WithId(layout->CreateStackUp(), 31);
    su->SetName("SU");
    l1 = WithId(su->CreateLayer(1), 32);
    l2 = WithId(su->CreateLayer(2), 33);
    l3 = WithId(su->CreateLayer(3), 34);
    su->SetTopLayer(l1);
    su->SetBottomLayer(l3);

    l1->SetName("TOP");
    l1->SetClientFlags(2);
    l1->SetType("SIGNAL");
    l1->SetConductor("COPPER");
    l1->SetDielectricName("FR4");
    l1->SetDielectricConstant(4.5);
    l1->SetThickness(1.4, TAVRIN_UNIT_MIL);
    l1->SetViaDiameter(10, TAVRIN_UNIT_MIL);
    l1->SetNextLayer(l2);
    s1 = WithId(l1->CreateSignalRegion("S1"), 41);
    s1->SetTraceSpacing(5, TAVRIN_UNIT_MIL);
    s1->SetTraceWidth(6, TAVRIN_UNIT_MIL);
    s2 = WithId(l1->CreateSignalRegion("S2"), 42);
    k1 = WithId(l1->CreateInsulatorRegion("K1"), 43);

    l2->SetName("GND");
    l2->SetType("PLANE");
    l2->SetConductor("COPPER");
    l2->SetNextLayer(l3);
    pg = WithId(l2->CreatePowerPlaneRegion("PG"), 44);
    pg->SetType("GND");
    pu = WithId(l2->CreatePowerPlaneRegion("PU"), 45);

    l3->SetName("BOT");
    l3->SetType("SIGNAL");
    l3->SetDielectricName("PREPREG");
    l3->SetDielectricConstant(3.9);
    l3->SetThickness(2, TAVRIN_UNIT_MIL);
    s3 = WithId(l3->CreateSignalRegion("S3"), 46);
    s3->SetTLF(3, TAVRIN_UNIT_MIL);
    k2 = WithId(l3->CreateInsulatorRegion("K2"), 47);

    gnd->InsertPowerPlaneRegion(pg);
    gnd->InsertPowerPlaneRegion(pu);
    segment->SetRegion(s1);
  }
  SProject* project;
  SCell* cell;
  SModule* module;
  SNetScalar *gnd, *sig;
  SSegment* segment;
  SLayout* layout;
  SStackUp* su;
  SLayer *l1, *l2, *l3;
  SSignalRegion *s1, *s2, *s3;
  SInsulatorRegion *k1, *k2;
  SPowerPlaneRegion *pg, *pu;
};

}  // namespace tavrin_test

#endif
