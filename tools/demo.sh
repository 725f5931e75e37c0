#!/usr/bin/env bash
# Builds MORVANE, writes the bundled sample bank file into demo/ and converts it there with the
# templates the build put beside the program.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh linux

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DMORVANE_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc 2>/dev/null || echo 2)" --target morvane make_sample_pcg >/dev/null

mkdir -p demo
# Copies from an earlier version of this script would shadow the bundled templates.
rm -f demo/Kronos_INS_header.ins demo/Kronos_INS_trailer.ins
build/release/make_sample_pcg demo/sample.pcg >/dev/null
(cd demo && ../build/release/morvane sample.pcg)
echo
echo "Outputs: $(pwd)/demo/sample.ins and $(pwd)/demo/sample_out.txt"
