#!/usr/bin/env bash
# Sets the machine up, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
# Every build the tests make (the plain one, the sanitizer build, the fuzz
# targets, the package) fails on a compiler warning in our own code.
export QUILLMARK_WERROR=${QUILLMARK_WERROR:-ON}
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
[ -f scripts/start-cups.sh ] && bash scripts/start-cups.sh
# The private PostgreSQL cluster the server tests run on, stopped and
# thrown away however the script ends.
bash scripts/start-postgres.sh
# A check still running in the background is waited for before the
# cluster goes.
trap 'wait; bash scripts/stop-postgres.sh' EXIT
rm -f build/ctest.log build-asan/ctest.log
ctest --test-dir build --output-on-failure --timeout 900 -j "$(nproc)" | tee build/ctest.log

# The Debian package: built and linted, installed with apt on this machine,
# started, purged (package-check.sh); then installed into a clean system
# made with debootstrap (package-chroot-check.sh, about 3 minutes, mostly
# waiting on downloads and the disk: it runs beside the sanitizer build and
# its output follows once that is done). SKIP_PACKAGE=1 or SKIP_CHROOT=1
# leaves a part out.
package_checks=0
chroot_pid=""
if [ "${SKIP_PACKAGE:-0}" != 1 ]; then
  bash scripts/package-check.sh
  package_checks=$((package_checks + 1))
  if [ "${SKIP_CHROOT:-0}" != 1 ]; then
    bash scripts/package-chroot-check.sh build-package/quillmark-wizard_*.deb \
      >build/chroot-check.log 2>&1 &
    chroot_pid=$!
  fi
fi

bash scripts/extra-checks.sh

if [ -n "$chroot_pid" ]; then
  chroot_status=0
  wait "$chroot_pid" || chroot_status=$?
  cat build/chroot-check.log
  [ "$chroot_status" -eq 0 ] || { echo "the clean-system package check failed" >&2; exit 1; }
  package_checks=$((package_checks + 1))
fi

# The sources keep .clang-format and name a context object in every
# connection (scripts/check-style.sh). SKIP_STYLE=1 leaves it out.
if [ "${SKIP_STYLE:-0}" != 1 ]; then
  bash scripts/check-style.sh
fi

# One closing line over both test runs (the plain build and the sanitizer
# build) and the package checks; any failure has already ended the script.
passed=$package_checks
for log in build/ctest.log build-asan/ctest.log; do
  [ -f "$log" ] || continue
  n=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
  passed=$((passed + ${n:-0}))
done
echo "tests: $passed passed, 0 failed"
