// A small but complete board built through the public interface: package
// and pad-stack libraries, a microcontroller, a USB connector, resistors and
// capacitors as parts, a module with placed part instances, nets with
// drivers and receivers, a differential pair, a two-layer stack-up,
// constraints and rules. It saves the board, restores it into a second
// session, makes the driver-receiver pairs there and prints a short report.
//
//   tavrin_example [FILE [COPY]]   (default: example_board.tdb)
//
// With COPY, the restored board is saved again there before the report
// changes it: the same board, its lists in the reverse order.
//
// Every step is fixed (no clock, no random numbers): the same program always
// writes the same bytes.
#include <cstdio>
#include <cstring>

#include <tavrin/tavrin.h>

namespace {

// Signal types of ports as the driver-receiver pairing reads them.
const TavrinPortType kPower = static_cast<TavrinPortType>(0);
const TavrinPortType kIn = static_cast<TavrinPortType>(1);
const TavrinPortType kOut = static_cast<TavrinPortType>(2);
const TavrinPortType kBidir = static_cast<TavrinPortType>(3);

// Part types: 1, 3, 5 and 6 count as passive.
const TavrinPartType kResistor = static_cast<TavrinPartType>(1);
const TavrinPartType kCapacitor = static_cast<TavrinPartType>(3);
const TavrinPartType kIc = static_cast<TavrinPartType>(2);
const TavrinPartType kConnector = static_cast<TavrinPartType>(4);

struct PinRow {
  const char* name;    // port and pin name
  TavrinPortType type;
  int x, y;            // package pin position, mils from the package centre
};

struct PartRow {
  const char* cell;
  TavrinPartType type;
  const char* package;
  const char* padStack;
  int width, height;   // package outline, mils
  float power;         // watts
  const PinRow* pins;
  int pinCount;
};

const PinRow kMcuPins[] = {
    {"VDD", kPower, -150, 150},  {"GND", kPower, -150, 50},    {"TX", kOut, -150, -50},
    {"RX", kIn, -150, -150},     {"USB_DP", kBidir, 150, -150}, {"USB_DM", kBidir, 150, -50},
    {"LED", kOut, 150, 50},      {"RESET", kIn, 150, 150},
};
const PinRow kUsbPins[] = {
    {"VBUS", kPower, -150, 0}, {"DM", kBidir, -50, 0}, {"DP", kBidir, 50, 0}, {"GND", kPower, 150, 0},
};
const PinRow kHeaderPins[] = {
    {"1", kIn, 0, 150}, {"2", kOut, 0, 50}, {"3", kPower, 0, -50}, {"4", kPower, 0, -150},
};
const PinRow kTwoPins[] = {{"1", kPower, -30, 0}, {"2", kPower, 30, 0}};

const PartRow kParts[] = {
    {"MCU", kIc, "QFN8", "SMD_PAD", 400, 400, 0.25f, kMcuPins, 8},
    {"USB_B", kConnector, "USB_MICRO", "SMD_PAD", 300, 200, 0.0f, kUsbPins, 4},
    {"HEADER4", kConnector, "HDR_1X4", "TH_PIN", 100, 400, 0.0f, kHeaderPins, 4},
    {"RES", kResistor, "R0603", "SMD_PAD", 60, 30, 0.1f, kTwoPins, 2},
    {"CAP", kCapacitor, "C0603", "SMD_PAD", 60, 30, 0.0f, kTwoPins, 2},
};

const char* Text(const char* s) { return s ? s : ""; }

// One library part: a cell with an interface of ports and a part whose
// pins sit on the package's pins.
SCell* CreatePartCell(SSession* session, SProject* project, const PartRow& row) {
  SPackageLibrary* packages = SPackageLibrary::Cast(session->GetLibrary("packages"));
  SPadStackLibrary* padStacks = SPadStackLibrary::Cast(session->GetLibrary("pad_stacks"));
  SPackage* package = packages->CreatePackage(row.package);
  package->SetXLength(row.width);
  package->SetYLength(row.height);
  package->SetPower(row.power);

  SCell* cell = project->CreateDesignCell(row.cell);
  SInterface* iface = cell->CreateInterface();
  SPart* part = cell->CreatePart(row.cell);
  part->SetType(row.type);
  part->SetPackage(row.package, package);
  part->SetSelectedPackage(package);
  part->SetAttribute("PAD_STACK", padStacks->GetPadStack(row.padStack)->GetName());
  for (int i = 0; i < row.pinCount; ++i) {
    const PinRow& p = row.pins[i];
    iface->CreatePortScalar(p.name)->SetSignalType(p.type);
    SPackagePin* packagePin = package->CreatePackagePin();
    packagePin->SetName(p.name);
    packagePin->SetX(p.x);
    packagePin->SetY(p.y);
    SPartPin* pin = part->CreatePartPin(p.name);
    pin->SetX(p.x);
    pin->SetY(p.y);
    pin->SetPackagePin(packagePin);
  }
  return cell;
}

// A part instance of `cell` with one port instance and one pin instance per
// port, each pin on the pad stack named by the part.
SPartInstance* Place(SSession* session, SModule* board, SCell* cell, const char* refDes, double x, double y,
                     g_TavrinUnitType unit, int rotation, int layer) {
  SPartInstance* pi = board->CreatePartInstance(refDes, cell);
  board->SetPartInstance(refDes, pi);
  pi->SetRefDes(refDes);
  pi->SetX(x, unit);
  pi->SetY(y, unit);
  pi->SetRotation(rotation);
  pi->SetLayer(layer);
  SPart* part = *cell->GetAllParts().begin();
  CString padName;
  part->GetAttribute("PAD_STACK", padName);
  SPadStackLibrary* padStacks = SPadStackLibrary::Cast(session->GetLibrary("pad_stacks"));
  SPadStack* padStack = padStacks->GetPadStack(padName.GetString());
  const RelLinkedList<SPortScalar*>& ports = cell->GetInterface()->GetAllPortScalars();
  for (auto it = ports.begin(); it != ports.end(); ++it) {
    SPortInstanceScalar* at = pi->CreatePortInstanceScalar((*it)->GetName());
    at->SetPort(*it);
    SPartPinInstance* pin = pi->CreatePartPinInstance((*it)->GetName());
    pin->SetPartPin(part->GetPartPin((*it)->GetName()));
    pin->SetPortInstanceScalar(at);
    pin->SetPadStack(padStack);
    at->SetPartPinInstance(pin);
  }
  return pi;
}

// Connects pins named "REFDES.PIN" to the net, on both sides.
void Connect(SModule* board, SNetScalar* net, std::initializer_list<const char*> pins) {
  for (const char* name : pins) {
    const char* dot = std::strchr(name, '.');
    char refDes[16] = {};
    std::memcpy(refDes, name, static_cast<std::size_t>(dot - name));
    SPortInstanceScalar* at = SPortInstanceScalar::Cast(board->GetPartInstance(refDes)->GetPortInstance(dot + 1));
    net->InsertPortInstanceScalar(at);
    at->SetNetScalar(net);
  }
}

void CreateLibraries(SSession* session) {
  SPackageLibrary* packages = session->CreatePackageLibrary("packages");
  packages->SetLocation("lib/packages");
  SPadStackLibrary* padStacks = session->CreatePadStackLibrary("pad_stacks");
  padStacks->SetLocation("lib/pad_stacks");
  // Pad sizes are lengths in internal units: 1 mil is 38100.
  const struct {
    const char* name;
    int bottom, top;
    int xMils, yMils;
  } stacks[] = {{"SMD_PAD", 1, 1, 24, 32}, {"TH_PIN", 1, 2, 60, 60}, {"VIA", 1, 2, 20, 20}};
  for (const auto& s : stacks) {
    SPadStack* ps = padStacks->CreatePadStack(s.name);
    ps->SetBottomLayer(s.bottom);
    ps->SetTopLayer(s.top);
    ps->CreateXExtentValUnitlessValue()->SetInUnits(s.xMils, TAVRIN_UNIT_MIL);
    ps->CreateYExtentValUnitlessValue()->SetInUnits(s.yMils, TAVRIN_UNIT_MIL);
    for (int layer = s.bottom; layer <= s.top; ++layer) {
      SPad* pad = ps->CreatePad(layer);
      pad->CreateXValUnitlessValue()->SetInUnits(s.xMils, TAVRIN_UNIT_MIL);
      pad->CreateYValUnitlessValue()->SetInUnits(s.yMils, TAVRIN_UNIT_MIL);
    }
  }
}

// Two copper layers on an FR4 core, each with a signal region, and the
// pad stacks the board uses.
void CreateStackUp(SSession* session, SModule* board) {
  SStackUp* stackUp = board->CreateLayout()->CreateStackUp();
  stackUp->SetName("2_LAYER_1.6MM");
  SLayer* top = stackUp->CreateLayer(1);
  SLayer* bottom = stackUp->CreateLayer(2);
  const char* names[] = {"TOP", "BOTTOM"};
  SLayer* layers[] = {top, bottom};
  for (int i = 0; i < 2; ++i) {
    SLayer* l = layers[i];
    l->SetName(names[i]);
    l->SetType("SIGNAL");
    l->SetConductor("COPPER");
    l->SetDielectricName("FR4");
    l->SetDielectricConstant(4.5);
    l->SetThickness(1.4, TAVRIN_UNIT_MIL);
    l->SetViaDiameter(0.3, TAVRIN_UNIT_MM);
    l->SetStackUp(stackUp);
    SSignalRegion* r = l->CreateSignalRegion(i == 0 ? "TOP_ROUTING" : "BOTTOM_ROUTING");
    r->SetTraceWidth(6, TAVRIN_UNIT_MIL);
    r->SetTraceSpacing(6, TAVRIN_UNIT_MIL);
  }
  bottom->CreatePowerPlaneRegion("GND_POUR")->SetType("GND");
  top->SetNextLayer(bottom);
  stackUp->SetTopLayer(top);
  stackUp->SetBottomLayer(bottom);
  SPadStackLibrary* padStacks = SPadStackLibrary::Cast(session->GetLibrary("pad_stacks"));
  for (const char* name : {"SMD_PAD", "TH_PIN", "VIA"}) {
    SPadStack* ps = padStacks->GetPadStack(name);
    stackUp->InsertPadStack(ps);
    ps->SetStackUp(stackUp);
  }
}

// Design rules: a clearance of 6 mil as a project constraint, a high-speed
// constraint set grouped into signal classes, typed constraints on nets.
void CreateRules(SProject* project, SModule* board) {
  SConstraint* clearance = project->CreateConstraint("CLEARANCE");
  SUnitlessValue* basis = project->CreateAttribute("CLEARANCE_BASIS")->CreateUnitlessValue();
  basis->SetInUnits(6.0, TAVRIN_UNIT_MIL);
  clearance->SetBasis(basis);
  SConstraint* maxLength = project->CreateConstraint("MAX_LENGTH");
  SUnitlessValue* limit = project->CreateAttribute("MAX_LENGTH_BASIS")->CreateUnitlessValue();
  limit->SetInUnits(50.0, TAVRIN_UNIT_MM);
  maxLength->SetBasis(limit);
  SConstraintSet* highSpeed = project->CreateConstraintSet("HIGH_SPEED");
  highSpeed->SetConstraint("CLEARANCE", clearance);
  highSpeed->SetConstraint("MAX_LENGTH", maxLength);
  project->CreateConstraintGroup("SIGNAL_CLASSES")->SetConstraintSet("HIGH_SPEED", highSpeed);

  SDesignElement::SetNativeMode(true);  // numbers as typed values
  board->GetNet("USB_DP")->SetConstraint("IMPEDANCE", 90, 0);
  board->GetNet("USB_DM")->SetConstraint("IMPEDANCE", 90, 0);
  board->GetNet("USB_DP")->SetConstraint("MAX_SKEW_MM", 0.15f, 0);
  board->GetNet("VCC")->SetAttribute("CURRENT_A", 0.5f);
  SDesignElement::SetNativeMode(false);
  board->GetNet("USB_DP")->CreateConstraintInstance("HIGH_SPEED", maxLength);
  board->GetNet("USB_DM")->CreateConstraintInstance("HIGH_SPEED", maxLength);
  // Conditional rules and rule sets live with the module while it is open
  // (they are not saved).
  board->CreateCondRule("USB_DP", SCondRule::RULE_NET, "USB_DM", SCondRule::RULE_NET)->CreateRuleSet("DIFF_90R");
}

SSession* BuildBoard() {
  SSession* session = AllocSession();
  if (!session) return nullptr;
  SProject* project = session->CreateProject("usb_sensor");
  project->SetHostCAD("tavrin_example");
  project->SetUnits("mil");
  project->SetAttribute("revision", "A");
  CreateLibraries(session);

  SCell* cells[5];
  for (int i = 0; i < 5; ++i) cells[i] = CreatePartCell(session, project, kParts[i]);
  SCell* mcu = cells[0];
  SCell* usb = cells[1];
  SCell* header = cells[2];
  SCell* res = cells[3];
  SCell* cap = cells[4];

  SCell* top = project->CreateDesignCell("usb_sensor_board");
  project->InsertTopCell(top);
  SModule* board = top->CreateModule("pcb");
  top->SetDefaultRepresentation(board);
  board->SetUnits("mil");

  // Placements: the microcontroller and connectors in mils, the small
  // passives in millimetres; rotation in degrees.
  Place(session, board, mcu, "U1", 1000, 800, TAVRIN_UNIT_MIL, 0, 1);
  Place(session, board, usb, "J1", 150, 800, TAVRIN_UNIT_MIL, 90, 1);
  Place(session, board, header, "J2", 1800, 800, TAVRIN_UNIT_MIL, 0, 1);
  Place(session, board, res, "R1", 33.0, 20.3, TAVRIN_UNIT_MM, 0, 1);
  Place(session, board, res, "R2", 33.0, 17.8, TAVRIN_UNIT_MM, 0, 1);
  Place(session, board, cap, "C1", 22.9, 25.4, TAVRIN_UNIT_MM, 90, 2);
  Place(session, board, cap, "C2", 27.9, 25.4, TAVRIN_UNIT_MM, 90, 2);

  SNetScalar* vcc = board->CreateNetScalar("VCC");
  vcc->SetVoltage(3.3f);
  vcc->SetbConstantVoltage(true);
  Connect(board, vcc, {"U1.VDD", "J1.VBUS", "C1.1", "C2.1", "R2.1", "J2.3"});
  SNetScalar* gnd = board->CreateNetScalar("GND");
  gnd->SetVoltage(0.0f);
  gnd->SetbConstantVoltage(true);
  Connect(board, gnd, {"U1.GND", "J1.GND", "C1.2", "C2.2", "J2.4"});
  // U1 drives TX into the header; the header drives RX into U1; U1 drives
  // the LED through R1; the reset line is held by R2 and driven from J2.
  Connect(board, board->CreateNetScalar("UART_TX"), {"U1.TX", "J2.1"});
  Connect(board, board->CreateNetScalar("UART_RX"), {"J2.2", "U1.RX"});
  Connect(board, board->CreateNetScalar("LED_DRV"), {"U1.LED", "R1.1"});
  Connect(board, board->CreateNetScalar("RESET_N"), {"R2.2", "U1.RESET"});

  // The USB data lines: bidirectional on both ends, a differential pair,
  // each in an electrical net of its own.
  SNetScalar* dp = board->CreateNetScalar("USB_DP");
  SNetScalar* dm = board->CreateNetScalar("USB_DM");
  Connect(board, dp, {"U1.USB_DP", "J1.DP"});
  Connect(board, dm, {"U1.USB_DM", "J1.DM"});
  board->CreateDiffPair(dp, dm);
  SElectricalNet* edp = board->CreateElectricalNet("USB_DP");
  SElectricalNet* edm = board->CreateElectricalNet("USB_DM");
  edp->InsertNetScalar(dp);
  dp->SetElectricalNet(edp);
  edm->InsertNetScalar(dm);
  dm->SetElectricalNet(edm);
  board->CreateDiffPair2("USB", edp, edm);

  CreateStackUp(session, board);
  CreateRules(project, board);
  return session;
}

int CountPins(const SModule* board) {
  int pins = 0;
  const RelMap<CharM, SPartInstance*>& parts = board->GetAllPartInstances();
  for (auto it = parts.begin(); it != parts.end(); ++it) pins += static_cast<int>(it->second->GetAllPartPinInstances().size());
  return pins;
}

void Report(SSession* session) {
  SProject* project = session->GetProject("usb_sensor");
  SCell* top = project->GetDesign("usb_sensor_board");
  SModule* board = *top->GetAllModules().begin();
  CString revision;
  project->GetAttribute("revision", revision);
  std::printf("project %s, revision %s, units %s\n", project->GetName(), revision.GetString(), Text(project->GetUnits()));
  std::printf("libraries: %d packages, %d pad stacks\n",
              static_cast<int>(SPackageLibrary::Cast(session->GetLibrary("packages"))->GetAllPackages().size()),
              static_cast<int>(SPadStackLibrary::Cast(session->GetLibrary("pad_stacks"))->GetAllPadStacks().size()));
  std::printf("module %s: %d part instances, %d pins, %d nets\n", board->GetName(),
              static_cast<int>(board->GetAllPartInstances().size()), CountPins(board),
              static_cast<int>(board->GetAllNetScalars().size()));

  // Placements in the board's own units and in millimetres.
  for (const char* refDes : {"U1", "J1", "J2", "R1", "R2", "C1", "C2"}) {
    SPartInstance* pi = board->GetPartInstance(refDes);
    std::printf("  %-3s %-8s at (%7.1f, %7.1f) mil = (%6.2f, %6.2f) mm, rotation %d, layer %d\n", refDes,
                pi->GetCell()->GetName(), pi->GetX(TAVRIN_UNIT_MIL), pi->GetY(TAVRIN_UNIT_MIL),
                pi->GetX(TAVRIN_UNIT_MM), pi->GetY(TAVRIN_UNIT_MM), pi->GetRotation(), pi->GetLayer());
  }

  SStackUp* stackUp = board->GetLayout()->GetStackUp();
  std::printf("stack-up %s:", Text(stackUp->GetName()));
  for (SLayer* l = stackUp->GetTopLayer(); l; l = l->GetNextLayer())
    std::printf(" %d %s %s %.1f mil (%s %.1f)", l->GetNumber(), Text(l->GetName()), Text(l->GetConductor()),
                l->GetThickness(TAVRIN_UNIT_MIL), Text(l->GetDielectricName()), l->GetDielectricConstant());
  std::printf("\n");

  int impedance = 0;
  board->GetNet("USB_DP")->GetConstraint("IMPEDANCE", impedance);
  SUnitlessValue* clearance = SUnitlessValue::Cast(project->GetConstraint("CLEARANCE")->GetBasis());
  std::printf("rules: clearance %.1f mil, USB impedance %d ohm, constraint sets %d, groups %d\n",
              clearance ? clearance->GetInUnits(TAVRIN_UNIT_MIL) : 0.0, impedance,
              static_cast<int>(project->GetAllConstraintSets().size()),
              static_cast<int>(project->GetAllConstraintGroups().size()));

  // Driver-receiver pairs: the plain nets (power nets at constant voltage
  // are left out), then the electrical nets of the differential pair.
  int allPaired = board->CreateAllDriverReceiverPairs(100);
  const RelLinkedList<SElectricalNet*>& enets = board->GetAllElectricalNets();
  for (auto it = enets.begin(); it != enets.end(); ++it) allPaired &= board->CreateElectricalNetDriverReceiverPairs(*it, 100);
  std::printf("driver-receiver pairs (%s):\n", allPaired ? "every net paired" : "some nets failed");
  const RelLinkedList<SNetScalar*>& nets = board->GetAllNetScalars();
  for (auto it = nets.begin(); it != nets.end(); ++it) {
    SNetScalar* net = *it;
    if (net->GetbConstantVoltage()) continue;
    std::printf("  %-8s", net->GetName());
    const RelLinkedList<SPinPair*>& pairs =
        net->GetElectricalNet() ? net->GetElectricalNet()->GetAllDriverReceiverPairs() : net->GetAllDriverReceiverPairs();
    for (auto p = pairs.begin(); p != pairs.end(); ++p) std::printf(" %s", (*p)->GetName());
    std::printf("%s\n", pairs.empty() ? " no pairs (only a passive part on the other end)" : "");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "example_board.tdb";
  SSession* session = BuildBoard();
  if (!session) {
    std::fprintf(stderr, "cannot create a session\n");
    return 1;
  }
  SDiffPair* usb = (*session->GetProject("usb_sensor")->GetDesign("usb_sensor_board")->GetAllModules().begin())
                       ->GetDiffPair2("USB");
  std::printf("built: differential pair %s over %d electrical nets\n", usb ? usb->GetName() : "(none)",
              usb ? static_cast<int>(usb->GetAllElectricalNets().size()) : 0);
  if (!session->Save(path)) {
    std::fprintf(stderr, "cannot save %s: %s\n", path, session->GetLastError());
    delete session;
    return 1;
  }
  delete session;
  std::printf("saved %s (format version %d)\n", path, GetDBFileVersion(path));

  SSession* copy = AllocSession();
  if (!copy || !copy->Restore(path)) {
    std::fprintf(stderr, "cannot restore %s: %s\n", path, copy ? copy->GetLastError() : "out of memory");
    delete copy;
    return 1;
  }
  std::printf("\nrestored %s\n", path);
  if (argc > 2) {
    if (!copy->Save(argv[2])) {
      std::fprintf(stderr, "cannot save %s: %s\n", argv[2], copy->GetLastError());
      delete copy;
      return 1;
    }
    std::printf("saved the restored board as %s\n", argv[2]);
  }
  Report(copy);
  delete copy;
  return 0;
}
