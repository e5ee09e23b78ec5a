#!/usr/bin/env bash
# The product sources against .clang-format: every *.h and *.cpp under lib/, programs/, tools/,
# tests/ and bench/ must be as clang-format writes it. Lists the files that differ (with
# clang-format's first complaints for each) and fails if there are any.
# Usage: .ci/format_check.sh [CLANG_FORMAT]   (default: clang-format from PATH)
set -euo pipefail
cd "$(dirname "$0")/.."
tool=${1:-clang-format}
command -v "$tool" >/dev/null || { echo "$tool not found" >&2; exit 1; }

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- 'lib/*.h' 'lib/*.cpp' 'programs/*.h' 'programs/*.cpp' \
    'tools/*.h' 'tools/*.cpp' 'tests/*.h' 'tests/*.cpp' 'bench/*.h' 'bench/*.cpp')
else
  mapfile -t files < <(find lib programs tools tests bench -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
fi

differ=0
for f in "${files[@]}"; do
  if ! out=$("$tool" --style=file --dry-run --Werror "$f" 2>&1); then
    differ=$((differ + 1))
    echo "$f"
    head -n 6 <<<"$out" | sed 's/^/    /'
  fi
done
echo "$("$tool" --version): $differ of ${#files[@]} sources differ from .clang-format"
[ "$differ" -eq 0 ]
