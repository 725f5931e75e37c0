#!/usr/bin/env bash
# Builds the browser edition: build/web/morvane.html, one self-contained page that converts bank
# files with the same C++ core, compiled to WebAssembly by Debian's Emscripten. Installs what a
# Debian or Ubuntu machine lacks (tools/deps.sh web-build) and fflate from npm (web/package-lock.json).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh web-build

# Debian's emscripten finds node-acorn only where Debian's nodejs looks; a node from elsewhere
# needs to be told.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
cmake -S . -B build/web/wasm -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake -DCMAKE_BUILD_TYPE=Release \
  -DMORVANE_TESTS=OFF >/dev/null
cmake --build build/web/wasm -j "$(nproc 2>/dev/null || echo 2)" --target morvane_web

# The page's one dependency, exactly as the lockfile pins it.
(cd web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
node web/build.mjs build/web/wasm/src/browser/morvane_web.js build/web/wasm/src/browser/morvane_web.wasm \
  build/web/morvane.html
