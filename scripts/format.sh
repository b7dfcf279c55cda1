#!/usr/bin/env bash
# Formats the C++ sources after .clang-format; with --check, changes nothing and fails when a
# file is out of format.
set -euo pipefail
cd "$(dirname "$0")/.."
CLANG_FORMAT=${CLANG_FORMAT:-clang-format}
mapfile -t fichiers < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'fuzz/*.cpp' \
  'tools/*.cpp' 'python/*.cpp' 'examples/*.cpp' 2>/dev/null || true)
if [ "${1:-}" = --check ]; then
  "$CLANG_FORMAT" --dry-run --Werror "${fichiers[@]}"
else
  "$CLANG_FORMAT" -i "${fichiers[@]}"
fi
