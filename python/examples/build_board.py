"""Builds the example design of examples/tavrin_example.cpp in Python and saves it.

    PYTHONPATH=build/python python3 python/examples/build_board.py [FILE]
"""
import sys

import tavrin


def build(path):
    with tavrin.Session() as session:
        board = session.create_project("board")
        board.host_cad = "schematic-entry"
        board.units = "mil"
        netlist = board.create_file("board.net")
        netlist.file_kind = "netlist"
        netlist.alias = "main netlist"
        netlist.time_stamp = 1765000000
        board.create_file("board.pxr").file_kind = "xref"

        # Native mode off keeps numbers as text, on as typed values.
        board.set_attribute("revision", "B")
        board.set_attribute("layers", 6)
        tavrin.set_native_mode(True)
        try:
            board.set_attribute("thickness_mm", 1.6)
            board.set_constraint("MAX_VIAS", 12, 0)
        finally:
            tavrin.set_native_mode(False)

        # A project-wide rule whose basis value is a length: 8 mil.
        clearance = board.create_constraint("CLEARANCE")
        holder = board.create_attribute("clearance_value")
        holder.set_length(8.0, "mil")
        clearance.set_basis(holder)
        session.create_project("backplane").host_cad = "layout"

        session.create_package_library("std_packages").location = "/libs/packages"
        session.create_pad_stack_library("std_padstacks")
        session.create_pin_mapping_library("std_pinmaps")
        session.save(path)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "example_design.tdb"
    build(out)
    print(f"saved {out} (format version {tavrin.file_version(out)})")
