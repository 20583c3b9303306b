#!/usr/bin/env bash
# Starts a private PostgreSQL cluster for the tests and the benchmarks: a
# throwaway data folder under /tmp, a Unix socket in that folder and
# 127.0.0.1 on a free port. What a test program needs to reach it goes into
# $BUILD_DIR/postgres.env (one KEY=VALUE per line, the value running to the
# end of the line), beside a password file and a service file that libpq
# reads through PGPASSFILE and PGSERVICEFILE.
#
# The server refuses to run as root. Started by root, it runs as the system
# user quillmark-pg, made here when missing: the package's own "postgres"
# user owns the machine's real clusters, which a test server has no business
# reaching. Started by anyone else, it runs as that user.
#
# Roles:
#   quillmark     superuser, for setting up databases
#   qm_steward    SELECT, INSERT, UPDATE and DELETE on the tables the
#                 superuser creates in the database quillmark_shared, nothing else
#   qm_nocreate   may connect to the empty database quillmark_nocreate, not
#                 create anything in it
#   qm_password   always asked for its password, which is in the env file
#                 only (not in the password file)
# Over the socket every other role is trusted; over TCP every role gives its
# password (scram-sha-256).
#
# Safe to run again: a cluster that runs is kept, one stopped by
# stop-postgres.sh --keep is started again on its port. Quick: about two
# seconds for a new cluster.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
mkdir -p "$BUILD_DIR"
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)
ENV_FILE=$BUILD_DIR/postgres.env
PASS_FILE=$BUILD_DIR/postgres.pgpass
SERVICE_FILE=$BUILD_DIR/pg_service.conf
OS_USER=quillmark-pg
ADMIN=quillmark

die() {
  echo "start-postgres: $*" >&2
  exit 1
}

# The newest server installed (15 or later: the cluster's ICU default
# collation needs initdb's --locale-provider).
bindir=""
for d in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V); do
  [ -x "$d/initdb" ] && [ -x "$d/pg_ctl" ] && bindir=$d
done
[ -n "$bindir" ] || die "the PostgreSQL server is not installed (scripts/setup.sh installs it)"

if [ "$(id -u)" -eq 0 ]; then
  if ! id -u "$OS_USER" >/dev/null 2>&1; then
    useradd --system --user-group --no-create-home --home-dir /nonexistent \
      --shell /usr/sbin/nologin "$OS_USER"
  fi
  as_server() { (cd / && runuser -u "$OS_USER" -- "$@"); }
else
  OS_USER=$(id -un)
  as_server() { (cd / && "$@"); }
fi

env_value() { # key: its value in the env file, empty when absent
  [ -f "$ENV_FILE" ] && sed -n "s/^$1=//p" "$ENV_FILE" | tail -1 || true
}

port_free() { ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

secret() { head -c 18 /dev/urandom | base64 | tr -d '/+=\n'; }

# Starts the cluster in $data on a free port, the given one first; sets port.
start_server() {
  local want=$1 tries
  for tries in $(seq 1 20); do
    port=$want
    if [ -z "$port" ] || ! port_free "$port"; then
      port=$((20000 + RANDOM % 20000))
      port_free "$port" || continue
    fi
    if as_server "$bindir/pg_ctl" -D "$data" -l "$dir/server.log" -w -t 60 \
      -o "-p $port" start >/dev/null; then
      return 0
    fi
    # Another program took the port between the check and the start.
    if ! grep -q "could not bind\|could not create any TCP/IP sockets" "$dir/server.log"; then
      tail -n 20 "$dir/server.log" >&2
      die "the server did not start"
    fi
    want=""
  done
  die "no free port found"
}

admin_psql() { # database, then psql's own arguments
  local db=$1
  shift
  "$bindir/psql" -X -q -v ON_ERROR_STOP=1 -h "$dir" -p "$port" -U "$ADMIN" -d "$db" "$@"
}

# A cluster from an earlier run: keep it when it still runs, restart it when
# it was only stopped.
dir=$(env_value QUILLMARK_PG_DIR)
if [ -n "$dir" ] && [ -f "$dir/data/PG_VERSION" ]; then
  data=$dir/data
  port=$(env_value PGPORT)
  if ! as_server "$bindir/pg_ctl" -D "$data" status >/dev/null 2>&1; then
    old_port=$port
    start_server "$port"
    if [ "$port" != "$old_port" ]; then
      sed -i "s/^PGPORT=.*/PGPORT=$port/" "$ENV_FILE"
      sed -i "s/^\(127\.0\.0\.1\):[0-9]*:/\1:$port:/" "$PASS_FILE"
      sed -i "s/^port=.*/port=$port/" "$SERVICE_FILE"
    fi
  fi
  admin_psql postgres -c "SELECT 1" >/dev/null || die "the cluster in $dir does not answer"
  echo "start-postgres: running on port $port, socket in $dir ($ENV_FILE)"
  exit 0
fi

dir=$(mktemp -d /tmp/quillmark-pg.XXXXXX)
data=$dir/data
chmod 0700 "$dir"
[ "$(id -u)" -eq 0 ] && chown "$OS_USER:" "$dir"
# A cluster that fails half-way is stopped and removed, so that no server
# runs without an env file naming it.
incomplete=true
discard_incomplete() {
  $incomplete || return 0
  as_server "$bindir/pg_ctl" -D "$data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf -- "$dir"
}
trap discard_incomplete EXIT

# A natural-language default collation (ICU, English), as most servers have
# one: a statement that leans on the default instead of naming the collation
# it needs sorts and folds differently here than under "C", and tests see it.
as_server "$bindir/initdb" -D "$data" -U "$ADMIN" --encoding=UTF8 --locale=C.UTF-8 \
  --locale-provider=icu --icu-locale=en-US --auth-local=trust --auth-host=scram-sha-256 \
  --no-sync >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; die "initdb failed"; }

# fsync off: the cluster lives for one test run and only an operating-system
# crash (not a killed or restarted server, which the tests do) could lose a
# commit with it. Commits stay synchronous, so a server stopped with
# "immediate" keeps every transaction that was reported committed.
as_server tee -a "$data/postgresql.conf" >/dev/null <<EOF

# quillmark test cluster
listen_addresses = '127.0.0.1'
unix_socket_directories = '$dir'
unix_socket_permissions = 0700
fsync = off
full_page_writes = off
synchronous_commit = on
max_connections = 200
password_encryption = scram-sha-256
EOF
as_server tee "$data/pg_hba.conf" >/dev/null <<'EOF'
# TYPE  DATABASE  USER         ADDRESS       METHOD
local   all       qm_password                scram-sha-256
local   all       all                        trust
host    all       all          127.0.0.1/32  scram-sha-256
EOF

start_server ""

admin_password=$(secret)
steward_password=$(secret)
nocreate_password=$(secret)
password_password=$(secret)
admin_psql postgres \
  -v admin_pw="$admin_password" -v steward_pw="$steward_password" \
  -v nocreate_pw="$nocreate_password" -v password_pw="$password_password" <<'SQL'
ALTER ROLE quillmark PASSWORD :'admin_pw';
CREATE ROLE qm_steward LOGIN PASSWORD :'steward_pw';
CREATE ROLE qm_nocreate LOGIN PASSWORD :'nocreate_pw';
CREATE ROLE qm_password LOGIN PASSWORD :'password_pw';
CREATE DATABASE quillmark_shared;
CREATE DATABASE quillmark_nocreate;
-- The program makes its tables as the superuser; the steward gets the row
-- rights on each table made there, and nothing more.
\connect quillmark_shared
REVOKE CREATE ON SCHEMA public FROM PUBLIC;
-- Find's trigram indexes (see the README's administrator section).
CREATE EXTENSION IF NOT EXISTS pg_trgm;
GRANT USAGE ON SCHEMA public TO qm_steward;
ALTER DEFAULT PRIVILEGES FOR ROLE quillmark IN SCHEMA public
  GRANT SELECT, INSERT, UPDATE, DELETE ON TABLES TO qm_steward;
\connect quillmark_nocreate
REVOKE CREATE ON SCHEMA public FROM PUBLIC;
SQL

umask 077
cat >"$PASS_FILE" <<EOF
127.0.0.1:$port:*:$ADMIN:$admin_password
127.0.0.1:$port:*:qm_steward:$steward_password
127.0.0.1:$port:*:qm_nocreate:$nocreate_password
EOF
cat >"$SERVICE_FILE" <<EOF
[quillmark_test]
host=127.0.0.1
port=$port
dbname=quillmark_shared
user=qm_steward
EOF
cat >"$ENV_FILE" <<EOF
PGHOST=$dir
PGPORT=$port
PGUSER=$ADMIN
PGDATABASE=postgres
PGPASSFILE=$PASS_FILE
PGSERVICEFILE=$SERVICE_FILE
QUILLMARK_PG_TCP_HOST=127.0.0.1
QUILLMARK_PG_ADMIN_PASSWORD=$admin_password
QUILLMARK_PG_STEWARD=qm_steward
QUILLMARK_PG_STEWARD_PASSWORD=$steward_password
QUILLMARK_PG_STEWARD_DATABASE=quillmark_shared
QUILLMARK_PG_NOCREATE=qm_nocreate
QUILLMARK_PG_NOCREATE_DATABASE=quillmark_nocreate
QUILLMARK_PG_PASSWORD_ROLE=qm_password
QUILLMARK_PG_PASSWORD=$password_password
QUILLMARK_PG_SERVICE=quillmark_test
QUILLMARK_PG_DIR=$dir
QUILLMARK_PG_DATA=$data
QUILLMARK_PG_BINDIR=$bindir
QUILLMARK_PG_OS_USER=$OS_USER
EOF
incomplete=false
echo "start-postgres: new cluster on port $port, socket in $dir ($ENV_FILE)"
