#!/usr/bin/env bash
# Fails when a C++ source differs from what the committed .clang-format makes
# of it, so the code stays in one style. Fix with: clang-format -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
fi
clang-format --dry-run --Werror "${files[@]}"
