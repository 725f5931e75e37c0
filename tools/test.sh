#!/usr/bin/env bash
# Builds MORVANE and runs every test: a Release build, a Debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer, and the Windows build (MinGW-w64) under Wine.
# Usage: tools/test.sh [release|sanitize|windows]...   (default: all of them)
set -euo pipefail
cd "$(dirname "$0")/.."

stages=("${@:-release sanitize windows}")
# shellcheck disable=SC2206
stages=(${stages[*]})
jobs=$(nproc 2>/dev/null || echo 2)

deps=(linux)
[[ " ${stages[*]} " == *" windows "* ]] && deps+=(windows)
tools/deps.sh "${deps[@]}"

run_linux() {  # name, cmake options...
  local dir="build/$1"
  shift
  echo "=== $dir"
  # Tests on explicitly: tools/demo.sh configures build/release without them.
  cmake -S . -B "$dir" -DMORVANE_TESTS=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$jobs"
}

find_wine() {
  local candidate
  for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      echo "$candidate"
      return 0
    fi
  done
  echo "test.sh: no wine found (tools/deps.sh windows installs it)" >&2
  return 1
}

find_wineserver() {
  local candidate
  for candidate in /usr/lib/wine/wineserver64 "$(command -v wineserver || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      echo "$candidate"
      return 0
    fi
  done
}

# The Windows package must hold the same program and templates: converting the sample with it
# must give what the Linux build gives.
check_windows_package() {  # wine command
  local wine="$1" version package check
  version=$(sed -n 's/^project(morvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  MORVANE_WINDOWS_BUILD=build/windows tools/release-windows.sh >/dev/null
  check=build/windows-package
  rm -rf "$check"
  mkdir -p "$check/linux"
  (cd "$check" && cmake -E tar xf "../dist/morvane-$version-win64.zip")
  package="$check/morvane-$version-win64"
  for template in Kronos_INS_header.ins Kronos_INS_trailer.ins; do
    cmp "templates/$template" "$package/$template"
    cp "templates/$template" "$check/linux/"
  done
  build/release/make_sample_pcg "$package/sample.pcg" >/dev/null
  cp "$package/sample.pcg" "$check/linux/"
  (cd "$package" && timeout -k 10 120 "$wine" morvane.exe /V sample.pcg >console.txt)
  (cd "$check/linux" && ../../release/morvane /V sample.pcg >console.txt)
  for output in console.txt sample.ins sample_out.txt; do
    cmp "$check/linux/$output" "$package/$output"
  done
  echo "build/dist/morvane-$version-win64.zip: converts the sample as the Linux build does"
}

# A subshell: the Wine settings stay inside this stage.
run_windows() (
  local wine wineserver
  wine=$(find_wine)
  wineserver=$(find_wineserver)
  echo "=== build/windows"
  cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" >/dev/null
  cmake --build build/windows -j "$jobs"
  # The end-to-end suite is a Linux program that drives morvane.exe; the Linux build is the
  # reference whose outputs the Windows build must match byte for byte.
  cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DMORVANE_TESTS=ON >/dev/null
  cmake --build build/release -j "$jobs" --target morvane morvane_e2e make_sample_pcg

  export WINEPREFIX="$PWD/build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Without a display a usage box cannot wait for a click that never comes.
  unset DISPLAY WAYLAND_DISPLAY
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Initialising $WINEPREFIX"
    if ! timeout -k 10 300 "$wine" wineboot --init >build/wineboot.log 2>&1; then
      cat build/wineboot.log >&2
      exit 1
    fi
  fi
  if [ -n "$wineserver" ]; then
    trap '"$wineserver" -k 2>/dev/null || true' EXIT
  fi

  echo "=== build/windows/tests/morvane_tests.exe under $wine"
  timeout -k 10 600 "$wine" build/windows/tests/morvane_tests.exe --gtest_brief=1
  echo "=== build/release/tests/morvane_e2e on build/windows/morvane.exe"
  MORVANE_EXE="$PWD/build/windows/morvane.exe" MORVANE_RUNNER="timeout -k 10 120 $wine" MORVANE_TARGET=windows \
    MORVANE_REFERENCE_EXE="$PWD/build/release/morvane" build/release/tests/morvane_e2e --gtest_brief=1
  echo "=== build/dist"
  check_windows_package "$wine"
)

for stage in "${stages[@]}"; do
  case "$stage" in
    release) run_linux release -DCMAKE_BUILD_TYPE=Release ;;
    sanitize) UBSAN_OPTIONS=print_stacktrace=1 run_linux sanitize -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=ON ;;
    windows) run_windows ;;
    *) echo "test.sh: unknown stage '$stage'" >&2; exit 2 ;;
  esac
done
echo "=== all tests passed: ${stages[*]}"
