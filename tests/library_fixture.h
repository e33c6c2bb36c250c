// A session with filled package and pad-stack libraries whose children are
// referred to from the project (written before the libraries): its save is
// tests/data/libraries_full.tvn.
//
// Project "P": cell "chip" with part "U" (id 7071; packages SO8 and DIP,
// DIP selected; pin "1", id 7072, on SO8's pin "1"); cell "board" with module "M", whose
// net "N" has a node "n1" on pad stack VIA, and whose part instance "U1"
// (of chip) has pin instance "1" on pad stack PIN, and whose layout's
// stack-up has layer 1 with the signal region R1 and insulator region R2.
// Package library "pkgs": SO8 (type INT32_MAX, power 2.5, 100 x 200, id 7031;
// pins "1" at (11, 12) id 7032, then "2" at (-13, 14) id 7033) and DIP (type
// INT32_MIN, power 0.25, 300 x 400, id 7034; pin "A" at (15, 16) id 7035).
// Pad-stack library "pads": VIA (layers 1 to 4, id 7041, node n1, the
// stack-up, X extent 1503; pads on layer 1 (id 7042, X 1501, regions R2
// then R1 from the head) and 4 (id 7043, Y 1502)) and PIN
// (layers 2 to 3, id 7044, pin instance U1-1, Y extent 1506; pad on layer 2
// (id 7045, X 1504, Y 1505)).
#ifndef TAVRIN_TESTS_LIBRARY_FIXTURE_H
#define TAVRIN_TESTS_LIBRARY_FIXTURE_H

#include <cstdint>

#include "hierarchy_fixture.h"

namespace tavrin_test {

struct LibraryBoard {
  explicit LibraryBoard(SSession* s) {
    project = s->CreateProject("P");
    chip = project->CreateDesignCell("chip");
    board = project->CreateDesignCell("board");
    part = WithId(chip->CreatePart("U"), 7071);
    module = board->CreateModule("M");
    net = module->CreateNetScalar("N");
    node = net->CreatePhysicalNode();
    node->SetName("n1");
    instance = module->CreatePartInstance("U1", chip);
    pinInstance = instance->CreatePartPinInstance("1");
    stackUp = module->CreateLayout()->CreateStackUp();
    layer = stackUp->CreateLayer(1);
    r1 = layer->CreateSignalRegion("R1");
    r2 = layer->CreateInsulatorRegion("R2");

    pkgs = s->CreatePackageLibrary("pkgs");
    so8 = Package("SO8", INT32_MAX, 2.5f, 100, 200, 7031);
    so8pin1 = Pin(so8, "1", 11, 12, 7032);
    so8pin2 = Pin(so8, "2", -13, 14, 7033);
    dip = Package("DIP", INT32_MIN, 0.25f, 300, 400, 7034);
    dipPin = Pin(dip, "A", 15, 16, 7035);

    pads = s->CreatePadStackLibrary("pads");
    via = WithId(pads->CreatePadStack("VIA"), 7041);
    via->SetBottomLayer(1);
    via->SetTopLayer(4);
    via->SetPhysicalNode(node);
    via->SetStackUp(stackUp);
    via->CreateXExtentValUnitlessValue()->SetValue(1503);
    via1 = WithId(via->CreatePad(1), 7042);
    via1->CreateXValUnitlessValue()->SetValue(1501);
    via1->InsertRegion(r1);
    via1->InsertRegion(r2);
    via4 = WithId(via->CreatePad(4), 7043);
    via4->CreateYValUnitlessValue()->SetValue(1502);
    pin = WithId(pads->CreatePadStack("PIN"), 7044);
    pin->SetBottomLayer(2);
    pin->SetTopLayer(3);
    pin->SetPartPinInstance(pinInstance);
    pin->CreateYExtentValUnitlessValue()->SetValue(1506);
    pin2 = WithId(pin->CreatePad(2), 7045);
    pin2->CreateXValUnitlessValue()->SetValue(1504);
    pin2->CreateYValUnitlessValue()->SetValue(1505);

    node->SetPadStack(via);
    pinInstance->SetPadStack(pin);
    part->SetPackage("SO8", so8);
    part->SetPackage("DIP", dip);
    part->SetSelectedPackage(dip);
    partPin = WithId(part->CreatePartPin("1"), 7072);
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

  SProject* project;
  SCell *chip, *board;
  SPart* part;
  SPartPin* partPin = nullptr;
  SModule* module;
  SNetScalar* net;
  SPhysicalNode* node;
  SPartInstance* instance;
  SPartPinInstance* pinInstance;
  SStackUp* stackUp;
  SLayer* layer;
  SSignalRegion* r1;
  SInsulatorRegion* r2;
  SPackageLibrary* pkgs;
  SPackage *so8, *dip;
  SPackagePin *so8pin1, *so8pin2, *dipPin;
  SPadStackLibrary* pads;
  SPadStack *via, *pin;
  SPad *via1, *via4, *pin2;
};

}  // namespace tavrin_test

#endif
