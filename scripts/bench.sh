#!/usr/bin/env bash
# Builds the benchmarks (RelWithDebInfo unless BUILD_TYPE says otherwise) and
# runs every one of them with repetitions, printing the medians.
#
#   scripts/bench.sh [ROWS]
#
# ROWS is the number of employees and of complaints in the generated case
# database (1000000 when not given; a CI run may pass 10000 to stay short).
# Generated databases are kept in $QUILLMARK_BENCH_CACHE (default
# <temp>/quillmark-bench) so later runs do not make them again.
# REPETITIONS (default 5) sets --benchmark_repetitions; BUILD_DIR (default
# build) the build folder. Full results, with JSON, go to
# $BUILD_DIR/bench-results/<time>/.
#
# The figures are printed, never judged: the exit status says only whether
# the benchmarks ran.
set -euo pipefail
cd "$(dirname "$0")/.."

ROWS=${1:-1000000}
REPETITIONS=${REPETITIONS:-5}
BUILD_DIR=${BUILD_DIR:-build}
BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo}
case "$BUILD_TYPE" in
  Release|RelWithDebInfo) ;;
  *) echo "BUILD_TYPE must be Release or RelWithDebInfo: timings of other builds mislead." >&2; exit 2 ;;
esac

benches=()
for src in bench/bench_*.cpp; do
  benches+=("$(basename "$src" .cpp)")
done

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE" -DQUILLMARK_BENCH=ON >/dev/null
cmake --build "$BUILD_DIR" --target gen_casedb "${benches[@]}"

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

# The server benchmarks (bench_pg_*) run on the private PostgreSQL test
# cluster. One that was not running is started here and, at the end,
# stopped but kept with its filled benchmark database for the next run
# (scripts/stop-postgres.sh without --keep throws it away).
pg_env="$BUILD_DIR/postgres.env"
pg_was_running=false
if [ -f "$pg_env" ] && pg_isready -q -h "$(sed -n 's/^PGHOST=//p' "$pg_env")" \
  -p "$(sed -n 's/^PGPORT=//p' "$pg_env")"; then
  pg_was_running=true
fi
BUILD_DIR=$BUILD_DIR bash scripts/start-postgres.sh
$pg_was_running || trap 'BUILD_DIR=$BUILD_DIR bash scripts/stop-postgres.sh --keep' EXIT
results="$BUILD_DIR/bench-results/$(date +%Y%m%d-%H%M%S)"
mkdir -p "$results"

echo "== $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg): other work on the machine shows in the figures"
echo "== Google Benchmark may warn that its library was built as DEBUG: that is Debian's"
echo "   build of libbenchmark itself, not the code measured ($BUILD_TYPE)."
echo "== case database: $ROWS employees, $ROWS complaints"
"$BUILD_DIR/gen_casedb" --employees "$ROWS" --complaints "$ROWS" --verify

for b in "${benches[@]}"; do
  echo
  echo "== $b"
  "$BUILD_DIR/$b" --rows="$ROWS" \
    --benchmark_repetitions="$REPETITIONS" \
    --benchmark_display_aggregates_only=true \
    --benchmark_counters_tabular=true \
    --benchmark_out="$results/$b.json" --benchmark_out_format=json \
    | tee "$results/$b.txt"
done

echo
echo "== Medians of all benchmarks ($REPETITIONS repetitions; results in $results)"
grep -h '^SUMMARY [^(]' "$results"/*.txt | sed 's/^SUMMARY //'
