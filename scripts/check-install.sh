#!/usr/bin/env bash
# The library as a program that adopts it sees it: installs the build into
# a prefix of its own, builds the README's examples (examples/SalesReport
# and examples/OrderEntry) against it with find_package, runs the report
# offscreen and reads its one-page report back from the PDF printer: every
# expression printed its value (check-entry-example.sh runs the other).
# Also checks that the README quotes the examples' files as they are.
# usage: check-install.sh <build dir>
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
# Fixed paths, so that ccache finds the examples' objects again.
work=$build/install-check
rm -rf "$work"
mkdir -p "$work/pdf"

fail() { echo "check-install: $*" >&2; exit 1; }

# The README's quotes: the fenced block after "<!-- quote: <file> -->".
for file in SalesReport/CMakeLists.txt SalesReport/SalesReport.cpp OrderEntry/CMakeLists.txt \
            OrderEntry/OrderEntry.cpp; do
  awk -v mark="<!-- quote: examples/$file -->" '
    $0 == mark { found = 1; next }
    found == 1 && /^```/ { found = 2; next }
    found == 2 && /^```/ { exit }
    found == 2 { print }' "$root/README.md" > "$work/quoted"
  diff -u "$root/examples/$file" "$work/quoted" || fail "README.md does not quote examples/$file as it is"
done

cmake --install "$build" --prefix "$work/prefix" > /dev/null
options=()
if command -v ccache > /dev/null; then options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
# Libraries built with sanitizers need their run-time libraries linked.
sanitize=$(sed -n 's/^VELMORA_SANITIZE:STRING=//p' "$build/CMakeCache.txt")
if [ -n "$sanitize" ]; then options+=(-DCMAKE_EXE_LINKER_FLAGS="-fsanitize=$sanitize"); fi
for example in SalesReport OrderEntry; do
  cmake -S "$root/examples/$example" -B "$work/$example" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$work/prefix" "${options[@]}" > /dev/null
  cmake --build "$work/$example" > /dev/null
done

QT_QPA_PLATFORM=offscreen VELMORA_PDF_DIR="$work/pdf" "$work/SalesReport/SalesReport"
pdf=$work/pdf/Sales.pdf
[ -f "$pdf" ] || fail "no Sales.pdf printed"
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
[ "$pages" = 1 ] || fail "$pages pages printed"
pdftotext -layout "$pdf" - | sed -e 's/  */ /g' -e 's/^ //' -e 's/ $//' > "$work/printed.txt"
for line in "SALES BY CUSTOMER" "1 tanaka amount 1200 large" "2 suzuki amount 800 small" \
             "3 sato amount 2500 large" "total 4500"; do
  grep -qxF "$line" "$work/printed.txt" || { cat "$work/printed.txt" >&2; fail "\"$line\" not printed"; }
done
echo "check-install: the installed library built the examples and ran the report"
