#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh), installs it with apt-get so
# that its declared dependencies are what brings the runtime in, checks the
# installed program (scripts/check-installed.sh), removes and purges the
# package, and checks that the steward's database and settings are still
# there, unchanged. Run as root.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/package.sh
deb=$(ls "${PACKAGE_BUILD_DIR:-build-package}"/quillmark-wizard_*.deb)
version=$(dpkg-deb -f "$deb" Version)
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=600 "$@"; }

# Nothing runs at install or removal: no maintainer script can touch a
# steward's files.
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E '(pre|post)(inst|rm)$' || true)
[ -z "$scripts" ] || { echo "FAIL: the package carries maintainer scripts: $scripts" >&2; exit 1; }

echo "== apt-get install ./$deb"
apt_get install --reinstall "./$deb" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
QUILLMARK_ACCESS_SAMPLE="$PWD/../shared/access-samples/testV1997.mdb" \
  bash scripts/check-installed.sh "$version" "$work"

before=$(cd "$work" && find home cases -type f -print0 | sort -z | xargs -0 sha256sum)
echo "== apt-get purge quillmark-wizard"
apt_get purge quillmark-wizard >/dev/null
[ ! -e /usr/bin/quillmark-wizard ] || { echo "FAIL: /usr/bin/quillmark-wizard is still there" >&2; exit 1; }
after=$(cd "$work" && find home cases -type f -print0 | sort -z | xargs -0 sha256sum)
[ "$before" = "$after" ] || { echo "FAIL: removing the package changed the steward's files" >&2; diff <(echo "$before") <(echo "$after") >&2; exit 1; }
echo "ok: purged; the steward's $(wc -l <<<"$after") files are untouched"
echo "package check: passed"
