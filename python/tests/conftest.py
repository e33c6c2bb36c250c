import os
import pathlib

import pytest

DATA = pathlib.Path(os.environ.get("TAVRIN_TEST_DATA", pathlib.Path(__file__).resolve().parents[2] / "tests" / "data"))


@pytest.fixture
def data():
    return DATA


@pytest.fixture
def board():
    """A session with one project, a cell with a module and two placed parts joined by a net."""
    import tavrin

    s = tavrin.Session()
    project = s.create_project("board")
    top = project.create_design_cell("TOP")
    chip = project.create_design_cell("CHIP")
    iface = chip.create_interface()
    iface.create_port_scalar("OUT").signal_type = 2
    iface.create_port_scalar("IN").signal_type = 1
    module = top.create_module("pcb")
    net = module.create_net_scalar("N1")
    for ref, port in (("U1", "OUT"), ("U2", "IN")):
        pi = module.create_part_instance(ref, chip)
        pi.ref_des = ref
        pin = pi.create_port_instance_scalar(port)
        pin.port = iface.get_port(port)
        ppi = pi.create_part_pin_instance("1")
        pin.part_pin_instance = ppi
        ppi.port_instance_scalar = pin
        net.connect(pin)
    yield s
    s.close()
