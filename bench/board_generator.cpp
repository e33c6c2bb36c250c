#include "bench/board_generator.h"

#include <algorithm>
#include <cstdio>

#include "tavrin/tavrin.h"

namespace tavrin_bench {

namespace {

// A 64-bit generator of fixed definition (the standard distributions are
// not the same on every library, so draws are made from raw bits).
class Random {
 public:
  explicit Random(uint32_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint64_t Next() {
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }

 private:
  uint64_t m_state;
};

// Part types in the proportions of a board: many two-pin passives, some
// small logic, a few large devices (pins, part type, share in percent).
struct Kind {
  const char* prefix;
  int pins;
  int partType;
  int share;
};
const Kind kKinds[] = {
    {"RES", 2, 1, 34}, {"CAP", 2, 3, 30}, {"LED", 2, 0, 3},   {"SOT", 3, 0, 6},   {"SO8", 8, 0, 8},
    {"SO14", 14, 0, 5}, {"SO16", 16, 0, 4}, {"QFP48", 48, 0, 3}, {"QFP100", 100, 0, 2}, {"CON20", 20, 0, 3},
    {"BGA256", 256, 0, 1}, {"TSSOP24", 24, 0, 1},
};
constexpr int kVariants = 3;  // part types per kind: 36 in all

// Objects per creation, as BuildBoard makes them.
constexpr long kPerAttribute = 2;   // the attribute and its string value
constexpr long kPerConstraint = 2;  // the instance and its value

}  // namespace

BoardPlan PlanBoard(long objects, uint32_t seed) {
  Random rnd(seed);
  BoardPlan plan;
  plan.padStacks = {"VIA10", "SMD_0402", "SMD_SO", "TH_60", "BGA_20"};

  // Fixed part: libraries, cells, stack-up.
  long count = 1 + 1 + 2;  // project, module, libraries
  count += 1 + 1 + plan.layers * 3;  // layout, stack-up, layers with two regions
  for (const std::string& ps : plan.padStacks) {
    (void)ps;
    count += 1 + 2;  // the pad stack, pads on the outer layers
  }
  int totalShare = 0;
  for (const Kind& k : kKinds) totalShare += k.share;
  for (const Kind& k : kKinds) {
    for (int v = 0; v < kVariants; ++v) {
      BoardPlan::PartType t;
      char name[48];
      std::snprintf(name, sizeof name, "%s_%c", k.prefix, 'A' + v);
      t.name = name;
      t.pins = k.pins;
      t.partType = k.partType;
      t.padStack = k.pins == 2 ? 1 : k.pins >= 256 ? 4 : k.pins >= 20 ? 2 : 3;
      for (int p = 0; p < k.pins; ++p) {
        bool passive = k.partType == 1 || k.partType == 3;
        t.signalTypes.push_back(passive ? 0 : (p + v) % 5 == 0 ? 2 : (p + v) % 5 == 4 ? 3 : 1);
      }
      // Cell, interface, ports; part, pins; package, package pins.
      count += 1 + 1 + t.pins + 1 + t.pins + 1 + t.pins;
      plan.parts.push_back(t);
    }
  }
  plan.nets.push_back({"GND", {}, true, 0});
  plan.nets.push_back({"VCC", {}, true, 0});
  count += 2;

  // Part instances until the estimate reaches the size: each brings its
  // pins (port instance scalar and part pin instance), its attribute and
  // its share of nets (about one per 2.7 pins, some constrained).
  std::vector<std::pair<int, int>> signalPins;
  const int side = 1 << 20;
  while (count < objects) {
    int r = rnd.Below(totalShare * kVariants);
    int kind = 0;
    while (r >= kKinds[kind].share * kVariants) r -= kKinds[kind++].share * kVariants;
    int part = kind * kVariants + r % kVariants;
    BoardPlan::Instance in;
    in.part = part;
    in.name = std::string(kKinds[kind].prefix[0] == 'R' ? "R" : kKinds[kind].prefix[0] == 'C' ? "C" : "U") +
              std::to_string(plan.instances.size() + 1);
    in.x = rnd.Below(side);
    in.y = rnd.Below(side);
    in.rotation = 90 * rnd.Below(4);
    in.layer = rnd.Below(8) == 0 ? plan.layers : 1;
    in.value = std::to_string(rnd.Between(1, 999)) + (kKinds[kind].partType == 1 ? "R" : "N");
    int inst = static_cast<int>(plan.instances.size());
    plan.instances.push_back(in);
    int pins = plan.parts[part].pins;
    count += 1 + 2L * pins + kPerAttribute;
    for (int p = 0; p < pins; ++p) {
      // Large devices give a fifth of their pins to power.
      if (pins >= 8 && p % 5 == 4) plan.nets[p % 2].pins.push_back({inst, p});
      else signalPins.push_back({inst, p});
    }
    count += pins * 10 / 27 + (pins * 10 / 27) * kPerConstraint / 10;
  }

  // Nets over nearby pins: pins are shuffled within windows of a few
  // hundred (neighbouring instances), then cut into nets of 2 to 5.
  const std::size_t window = 256;
  for (std::size_t from = 0; from < signalPins.size(); from += window) {
    std::size_t to = std::min(signalPins.size(), from + window);
    for (std::size_t i = to - 1; i > from; --i)
      std::swap(signalPins[i], signalPins[from + static_cast<std::size_t>(rnd.Below(static_cast<int>(i - from + 1)))]);
  }
  for (std::size_t i = 0; i < signalPins.size();) {
    std::size_t n = std::min<std::size_t>(signalPins.size() - i, static_cast<std::size_t>(rnd.Between(2, 4)));
    BoardPlan::Net net;
    net.name = "N" + std::to_string(plan.nets.size() - 1);
    net.pins.assign(signalPins.begin() + static_cast<long>(i), signalPins.begin() + static_cast<long>(i + n));
    if (rnd.Below(10) == 0) net.maxLength = rnd.Between(1000, 50000);
    plan.nets.push_back(net);
    i += n;
  }
  // Buses over runs of 8 or 16 signal nets, one net in four on a bus;
  // electrical nets over one pair of nets in fifty.
  for (std::size_t first = 2; first + 16 <= plan.nets.size(); first += 64) {
    std::vector<int> bus;
    int width = rnd.Below(2) ? 16 : 8;
    for (int b = 0; b < width; ++b) bus.push_back(static_cast<int>(first) + b);
    plan.buses.push_back(bus);
  }
  for (std::size_t first = 40; first + 1 < plan.nets.size(); first += 100)
    plan.electricalNets.push_back({static_cast<int>(first), static_cast<int>(first + 1)});

  // The count from what was planned.
  long total = 1 + 1 + 2 + 2 + plan.layers * 3 + static_cast<long>(plan.padStacks.size()) * 3;
  for (const BoardPlan::PartType& t : plan.parts) total += 5 + 3L * t.pins;
  for (const BoardPlan::Instance& in : plan.instances) total += 1 + 2L * plan.parts[in.part].pins + kPerAttribute;
  for (const BoardPlan::Net& n : plan.nets) total += 1 + (n.maxLength ? kPerConstraint : 0);
  total += static_cast<long>(plan.buses.size()) + static_cast<long>(plan.electricalNets.size()) + 3;  // + diff pair
  plan.objects = total;
  return plan;
}

long BuildBoard(SSession* s, const BoardPlan& plan) {
  long made = 0;
  bool ok = true;
  auto check = [&](const void* p, long objects = 1) {
    if (!p) ok = false;
    made += objects;
  };
  SProject* project = s->CreateProject("board");
  check(project);
  SPackageLibrary* packages = s->CreatePackageLibrary("packages");
  SPadStackLibrary* pads = s->CreatePadStackLibrary("padstacks");
  check(packages);
  check(pads);
  if (!ok) return -1;

  std::vector<SPadStack*> padStacks;
  for (const std::string& name : plan.padStacks) {
    SPadStack* ps = pads->CreatePadStack(name.c_str());
    check(ps);
    if (!ps) return -1;
    ps->SetBottomLayer(1);
    ps->SetTopLayer(plan.layers);
    check(ps->CreatePad(1));
    check(ps->CreatePad(plan.layers));
    padStacks.push_back(ps);
  }

  struct Made {
    SCell* cell;
    std::vector<SPortScalar*> ports;
    std::vector<SPartPin*> pins;
  };
  std::vector<Made> parts;
  for (const BoardPlan::PartType& t : plan.parts) {
    Made m;
    m.cell = project->CreateDesignCell(t.name.c_str());
    check(m.cell);
    if (!m.cell) return -1;
    SInterface* iface = m.cell->CreateInterface();
    SPart* part = m.cell->CreatePart(t.name.c_str());
    SPackage* package = packages->CreatePackage(t.name.c_str());
    check(iface);
    check(part);
    check(package);
    if (!ok) return -1;
    part->SetType(static_cast<TavrinPartType>(t.partType));
    part->SetPackage(t.name.c_str(), package);
    package->SetXLength(100 * t.pins);
    package->SetYLength(60 + 10 * t.pins);
    for (int p = 0; p < t.pins; ++p) {
      std::string pin = std::to_string(p + 1);
      SPortScalar* port = iface->CreatePortScalar(pin.c_str());
      SPartPin* partPin = part->CreatePartPin(pin.c_str());
      SPackagePin* packagePin = package->CreatePackagePin();
      check(port);
      check(partPin);
      check(packagePin);
      if (!ok) return -1;
      port->SetSignalType(static_cast<TavrinPortType>(t.signalTypes[static_cast<std::size_t>(p)]));
      packagePin->SetName(pin.c_str());
      packagePin->SetX(50 * (p / 2));
      packagePin->SetY(p % 2 ? 100 : 0);
      partPin->SetX(50 * (p / 2));
      partPin->SetY(p % 2 ? 100 : 0);
      partPin->SetPackagePin(packagePin);
      m.ports.push_back(port);
      m.pins.push_back(partPin);
    }
    parts.push_back(m);
  }

  SCell* top = project->CreateDesignCell("top");
  check(top);
  if (!top) return -1;
  project->InsertTopCell(top);
  SModule* module = top->CreateModule("board");
  check(module);
  if (!module) return -1;
  SLayout* layout = module->CreateLayout();
  check(layout);
  SStackUp* stackUp = layout ? layout->CreateStackUp() : nullptr;
  check(stackUp);
  if (!ok) return -1;
  for (int l = 1; l <= plan.layers; ++l) {
    SLayer* layer = stackUp->CreateLayer(l);
    check(layer);
    if (!layer) return -1;
    std::string n = std::to_string(l);
    if (l == 2 || l == plan.layers - 1) check(layer->CreatePowerPlaneRegion(("P" + n).c_str()));
    else check(layer->CreateSignalRegion(("S" + n).c_str()));
    check(layer->CreateInsulatorRegion(("I" + n).c_str()));
  }

  std::vector<std::vector<SPortInstanceScalar*>> pinsOf;
  pinsOf.reserve(plan.instances.size());
  for (const BoardPlan::Instance& in : plan.instances) {
    const BoardPlan::PartType& t = plan.parts[static_cast<std::size_t>(in.part)];
    const Made& m = parts[static_cast<std::size_t>(in.part)];
    SPartInstance* pi = module->CreatePartInstance(in.name.c_str(), m.cell);
    check(pi);
    if (!pi) return -1;
    pi->SetRefDes(in.name.c_str());
    pi->SetX(in.x, TAVRIN_UNIT_INTERNAL);
    pi->SetY(in.y, TAVRIN_UNIT_INTERNAL);
    pi->SetRotation(in.rotation);
    pi->SetLayer(in.layer);
    pi->SetAttribute("VALUE", in.value.c_str());
    made += kPerAttribute;
    std::vector<SPortInstanceScalar*> pins;
    pins.reserve(static_cast<std::size_t>(t.pins));
    for (int p = 0; p < t.pins; ++p) {
      const char* name = m.pins[static_cast<std::size_t>(p)]->GetName();
      SPortInstanceScalar* at = pi->CreatePortInstanceScalar(name);
      SPartPinInstance* ppi = pi->CreatePartPinInstance(name);
      check(at);
      check(ppi);
      if (!ok) return -1;
      at->SetPort(m.ports[static_cast<std::size_t>(p)]);
      ppi->SetPartPin(m.pins[static_cast<std::size_t>(p)]);
      ppi->SetPortInstanceScalar(at);
      ppi->SetPadStack(padStacks[static_cast<std::size_t>(t.padStack)]);
      at->SetPartPinInstance(ppi);
      pins.push_back(at);
    }
    pinsOf.push_back(std::move(pins));
  }

  std::vector<SNetScalar*> nets;
  nets.reserve(plan.nets.size());
  for (const BoardPlan::Net& n : plan.nets) {
    SNetScalar* net = module->CreateNetScalar(n.name.c_str());
    check(net);
    if (!net) return -1;
    if (n.power) {
      net->SetVoltage(n.name == "VCC" ? 3.3f : 0.0f);
      net->SetbConstantVoltage(true);
    }
    if (n.maxLength) {
      if (!net->SetConstraint("MAX_LENGTH", n.maxLength, 0)) return -1;
      made += kPerConstraint;
    }
    for (const std::pair<int, int>& pin : n.pins) {
      SPortInstanceScalar* at = pinsOf[static_cast<std::size_t>(pin.first)][static_cast<std::size_t>(pin.second)];
      net->InsertPortInstanceScalar(at);
      at->SetNetScalar(net);
    }
    nets.push_back(net);
  }
  for (std::size_t b = 0; b < plan.buses.size(); ++b) {
    SNetBus* bus = module->CreateNetBus(("BUS" + std::to_string(b)).c_str());
    check(bus);
    if (!bus) return -1;
    bus->SetSize(static_cast<int>(plan.buses[b].size()));
    for (std::size_t i = 0; i < plan.buses[b].size(); ++i)
      bus->SetNetScalar(static_cast<int>(i), nets[static_cast<std::size_t>(plan.buses[b][i])]);
  }
  std::vector<SElectricalNet*> electrical;
  for (const std::pair<int, int>& e : plan.electricalNets) {
    SNetScalar* a = nets[static_cast<std::size_t>(e.first)];
    SNetScalar* b = nets[static_cast<std::size_t>(e.second)];
    SElectricalNet* en = module->CreateElectricalNet((std::string("E_") + a->GetName()).c_str());
    check(en);
    if (!en) return -1;
    en->InsertNetScalar(a);
    en->InsertNetScalar(b);
    a->SetElectricalNet(en);
    b->SetElectricalNet(en);
    electrical.push_back(en);
  }
  // One differential pair over the first two electrical nets, and the
  // partner names of its first nets.
  if (electrical.size() >= 2) {
    check(module->CreateDiffPair2("DP0", electrical[0], electrical[1]));
    module->CreateDiffPair(nets[static_cast<std::size_t>(plan.electricalNets[0].first)],
                           nets[static_cast<std::size_t>(plan.electricalNets[1].first)]);
  }
  return ok ? made : -1;
}

}  // namespace tavrin_bench
