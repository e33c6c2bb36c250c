#!/usr/bin/python3
"""Line coverage of the library by the unit tests, and what a change of the
tests loses: builds the tree with clang's source-based coverage in a scratch
folder, runs the unit tests, and prints the library's totals. With --save
the library lines the tests reach are written to a file; with --compare
such a file, every library line reached then and not now is listed.

  tools/coverage/coverage.py [--save FILE] [--compare FILE]

A test trim is sound when --compare lists nothing it did not mean to give
up. The scratch folder is TAVRIN_COVERAGE_SCRATCH (/tmp/tavrin-coverage).
"""
import argparse, glob, json, os, subprocess, sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRATCH = os.environ.get("TAVRIN_COVERAGE_SCRATCH", "/tmp/tavrin-coverage")
LIBRARY = ("core/", "containers/", "persist/", "design/", "connect/", "physical/", "props/", "xref/",
           "platform/", "include/")


def run(cmd, **kw):
    r = subprocess.run(cmd, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **kw)
    if r.returncode != 0:
        sys.exit("failed: %s\n%s%s" % (" ".join(cmd), r.stdout[-3000:], r.stderr[-3000:]))
    return r.stdout


def line_counts(segments):
    """{line: reached} for the lines a file's segments map. A segment
    (line, column, count, has_count, region_entry, gap) sets the count from
    its place on; a line is reached when the count it starts with (that of
    the last earlier segment) or that of a region entered on it is not 0."""
    out, wrapped, i = {}, None, 0
    last = segments[-1][0] if segments else 0
    for line in range(1, last + 1):
        starts = []
        while i < len(segments) and segments[i][0] == line:
            starts.append(segments[i])
            i += 1
        entries = [s for s in starts if s[3] and s[4] and not (len(s) > 5 and s[5])]
        if entries or (wrapped and wrapped[3]):
            counts = [s[2] for s in entries] + ([wrapped[2]] if wrapped and wrapped[3] else [])
            out[line] = max(counts) > 0
        if starts:
            wrapped = starts[-1]
    return out


def covered_lines(export):
    """{file: [reached lines]} and the number of mapped lines, for the library's files."""
    lines, mapped = {}, 0
    for f in export["data"][0]["files"]:
        name = os.path.relpath(f["filename"], ROOT)
        if not name.startswith(LIBRARY):
            continue
        counts = line_counts(f["segments"])
        mapped += len(counts)
        lines[name] = sorted(n for n, hit in counts.items() if hit)
    return lines, mapped


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--save")
    ap.add_argument("--compare")
    args = ap.parse_args()
    build, prof = SCRATCH + "/build", SCRATCH + "/profiles"
    flags = "-fprofile-instr-generate -fcoverage-mapping"
    if not os.path.exists(build + "/CMakeCache.txt"):
        run(["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=Debug", "-DCMAKE_C_COMPILER=clang-14",
             "-DCMAKE_CXX_COMPILER=clang++-14", "-DCMAKE_CXX_FLAGS=" + flags,
             "-DCMAKE_EXE_LINKER_FLAGS=-fprofile-instr-generate", "-DCMAKE_SHARED_LINKER_FLAGS=-fprofile-instr-generate",
             "-DTAVRIN_BUILD_BENCH=OFF", "-DTAVRIN_PYTHON=OFF", "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"])
    run(["cmake", "--build", build, "-j2"])
    for old in glob.glob(prof + "/*.profraw"):
        os.remove(old)
    os.makedirs(prof, exist_ok=True)
    env = dict(os.environ, LLVM_PROFILE_FILE=prof + "/%p-%m.profraw")
    run(["ctest", "--test-dir", build, "-L", "unit", "-j2"], env=env)
    run(["llvm-profdata-14", "merge", "-sparse", *glob.glob(prof + "/*.profraw"), "-o", SCRATCH + "/unit.profdata"])
    # The tests link the library's objects, so each test program is an object too.
    # (Programs whose source has gone since an earlier build are left out.)
    programs = [p for p in glob.glob(build + "/tests/*_test")
                if os.path.exists(os.path.join(ROOT, "tests", os.path.basename(p) + ".cpp"))]
    objects = [build + "/libtavrin50.so"] + ["-object=" + p for p in programs]
    export = json.loads(run(["llvm-cov-14", "export", *objects, "-instr-profile=" + SCRATCH + "/unit.profdata"]))
    lines, total = covered_lines(export)
    reached = sum(len(v) for v in lines.values())
    print("library lines reached by the unit tests: %d of %d instrumented (%.1f%%)" % (reached, total,
                                                                                      100.0 * reached / max(total, 1)))
    if args.save:
        json.dump(lines, open(args.save, "w"), indent=0)
    if args.compare:
        before = json.load(open(args.compare))
        lost = 0
        for name in sorted(before):
            gone = sorted(set(before[name]) - set(lines.get(name, [])))
            if gone:
                lost += len(gone)
                source = open(os.path.join(ROOT, name)).read().split("\n")
                for n in gone:
                    print("lost %s:%d: %s" % (name, n, source[n - 1].strip() if n <= len(source) else ""))
        print("%d library lines no longer reached" % lost)


if __name__ == "__main__":
    main()
