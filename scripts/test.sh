#!/usr/bin/env bash
# Sets the machine up, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
[ -f scripts/start-cups.sh ] && bash scripts/start-cups.sh
rm -f build/ctest.log build-asan/ctest.log
ctest --test-dir build --output-on-failure --timeout 900 -j "$(nproc)" | tee build/ctest.log
bash scripts/extra-checks.sh

# One closing line over both test runs (the plain build and the sanitizer
# build); any failure has already ended the script.
passed=0
for log in build/ctest.log build-asan/ctest.log; do
  [ -f "$log" ] || continue
  n=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
  passed=$((passed + ${n:-0}))
done
echo "tests: $passed passed, 0 failed"
