#!/usr/bin/env bash
# Sets the machine up, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
[ -f scripts/start-cups.sh ] && bash scripts/start-cups.sh
ctest --test-dir build --output-on-failure --timeout 900 -j "$(nproc)"
if [ -f scripts/extra-checks.sh ]; then bash scripts/extra-checks.sh; fi
