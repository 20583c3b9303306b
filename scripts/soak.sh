#!/usr/bin/env bash
# The long run of the crash and two-program tests: 1,000 random kills (CI
# runs 200), the creation kill 200 times (CI: 40), and the two-program and
# damaged-file tests five times each with fresh randomness, and a ten-minute
# office day on the file and (when scripts/start-postgres.sh ran for this
# build) on the server. Not part of CI;
# run it before a release or after touching the database code.
# Usage: scripts/soak.sh [build-dir]   (default build/, built by scripts/setup.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
export QT_QPA_PLATFORM=offscreen
[ -x "$BUILD/test_records" ] || { echo "soak: build $BUILD first (scripts/setup.sh)" >&2; exit 2; }

QUILLMARK_KILL_ROUNDS=${QUILLMARK_KILL_ROUNDS:-1000} QUILLMARK_CREATE_KILL_ROUNDS=${QUILLMARK_CREATE_KILL_ROUNDS:-200} \
  "$BUILD/test_records" --gtest_filter='FaultKill.*'
"$BUILD/test_records" --gtest_filter='FaultTwoPrograms.*:FaultDamagedFile.*' --gtest_repeat=5
"$BUILD/test_app" --gtest_filter='*FaultConflict*:*FaultFile*' --gtest_repeat=2
export QUILLMARK_OFFICE_DAY_SECONDS=${QUILLMARK_OFFICE_DAY_SECONDS:-600}
"$BUILD/test_officeday" --gtest_filter='OfficeDay.*'
QUILLMARK_TEST_BACKEND=postgres "$BUILD/test_officeday" --gtest_filter='OfficeDay.*'
