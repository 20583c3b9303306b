#!/usr/bin/env bash
# Builds the Jet translator's fuzz targets with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for ${FUZZ_SECONDS:-30} seconds on a
# copy of its corpus (the checked-in corpus is never modified). Fails on the
# first crash, leak, sanitizer report or failed check; the input that caused it
# is left in $OUT/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_PER_TARGET=${FUZZ_SECONDS:-30}
OUT=${FUZZ_OUT:-build/fuzz}
CXX=${CXX_FUZZ:-clang++}
TARGETS=(jet_statement_fuzzer jet_filter_fuzzer jet_sort_fuzzer like_pattern_fuzzer)

read -r -a QT_CFLAGS <<<"$(pkg-config --cflags Qt6Core)"
read -r -a QT_LIBS <<<"$(pkg-config --libs Qt6Core)"
COMMON=(-std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer -fno-sanitize-recover=all -Isrc -Ifuzz
        "${QT_CFLAGS[@]}")

mkdir -p "$OUT/obj" "$OUT/artifacts"
objects=()
for src in src/records/JetSql*.cpp; do
  obj="$OUT/obj/$(basename "${src%.cpp}").o"
  "$CXX" "${COMMON[@]}" -fsanitize=fuzzer-no-link,address,undefined -c "$src" -o "$obj"
  objects+=("$obj")
done

for target in "${TARGETS[@]}"; do
  "$CXX" "${COMMON[@]}" -fsanitize=fuzzer,address,undefined "fuzz/$target.cpp" "${objects[@]}" \
    "${QT_LIBS[@]}" -lsqlite3 -o "$OUT/$target"
done

for target in "${TARGETS[@]}"; do
  corpus="$OUT/corpus/$target"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  cp fuzz/corpus/"$target"/* "$corpus"/
  echo "== $target: ${SECONDS_PER_TARGET}s"
  "$OUT/$target" -max_total_time="$SECONDS_PER_TARGET" -max_len=512 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$OUT/artifacts/$target-" \
    "$corpus" 2>"$OUT/$target.log" || {
      tail -40 "$OUT/$target.log"
      echo "FAIL: $target"
      exit 1
    }
  grep -E "stat::number_of_executed_units|stat::new_units_added" "$OUT/$target.log" | sed 's/^/   /'
done
echo "All fuzz targets ran without findings."
