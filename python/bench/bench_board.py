"""Builds, saves and restores the generated board of bench/board_generator from
Python and compares the times with the C++ build (bench_model --phase).

    PYTHONPATH=build/python python3 python/bench/bench_board.py [--size N] [--runs R] [--cpp build/bench/bench_model]

The plan is drawn exactly as board_generator.cpp draws it (the same seeded
generator, proportions and order), so both sides build the same board.
Each phase reports its best of R runs; the ratios are Python / C++.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import time

import tavrin

MASK = (1 << 64) - 1


class Random:
    """The 64-bit generator of board_generator.cpp."""

    def __init__(self, seed):
        self.state = (seed * 0x9E3779B97F4A7C15 + 1) & MASK

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & MASK
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK
        return z ^ (z >> 31)

    def below(self, n):
        return self.next() % n

    def between(self, lo, hi):
        return lo + self.below(hi - lo + 1)


# prefix, pins, part type, share in percent
KINDS = [("RES", 2, 1, 34), ("CAP", 2, 3, 30), ("LED", 2, 0, 3), ("SOT", 3, 0, 6), ("SO8", 8, 0, 8),
         ("SO14", 14, 0, 5), ("SO16", 16, 0, 4), ("QFP48", 48, 0, 3), ("QFP100", 100, 0, 2), ("CON20", 20, 0, 3),
         ("BGA256", 256, 0, 1), ("TSSOP24", 24, 0, 1)]
VARIANTS = 3
PER_ATTRIBUTE = 2
PER_CONSTRAINT = 2
LAYERS = 8


class Plan:
    pass


def plan_board(objects, seed=13):
    rnd = Random(seed)
    plan = Plan()
    plan.pad_stacks = ["VIA10", "SMD_0402", "SMD_SO", "TH_60", "BGA_20"]
    count = 4 + 2 + LAYERS * 3 + 3 * len(plan.pad_stacks)
    total_share = sum(k[3] for k in KINDS)
    plan.parts = []  # (name, pins, part type, pad stack index, signal types)
    for prefix, pins, part_type, _ in KINDS:
        for v in range(VARIANTS):
            passive = part_type in (1, 3)
            signals = [0 if passive else 2 if (p + v) % 5 == 0 else 3 if (p + v) % 5 == 4 else 1 for p in range(pins)]
            pad = 1 if pins == 2 else 4 if pins >= 256 else 2 if pins >= 20 else 3
            plan.parts.append((f"{prefix}_{chr(65 + v)}", pins, part_type, pad, signals))
            count += 5 + 3 * pins
    plan.nets = [["GND", [], True, 0], ["VCC", [], True, 0]]
    count += 2
    plan.instances = []  # (part, name, x, y, rotation, layer, value)
    signal_pins = []
    side = 1 << 20
    while count < objects:
        r = rnd.below(total_share * VARIANTS)
        kind = 0
        while r >= KINDS[kind][3] * VARIANTS:
            r -= KINDS[kind][3] * VARIANTS
            kind += 1
        part = kind * VARIANTS + r % VARIANTS
        prefix = KINDS[kind][0]
        name = ("R" if prefix[0] == "R" else "C" if prefix[0] == "C" else "U") + str(len(plan.instances) + 1)
        x = rnd.below(side)
        y = rnd.below(side)
        rotation = 90 * rnd.below(4)
        layer = LAYERS if rnd.below(8) == 0 else 1
        value = str(rnd.between(1, 999)) + ("R" if KINDS[kind][2] == 1 else "N")
        inst = len(plan.instances)
        plan.instances.append((part, name, x, y, rotation, layer, value))
        pins = plan.parts[part][1]
        count += 1 + 2 * pins + PER_ATTRIBUTE
        for p in range(pins):
            if pins >= 8 and p % 5 == 4:
                plan.nets[p % 2][1].append((inst, p))
            else:
                signal_pins.append((inst, p))
        count += pins * 10 // 27 + (pins * 10 // 27) * PER_CONSTRAINT // 10
    window = 256
    for start in range(0, len(signal_pins), window):
        end = min(len(signal_pins), start + window)
        for i in range(end - 1, start, -1):
            j = start + rnd.below(i - start + 1)
            signal_pins[i], signal_pins[j] = signal_pins[j], signal_pins[i]
    i = 0
    while i < len(signal_pins):
        n = min(len(signal_pins) - i, rnd.between(2, 4))
        max_length = rnd.between(1000, 50000) if rnd.below(10) == 0 else 0
        plan.nets.append([f"N{len(plan.nets) - 1}", signal_pins[i:i + n], False, max_length])
        i += n
    plan.buses = []
    for first in range(2, len(plan.nets) - 15, 64):
        width = 16 if rnd.below(2) else 8
        plan.buses.append(list(range(first, first + width)))
    plan.electrical_nets = [(f, f + 1) for f in range(40, len(plan.nets) - 1, 100)]
    plan.objects = (4 + 2 + LAYERS * 3 + 3 * len(plan.pad_stacks) + sum(5 + 3 * p[1] for p in plan.parts)
                    + sum(1 + 2 * plan.parts[i[0]][1] + PER_ATTRIBUTE for i in plan.instances)
                    + sum(1 + (PER_CONSTRAINT if n[3] else 0) for n in plan.nets)
                    + len(plan.buses) + len(plan.electrical_nets) + 3)
    return plan


def build_board(s, plan):
    """Builds the plan in session `s` through the module, call for call as BuildBoard does."""
    project = s.create_project("board")
    packages = s.create_package_library("packages")
    pads = s.create_pad_stack_library("padstacks")
    pad_stacks = []
    for name in plan.pad_stacks:
        ps = pads.create_pad_stack(name)
        ps.bottom_layer = 1
        ps.top_layer = LAYERS
        ps.create_pad(1)
        ps.create_pad(LAYERS)
        pad_stacks.append(ps)
    made = []
    for name, pins, part_type, _, signals in plan.parts:
        cell = project.create_design_cell(name)
        iface = cell.create_interface()
        part = cell.create_part(name)
        package = packages.create_package(name)
        part.part_type = part_type
        part.add_package(package)
        package.x_length = 100 * pins
        package.y_length = 60 + 10 * pins
        ports, part_pins = [], []
        for p in range(pins):
            pin = str(p + 1)
            port = iface.create_port_scalar(pin)
            part_pin = part.create_part_pin(pin)
            package_pin = package.create_package_pin()
            port.signal_type = signals[p]
            package_pin.name = pin
            package_pin.x = 50 * (p // 2)
            package_pin.y = 100 if p % 2 else 0
            part_pin.x = 50 * (p // 2)
            part_pin.y = 100 if p % 2 else 0
            part_pin.package_pin = package_pin
            ports.append(port)
            part_pins.append((pin, part_pin))
        made.append((cell, ports, part_pins))
    top = project.create_design_cell("top")
    project.insert_top_cell(top)
    module = top.create_module("board")
    stack_up = module.create_layout().create_stack_up()
    for n in range(1, LAYERS + 1):
        layer = stack_up.create_layer(n)
        if n in (2, LAYERS - 1):
            layer.create_power_plane_region(f"P{n}")
        else:
            layer.create_signal_region(f"S{n}")
        layer.create_insulator_region(f"I{n}")
    pins_of = []
    for part, name, x, y, rotation, layer, value in plan.instances:
        cell, ports, part_pins = made[part]
        pad_stack = pad_stacks[plan.parts[part][3]]
        pi = module.create_part_instance(name, cell)
        pi.ref_des = name
        pi.set_x(x, "internal")
        pi.set_y(y, "internal")
        pi.rotation = rotation
        pi.layer = layer
        pi.set_attribute("VALUE", value)
        pins = []
        for port, (pin_name, part_pin) in zip(ports, part_pins):
            at = pi.create_port_instance_scalar(pin_name)
            ppi = pi.create_part_pin_instance(pin_name)
            at.port = port
            ppi.part_pin = part_pin
            ppi.port_instance_scalar = at
            ppi.pad_stack = pad_stack
            at.part_pin_instance = ppi
            pins.append(at)
        pins_of.append(pins)
    nets = []
    for name, net_pins, power, max_length in plan.nets:
        net = module.create_net_scalar(name)
        if power:
            net.voltage = 3.3 if name == "VCC" else 0.0
            net.constant_voltage = True
        if max_length:
            net.set_constraint("MAX_LENGTH", max_length, 0)
        for inst, p in net_pins:
            net.connect(pins_of[inst][p])
        nets.append(net)
    for b, members in enumerate(plan.buses):
        bus = module.create_net_bus(f"BUS{b}")
        bus.size = len(members)
        for i, n in enumerate(members):
            bus.set_net_scalar(i, nets[n])
    electrical = []
    for a, b in plan.electrical_nets:
        en = module.create_electrical_net("E_" + nets[a].name)
        en.insert_net_scalar(nets[a])
        en.insert_net_scalar(nets[b])
        nets[a].electrical_net = en
        nets[b].electrical_net = en
        electrical.append(en)
    if len(electrical) >= 2:
        module.create_diff_pair2("DP0", electrical[0], electrical[1])
        module.create_diff_pair_nets(nets[plan.electrical_nets[0][0]], nets[plan.electrical_nets[1][0]])


def cpp_best(cpp, phase, size, folder):
    out = subprocess.run([cpp, "--phase", phase, str(size), folder], check=True, capture_output=True, text=True).stdout
    return min(float(t) for t in re.findall(rf"^{phase} ([0-9.]+) s", out, re.M))


def best(runs, work):
    times = []
    for _ in range(runs):
        t = time.perf_counter()
        work()
        times.append(time.perf_counter() - t)
    return min(times)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = os.path.dirname(os.path.abspath(__file__))
    ap.add_argument("--size", type=int, default=100000)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--cpp", default=os.path.join(here, "..", "..", "build", "bench", "bench_model"))
    args = ap.parse_args()

    plan = plan_board(args.size)
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "py.tvn")

        def build_once():
            with tavrin.Session() as s:
                build_board(s, plan)

        py_build = best(args.runs, build_once)
        with tavrin.Session() as s:
            build_board(s, plan)
            py_save = best(args.runs, lambda: s.save(path))
        py_restore = best(args.runs, lambda: tavrin.Session.load(path).close())
        size = os.path.getsize(path)
        cpp = {p: cpp_best(args.cpp, p, args.size, folder) for p in ("build", "save", "restore")}

    per = lambda t: t / plan.objects * 1e9  # noqa: E731
    print(f"board of {plan.objects} objects ({size} bytes), best of {args.runs}")
    print(f"{'phase':8} {'Python s':>10} {'C++ s':>10} {'Python ns/obj':>14} {'C++ ns/obj':>11} {'ratio':>7}")
    for name, py in (("build", py_build), ("save", py_save), ("restore", py_restore)):
        print(f"{name:8} {py:10.4f} {cpp[name]:10.4f} {per(py):14.0f} {per(cpp[name]):11.0f} {py / cpp[name]:7.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
