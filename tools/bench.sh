#!/usr/bin/env bash
# Builds a Release MORVANE and runs the benchmark: a full-size bank file converted, against the
# floor of reading it and checksumming every byte with zlib.
# Usage: tools/bench.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh linux bench
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc 2>/dev/null || echo 2)" --target morvane crc_floor morvane_bench >/dev/null
build/release/morvane_bench build/release/morvane build/release/crc_floor templates "${1:-11}"
