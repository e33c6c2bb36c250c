"""Run by the python_install test with PYTHONPATH set to an install prefix's
site-packages: the module, its stubs and the library all come from PREFIX."""
import os
import sys
import tempfile

prefix = os.path.realpath(sys.argv[1])
import tavrin  # noqa: E402

here = os.path.dirname(os.path.realpath(tavrin.__file__))
assert here.startswith(prefix + os.sep), here
assert os.path.exists(os.path.join(here, "__init__.pyi")) and os.path.exists(os.path.join(here, "py.typed"))
with open("/proc/self/maps") as maps:
    libs = {line.split()[-1] for line in maps if "libtavrin50" in line}
assert libs and all(os.path.realpath(lib).startswith(prefix + os.sep) for lib in libs), libs
with tempfile.TemporaryDirectory() as folder, tavrin.Session() as s:
    s.create_project("p").create_design_cell("C")
    s.save(os.path.join(folder, "p.tdb"))
    assert "C" in tavrin.Session.load(os.path.join(folder, "p.tdb")).projects["p"].designs
print("imported tavrin", tavrin.version(), "from", here)
