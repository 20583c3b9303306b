#!/usr/bin/env bash
# Installs what the project needs on a Debian 12 machine (as root, or with sudo)
# and configures and builds it into build/. Safe to run again: it installs only
# what is missing and rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6printsupport6 libsqlite3-dev sqlite3
  fonts-liberation2 fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  xvfb xauth x11-utils openbox
  cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils
  librsvg2-bin
  file desktop-file-utils appstream lintian inotify-tools debootstrap
  locales
  postgresql postgresql-15 libqt6sql6-psql libpq-dev
  libcsv-dev
  mdbtools-dev libmdb3 mdbtools
  libical-dev libical3
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Numbers typed on the window must read the same under every locale; the
# tests check that under a German one, whose decimal mark is a comma.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi

# SKIP_BUILD=1: only the packages (scripts/package.sh builds elsewhere).
[ "${SKIP_BUILD:-0}" = 1 ] && exit 0

# QUILLMARK_WERROR=ON (scripts/test.sh) fails the build on any compiler
# warning in the program's own code.
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} \
  -DQUILLMARK_WERROR=${QUILLMARK_WERROR:-OFF} ${CMAKE_EXTRA:-} >/dev/null
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
