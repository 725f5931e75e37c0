#!/usr/bin/env bash
# Builds MORVANE and runs every test: a Release build, a Debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short fuzz run of the walk on the generated seeds (libFuzzer
# under clang, with both sanitizers).
# Usage: tools/test.sh [release|sanitize|fuzz|afl]...   (default: release sanitize fuzz)
#   fuzz: FUZZ_SECONDS (default 60) of libFuzzer; afl: the same target under AFL++ (not default).
set -euo pipefail
cd "$(dirname "$0")/.."

stages=("${@:-release sanitize fuzz}")
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

for stage in "${stages[@]}"; do
  case "$stage" in
    release) run_linux release -DCMAKE_BUILD_TYPE=Release ;;
    sanitize) UBSAN_OPTIONS=print_stacktrace=1 run_linux sanitize -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=ON ;;
    fuzz) run_fuzz ;;
    afl) run_afl ;;
    *) echo "test.sh: unknown stage '$stage'" >&2; exit 2 ;;
  esac
done
echo "=== all tests passed: ${stages[*]}"
