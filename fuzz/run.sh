#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each one for a while.
# usage: fuzz/run.sh [seconds per harness, default 60] [harness names...]
#        fuzz/run.sh --check    only checks that every seed fits its harness's length
# Logs and crash inputs go to build-fuzz/logs and build-fuzz/artifacts.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${FUZZ_BUILD:-$here/../build-fuzz}"

# The input length of a harness: corpus/<name>.max_len, else 256.
max_len() {
  if [ -f "$here/corpus/$1.max_len" ]; then cat "$here/corpus/$1.max_len"; else echo 256; fi
}

# The size of the harness's largest seed (0 without seeds).
largest_seed() {
  [ -d "$here/corpus/$1" ] || { echo 0; return; }
  find "$here/corpus/$1" -type f -printf '%s\n' | sort -n | tail -n 1 | grep . || echo 0
}

# The harnesses fuzz/CMakeLists.txt declares.
harnesses() {
  grep -oE '^velmora_fuzzer\([a-z0-9_]+' "$here/CMakeLists.txt" | cut -d'(' -f2
}

# libFuzzer cuts every input to the length, seeds included: a seed longer
# than it loses what made it worth keeping.
check_lengths() {
  local bad=0 name
  for name in $(harnesses); do
    if [ "$(largest_seed "$name")" -ge "$(max_len "$name")" ]; then
      echo "$name: a seed of $(largest_seed "$name") bytes does not fit max_len $(max_len "$name")"
      bad=1
    fi
  done
  return $bad
}

if [ "${1:-}" = "--check" ]; then
  check_lengths
  exit
fi
check_lengths || exit 1

seconds="${1:-60}"
shift || true

CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$build" -j "${FUZZ_JOBS:-3}" || exit 1

names=("$@")
[ ${#names[@]} -gt 0 ] || mapfile -t names < <(harnesses)
mkdir -p "$build/logs" "$build/artifacts"
failed=0
for name in "${names[@]}"; do
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$here/corpus/$name" ] && seeds=("$here/corpus/$name")
  log="$build/logs/$name.log"
  "$build/fuzz_$name" -max_total_time="$seconds" -max_len="$(max_len "$name")" -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$name-" "$corpus" "${seeds[@]}" >"$log" 2>&1
  status=$?
  runs=$(grep -oE "stat::number_of_executed_units: *[0-9]+" "$log" | grep -oE "[0-9]+$")
  edges=$(grep -oE "cov: [0-9]+" "$log" | tail -n 1 | grep -oE "[0-9]+")
  if [ $status -ne 0 ]; then
    failed=1
    echo "$name: FAILED after ${runs:-?} runs (see $log)"
    grep -E "ERROR|invariant|SUMMARY|artifact" "$log" | head -5
  else
    echo "$name: ${runs:-?} runs, ${edges:-?} edges in ${seconds}s, no failure"
  fi
done
exit $failed
