#!/usr/bin/env bash
# Runs after the normal test run (scripts/test.sh):
#  1. the whole test suite built a second time with AddressSanitizer and
#     UndefinedBehaviorSanitizer into build-asan/, and its ctest run; any
#     sanitizer report fails the run;
#  2. every fuzz target for ${FUZZ_SECONDS:-10} seconds (fuzz/build-and-run.sh).
# SKIP_SANITIZE=1 or SKIP_FUZZ=1 leaves a part out.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

if [ "${SKIP_SANITIZE:-0}" != 1 ]; then
  echo "== sanitizer build (build-asan/)"
  # Warnings are shown here but fail only the plain build: gcc's
  # instrumentation at -O1 is known for false alarms (-Wmaybe-uninitialized,
  # -Wstringop-overflow) that say nothing about the code.
  # QUILLMARK_SANITIZE_WERROR=ON makes them fail this build too.
  # -O1 and line tables only: what the sanitizers' own manuals advise,
  # and the build takes about 40% less time than at -O2 with full
  # debugging information; reports still name file and line.
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
    -DQUILLMARK_SANITIZE=ON -DQUILLMARK_BENCH=OFF -DQUILLMARK_WERROR=${QUILLMARK_SANITIZE_WERROR:-OFF} >/dev/null
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
  # quarter of the rounds checks the same code for memory faults, and a
  # short office day the stewards' code paths.
  # The tests' second round on the PostgreSQL test server (.postgres) runs
  # the same program code as their first: the server's own code paths are
  # checked here by the server tests of the first round.
  QUILLMARK_KILL_ROUNDS=${QUILLMARK_KILL_ROUNDS:-50} QUILLMARK_CREATE_KILL_ROUNDS=${QUILLMARK_CREATE_KILL_ROUNDS:-10} \
    QUILLMARK_OFFICE_DAY_SECONDS=${QUILLMARK_OFFICE_DAY_SECONDS:-15} \
    ctest --test-dir build-asan --output-on-failure --timeout 900 -j "$(nproc)" -E '\.postgres$' |
    tee build-asan/ctest.log
  unset ASAN_OPTIONS UBSAN_OPTIONS
fi

if [ "${SKIP_FUZZ:-0}" != 1 ]; then
  FUZZ_SECONDS=${FUZZ_SECONDS:-10} bash fuzz/build-and-run.sh
fi
