#!/usr/bin/env bash
# Installs the Debian package into a clean Debian system made afresh with
# debootstrap (minbase: no Qt, no fonts, nothing of this machine's builds),
# with apt, so that only the package's declared dependencies bring the
# runtime in; then runs scripts/check-installed.sh inside it. Run as root.
#
#   package-chroot-check.sh [PACKAGE.deb]
#
# The system is made in build-chroot/ and removed at the end. Downloaded
# packages are kept in $QUILLMARK_CHROOT_CACHE (default
# /var/cache/quillmark-chroot) so that later runs need not fetch them again.
# The mirror and release are the ones this machine's apt uses.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)

deb=${1:-}
if [ -z "$deb" ]; then
  deb=$(bash scripts/package.sh | tail -1)
fi
version=$(dpkg-deb -f "$deb" Version)
command -v debootstrap >/dev/null || SKIP_BUILD=1 bash scripts/setup.sh

. /etc/os-release
suite=$VERSION_CODENAME
mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' |
  awk -v s="$suite" '$2 == s && $3 == "main" { print $1; exit }')
[ -n "$mirror" ] || { echo "apt on this machine has no '$suite main' source to copy" >&2; exit 1; }

cache=${QUILLMARK_CHROOT_CACHE:-/var/cache/quillmark-chroot}
root=$PWD/build-chroot/root
mkdir -p "$cache/debootstrap" "$cache/apt" "$(dirname "$root")"

# What is mounted below the system's root (also what a killed earlier run
# left), deepest first.
mounts_below() { findmnt -rn -o TARGET | grep "^$root/" | sort -r || true; }
cleanup() {
  local m
  for m in $(mounts_below); do umount "$m" 2>/dev/null || umount -l "$m" || true; done
  # The bind mounts lead to this machine's /dev and /proc: never delete
  # through one that is still there.
  if [ -n "$(mounts_below)" ]; then
    echo "Not removing $root: something is still mounted below it." >&2
    return 1
  fi
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT
cleanup

echo "== debootstrap $suite into $root"
debootstrap --variant=minbase --cache-dir="$cache/debootstrap" "$suite" "$root" "$mirror" >"$root.log" 2>&1 ||
  { tail -20 "$root.log" >&2; exit 1; }
made=$(date +%s)

for fs in proc dev; do
  mount --bind "/$fs" "$root/$fs"
done
mount --bind "$cache/apt" "$root/var/cache/apt/archives"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
cp scripts/check-installed.sh "$root/tmp/"

in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }
echo "== apt-get install ./$(basename "$deb") in the clean system"
in_root apt-get -q update >/dev/null
in_root env DEBIAN_FRONTEND=noninteractive apt-get -y -q --no-install-recommends \
  install "./tmp/$(basename "$deb")" inotify-tools sqlite3 >"$root.apt.log" 2>&1 ||
  { tail -20 "$root.apt.log" >&2; exit 1; }
installed=$(date +%s)
# Whatever the first run fetched stays for the next (apt clears it otherwise).
echo "   $(grep -c '^Get:' "$root.apt.log" || true) packages fetched, the rest from $cache"

in_root bash /tmp/check-installed.sh "$version" /tmp/steward
done_at=$(date +%s)
echo "chroot check: passed in $((done_at - start)) s" \
  "(system made in $((made - start)) s, package installed in $((installed - made)) s," \
  "checked in $((done_at - installed)) s)"
