// A seeded, deterministic board of a given size, for benchmarks and
// whole-model tests. The plan (plain data, no tavrin objects) is drawn
// first; BuildBoard then makes it in a session through the public
// interface only, so the same plan can be built in other ways too (the
// benchmark's std-container baseline).
//
// The board: one project with a cell per part type (interface, ports with
// signal types, a part with pins on a package), one top cell whose module
// "board" holds the part instances (each pin a port instance scalar and a
// part pin instance on a pad stack), the nets joining nearby pins, power
// nets at constant voltage, buses over runs of signal nets, electrical
// nets over series-connected net pairs, a differential pair, an eight-layer
// stack-up, a package library and a pad-stack library, attributes on every
// part instance and constraints on some nets.
#ifndef TAVRIN_BENCH_BOARD_GENERATOR_H
#define TAVRIN_BENCH_BOARD_GENERATOR_H

#include <cstdint>
#include <string>
#include <vector>

class SSession;

namespace tavrin_bench {

struct BoardPlan {
  struct PartType {
    std::string name;     // also the cell's and the package's name
    int pins = 0;
    int partType = 0;     // 1 and 3 are passive
    int padStack = 0;     // index into padStacks
    std::vector<int> signalTypes;  // per pin: 1 receiver, 2 driver, 3 both, 0 none
  };
  struct Instance {
    int part = 0;
    std::string name;     // also the reference designator
    int x = 0, y = 0, rotation = 0, layer = 1;
    std::string value;    // the "VALUE" attribute
  };
  struct Net {
    std::string name;
    std::vector<std::pair<int, int>> pins;  // (instance, pin index)
    bool power = false;   // constant voltage, never paired
    int maxLength = 0;    // a "MAX_LENGTH" constraint when not 0
  };
  std::vector<PartType> parts;
  std::vector<std::string> padStacks;
  std::vector<Instance> instances;
  std::vector<Net> nets;
  std::vector<std::vector<int>> buses;             // net indices, bit 0 first
  std::vector<std::pair<int, int>> electricalNets;  // net index pairs
  int layers = 8;
  long objects = 0;  // the planned size: about the objects BuildBoard creates
};

// The plan of a board of about `objects` objects; the same seed and size
// give the same plan on every platform.
BoardPlan PlanBoard(long objects, uint32_t seed);

// Builds the plan in `session`; returns the objects created, or -1 when a
// creation failed.
long BuildBoard(SSession* session, const BoardPlan& plan);

}  // namespace tavrin_bench

#endif
