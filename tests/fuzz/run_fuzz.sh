#!/usr/bin/env bash
# Builds the fuzzers with clang and runs each for a bounded time: the
# restore target for SECONDS, the cross-reference loader and the
# single-object files for half as long each.
#   tests/fuzz/run_fuzz.sh [SECONDS]      (default 60)
# Inputs the fuzzer finds go to a scratch folder; a crashing or slow input
# is kept in $BUILD/fuzz-findings: add it to tests/fuzz/corpus/restore/ so
# that the replay test keeps it fixed.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${TAVRIN_FUZZ_BUILD_DIR:-$root/build-fuzz}

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVRIN_BUILD_FUZZ=ON -DTAVRIN_BUILD_TESTS=OFF -DTAVRIN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_restore fuzz_xref fuzz_objects -j2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root"/tests/fuzz/corpus/restore/* "$root"/tests/data/*.tvn "$work"/
findings=$build/fuzz-findings
mkdir -p "$findings"

"$build/tests/fuzz/fuzz_restore" "$work" \
  -dict="$root/tests/fuzz/restore.dict" \
  -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -max_len=16384 \
  -artifact_prefix="$findings/" -print_final_stats=1

mkdir -p "$work/xref"
cp "$root"/tests/fuzz/corpus/xref/* "$work/xref"/
"$build/tests/fuzz/fuzz_xref" "$work/xref" \
  -max_total_time="$(( (seconds + 1) / 2 ))" -timeout=1 -rss_limit_mb=2048 -max_len=4096 \
  -artifact_prefix="$findings/xref-" -print_final_stats=1

mkdir -p "$work/objects"
cp "$root"/tests/fuzz/corpus/objects/* "$work/objects"/
"$build/tests/fuzz/fuzz_objects" "$work/objects" \
  -dict="$root/tests/fuzz/restore.dict" \
  -max_total_time="$(( (seconds + 1) / 2 ))" -timeout=1 -rss_limit_mb=2048 -max_len=4096 \
  -artifact_prefix="$findings/objects-" -print_final_stats=1
