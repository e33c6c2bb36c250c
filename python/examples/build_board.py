"""Builds the example board of examples/tavrin_example.cpp in Python and saves it.

The same steps in the same order, so the file has the C++ example's very bytes:
package and pad-stack libraries, a microcontroller, connectors, resistors and
capacitors as parts, a module with placed part instances, nets, a differential
pair, a two-layer stack-up, constraints and rules.

    PYTHONPATH=build/python python3 python/examples/build_board.py [FILE]
"""
import sys

import tavrin

POWER, IN, OUT, BIDIR = 0, 1, 2, 3              # port signal types
RESISTOR, IC, CAPACITOR, CONNECTOR = 1, 2, 3, 4  # part types

MCU_PINS = [("VDD", POWER, -150, 150), ("GND", POWER, -150, 50), ("TX", OUT, -150, -50),
            ("RX", IN, -150, -150), ("USB_DP", BIDIR, 150, -150), ("USB_DM", BIDIR, 150, -50),
            ("LED", OUT, 150, 50), ("RESET", IN, 150, 150)]
USB_PINS = [("VBUS", POWER, -150, 0), ("DM", BIDIR, -50, 0), ("DP", BIDIR, 50, 0), ("GND", POWER, 150, 0)]
HEADER_PINS = [("1", IN, 0, 150), ("2", OUT, 0, 50), ("3", POWER, 0, -50), ("4", POWER, 0, -150)]
TWO_PINS = [("1", POWER, -30, 0), ("2", POWER, 30, 0)]

# cell, part type, package, pad stack, outline (mils), power (W), pins
PARTS = [("MCU", IC, "QFN8", "SMD_PAD", 400, 400, 0.25, MCU_PINS),
         ("USB_B", CONNECTOR, "USB_MICRO", "SMD_PAD", 300, 200, 0.0, USB_PINS),
         ("HEADER4", CONNECTOR, "HDR_1X4", "TH_PIN", 100, 400, 0.0, HEADER_PINS),
         ("RES", RESISTOR, "R0603", "SMD_PAD", 60, 30, 0.1, TWO_PINS),
         ("CAP", CAPACITOR, "C0603", "SMD_PAD", 60, 30, 0.0, TWO_PINS)]

# name, bottom and top layer, pad size in mils
PAD_STACKS = [("SMD_PAD", 1, 1, 24, 32), ("TH_PIN", 1, 2, 60, 60), ("VIA", 1, 2, 20, 20)]


def create_libraries(session):
    session.create_package_library("packages").location = "lib/packages"
    pad_stacks = session.create_pad_stack_library("pad_stacks")
    pad_stacks.location = "lib/pad_stacks"
    for name, bottom, top, x, y in PAD_STACKS:
        ps = pad_stacks.create_pad_stack(name)
        ps.bottom_layer = bottom
        ps.top_layer = top
        ps.set_x_extent(x, "mil")
        ps.set_y_extent(y, "mil")
        for layer in range(bottom, top + 1):
            pad = ps.create_pad(layer)
            pad.set_x(x, "mil")
            pad.set_y(y, "mil")


def create_part_cell(session, project, row):
    cell_name, part_type, package_name, pad_stack, width, height, power, pins = row
    package = session.get_library("packages").create_package(package_name)
    package.x_length = width
    package.y_length = height
    package.power = power
    cell = project.create_design_cell(cell_name)
    iface = cell.create_interface()
    part = cell.create_part(cell_name)
    part.part_type = part_type
    part.add_package(package)
    part.selected_package = package
    part.set_attribute("PAD_STACK", session.get_library("pad_stacks").get_pad_stack(pad_stack).name)
    for name, signal, x, y in pins:
        iface.create_port_scalar(name).signal_type = signal
        package_pin = package.create_package_pin()
        package_pin.name = name
        package_pin.x = x
        package_pin.y = y
        pin = part.create_part_pin(name)
        pin.x = x
        pin.y = y
        pin.package_pin = package_pin
    return cell


def place(session, board, cell, ref_des, x, y, unit, rotation, layer):
    pi = board.create_part_instance(ref_des, cell)
    board.index_part_instance(pi)
    pi.ref_des = ref_des
    pi.set_x(x, unit)
    pi.set_y(y, unit)
    pi.rotation = rotation
    pi.layer = layer
    part = cell.parts[0]
    pad_stack = session.get_library("pad_stacks").get_pad_stack(part.get_attribute("PAD_STACK"))
    for port in cell.interface.port_scalars:
        at = pi.create_port_instance_scalar(port.name)
        at.port = port
        pin = pi.create_part_pin_instance(port.name)
        pin.part_pin = part.get_part_pin(port.name)
        pin.port_instance_scalar = at
        pin.pad_stack = pad_stack
        at.part_pin_instance = pin
    return pi


def connect(board, net, pins):
    """Connects pins named 'REFDES.PIN' to the net, on both sides."""
    for name in pins:
        ref_des, pin = name.split(".", 1)
        net.connect(board.part_instance_index[ref_des].get_port_instance(pin))


def create_stack_up(session, board):
    stack_up = board.create_layout().create_stack_up()
    stack_up.name = "2_LAYER_1.6MM"
    top = stack_up.create_layer(1)
    bottom = stack_up.create_layer(2)
    for i, (layer, name) in enumerate(((top, "TOP"), (bottom, "BOTTOM"))):
        layer.name = name
        layer.layer_type = "SIGNAL"
        layer.conductor = "COPPER"
        layer.dielectric_name = "FR4"
        layer.dielectric_constant = 4.5
        layer.set_thickness(1.4, "mil")
        layer.set_via_diameter(0.3, "mm")
        layer.stack_up = stack_up
        region = layer.create_signal_region("TOP_ROUTING" if i == 0 else "BOTTOM_ROUTING")
        region.set_trace_width(6, "mil")
        region.set_trace_spacing(6, "mil")
    bottom.create_power_plane_region("GND_POUR").plane_type = "GND"
    top.next_layer = bottom
    stack_up.top_layer = top
    stack_up.bottom_layer = bottom
    pad_stacks = session.get_library("pad_stacks")
    for name in ("SMD_PAD", "TH_PIN", "VIA"):
        ps = pad_stacks.get_pad_stack(name)
        stack_up.insert_pad_stack(ps)
        ps.stack_up = stack_up


def create_rules(project, board):
    clearance = project.create_constraint("CLEARANCE")
    basis = project.create_attribute("CLEARANCE_BASIS")
    basis.set_length(6.0, "mil")
    clearance.set_basis(basis)
    max_length = project.create_constraint("MAX_LENGTH")
    limit = project.create_attribute("MAX_LENGTH_BASIS")
    limit.set_length(50.0, "mm")
    max_length.set_basis(limit)
    high_speed = project.create_constraint_set("HIGH_SPEED")
    high_speed.add_constraint(clearance)
    high_speed.add_constraint(max_length)
    project.create_constraint_group("SIGNAL_CLASSES").add_constraint_set(high_speed)

    nets = board.nets
    tavrin.set_native_mode(True)  # numbers as typed values
    try:
        nets["USB_DP"].set_constraint("IMPEDANCE", 90, 0)
        nets["USB_DM"].set_constraint("IMPEDANCE", 90, 0)
        nets["USB_DP"].set_constraint("MAX_SKEW_MM", 0.15, 0)
        nets["VCC"].set_attribute("CURRENT_A", 0.5)
    finally:
        tavrin.set_native_mode(False)
    nets["USB_DP"].create_constraint_instance("HIGH_SPEED", max_length)
    nets["USB_DM"].create_constraint_instance("HIGH_SPEED", max_length)
    # Conditional rules live with the module while it is open (not saved).
    board.create_cond_rule("USB_DP", "Net", "USB_DM", "Net").create_rule_set("DIFF_90R")


def build_board(session):
    project = session.create_project("usb_sensor")
    project.host_cad = "tavrin_example"
    project.units = "mil"
    project.set_attribute("revision", "A")
    create_libraries(session)
    mcu, usb, header, res, cap = (create_part_cell(session, project, row) for row in PARTS)

    top = project.create_design_cell("usb_sensor_board")
    project.insert_top_cell(top)
    board = top.create_module("pcb")
    top.default_representation = board
    board.units = "mil"

    for cell, ref_des, x, y, unit, rotation, layer in (
            (mcu, "U1", 1000, 800, "mil", 0, 1), (usb, "J1", 150, 800, "mil", 90, 1),
            (header, "J2", 1800, 800, "mil", 0, 1), (res, "R1", 33.0, 20.3, "mm", 0, 1),
            (res, "R2", 33.0, 17.8, "mm", 0, 1), (cap, "C1", 22.9, 25.4, "mm", 90, 2),
            (cap, "C2", 27.9, 25.4, "mm", 90, 2)):
        place(session, board, cell, ref_des, x, y, unit, rotation, layer)

    vcc = board.create_net_scalar("VCC")
    vcc.voltage = 3.3
    vcc.constant_voltage = True
    connect(board, vcc, ["U1.VDD", "J1.VBUS", "C1.1", "C2.1", "R2.1", "J2.3"])
    gnd = board.create_net_scalar("GND")
    gnd.voltage = 0.0
    gnd.constant_voltage = True
    connect(board, gnd, ["U1.GND", "J1.GND", "C1.2", "C2.2", "J2.4"])
    connect(board, board.create_net_scalar("UART_TX"), ["U1.TX", "J2.1"])
    connect(board, board.create_net_scalar("UART_RX"), ["J2.2", "U1.RX"])
    connect(board, board.create_net_scalar("LED_DRV"), ["U1.LED", "R1.1"])
    connect(board, board.create_net_scalar("RESET_N"), ["R2.2", "U1.RESET"])

    # The USB data lines: a differential pair, each in an electrical net.
    dp = board.create_net_scalar("USB_DP")
    dm = board.create_net_scalar("USB_DM")
    connect(board, dp, ["U1.USB_DP", "J1.DP"])
    connect(board, dm, ["U1.USB_DM", "J1.DM"])
    board.create_diff_pair_nets(dp, dm)
    edp = board.create_electrical_net("USB_DP")
    edm = board.create_electrical_net("USB_DM")
    edp.insert_net_scalar(dp)
    dp.electrical_net = edp
    edm.insert_net_scalar(dm)
    dm.electrical_net = edm
    board.create_diff_pair2("USB", edp, edm)

    create_stack_up(session, board)
    create_rules(project, board)
    return board


def build(path):
    with tavrin.Session() as session:
        build_board(session)
        session.save(path)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "example_board.tdb"
    build(out)
    print(f"saved {out} (format version {tavrin.file_version(out)})")
