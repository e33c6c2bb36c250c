// Package and pad-stack libraries whose children are referred to from the
// project (written before the libraries), saved as
// tests/data/libraries_full.tvn. Project "P": part "U" of cell "chip"
// (packages SO8 and DIP, DIP selected; pin "1" on SO8's pin "1"); module
// "M" of cell "board" with a node "n1" on pad stack VIA, part instance "U1"
// whose pin instance "1" is on pad stack PIN, and a stack-up whose layer 1
// holds the regions R1 and R2. Package library "pkgs": SO8 (pins "1" and
// "2") and DIP (pin "A"). Pad-stack library "pads": VIA (layers 1 to 4,
// pads on 1 and 4) and PIN (layers 2 to 3, pad on 2).
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
