#!/usr/bin/env bash
# Builds the project under the sanitizers in a folder of its own and runs the
# whole suite there; the first report stops the test that made it.
# usage: scripts/sanitize.sh [undefined | address,undefined] [ctest arguments...]
#   undefined (the default) builds in build-ubsan, address,undefined (which
#   also finds leaks) in build-asan; SANITIZE_BUILD names another folder and
#   JOBS sets the parallel jobs (default: all cores).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kind="${1:-undefined}"
shift || true
case "$kind" in
  undefined) folder=build-ubsan ;;
  address,undefined) folder=build-asan ;;
  *) echo "sanitize: undefined or address,undefined, not '$kind'"; exit 2 ;;
esac
build="${SANITIZE_BUILD:-$root/$folder}"
jobs="${JOBS:-$(nproc)}"

export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# Allocations that cannot be made give null, as the C library's do: tests
# check that impossible sizes are refused.
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1"
# Only memory that libraries below Qt keep for the life of the process is
# let through (scripts/lsan.supp says which and why).
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_SANITIZE="$kind"
cmake --build "$build" -j "$jobs"
cd "$build"
ctest --output-on-failure -j "$jobs" "$@"
