#!/usr/bin/python3
"""Mutation testing: applies each mutation of mutations.txt alone to a copy of
the tree, rebuilds the library's objects and the unit test programs, and runs
them (the suggested killers first, each program stopping at its first
failure). Writes a report of killed, surviving and not applicable mutations.

  tools/mutate/mutate.py [--report docs/mutation-report.md] [--only ID,...]

Each entry of mutations.txt is four lines: "id folder/file.cpp", the exact
text to replace, its replacement, and the test programs to try first; a
blank line ends it. A text that is not found once in the file (the code
moved) makes the mutation "not applicable".
"""
import argparse, os, shutil, subprocess, sys, time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# Each run needs a scratch folder of its own; parallel runs set TAVRIN_MUTATE_SCRATCH.
SCRATCH = os.environ.get("TAVRIN_MUTATE_SCRATCH", "/tmp/tavrin-mutate")


def sh(cmd, cwd, timeout=None):
    try:
        r = subprocess.run(cmd, cwd=cwd, shell=True, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           timeout=timeout)
        return r.returncode, r.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return -1, "timed out"


def load(path):
    entries, block = [], []
    for line in open(path).read().split("\n") + [""]:
        if line.startswith("#"):
            continue
        if line == "":
            if block:
                head = block[0].split()
                unesc = lambda s: s.replace("\\n", "\n")
                entries.append({"id": head[0], "file": head[1], "old": unesc(block[1]), "new": unesc(block[2]),
                                "first": block[3].split() if len(block) > 3 else []})
            block = []
        else:
            block.append(line)
    return entries


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--report", default=os.path.join(ROOT, "docs", "mutation-report.md"))
    ap.add_argument("--only", default="")
    args = ap.parse_args()
    muts = load(os.path.join(ROOT, "tools", "mutate", "mutations.txt"))
    if args.only:
        keep = set(args.only.split(","))
        muts = [m for m in muts if m["id"] in keep]
    os.makedirs(SCRATCH, exist_ok=True)
    src, build = SCRATCH + "/src", SCRATCH + "/build"
    # A fresh copy of the tree; copy2 keeps the times, so an unchanged file
    # is not rebuilt by a later run.
    shutil.rmtree(src, ignore_errors=True)
    shutil.copytree(ROOT, src, copy_function=shutil.copy2,
                    ignore=shutil.ignore_patterns("build*", ".git", "__pycache__"))
    env = "CCACHE_DIR=%s/ccache " % SCRATCH
    if not os.path.exists(build + "/CMakeCache.txt"):
        sh(env + "cmake -S %s -B %s -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIN_BUILD_BENCH=OFF -DTAVRIN_PYTHON=OFF "
           "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache" % (src, build), src)
    rc, out = sh(env + "cmake --build %s -j2" % build, src)
    if rc != 0:
        sys.exit("the unmutated tree does not build:\n" + out[-3000:])
    progs = sorted(f[:-4] for f in os.listdir(src + "/tests") if f.endswith("_test.cpp"))
    results = []
    for m in muts:
        path = os.path.join(src, m["file"])
        text = open(path).read() if os.path.exists(path) else ""
        if text.count(m["old"]) != 1:
            results.append((m, "not applicable", "text found %d times" % text.count(m["old"])))
            continue
        open(path, "w").write(text.replace(m["old"], m["new"]))
        verdict, by = "survived", ""
        try:
            rc, out = sh(env + "cmake --build %s -j2 --target tavrin_objects" % build, src)
            if rc != 0:
                verdict, by = "killed", "the compiler"
            else:
                first = [p for p in m["first"] if p in progs]
                order = first + [p for p in progs if p not in m["first"]]
                # The suggested programs are linked one by one; if none of
                # them fails, the rest are linked together, two at a time.
                for i, p in enumerate(order):
                    if i == len(first):
                        rc, out = sh(env + "cmake --build %s -j2 --target %s" % (build, " ".join(order[i:])), src)
                    elif i < len(first):
                        rc, out = sh(env + "cmake --build %s -j2 --target %s" % (build, p), src)
                    if rc != 0:
                        verdict, by = "killed", "the compiler (%s)" % p
                        break
                    rc, out = sh("./%s --gtest_brief=1 --gtest_break_on_failure=0" % p, build + "/tests", 120)
                    if rc != 0:
                        # The library's own diagnostics may precede the marker on its line.
                        failed = [l.split("[  FAILED  ]", 1)[1].split()[0] for l in out.splitlines()
                                  if "[  FAILED  ]" in l and "," not in l]
                        verdict, by = "killed", "%s %s" % (p, failed[0] if failed else "(crash or time-out)")
                        break
        finally:
            open(path, "w").write(text)
        results.append((m, verdict, by))
        print("%-28s %-15s %s" % (m["id"], verdict, by), flush=True)
    sh(env + "cmake --build %s -j2 --target tavrin_objects" % build, src)  # back to the unmutated objects
    applicable = [r for r in results if r[1] != "not applicable"]
    killed = [r for r in applicable if r[1] == "killed"]
    score = 100.0 * len(killed) / len(applicable) if applicable else 0.0
    with open(args.report, "w") as f:
        f.write("# Mutation report\n\nRun of %s: %d mutations, %d applicable, %d killed by the unit tests: "
                "**%.1f%%**.\n\n| id | file | result | by |\n|---|---|---|---|\n"
                % (time.strftime("%Y-%m-%d"), len(results), len(applicable), len(killed), score))
        for m, v, by in results:
            f.write("| %s | %s | %s | %s |\n" % (m["id"], m["file"], v, by))
    print("score %.1f%% (%d of %d)" % (score, len(killed), len(applicable)))


if __name__ == "__main__":
    main()
