#!/usr/bin/env bash
# Builds MORVANE and runs every test: a Release build, a Debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer, the Windows build (MinGW-w64) under Wine, and a short fuzz run of
# the walk on the generated seeds (libFuzzer under clang, with both sanitizers); the Debian and
# tar.gz packages are checked (lintian among others) after the Release build; the browser edition
# is built and held to the Release build's bytes in headless Chromium.
# Usage: tools/test.sh [release|package|sanitize|windows|fuzz|afl|web]...
#   default: release package sanitize windows fuzz web
#   fuzz: FUZZ_SECONDS (default 60) of libFuzzer; afl: the same target under AFL++ (not default).
set -euo pipefail
cd "$(dirname "$0")/.."

stages=("${@:-release package sanitize windows fuzz web}")
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
  echo "test.sh: no wineserver found beside wine" >&2
  return 1
}

# A package carries the tree's templates, and its program, run in <run dir> by the command given,
# converts the sample as build/release does with them: console and outputs, byte for byte.
check_packaged_conversion() {  # templates in the package, run dir, reference dir, command...
  local templates="$1" run="$2" reference="$3" release="$PWD/build/release/morvane" template output
  shift 3
  mkdir -p "$reference"
  for template in templates/*.ins; do
    cmp "$template" "$templates/${template#templates/}"
    cp "$template" "$reference/"
  done
  build/release/make_sample_pcg "$run/sample.pcg" >/dev/null
  cp "$run/sample.pcg" "$reference/"
  (cd "$run" && "$@" /V sample.pcg >console.txt 2>errors.txt)
  (cd "$reference" && "$release" /V sample.pcg >console.txt 2>errors.txt)
  for output in console.txt errors.txt sample.ins sample_out.txt; do
    cmp "$reference/$output" "$run/$output"
  done
}

# The Windows package must hold the same program and templates: converting the sample with it
# must give what the Linux build gives.
check_windows_package() {  # wine command
  local wine="$1" version package check listed expected
  version=$(sed -n 's/^project(morvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  MORVANE_WINDOWS_BUILD=build/windows tools/release-windows.sh >/dev/null
  check=build/windows-package
  rm -rf "$check"
  mkdir -p "$check"
  (cd "$check" && cmake -E tar xf "../dist/morvane-$version-win64.zip")
  package="$check/morvane-$version-win64"
  cmp <(sed 's/$/\r/' LICENSE) "$package/LICENSE.txt"
  # The program as shipped, never its test build; the read-me a Windows user reads first.
  listed=$(cd "$package" && ls | sort)
  expected=$( (printf '%s\n' LICENSE.txt README.txt morvane.exe; ls templates) | sort)
  if [ "$listed" != "$expected" ]; then
    printf 'test.sh: the zip holds\n%s\ninstead of\n%s\n' "$listed" "$expected" >&2
    return 1
  fi
  if [ "$(head -n 1 "$package/README.txt")" != $'Drop your .pcg files on morvane.exe\r' ]; then
    echo "test.sh: README.txt does not begin with \"Drop your .pcg files on morvane.exe\"" >&2
    return 1
  fi
  # Run straight through wine, with no cmd and no terminal, morvane.exe is the very process that
  # timeout waits for: nothing else of the run writes a file compared.
  check_packaged_conversion "$package" "$package" "$check/linux" timeout -k 10 120 "$wine" morvane.exe
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
  # One wineserver for the whole stage. Left to itself, the wineserver a run starts shuts down when
  # the run ends, and a run that begins meanwhile can reach it as it goes ("wine client error:0:
  # recvmsg: Connection reset by peer") and fail with nothing done. The one wineboot started ends first.
  trap '"$wineserver" -k 2>/dev/null || true' EXIT
  timeout -k 10 120 "$wineserver" -w
  "$wineserver" -p

  echo "=== build/windows/tests/morvane_tests.exe under $wine"
  timeout -k 10 600 "$wine" build/windows/tests/morvane_tests.exe --gtest_brief=1
  # The drop-mode cases run build/windows/morvane_boxfile.exe, beside it, through script(1).
  echo "=== build/release/tests/morvane_e2e on build/windows/morvane.exe"
  MORVANE_EXE="$PWD/build/windows/morvane.exe" MORVANE_RUNNER="timeout -k 10 120 $wine" MORVANE_TARGET=windows \
    MORVANE_REFERENCE_EXE="$PWD/build/release/morvane" build/release/tests/morvane_e2e --gtest_brief=1
  echo "=== build/dist"
  check_windows_package "$wine"
)

# man renders the page on a terminal of 80 columns without a warning from groff.
check_manual_page() {  # page
  local warnings
  warnings=$(MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then
    printf 'test.sh: man --warnings -l %s:\n%s\n' "$1" "$warnings" >&2
    return 1
  fi
  echo "$1: man renders it without a warning"
}

# The E: and W: tags lintian gives a .deb must be exactly those allowed (space-separated, sorted;
# "" for none). Its I: lines are shown and may stay.
check_lintian() {  # deb, allowed tags
  local report status=0 tags
  report=$(lintian --display-info "$1" 2> >(grep -v '^running with root privileges' >&2)) || status=$?
  # 2 says that lintian found errors; any other status but 0 is lintian itself failing.
  if [ "$status" -ne 0 ] && [ "$status" -ne 2 ]; then
    echo "test.sh: lintian failed on $1 with status $status" >&2
    return 1
  fi
  printf 'lintian %s:\n%s\n' "$1" "${report:-(nothing)}"
  tags=$(awk '/^[EW]: / { print $3 }' <<<"$report" | sort -u | xargs)
  if [ "$tags" != "$2" ]; then
    echo "test.sh: lintian gives $1 the E: and W: tags '$tags' instead of '$2'" >&2
    return 1
  fi
}

# Unpacked with dpkg-deb rather than installed: the packaged morvane, run from a folder without
# templates, must find the ones it carries in share/morvane and convert the sample exactly as the
# Release build does with the templates of templates/.
run_package() {
  local packages deb tgz check=build/package-check packaged_doc expected listed notes
  echo "=== build/package"
  tools/deps.sh package
  if ! command -v dpkg-deb >/dev/null; then
    echo "test.sh: the package stage needs dpkg-deb" >&2
    return 1
  fi
  # A maintainer named for the check, at an address that reaches nobody (.invalid is kept for
  # that): lintian must then find no error and no warning.
  packages=$(DEBFULLNAME="MORVANE package check" DEBEMAIL="package-check@morvane.invalid" tools/package.sh | tail -n 2)
  deb=$(grep '\.deb$' <<<"$packages" || true)
  tgz=$(grep '\.tar\.gz$' <<<"$packages" || true)
  if [ -z "$deb" ] || [ -z "$tgz" ]; then
    echo "test.sh: tools/package.sh reported no .deb and .tar.gz: $packages" >&2
    return 1
  fi
  if [ ! -f build/release/CMakeCache.txt ]; then
    cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DMORVANE_TESTS=ON >/dev/null
  fi
  cmake --build build/release -j "$jobs" --target morvane make_sample_pcg >/dev/null

  check_lintian "$deb" ""

  expected=$( (printf '%s\n' bin/morvane share/man/man1/morvane.1.gz share/doc/morvane/{README.md,changelog.gz,copyright}
    ls templates | sed 's|^|share/morvane/|') | sort)
  listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sort)
  if [ "$listed" != "$expected" ]; then
    printf 'test.sh: %s holds\n%s\ninstead of\n%s\n' "$deb" "$listed" "$expected" >&2
    return 1
  fi
  listed=$(tar tzf "$tgz" | grep -v '/$' | sed 's|^[^/]*/||' | sort)
  if [ "$listed" != "$expected" ]; then
    printf 'test.sh: %s holds\n%s\ninstead of\n%s\n' "$tgz" "$listed" "$expected" >&2
    return 1
  fi

  rm -rf "$check"
  mkdir -p "$check/root" "$check/run"
  dpkg-deb -x "$deb" "$check/root"
  packaged_doc="$check/root/usr/share/doc/morvane"
  cmp README.md "$packaged_doc/README.md"
  gzip -dc "$check/root/usr/share/man/man1/morvane.1.gz" | cmp - doc/morvane.1
  check_manual_page "$check/root/usr/share/man/man1/morvane.1.gz"
  gzip -dc "$packaged_doc/changelog.gz" | cmp - doc/changelog
  if ! head -n 1 doc/changelog | grep -q "^morvane ($(dpkg-deb -f "$deb" Version)) "; then
    echo "test.sh: doc/changelog does not start with an entry for the version packaged" >&2
    return 1
  fi
  # The copyright file's continuation lines are the terms of LICENSE, word for word.
  diff <(awk '/^ / { sub(/^ /, ""); if ($0 == ".") $0 = ""; print }' "$packaged_doc/copyright") \
    <(awk 'terms; /^Copyright \(c\) / { getline; terms = 1 }' LICENSE)
  check_packaged_conversion "$check/root/usr/share/morvane" "$check/run" "$check/reference" "$PWD/$check/root/usr/bin/morvane"
  echo "$deb: converts the sample as build/release does"
  echo "$tgz: holds the same files"

  # Last, as built for whoever names no maintainer; that package stays in build/package.
  notes=$(env -u DEBFULLNAME -u DEBEMAIL tools/package.sh 2>&1 >/dev/null)
  if ! grep -q "will carry no contact" <<<"$notes"; then
    printf 'test.sh: tools/package.sh did not say that the .deb carries no contact:\n%s\n' "$notes" >&2
    return 1
  fi
  check_lintian "$deb" "malformed-contact"
}

# Builds the fuzz target with the given compiler into build/<name> and writes the seeds.
build_fuzz() {  # name, compiler
  local dir="build/$1"
  echo "=== $dir"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$2" -DMORVANE_FUZZ=ON \
    -DMORVANE_TESTS=OFF >/dev/null
  cmake --build "$dir" -j "$jobs" --target pcg_fuzzer make_fuzz_seeds
  rm -rf "$dir/seeds"
  mkdir -p "$dir/seeds"
  "$dir/fuzz/make_fuzz_seeds" "$dir/seeds"
}

# One process, inputs up to 1 MB (a program or combination bank fits; a set list bank does not),
# a second at most per input, and memory bounded: a crash, a sanitizer report, a failed check of
# the target, a timeout or too much memory fails the stage and leaves the input in build/fuzz/.
# The slowest input of 1 MB known, a chunk of size 1 stepped over byte by byte to the end, takes
# the instrumented target about 0.6 s.
run_fuzz() {
  tools/deps.sh fuzz
  build_fuzz fuzz clang++
  local dir=build/fuzz
  rm -rf "$dir/corpus"
  mkdir -p "$dir/corpus"
  "$dir/fuzz/pcg_fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" -timeout=1 -rss_limit_mb=2048 -max_len=1048576 \
    -dict=fuzz/pcg.dict -artifact_prefix="$dir/" -print_final_stats=1 "$dir/corpus" "$dir/seeds"
}

# The same target under AFL++, through its libFuzzer driver. AFL++ takes no seed above 1 MB.
run_afl() {
  tools/deps.sh fuzz afl
  build_fuzz afl afl-clang-fast++
  local dir=build/afl
  find "$dir/seeds" -size +1M -delete
  rm -rf "$dir/findings"
  AFL_NO_UI=1 AFL_SKIP_CPUFREQ=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1 AFL_NO_AFFINITY=1 \
    afl-fuzz -i "$dir/seeds" -o "$dir/findings" -m none -t 1000 -V "${FUZZ_SECONDS:-60}" -x fuzz/pcg.dict \
    -- "$dir/fuzz/pcg_fuzzer" >"$dir/afl.log"
  grep -E "execs_done|corpus_count|saved_crashes|saved_hangs|edges_found" "$dir/findings/default/fuzzer_stats"
  if grep -qE "saved_(crashes|hangs) *: [1-9]" "$dir/findings/default/fuzzer_stats"; then
    echo "afl: findings in $dir/findings/default" >&2
    return 1
  fi
}

# The page as tools/build-web.sh builds it, the worker's unit tests under node, and the page
# opened from disk in headless Chromium, with the Release build as the reference it must match.
run_web() {
  local page=build/web/morvane.html size limit=$((3 * 1024 * 1024 / 2))
  echo "=== build/web"
  tools/deps.sh web
  if [ ! -f build/release/CMakeCache.txt ]; then
    cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DMORVANE_TESTS=ON >/dev/null
  fi
  cmake --build build/release -j "$jobs" --target morvane make_sample_pcg >/dev/null
  tools/build-web.sh
  size=$(stat -c %s "$page")
  if [ "$size" -gt "$limit" ]; then
    echo "test.sh: $page has $size bytes, more than $limit" >&2
    return 1
  fi
  node --test tests/web/
  /usr/bin/python3 tests/web/browser_test.py
}

for stage in "${stages[@]}"; do
  case "$stage" in
    release) run_linux release -DCMAKE_BUILD_TYPE=Release ;;
    package) run_package ;;
    sanitize) UBSAN_OPTIONS=print_stacktrace=1 run_linux sanitize -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=ON ;;
    windows) run_windows ;;
    fuzz) run_fuzz ;;
    afl) run_afl ;;
    web) run_web ;;
    *) echo "test.sh: unknown stage '$stage'" >&2; exit 2 ;;
  esac
done
echo "=== all tests passed: ${stages[*]}"
