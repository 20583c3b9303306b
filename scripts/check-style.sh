#!/usr/bin/env bash
# The C++ sources keep the project's habits:
#  - they are formatted as .clang-format says (clang-format 14, Debian 12's);
#  - every connection to a function names a context object, so that it ends
#    with that object: connect(sender, signal, context, function). Qt reads
#    QT_NO_CONTEXTLESS_CONNECT only from 6.7 on; this keeps the rule on 6.4.
# Checks the files git tracks (all of src/, tests/, bench/ and fuzz/ outside
# a git checkout). Usage: scripts/check-style.sh [FILE...]
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -gt 0 ]; then
  files=("$@")
elif git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
  mapfile -t files < <(find src tests bench fuzz -name '*.cpp' -o -name '*.h' | sort)
fi

clang_format=$(command -v clang-format-14 || command -v clang-format || true)
[ -n "$clang_format" ] || { echo "clang-format is missing: run scripts/setup.sh" >&2; exit 1; }
status=0
"$clang_format" --dry-run -Werror "${files[@]}" || {
  echo "Formatting differs from .clang-format: run $clang_format -i on the files above." >&2
  status=1
}

# Reads each file whole, passes over comments, strings and character
# constants, and counts the arguments of every call to connect(): three
# arguments that are not SIGNAL()/SLOT() texts connect without a context.
contextless=0
for f in "${files[@]}"; do
  awk -v file="$f" '
  BEGIN { RS = "\001" }
  {
    s = $0; n = length(s); line = 1; i = 1
    while (i <= n) {
      c = substr(s, i, 1)
      if (c == "\n") { line++; i++; continue }
      if (substr(s, i, 2) == "//") { while (i <= n && substr(s, i, 1) != "\n") i++; continue }
      if (substr(s, i, 2) == "/*") {
        i += 2
        while (i <= n && substr(s, i, 2) != "*/") { if (substr(s, i, 1) == "\n") line++; i++ }
        i += 2; continue
      }
      if (c == "\"" || c == "\047") { i = skipQuoted(s, i, c); continue }
      if (substr(s, i, 8) == "connect(" && (i == 1 || substr(s, i - 1, 1) !~ /[A-Za-z0-9_]/)) {
        start = line; j = i + 8; depth = 1; args = 1; arg = ""; third = ""
        while (j <= n && depth > 0) {
          d = substr(s, j, 1)
          if (d == "\n") line++
          if (d == "\"" || d == "\047") { k = skipQuoted(s, j, d); arg = arg substr(s, j, k - j); j = k; continue }
          if (d == "(" || d == "[" || d == "{") depth++
          else if (d == ")" || d == "]" || d == "}") depth--
          if (depth == 1 && d == ",") { if (args == 3) third = arg; args++; arg = ""; j++; continue }
          if (depth > 0) arg = arg d
          j++
        }
        if (args == 3) third = arg
        gsub(/^[ \t\n]+/, "", third)
        if (args == 3 && third !~ /^(SLOT|SIGNAL)\(/) {
          printf "%s:%d: connect() without a context object\n", file, start
          bad = 1
        }
        i = j; continue
      }
      i++
    }
  }
  function skipQuoted(str, at, q,    k) {
    k = at + 1
    while (k <= length(str) && substr(str, k, 1) != q) { if (substr(str, k, 1) == "\\") k++; k++ }
    return k + 1
  }
  END { exit bad }
  ' "$f" || contextless=1
done
if [ "$contextless" != 0 ]; then
  echo "Name a context object: connect(sender, signal, context, function)." >&2
  status=1
fi
exit $status
