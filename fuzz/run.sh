#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each one for a while.
# usage: fuzz/run.sh [seconds per harness, default 60] [harness names...]
# Logs and crash inputs go to build-fuzz/logs and build-fuzz/artifacts.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${FUZZ_BUILD:-$here/../build-fuzz}"
seconds="${1:-60}"
shift || true

CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$build" -j "${FUZZ_JOBS:-3}" || exit 1

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in "$build"/fuzz_*; do names+=("$(basename "$f" | sed 's/^fuzz_//')"); done
fi
mkdir -p "$build/logs" "$build/artifacts"
failed=0
for name in "${names[@]}"; do
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$here/corpus/$name" ] && seeds=("$here/corpus/$name")
  log="$build/logs/$name.log"
  # corpus/<name>.max_len raises the input size for harnesses that read files.
  max_len=256
  [ -f "$here/corpus/$name.max_len" ] && max_len=$(cat "$here/corpus/$name.max_len")
  "$build/fuzz_$name" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$name-" "$corpus" "${seeds[@]}" >"$log" 2>&1
  status=$?
  runs=$(grep -oE "stat::number_of_executed_units: *[0-9]+" "$log" | grep -oE "[0-9]+$")
  if [ $status -ne 0 ]; then
    failed=1
    echo "$name: FAILED after ${runs:-?} runs (see $log)"
    grep -E "ERROR|invariant|SUMMARY|artifact" "$log" | head -5
  else
    echo "$name: ${runs:-?} runs in ${seconds}s, no failure"
  fi
done
exit $failed
