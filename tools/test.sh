#!/usr/bin/env bash
# Builds MORVANE and runs every test: a Release build and a Debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer.
# Usage: tools/test.sh [release|sanitize]...   (default: all of them)
set -euo pipefail
cd "$(dirname "$0")/.."

stages=("${@:-release sanitize}")
# shellcheck disable=SC2206
stages=(${stages[*]})
jobs=$(nproc 2>/dev/null || echo 2)

tools/deps.sh linux

run_linux() {  # name, cmake options...
  local dir="build/$1"
  shift
  echo "=== $dir"
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

for stage in "${stages[@]}"; do
  case "$stage" in
    release) run_linux release -DCMAKE_BUILD_TYPE=Release ;;
    sanitize) UBSAN_OPTIONS=print_stacktrace=1 run_linux sanitize -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=ON ;;
    *) echo "test.sh: unknown stage '$stage'" >&2; exit 2 ;;
  esac
done
echo "=== all tests passed: ${stages[*]}"
