"""Name families, values, units, kinds; wrappers of deleted objects raise."""
import pytest

import tavrin


def test_name_families_in_library_order(board):
    project = board.projects["board"]
    designs = project.designs
    assert "TOP" in designs and "top" not in designs and 3 not in designs
    assert len(designs) == 2
    project.create_design_cell("NEW")
    assert list(designs)[0] == "NEW"  # newest first
    assert designs["NEW"] == project.get_design("NEW")
    assert designs.get("nothing") is None
    with pytest.raises(KeyError):
        designs["nothing"]
    with pytest.raises(KeyError):
        del designs["nothing"]
    del board.projects["board"]  # unlinks only: the wrapper stays usable
    assert "board" not in board.projects and project.name == "board"
    lib = board.create_package_library("pk")
    lib.create_package("SO8")
    assert [(k, v.kind) for k, v in board.libraries.items()] == [("pk", "PackageLibrary")]
    assert len(lib.packages) == 1
    del lib.packages["SO8"]
    assert len(lib.packages) == 0


def test_values_units_and_kinds(board):
    p = board.projects["board"]
    tavrin.set_native_mode(False)
    p.set_attribute("layers", 6)
    assert p.get_attribute("layers") == "6"
    tavrin.set_native_mode(True)
    try:
        p.set_attribute("thick", 1.5)
        p.set_constraint("MAX_VIAS", 12, 3)
        p.set_constraint("FLAG", True)
    finally:
        tavrin.set_native_mode(False)
    assert p.get_attribute("thick") == 1.5 and p.get_constraint("MAX_VIAS") == 12
    assert p.get_constraint_drc("MAX_VIAS") == 3 and p.get_constraint("FLAG") is True
    assert p.get_attribute("absent", "dflt") == "dflt"
    a = p.create_attribute("list")
    a.value = [1, "two", [3.5, False]]
    assert a.value == [1, "two", [3.5, False]]
    a.set_length(8.0, "mil")
    assert a.value == tavrin.units.to_units(8.0, "mil") == 8 * 38100
    assert a.length("mm") == pytest.approx(0.2032)
    with pytest.raises(ValueError):
        tavrin.units.to_units(1.0, "furlong")
    with pytest.raises(ValueError):
        p.set_attribute("big", 2**40)
    pi = board.projects["board"].designs["TOP"].representations["pcb"].cell_instances["U1"]
    pi.rotation = 450
    assert pi.rotation == 90 and pi.kind == "PartInstance" and repr(pi) == "<tavrin.PartInstance 'U1'>"
    pi.set_x(1.0, "mm")
    assert pi.x("mm") == pytest.approx(1.0) and pi.x_internal == 1500000


def test_deleted_objects_raise(board):
    project = board.projects["board"]
    top, chip = project.designs["TOP"], project.designs["CHIP"]
    module = top.representations["pcb"]
    u1 = module.cell_instances["U1"]
    pin = u1.port_instances["OUT"]
    net = module.nets["N1"]
    net.remove_port_instance_scalar(pin)
    assert module.destroy_cell_instance("U1")
    for dead in (u1, pin):
        assert not dead.alive
        with pytest.raises(tavrin.Error, match="object no longer exists"):
            dead.name
    assert repr(u1) == "<tavrin object (deleted)>"
    # Replacing an interface deletes the old one with its ports.
    old_port = chip.interface.get_port("IN")
    chip.create_interface()
    with pytest.raises(tavrin.Error):
        old_port.signal_type
    layout = module.create_layout()
    stack = layout.create_stack_up()
    module.create_layout()
    with pytest.raises(tavrin.Error):
        stack.create_layer(1)
    pkg = board.create_package_library("pk").create_package("SO8")
    pin8 = pkg.create_package_pin()
    assert pkg.destroy_package_pin(pin8)
    with pytest.raises(tavrin.Error):
        pin8.x
    # Closing the session kills every wrapper, whichever way it is reached.
    board.close()
    for obj in (project, top, module, net, pkg):
        with pytest.raises(tavrin.Error):
            obj.kind
    with pytest.raises(tavrin.Error):
        board.create_project("x")


def test_objects_of_another_session_are_refused(board):
    with tavrin.Session() as other:
        stranger = other.create_project("p").create_design_cell("C")
        module = board.projects["board"].designs["TOP"].representations["pcb"]
        with pytest.raises(tavrin.Error, match="another session"):
            module.create_part_instance("X", stranger)
        assert "X" not in module.cell_instances


def test_driver_receiver_pairs_and_xref(board, data):
    module = board.projects["board"].designs["TOP"].representations["pcb"]
    assert module.create_all_driver_receiver_pairs(100)
    pairs = module.nets["N1"].driver_receiver_pairs
    assert [p.name for p in pairs] == ["U1.1->U2.1"]
    assert [pin.cell_instance.ref_des for pin in pairs[0].pins] == ["U2", "U1"]
    x = tavrin.Pxr()
    with pytest.raises(tavrin.Error):
        x.load(str(data / "no_such.pxr"))
