// tests/data/board.tvn: parts and electrical data; "top" is written first. The
// differential pairs and the EBD pin's pins are not saved.
#ifndef TAVRIN_TESTS_BOARD_FIXTURE_H
#define TAVRIN_TESTS_BOARD_FIXTURE_H

#include <cstdint>

#include "hierarchy_fixture.h"

namespace tavrin_test {

struct BoardFixture {
  explicit BoardFixture(SSession* s) {
    SPinMappingLibrary* maps = s->CreatePinMappingLibrary("maps");
    SPinMapping* pmA = WithId(maps->CreatePinMapping("pmA"), 41);
    SPinMapping* pmB = WithId(maps->CreatePinMapping("pmB"), 42);

    project = s->CreateProject("B");
    chip = project->CreateDesignCell("chip");
    SCell* top = project->CreateDesignCell("top");
    project->InsertTopCell(top);

    SInterface* iface = WithId(chip->CreateInterface(), 31);
    SPortScalar* p1 = iface->CreatePortScalar("1");
    SPortScalar* p2 = iface->CreatePortScalar("2");
    part = WithId(chip->CreatePart("cp"), 51);
    part->SetType(static_cast<TavrinPartType>(3));
    SPartPin* pin1 = WithId(part->CreatePartPin("1"), 52);
    pin1->SetX(10);
    pin1->SetY(-20);
    SPartPin* pin2 = WithId(part->CreatePartPin("2"), 53);
    pin2->SetX(30);
    pin2->SetY(40);
    part->SetPinMapping("pmA", pmA);
    part->SetPinMapping("pmB", pmB);
    part->SetSelectedMapping(pmB);
    WithId(part->CreatePinPair("PP"), 54);

    SModule* brd = WithId(top->CreateModule("brd"), 61);
    WithId(top->CreateModule("brd2"), 62);
    WithId(brd->CreateLayout(), 63);

    SPartInstance* u1 = brd->CreatePartInstance("U1", chip);
    SPartInstance* u2 = brd->CreatePartInstance("U2", chip);
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
    WithId(brd->CreateModuleInstance("M1", chip), 64);

    SPortInstanceScalar* u1a = WithId(u1->CreatePortInstanceScalar("1"), 71);
    SPortInstanceScalar* u1b = u1->CreatePortInstanceScalar("2");
    SPortInstanceScalar* u2a = u2->CreatePortInstanceScalar("1");
    u1a->SetPort(p1);
    u1b->SetPort(p2);
    u2a->SetPort(p1);
    SPartPinInstance* ppi1 = u1->CreatePartPinInstance("1");
    SPartPinInstance* ppi2 = u1->CreatePartPinInstance("2");
    SPartPinInstance* ppi3 = u2->CreatePartPinInstance("1");
    Place(ppi1, pin1, u1a);
    Place(ppi2, pin2, u1b);
    Place(ppi3, pin1, u2a);
    ppi1->SetDrillOverride("d8");
    ppi1->SetPadStackOverride("ps2");
    ppi1->SetX(5, TAVRIN_UNIT_INTERNAL);
    ppi1->SetY(6, TAVRIN_UNIT_INTERNAL);
    ppi3->SetY(9, TAVRIN_UNIT_INTERNAL);
    SEbdPin* ebd = u1->CreateEbdPin("E");
    ebd->InsertPin(ppi1);
    SConnectorPinInstance* connector = WithId(new (s->GetHeap()) SConnectorPinInstance(), 81);
    connector->SetName("J1");
    connector->SetPortInstanceScalar(u1a);
    u1a->SetConnectorPinInstance(connector);

    SNetScalar* n1 = brd->CreateNetScalar("N1");
    SNetScalar* n2 = brd->CreateNetScalar("N2");
    Connect(n1, u1a);
    Connect(n1, u2a);
    Connect(n2, u1b);
    brd->CreateDiffPair(n1, n2);
    SSegment* seg = n1->CreateSegment();
    SVirtualPin* v1 = WithId(n1->CreateVirtualPin("V1"), 93);
    n1->CreateVirtualPin("V2");
    v1->SetX(11, TAVRIN_UNIT_INTERNAL);
    v1->SetY(12, TAVRIN_UNIT_INTERNAL);
    v1->SetGuidePin(true);
    v1->InsertPin(u1);
    SFromTo* ft = WithId(n1->CreateFromTo("U1.1,U2.1"), 94);
    n1->CreateFromTo("U2.1,V1");
    ft->SetbScheduled(true);
    ft->SetbUserDefined(true);
    ft->InsertPin(u1a);
    ft->InsertPin(v1);
    SFromTo* rft = n1->CreateRoutedFromTo("U1.1,V1");
    rft->SetbRouted(true);
    rft->InsertSegment(seg);

    SElectricalNet* e1 = WithId(brd->CreateElectricalNet("E1"), 91);
    SElectricalNet* e2 = brd->CreateElectricalNet("E2");
    e1->SetbDiffPair(true);
    e1->InsertNetScalar(n1);
    e1->InsertNetScalar(n2);
    n1->SetElectricalNet(e1);
    n2->SetElectricalNet(e1);
    e1->CreatePinPair("EP");
    SPinPair* dr1 = WithId(brd->CreatePinPair("DR1"), 92);
    SPinPair* dr2 = brd->CreatePinPair("DR2");
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
    brd->CreateDiffPair2("DP", e1, e2)->CreatePinPair("DPP");
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

  SProject* project;
  SCell* chip;
  SPart* part;
};

// tests/data/stackup.tvn: the module's nets come before its layout in the file.
struct StackBoard {
  explicit StackBoard(SSession* s) {
    SProject* project = s->CreateProject("P");
    SCell* cell = project->CreateDesignCell("board");
    SModule* module = WithId(cell->CreateModule("M"), 20);
    SNetScalar* gnd = module->CreateNetScalar("GND");
    SNetScalar* sig = module->CreateNetScalar("SIG");
    SSegment* segment = sig->CreateSegment();
    SLayout* layout = WithId(module->CreateLayout(), 30);
    SStackUp* su = WithId(layout->CreateStackUp(), 31);
    su->SetName("SU");
    SLayer* l1 = WithId(su->CreateLayer(1), 32);
    SLayer* l2 = WithId(su->CreateLayer(2), 33);
    SLayer* l3 = WithId(su->CreateLayer(3), 34);
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
    SSignalRegion* s1 = WithId(l1->CreateSignalRegion("S1"), 41);
    s1->SetTraceSpacing(5, TAVRIN_UNIT_MIL);
    s1->SetTraceWidth(6, TAVRIN_UNIT_MIL);
    WithId(l1->CreateSignalRegion("S2"), 42);
    WithId(l1->CreateInsulatorRegion("K1"), 43);

    l2->SetName("GND");
    l2->SetType("PLANE");
    l2->SetConductor("COPPER");
    l2->SetNextLayer(l3);
    SPowerPlaneRegion* pg = WithId(l2->CreatePowerPlaneRegion("PG"), 44);
    pg->SetType("GND");
    SPowerPlaneRegion* pu = WithId(l2->CreatePowerPlaneRegion("PU"), 45);

    l3->SetName("BOT");
    l3->SetType("SIGNAL");
    l3->SetDielectricName("PREPREG");
    l3->SetDielectricConstant(3.9);
    l3->SetThickness(2, TAVRIN_UNIT_MIL);
    SSignalRegion* s3 = WithId(l3->CreateSignalRegion("S3"), 46);
    s3->SetTLF(3, TAVRIN_UNIT_MIL);
    WithId(l3->CreateInsulatorRegion("K2"), 47);

    gnd->InsertPowerPlaneRegion(pg);
    gnd->InsertPowerPlaneRegion(pu);
    segment->SetRegion(s1);
  }
};

// tests/data/libraries_full.tvn: libraries whose children the project, written first, refers to.
struct LibraryBoard {
  explicit LibraryBoard(SSession* s) {
    SProject* project = s->CreateProject("P");
    SCell* chip = project->CreateDesignCell("chip");
    SCell* board = project->CreateDesignCell("board");
    SPart* part = WithId(chip->CreatePart("U"), 7071);
    SModule* module = board->CreateModule("M");
    SNetScalar* net = module->CreateNetScalar("N");
    SPhysicalNode* node = net->CreatePhysicalNode();
    node->SetName("n1");
    SPartInstance* instance = module->CreatePartInstance("U1", chip);
    SPartPinInstance* pinInstance = instance->CreatePartPinInstance("1");
    SStackUp* stackUp = module->CreateLayout()->CreateStackUp();
    SLayer* layer = stackUp->CreateLayer(1);
    SSignalRegion* r1 = layer->CreateSignalRegion("R1");
    SInsulatorRegion* r2 = layer->CreateInsulatorRegion("R2");

    pkgs = s->CreatePackageLibrary("pkgs");
    SPackage* so8 = Package("SO8", INT32_MAX, 2.5f, 100, 200, 7031);
    SPackagePin* so8pin1 = Pin(so8, "1", 11, 12, 7032);
    Pin(so8, "2", -13, 14, 7033);
    SPackage* dip = Package("DIP", INT32_MIN, 0.25f, 300, 400, 7034);
    Pin(dip, "A", 15, 16, 7035);

    SPadStackLibrary* pads = s->CreatePadStackLibrary("pads");
    SPadStack* via = WithId(pads->CreatePadStack("VIA"), 7041);
    via->SetBottomLayer(1);
    via->SetTopLayer(4);
    via->SetPhysicalNode(node);
    via->SetStackUp(stackUp);
    via->CreateXExtentValUnitlessValue()->SetValue(1503);
    SPad* via1 = WithId(via->CreatePad(1), 7042);
    via1->CreateXValUnitlessValue()->SetValue(1501);
    via1->InsertRegion(r1);
    via1->InsertRegion(r2);
    SPad* via4 = WithId(via->CreatePad(4), 7043);
    via4->CreateYValUnitlessValue()->SetValue(1502);
    SPadStack* pin = WithId(pads->CreatePadStack("PIN"), 7044);
    pin->SetBottomLayer(2);
    pin->SetTopLayer(3);
    pin->SetPartPinInstance(pinInstance);
    pin->CreateYExtentValUnitlessValue()->SetValue(1506);
    SPad* pin2 = WithId(pin->CreatePad(2), 7045);
    pin2->CreateXValUnitlessValue()->SetValue(1504);
    pin2->CreateYValUnitlessValue()->SetValue(1505);

    node->SetPadStack(via);
    pinInstance->SetPadStack(pin);
    part->SetPackage("SO8", so8);
    part->SetPackage("DIP", dip);
    part->SetSelectedPackage(dip);
    SPartPin* partPin = WithId(part->CreatePartPin("1"), 7072);
    partPin->SetPackagePin(so8pin1);
  }

  SPackage* Package(const char* name, int type, float power, int x, int y, long id) {
    SPackage* p = WithId(pkgs->CreatePackage(name), id);
    p->SetType(static_cast<TavrinPackageType>(type));
    p->SetPower(power);
    p->SetXLength(x);
    p->SetYLength(y);
    return p;
  }
  static SPackagePin* Pin(SPackage* p, const char* name, int x, int y, long id) {
    SPackagePin* pin = WithId(p->CreatePackagePin(), id);
    pin->SetName(name);
    pin->SetX(x);
    pin->SetY(y);
    return pin;
  }

  SPackageLibrary* pkgs;
};

}  // namespace tavrin_test

#endif
