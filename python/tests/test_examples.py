"""The examples: the Python-built board saves the C++ example's very bytes."""
import io
import os
import pathlib
import subprocess
import sys

import pytest

EXAMPLES = pathlib.Path(__file__).resolve().parents[1] / "examples"
sys.path.insert(0, str(EXAMPLES))

import board_report  # noqa: E402
import build_board  # noqa: E402


def test_build_board_matches_the_cpp_example(tmp_path):
    cpp = os.environ.get("TAVRIN_EXAMPLE")
    if not cpp:
        pytest.skip("TAVRIN_EXAMPLE (the C++ example program) is not set; ctest sets it")
    subprocess.run([cpp, str(tmp_path / "cpp.tdb")], check=True, stdout=subprocess.DEVNULL)
    build_board.build(str(tmp_path / "py.tdb"))
    assert (tmp_path / "py.tdb").read_bytes() == (tmp_path / "cpp.tdb").read_bytes()


def test_board_report(data):
    out = io.StringIO()
    board_report.report(str(data / "pairs.tvn"), out)
    lines = out.getvalue().splitlines()
    assert any(line.endswith("part instances") for line in lines)
    assert any("unrouted nets" in line for line in lines)


def test_type_stubs_match_the_module():
    """The shipped stubs are what make_stubs.py writes from this build: regenerate after a binding changes."""
    root = pathlib.Path(__file__).resolve().parents[1]
    made = subprocess.run([sys.executable, str(root / "make_stubs.py")], check=True, capture_output=True, text=True).stdout
    assert made == (root / "tavrin" / "__init__.pyi").read_text()
