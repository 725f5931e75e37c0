#!/usr/bin/env bash
# Installs what a fresh Debian or Ubuntu machine lacks for building and testing MORVANE.
# Usage: tools/deps.sh [linux|windows|fuzz|afl|bench|package|web-build|web]...   (default: linux)
set -euo pipefail

want=("${@:-linux}")
packages=()
need() { dpkg -s "$1" >/dev/null 2>&1 || packages+=("$1"); }

for what in "${want[@]}"; do
  case "$what" in
    linux) need cmake; need g++; need make; need libgtest-dev; need libxml2-utils ;;
    windows) need g++-mingw-w64-x86-64; need wine64; need googletest; need bsdutils ;;
    fuzz) need clang; need libclang-rt-14-dev ;;
    afl) need afl++ ;;
    bench) need zlib1g-dev ;;
    package) need man-db; need lintian ;;
    # The browser edition (web-build: what tools/build-web.sh needs), and with web its tests in
    # headless Chromium. A node and npm from elsewhere are taken as they are.
    web-build | web)
      need cmake; need make; need emscripten; need node-acorn; need binaryen
      command -v node >/dev/null || need nodejs
      command -v npm >/dev/null || need npm
      if [ "$what" = web ]; then need chromium; need chromium-driver; need python3-selenium; fi
      ;;
    *) echo "deps.sh: unknown set '$what'" >&2; exit 2 ;;
  esac
done

[ ${#packages[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${packages[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
