#!/usr/bin/env bash
# The private PostgreSQL cluster the server tests run on: the roles have
# exactly the rights those tests count on, a restart keeps what was
# committed, and stopping leaves nothing behind. Runs a cluster of its own
# (its own build folder), beside any other.
set -euo pipefail
cd "$(dirname "$0")/../.."

export BUILD_DIR
BUILD_DIR=$(mktemp -d)
trap 'bash scripts/stop-postgres.sh; rm -rf -- "$BUILD_DIR"' EXIT

fail() {
  echo "FAILED: $*" >&2
  exit 1
}
env_value() { sed -n "s/^$1=//p" "$BUILD_DIR/postgres.env"; }

bash scripts/start-postgres.sh >/dev/null
for key in PGHOST PGPORT PGUSER PGPASSFILE PGSERVICEFILE QUILLMARK_PG_DIR QUILLMARK_PG_BINDIR \
  QUILLMARK_PG_STEWARD QUILLMARK_PG_PASSWORD_ROLE QUILLMARK_PG_PASSWORD; do
  [ -n "$(env_value "$key")" ] || fail "the env file has no $key"
done
dir=$(env_value QUILLMARK_PG_DIR)
port=$(env_value PGPORT)
export PGPASSFILE PGSERVICEFILE
PGPASSFILE=$(env_value PGPASSFILE)
PGSERVICEFILE=$(env_value PGSERVICEFILE)
psql_bin="$(env_value QUILLMARK_PG_BINDIR)/psql"

# sql ROLE DATABASE VIA STATEMENT: prints the result; VIA is "socket" or "tcp".
sql() {
  local host=$dir
  [ "$3" = tcp ] && host=127.0.0.1
  "$psql_bin" -X -q -w -At -v ON_ERROR_STOP=1 -h "$host" -p "$port" -U "$1" -d "$2" -c "$4" 2>&1
}
refused() { # what, then sql's arguments: the statement must fail
  local what=$1
  shift
  if out=$(sql "$@"); then fail "$what was allowed: $out"; fi
}

sql quillmark quillmark_shared tcp "CREATE TABLE \"Employee\" (k bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, \"Name\" varchar(50))" >/dev/null \
  || fail "the superuser cannot create a table over TCP with its password file"
[ "$(sql qm_steward quillmark_shared socket "INSERT INTO \"Employee\" (\"Name\") VALUES ('Ann') RETURNING k")" = 1 ] \
  || fail "the steward cannot insert into a table the superuser made"
sql qm_steward quillmark_shared tcp "UPDATE \"Employee\" SET \"Name\" = 'Anne'; SELECT * FROM \"Employee\"; DELETE FROM \"Employee\" WHERE false" >/dev/null \
  || fail "the steward cannot update, read or delete"
refused "the steward's CREATE TABLE" qm_steward quillmark_shared socket "CREATE TABLE x (a int)"
refused "the steward's TRUNCATE" qm_steward quillmark_shared socket "TRUNCATE \"Employee\""
refused "the steward's DROP TABLE" qm_steward quillmark_shared socket "DROP TABLE \"Employee\""
refused "CREATE TABLE by the role without CREATE" qm_nocreate quillmark_nocreate socket "CREATE TABLE x (a int)"
[ "$(sql qm_nocreate quillmark_nocreate tcp "SELECT current_user")" = qm_nocreate ] \
  || fail "the role without CREATE cannot connect to its database"

refused "the password role without a password over TCP" qm_password postgres tcp "SELECT 1"
refused "the password role without a password on the socket" qm_password postgres socket "SELECT 1"
[[ "$(sql qm_password postgres tcp "SELECT 1")" == *"no password supplied"* ]] \
  || fail "the password role is not asked for a password"
PGPASSWORD=wrong refused "a wrong password" qm_password postgres tcp "SELECT 1"
[ "$(PGPASSWORD=$(env_value QUILLMARK_PG_PASSWORD) sql qm_password postgres tcp "SELECT current_user")" = qm_password ] \
  || fail "the password role's own password is refused"
[ "$(PGSERVICE=$(env_value QUILLMARK_PG_SERVICE) "$psql_bin" -X -w -At -c "SELECT current_user || '@' || current_database()")" = qm_steward@quillmark_shared ] \
  || fail "the service file does not reach the steward's database"

# A commit reported before the server is killed outright survives it.
sql quillmark quillmark_shared socket "INSERT INTO \"Employee\" (\"Name\") VALUES ('committed')" >/dev/null
data=$(env_value QUILLMARK_PG_DATA)
if [ "$(id -u)" -eq 0 ]; then
  runuser -u "$(env_value QUILLMARK_PG_OS_USER)" -- "$(env_value QUILLMARK_PG_BINDIR)/pg_ctl" -D "$data" -m immediate -w stop >/dev/null
else
  "$(env_value QUILLMARK_PG_BINDIR)/pg_ctl" -D "$data" -m immediate -w stop >/dev/null
fi
bash scripts/start-postgres.sh >/dev/null
[ "$(env_value QUILLMARK_PG_DIR)" = "$dir" ] || fail "a restart made a new cluster instead of starting the old one"
port=$(env_value PGPORT)
[ "$(sql quillmark quillmark_shared socket "SELECT count(*) FROM \"Employee\" WHERE \"Name\" = 'committed'")" = 1 ] \
  || fail "a committed row was lost when the server was killed"

bash scripts/start-postgres.sh >/dev/null
[ "$(env_value PGPORT)" = "$port" ] || fail "starting a running cluster again moved it"
bash scripts/stop-postgres.sh
[ ! -e "$dir" ] || fail "stopping left $dir behind"
[ ! -e "$BUILD_DIR/postgres.env" ] || fail "stopping left the env file behind"
bash scripts/stop-postgres.sh || fail "stopping twice fails"
echo "postgres cluster: all checks passed"
