#!/usr/bin/env bash
# The tree compiles under clang as under g++: every translation unit of the
# build (libraries, program, tests, benchmarks) is checked with clang's
# syntax-only pass, with the build's own flags. The fuzz harnesses and
# other programs of adopters are built with clang.
# usage: clang-syntax.sh <build dir>; exit 77 (skipped) without clang++.
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
command -v clang++ > /dev/null || { echo "clang-syntax: no clang++"; exit 77; }

# g++'s precompiled header is no use to clang: the header itself is read.
python3 - "$build/compile_commands.json" "$root/framework/Pch.h" > "$build/clang-syntax.cmds" <<'PY'
import json, shlex, sys
entries, pch = json.load(open(sys.argv[1])), sys.argv[2]
for e in entries:
    args, out, skip = shlex.split(e["command"]), [], False
    for a in args[1:]:
        if skip or a in ("-c", "-Winvalid-pch"):
            skip = False
            continue
        if a == "-o":
            skip = True
            continue
        out.append(pch if a.endswith("cmake_pch.hxx") else a)
    print(shlex.join(["cd", e["directory"]]) + " && " + shlex.join(["clang++", *out, "-fsyntax-only"]))
PY
echo "clang-syntax: $(wc -l < "$build/clang-syntax.cmds") translation units"
xargs -d '\n' -P "$(nproc)" -I{} sh -c '{}' < "$build/clang-syntax.cmds"
