#!/usr/bin/env bash
# Stops the private PostgreSQL cluster that scripts/start-postgres.sh started
# and removes it with its env, password and service files. With --keep the
# server only stops; the next start-postgres.sh starts the same cluster again
# (a test of a server that goes away and comes back can use the pair).
# Safe to run again; does nothing when no cluster was started.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
ENV_FILE=$BUILD_DIR/postgres.env
keep=false
[ "${1:-}" = "--keep" ] && keep=true

[ -f "$ENV_FILE" ] || exit 0
env_value() { sed -n "s/^$1=//p" "$ENV_FILE" | tail -1; }
dir=$(env_value QUILLMARK_PG_DIR)
bindir=$(env_value QUILLMARK_PG_BINDIR)
os_user=$(env_value QUILLMARK_PG_OS_USER)

if [ -f "$dir/data/PG_VERSION" ]; then
  if [ "$(id -u)" -eq 0 ] && [ "$os_user" != root ]; then
    as_server() { (cd / && runuser -u "$os_user" -- "$@"); }
  else
    as_server() { (cd / && "$@"); }
  fi
  if as_server "$bindir/pg_ctl" -D "$dir/data" status >/dev/null 2>&1; then
    as_server "$bindir/pg_ctl" -D "$dir/data" -w -t 60 -m fast stop >/dev/null
  fi
fi
$keep && exit 0

# Only ever a folder that start-postgres.sh made.
case "$dir" in
/tmp/quillmark-pg.*) rm -rf -- "$dir" ;;
esac
rm -f -- "$ENV_FILE" "$BUILD_DIR/postgres.pgpass" "$BUILD_DIR/pg_service.conf"
