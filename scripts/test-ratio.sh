#!/usr/bin/env bash
# Prints the size of the test code against the rest of the code and, given a limit
# (e.g. 0.40), fails when the ratio is above it.
#   bash scripts/test-ratio.sh [limit]
# Counted: C and C++ sources (.c .cc .cpp .h .hpp .inl) that are not blank, not `//`
# comments and not lines starting with `*` or `/*`. Test code is tests/ and fuzz/; the
# rest is the module, the host tools, the sample components, bench/ and the other tools.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
limit=${1:-}
cd "$root"

list_sources() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files --cached --others --exclude-standard
  else
    find . -path ./build -prune -o -type f -print | sed 's|^\./||'
  fi | grep -E '\.(c|cc|cpp|h|hpp|inl)$' | while read -r f; do [ -f "$f" ] && echo "$f"; done
}

count_lines() {
  xargs -r cat -- | awk '{
    line = $0; sub(/^[ \t\r]+/, "", line); sub(/[ \t\r]+$/, "", line)
    if (line == "" || line ~ /^\/\// || line ~ /^\*/ || line ~ /^\/\*/) next
    n++
  } END { print n + 0 }'
}

sources=$(list_sources)
tests=$(grep -E '^(tests|fuzz)/' <<<"$sources" | count_lines)
rest=$(grep -vE '^(tests|fuzz)/' <<<"$sources" | count_lines)
ratio=$(awk -v t="$tests" -v r="$rest" 'BEGIN { printf "%.2f", (r > 0 ? t / r : 0) }')
echo "test code: $tests lines, rest: $rest lines, ratio $ratio${limit:+ (limit $limit)}"
if [ -n "$limit" ] && awk -v t="$tests" -v r="$rest" -v l="$limit" 'BEGIN { exit !(t > l * r) }'; then
  echo "test code is above $limit of the rest" >&2
  exit 1
fi
