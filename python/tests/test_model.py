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


def test_routing_families(board, tmp_path):
    module = board.projects["board"].designs["TOP"].representations["pcb"]
    net = module.nets["N1"]
    pin = module.cell_instances["U1"].port_instances["OUT"]
    vp = net.create_virtual_pin("V1")
    net.create_virtual_pin("V2").is_guide_pin = True
    vp.set_x(2.0, "mm")
    assert list(net.virtual_pins) == ["V2", "V1"] and net.virtual_pins["V1"] == vp == net.get_virtual_pin("V1")
    assert vp.x("mm") == pytest.approx(2.0) and vp.net_scalar == net
    ft = net.create_from_to("F1")
    net.create_routed_from_to("R1")
    assert "F1" in net.from_tos and "F1" not in net.routed_from_tos and list(net.routed_from_tos) == ["R1"]
    assert ft.insert_pin(pin) and ft.insert_pin(vp) and not ft.insert_pin(vp)
    assert [p.kind for p in ft.pins] == ["VirtualPin", "PortInstanceScalar"]
    seg, node = net.create_segment(), net.create_physical_node()
    assert seg.insert_endpoint(node) and node.insert_segment(seg) and ft.insert_segment(seg)
    node.virtual_pin, seg.impedance = vp, 50.0
    path = str(tmp_path / "r.tdb")
    board.save(path)
    with tavrin.Session.load(path) as copy:
        back = copy.projects["board"].designs["TOP"].representations["pcb"].nets["N1"]
        assert sorted(back.virtual_pins) == ["V1", "V2"] and list(back.from_tos) == ["F1"]
        assert back.segments[0].impedance == 50.0 and back.physical_nodes[0].virtual_pin.name == "V1"
        assert back.from_tos["F1"].segments == back.segments
    # Named destroys unlink; destroying a segment or node deletes it.
    del net.virtual_pins["V2"], net.from_tos["F1"]
    assert len(net.virtual_pins) == 1 and len(net.from_tos) == 0 and ft.alive
    ft.remove_segment(seg)
    node.remove_segment(seg)
    stranger = module.create_net_scalar("N2").create_physical_node()
    assert net.destroy_segment(seg) and not net.destroy_physical_node(stranger) and stranger.alive
    with pytest.raises(tavrin.Error, match="no longer exists"):
        seg.endpoints
    assert net.destroy_physical_node(node)
    with pytest.raises(tavrin.Error):
        net.destroy_physical_node(node)
    assert net.physical_nodes == [] and net.segments == []


def test_sheet_and_slot_families(board):
    project = board.projects["board"]
    top, chip = project.designs["TOP"], project.designs["CHIP"]
    sch = top.create_schematic_representation("sch")
    sheets = sch.schematic_sheets
    s2, s1 = sch.create_schematic_sheet(2), sch.create_schematic_sheet(1)
    assert list(sheets) == [1, 2] and sheets[2] == s2 and 1 in sheets and "1" not in sheets and len(sheets) == 2
    gci = sch.create_generic_cell_instance("G1", chip)
    assert s1.insert_generic_cell_instance(gci) and not s1.insert_generic_cell_instance(gci)
    gci.schematic_sheet = s1
    assert gci.schematic_sheet == s1 and s1.generic_cell_instances == [gci]
    del sheets[2]
    with pytest.raises(KeyError):
        del sheets[2]
    assert list(sheets) == [1] and s2.alive  # unlinked, not deleted
    slot = top.create_member_slot(3)
    slot.member_cell = chip
    assert top.member_slots[3] == slot and list(top.member_slots) == [3] and slot.number == 3
    u1 = top.representations["pcb"].cell_instances["U1"]
    si = u1.create_member_slot_instance(7)
    si.slot, si.gate_name = slot, "A"
    assert u1.member_slot_instances.items() == [(7, si)] and si.slot.member_cell == chip and si.gate_name == "A"
    assert top.representations["pcb"].destroy_cell_instance("U1")  # the instance deletes its slot instances
    with pytest.raises(tavrin.Error, match="no longer exists"):
        si.gate_name


def test_rule_context_and_generic_object_families(board):
    module = board.projects["board"].designs["TOP"].representations["pcb"]
    rule = module.create_cond_rule("N1", "Net", "GND", "Class")
    assert (rule.source, rule.source_type, rule.target_type) == ("N1", "Net", "Class")
    assert module.get_cond_rule("N1", "Net", "GND", "Class") == rule and module.cond_rules == [rule]
    keep, gone = rule.create_rule_set("KEEP"), rule.create_rule_set("GONE")
    assert [r.name for r in rule.rule_sets] == ["GONE", "KEEP"] and rule.get_rule_set("KEEP") == keep
    assert rule.destroy_rule_set(gone) and not gone.alive and rule.rule_sets == [keep]
    assert module.destroy_cond_rule(rule) and module.cond_rules == []
    with pytest.raises(tavrin.Error):
        rule.source
    with pytest.raises(tavrin.Error):
        keep.name  # deleted with its rule

    ctx = module.create_context("C1")
    ctx.create_attribute("a").value = 3
    ctx.create_property("p").value = "x"
    assert sorted(ctx.assignments) == ["a", "p"] and ctx.assignments["a"].value == 3
    assert [p.kind for p in ctx.properties] == ["Property"] and module.contexts["C1"] == ctx
    del ctx.assignments["a"]
    assert "a" not in ctx.assignments and ctx.attributes == []
    del module.contexts["C1"]
    assert len(module.contexts) == 0 and ctx.alive

    kind = module.create_object_type("BOX")
    outer = kind.create_object("outer")
    inner, other = outer.create_object("inner"), outer.create_object("other")
    assert kind.objects == [outer] and outer.children == [inner, other] and inner.parent == outer
    assert inner.object_type == kind and module.object_types["BOX"] == kind
    assert outer.delete_object(inner) and not outer.delete_object(kind.create_object("loose"))
    assert not inner.alive and outer.children == [other]
    del module.object_types["BOX"]  # deletes the type with every object of it
    assert "BOX" not in module.object_types
    for dead in (kind, outer, other):
        with pytest.raises(tavrin.Error, match="no longer exists"):
            dead.kind
