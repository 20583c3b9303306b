#!/usr/bin/env bash
# Builds the Debian package of Quillmark Wizard into build-package/ and checks
# it with desktop-file-validate, appstreamcli and lintian. Prints the
# package's path on its last line.
#
# The package is made by CPack from the project's own install rules, so the
# version, the file list and the build are the ones CMake already knows.
# The compiler and linker flags are Debian's (dpkg-buildflags, with every
# hardening feature), as a Debian build of the package would use.
set -euo pipefail
cd "$(dirname "$0")/.."

SKIP_BUILD=1 bash scripts/setup.sh

BUILD_DIR=${PACKAGE_BUILD_DIR:-build-package}
# The program ships stripped and no debug-symbol package is made, so the
# debugging information -g would produce is left out rather than compiled
# and thrown away.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g dpkg-buildflags --export=sh)"
# Warnings do not fail the package's build: Debian's hardening flags
# (_FORTIFY_SOURCE, -O2) bring warnings of their own on a newer compiler,
# and a steward's build must not break on them; the test run's plain
# build fails on any warning. QUILLMARK_PACKAGE_WERROR=ON turns it on here.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_INSTALL_PREFIX=/usr -DQUILLMARK_TESTS=OFF -DQUILLMARK_BENCH=OFF \
  -DQUILLMARK_WERROR=${QUILLMARK_PACKAGE_WERROR:-OFF} \
  -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" \
  -DCMAKE_STRIP="$PWD/scripts/package-strip.sh" \
  "${launcher[@]}" >/dev/null
# The program is stripped, so the build folder's name in the debugging
# information does not matter: builds from other checkouts may share cache.
CCACHE_NOHASHDIR=true CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} cmake --build "$BUILD_DIR" --parallel "${JOBS:-$(nproc)}"
rm -f "$BUILD_DIR"/*.deb
(cd "$BUILD_DIR" && cpack -G DEB >cpack.log 2>&1) || { cat "$BUILD_DIR/cpack.log" >&2; exit 1; }
deb=$(ls "$BUILD_DIR"/*.deb)

# The shipped files, as a system would get them.
tree="$BUILD_DIR/deb-contents"
rm -rf "$tree"
dpkg-deb -x "$deb" "$tree"

echo "== desktop-file-validate"
desktop-file-validate "$tree"/usr/share/applications/*.desktop
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net --explain "$tree"/usr/share/metainfo/*.metainfo.xml
echo "== lintian"
# A warning fails the package as an error does.
lintian --fail-on error,warning --display-info "$deb" 2>&1 | grep -v '^running with root privileges' || {
  status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || { echo "lintian found faults in $deb" >&2; exit 1; }
}

size=$(stat -c %s "$deb")
installed=$(dpkg-deb -f "$deb" Installed-Size)
echo "== $(basename "$deb"): $((size / 1024)) KiB to download, ${installed} KiB installed"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
echo "$deb"
