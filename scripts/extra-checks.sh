#!/usr/bin/env bash
# Runs after the normal test run (scripts/test.sh):
#  1. the whole test suite built a second time with AddressSanitizer and
#     UndefinedBehaviorSanitizer into build-asan/, and its ctest run; any
#     sanitizer report fails the run;
#  2. every fuzz target for ${FUZZ_SECONDS:-30} seconds: the Jet translator's
#     through fuzz/build-and-run.sh, Val's and the case facts block's here.
# SKIP_SANITIZE=1 or SKIP_FUZZ=1 leaves a part out.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

if [ "${SKIP_SANITIZE:-0}" != 1 ]; then
  echo "== sanitizer build (build-asan/)"
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLMARK_SANITIZE=ON -DQUILLMARK_BENCH=OFF >/dev/null
  cmake --build build-asan --parallel "$(nproc)"
  # halt_on_error/abort_on_error: the first report ends the test program,
  # which ctest counts as a failure. Leak detection is off: Qt keeps its
  # platform plugin, font database and SQL driver plugin loaded until the
  # process ends and frees them in no particular order, so LeakSanitizer
  # reports memory that Qt owns rather than any leak of this program; the
  # address checks (use after free, overflows) stay on.
  export ASAN_OPTIONS="detect_leaks=0:halt_on_error=1:abort_on_error=1:detect_stack_use_after_return=0:strict_string_checks=1"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
  # The crash tests repeat one scenario many times; under the sanitizers a
  # quarter of the rounds checks the same code for memory faults.
  QUILLMARK_KILL_ROUNDS=${QUILLMARK_KILL_ROUNDS:-50} QUILLMARK_CREATE_KILL_ROUNDS=${QUILLMARK_CREATE_KILL_ROUNDS:-10} \
    ctest --test-dir build-asan --output-on-failure --timeout 900 -j "$(nproc)"
  unset ASAN_OPTIONS UBSAN_OPTIONS
fi

if [ "${SKIP_FUZZ:-0}" != 1 ]; then
  SECONDS_PER_TARGET=${FUZZ_SECONDS:-30}
  OUT=${FUZZ_OUT:-build/fuzz}
  CXX=${CXX_FUZZ:-clang++}
  if [ -f fuzz/build-and-run.sh ]; then
    FUZZ_SECONDS=$SECONDS_PER_TARGET FUZZ_OUT=$OUT bash fuzz/build-and-run.sh
  fi

  # The targets outside the translator: target -> the sources it needs.
  declare -A SOURCES=(
    [val_fuzzer]="src/platform/Classic.cpp"
    [casefacts_fuzzer]="src/platform/Classic.cpp src/print/CaseFactsBlock.cpp src/print/PrinterSurface.cpp src/print/RecordingSurface.cpp"
  )
  declare -A CORPUS=([val_fuzzer]=val [casefacts_fuzzer]=casefacts)
  read -r -a QT_CFLAGS <<<"$(pkg-config --cflags Qt6Gui)"
  read -r -a QT_LIBS <<<"$(pkg-config --libs Qt6Gui)"
  COMMON=(-std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer -fno-sanitize-recover=all -Isrc -Ifuzz
          "${QT_CFLAGS[@]}")
  mkdir -p "$OUT/artifacts"
  for target in val_fuzzer casefacts_fuzzer; do
    [ -f "fuzz/$target.cpp" ] || continue
    read -r -a srcs <<<"${SOURCES[$target]}"
    present=()
    for s in "${srcs[@]}"; do [ -f "$s" ] && present+=("$s"); done
    "$CXX" "${COMMON[@]}" -fsanitize=fuzzer,address,undefined "fuzz/$target.cpp" "${present[@]}" \
      "${QT_LIBS[@]}" -o "$OUT/$target"
    corpus="$OUT/corpus/$target"
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp fuzz/corpus/"${CORPUS[$target]}"/* "$corpus"/
    echo "== $target: ${SECONDS_PER_TARGET}s"
    "$OUT/$target" -max_total_time="$SECONDS_PER_TARGET" -max_len=4096 -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$OUT/artifacts/$target-" \
      "$corpus" 2>"$OUT/$target.log" || {
        tail -40 "$OUT/$target.log"
        echo "FAIL: $target"
        exit 1
      }
    grep -E "stat::number_of_executed_units|stat::new_units_added" "$OUT/$target.log" | sed 's/^/   /'
  done
fi
