#!/usr/bin/env bash
# Sets the machine up, builds, and starts Quillmark Wizard.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != "offscreen" ]; then
  echo "Quillmark Wizard is a desktop program and needs a display, but none is set (DISPLAY is empty)." >&2
  echo "Start it from a desktop session, or under a virtual display: xvfb-run -a bash scripts/run.sh" >&2
  exit 1
fi
exec ./build/quillmark-wizard "$@"
