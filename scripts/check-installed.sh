#!/usr/bin/env bash
# Checks an installed Quillmark Wizard as a steward would meet it: the menu
# entry and icon are in place, --version and --help answer (also without a
# display), and a real start on Qt's offscreen platform creates a new case
# database, then ends cleanly when asked to by SIGTERM, as a desktop session
# asks at log-out.
#
#   check-installed.sh VERSION [WORK_DIR]
#
# Needs inotify-tools and sqlite3. Leaves the steward's files it made in
# WORK_DIR (a new temporary folder when not given) and prints that folder
# on its last line, so the caller can check that they outlive the package.
set -euo pipefail

version=$1
work=${2:-$(mktemp -d)}
program=/usr/bin/quillmark-wizard
id=org.quillmark.wizard
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -x "$program" ] || fail "$program is not installed"
for f in /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/$id.svg /usr/share/icons/hicolor/48x48/apps/$id.png \
         /usr/share/man/man1/quillmark-wizard.1.gz; do
  [ -s "$f" ] || fail "$f is missing"
done
grep -qx "Exec=quillmark-wizard" /usr/share/applications/$id.desktop || fail "the menu entry does not start $program"

out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --version) || fail "--version failed"
[ "$out" = "Quillmark Wizard $version" ] || fail "--version printed '$out', not the package's version $version"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help) || fail "--help failed"
grep -q -- '--database <PATH-OR-URI>' <<<"$out" || fail "--help does not describe --database"
status=0
QT_QPA_PLATFORM=offscreen "$program" --no-such-option 2>/dev/null || status=$?
[ "$status" -eq 2 ] || fail "an unknown option ended with status $status, not 2"
echo "ok: files in place, --version ($version), --help and a refused option"

# The Access reader is found where the package put it: the import lists the
# tables of a sample file (none is a case table, so nothing is imported).
sample=${QUILLMARK_ACCESS_SAMPLE:-}
if [ -n "$sample" ] && [ -r "$sample" ]; then
  mkdir -p "$work/access"
  # The import never makes a case database the command line names; an empty
  # file is a new one.
  : >"$work/access/cases.db"
  status=0
  err=$(HOME="$work/access" "$program" --import-access "$sample" --database "$work/access/cases.db" 2>&1 >/dev/null) || status=$?
  { [ "$status" -eq 1 ] && grep -q "(Table1, Table2, Table3, Table4)" <<<"$err"; } ||
    fail "--import-access did not read $sample through the installed reader (status $status): $err"
  echo "ok: the installed Access reader lists the tables of $(basename "$sample")"
else
  echo "skipped: the Access import check, as QUILLMARK_ACCESS_SAMPLE names no readable file"
fi

# A real start in a fresh home. The option names the database and wins over
# the variable, which names another file that must not appear.
home="$work/home"
cases="$work/cases"
mkdir -p "$home" "$cases"
db="$cases/Quillmark.db"
# A file the command line names that is not there is made only when the
# steward says so, which nobody can offscreen; an empty file is a new
# database, made without a question (under another name, then moved here).
: >"$db"

# Wait for the database to appear rather than for a time: inotifywait
# reports the file when it is created or, as a new database is made under
# another name and renamed when complete, moved into place; only then is the
# signal sent. The program
# catches SIGTERM before it opens the database, so no start-up stage can
# lose it.
coproc WATCH { exec inotifywait -m -e create -e moved_to --format '%f' "$cases" 2>&1; }
while read -r -t 60 line <&"${WATCH[0]}"; do
  [ "$line" = "Watches established." ] && break
done
HOME="$home" XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=offscreen \
  QUILLMARK_DATABASE="$work/from-variable.db" \
  "$program" --database "$db" >"$work/program.log" 2>&1 &
pid=$!
created=no
while read -r -t 60 line <&"${WATCH[0]}"; do
  if [ "$line" = "Quillmark.db" ]; then created=yes; break; fi
done
kill "$WATCH_PID" 2>/dev/null || true
[ "$created" = yes ] || { kill -KILL "$pid" 2>/dev/null; cat "$work/program.log" >&2; fail "the program created no database"; }
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { cat "$work/program.log" >&2; fail "the program ended with status $status after SIGTERM"; }
echo "ok: started offscreen, created the database, ended cleanly on SIGTERM"

# The two case tables, the deadline tables beside them, the log of who last
# changed each case row, and Find's two full-text indexes (whose own storage
# tables, "<index>_data" and the like, SQLite keeps beside them).
tables=$(sqlite3 "$db" "SELECT group_concat(name, ' ') FROM (SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' AND name NOT LIKE '% Find%' ORDER BY name)")
[ "$tables" = "Complaints Deadline Settings Employee Grievance Status Grievance Steps Holidays Quillmark Changes Time Limits" ] || fail "the new database holds the tables '$tables'"
indexes=$(sqlite3 "$db" "SELECT group_concat(name, ' ') FROM (SELECT name FROM sqlite_master WHERE type = 'table' AND sql LIKE 'CREATE VIRTUAL TABLE%' ORDER BY name)")
[ "$indexes" = "Complaint Find Employee Find" ] || fail "the new database holds the full-text indexes '$indexes'"
[ "$(sqlite3 "$db" 'PRAGMA journal_mode')" = wal ] || fail "the new database is not in WAL mode"
# A clean end checkpoints and removes the write-ahead log; a killed program leaves it.
[ ! -e "$db-wal" ] || fail "the write-ahead log is still there: the database was not closed"
# Another program's write is kept in the log of changes too, by nobody the
# program knows.
logged=$(sqlite3 "$db" "INSERT INTO Employee (\"File Number\") VALUES ('CHECK-1'); SELECT \"Table\" || '|' || \"Change\" || '|' || coalesce(\"By\", '') FROM \"Quillmark Changes\"; DELETE FROM Employee WHERE \"File Number\" = 'CHECK-1'")
[ "$logged" = "Employee|insert|" ] || fail "another program's insert was logged as '$logged'"
[ ! -e "$work/from-variable.db" ] || fail "QUILLMARK_DATABASE won over --database"
settings="$home/.config/Quillmark_Wizard/Quillmark_Wizard.conf"
grep -q '^MainLeft=' "$settings" || fail "the window's placement was not written to $settings"
echo "ok: the database has its tables and WAL mode, the log is closed, the placement is written"
echo "$work"
