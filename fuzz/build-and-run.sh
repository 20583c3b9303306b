#!/usr/bin/env bash
# Builds every fuzz target with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for ${FUZZ_SECONDS:-30} seconds on
# a copy of its corpus (the checked-in corpus is never modified). Fails on the
# first crash, sanitizer report or failed check; the input that caused it is
# left in $OUT/artifacts/.
#
#   FUZZ_SECONDS=3600 bash fuzz/build-and-run.sh [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_PER_TARGET=${FUZZ_SECONDS:-30}
OUT=${FUZZ_OUT:-build/fuzz}
CXX=${CXX_FUZZ:-clang++}

# target -> the sources it links, its corpus folder and its longest input.
declare -A SOURCES=(
  [jet_statement_fuzzer]="src/jetsql/*.cpp"
  [jet_filter_fuzzer]="src/jetsql/*.cpp"
  [jet_sort_fuzzer]="src/jetsql/*.cpp"
  [like_pattern_fuzzer]="src/jetsql/*.cpp"
  [val_fuzzer]="src/platform/core/Classic.cpp"
  [casefacts_fuzzer]="src/platform/core/Classic.cpp src/print/CaseFactsBlock.cpp src/print/PrinterSurface.cpp tests/support/RecordingSurface.cpp"
  [access_reader_fuzzer]="src/access/AccessReader.cpp src/access/AccessFrames.cpp src/access/AccessTable.cpp src/access/AccessText.cpp"
  [csv_reader_fuzzer]="src/safekeeping/CsvReader.cpp src/safekeeping/CsvWriter.cpp src/safekeeping/CsvImport.cpp src/safekeeping/FieldMatch.cpp"
)
# Libraries a target needs beyond Qt and SQLite.
declare -A LIBS=([csv_reader_fuzzer]="-lcsv")
declare -A CORPUS=([val_fuzzer]=val [casefacts_fuzzer]=casefacts [csv_reader_fuzzer]=csv_reader)
declare -A MAX_LEN=([casefacts_fuzzer]=4100 [val_fuzzer]=4096 [csv_reader_fuzzer]=4096
                   [access_reader_fuzzer]=300000)
# The Access reader's corpus: the sample Access files beside the project,
# copied at run time and never into the repository.
ACCESS_SAMPLES=${ACCESS_SAMPLES:-../shared/access-samples}
ALL=(jet_statement_fuzzer jet_filter_fuzzer jet_sort_fuzzer like_pattern_fuzzer val_fuzzer casefacts_fuzzer
     csv_reader_fuzzer access_reader_fuzzer)
TARGETS=("${@:-${ALL[@]}}")

# Qt's folders as system folders, as CMake names them: the warnings are
# for our own code only.
read -r -a QT_CFLAGS <<<"$(pkg-config --cflags Qt6Gui | sed 's/-I/-isystem /g')"
read -r -a QT_LIBS <<<"$(pkg-config --libs Qt6Gui)"
WARNINGS=(-Wall -Wextra)
[ "${QUILLMARK_WERROR:-OFF}" = ON ] && WARNINGS+=(-Werror)
COMMON=(-std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer -fno-sanitize-recover=all -Isrc -Itests -Ifuzz
        "${WARNINGS[@]}" "${QT_CFLAGS[@]}")

mkdir -p "$OUT/obj" "$OUT/artifacts"
declare -A BUILT=()
object() { # compiles a source once, prints its object file
  local src=$1 obj="$OUT/obj/$(echo "$1" | tr '/' '_' | sed 's/\.cpp$/.o/')"
  if [ -z "${BUILT[$src]:-}" ]; then
    "$CXX" "${COMMON[@]}" -fsanitize=fuzzer-no-link,address,undefined -c "$src" -o "$obj"
    BUILT[$src]=1
  fi
  echo "$obj"
}

# The reader program the Access target starts for every input, built as it
# ships (no sanitizer: libmdb's faults are the program's to survive, and they
# show as the reader crashing) beside the target, where the target finds it.
if [[ " ${TARGETS[*]} " == *" access_reader_fuzzer "* ]]; then
  read -r -a MDB_FLAGS <<<"$(pkg-config --cflags libmdb | sed 's/-I/-isystem /g') $(pkg-config --libs libmdb)"
  "$CXX" -std=c++20 -g -O1 -fPIC -Isrc "${WARNINGS[@]}" "${QT_CFLAGS[@]}" src/access/AccessReaderMain.cpp \
    src/access/AccessFrames.cpp "${QT_LIBS[@]}" "${MDB_FLAGS[@]}" -o "$OUT/quillmark-access-reader"
fi

for target in "${TARGETS[@]}"; do
  objects=()
  for src in ${SOURCES[$target]}; do objects+=("$(object "$src")"); done
  "$CXX" "${COMMON[@]}" -fsanitize=fuzzer,address,undefined "fuzz/$target.cpp" "${objects[@]}" \
    "${QT_LIBS[@]}" -lsqlite3 ${LIBS[$target]:-} -o "$OUT/$target"
done

for target in "${TARGETS[@]}"; do
  corpus="$OUT/corpus/$target"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  if [ "$target" = access_reader_fuzzer ]; then
    if ! ls "$ACCESS_SAMPLES"/*.mdb >/dev/null 2>&1; then
      echo "== $target: skipped, no sample Access files in $ACCESS_SAMPLES"
      continue
    fi
    cp "$ACCESS_SAMPLES"/*.mdb "$corpus"/
    chmod u+w "$corpus"/*
  else
    cp fuzz/corpus/"${CORPUS[$target]:-$target}"/* "$corpus"/
  fi
  echo "== $target: ${SECONDS_PER_TARGET}s"
  "$OUT/$target" -max_total_time="$SECONDS_PER_TARGET" -max_len="${MAX_LEN[$target]:-512}" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$OUT/artifacts/$target-" \
    "$corpus" 2>"$OUT/$target.log" || {
      tail -40 "$OUT/$target.log"
      echo "FAIL: $target"
      exit 1
    }
  grep -E "stat::number_of_executed_units|stat::new_units_added" "$OUT/$target.log" | sed 's/^/   /'
done
echo "All fuzz targets ran without findings."
