#!/usr/bin/env bash
# scripts/check-style.sh on seeded files: it passes connections that name a
# context object (and calls that only look like one, in comments and
# strings), and fails a connection without a context and a file that is not
# formatted as .clang-format says.
#   tests/style/check_style_seeded.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work="$1/style-seeded"
rm -rf "$work"
mkdir -p "$work"
clang_format=$(command -v clang-format-14 || command -v clang-format)

cat >"$work/good.cpp" <<'CPP'
#include <QObject>

void wire(QObject *a, QObject *b)
{
    QObject::connect(a, &QObject::destroyed, b, [] {});
    QObject::connect(a, &QObject::objectNameChanged, b, [](const QString &) {},
                     Qt::QueuedConnection);
    b->connect(a, SIGNAL(destroyed()), SLOT(deleteLater()));
    // connect(a, &QObject::destroyed, [] {}) in a comment is no call
    const char *text = "connect(a, &QObject::destroyed, [] {})";
    (void)text;
}
CPP
cat >"$work/contextless.cpp" <<'CPP'
#include <QObject>

void wire(QObject *a)
{
    QObject::connect(a, &QObject::destroyed, [a] {
        if (a)
            return;
    });
}
CPP
printf '#include <QObject>\nint  x=1;\n' >"$work/unformatted.cpp"
"$clang_format" -i "$work/good.cpp" "$work/contextless.cpp"

fail() { echo "FAIL: $*" >&2; exit 1; }
bash "$root/scripts/check-style.sh" "$work/good.cpp" || fail "good.cpp was refused"
out=$(bash "$root/scripts/check-style.sh" "$work/contextless.cpp" 2>&1) && fail "contextless.cpp passed"
grep -q "contextless.cpp:5: connect() without a context object" <<<"$out" ||
  fail "no line for contextless.cpp: $out"
bash "$root/scripts/check-style.sh" "$work/unformatted.cpp" >/dev/null 2>&1 && fail "unformatted.cpp passed"
rm -rf "$work"
echo "check-style: seeded faults caught"
