"""Loads a saved board and reports, per module, its part count, its unrouted
nets and its driver-receiver pairs.

    PYTHONPATH=build/python python3 python/examples/board_report.py FILE
"""
import sys

import tavrin


def report(path, out=sys.stdout):
    with tavrin.Session.load(path) as session:
        for pname, project in session.projects.items():
            for cname, cell in project.designs.items():
                for module in cell.modules:
                    out.write(f"{pname}/{cname}/{module.name}: {len(module.part_instances)} part instances\n")
                    unrouted = [n.name for n in module.net_scalars if not n.routed]
                    out.write(f"  unrouted nets ({len(unrouted)}): {' '.join(unrouted)}\n")
                    for net in module.net_scalars:
                        for pair in net.driver_receiver_pairs:
                            out.write(f"  pair {net.name}: {pair.name}\n")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: board_report.py FILE")
    try:
        report(sys.argv[1])
    except tavrin.Error as e:
        sys.exit(f"board_report.py: {e}")
