#!/usr/bin/env bash
# Fit figures on a 1M-point cloud: generates the sample shape with one million
# points, runs the console tool with the default weights and prints the
# report's figures (time, distances absolute and relative to the diagonal).
#   BUILD=folder (default: build)   POINTS=n (default: 1000000)
set -euo pipefail
cd "$(dirname "$0")/.."
RACINE=$PWD
BUILD=${BUILD:-build}
case "$BUILD" in /*) ;; *) BUILD="$RACINE/$BUILD" ;; esac
POINTS=${POINTS:-1000000}
cmake --build "$BUILD" --target pelvane make_sample
TRAVAIL=$(mktemp -d)
trap 'rm -rf "$TRAVAIL"' EXIT
"$BUILD/tools/make_sample" "$TRAVAIL/galet1m.pts" "$POINTS"
cd "$BUILD"
/usr/bin/time -f "temps total (s) = %e, mémoire max (Ko) = %M" \
  ./Pelvane/Pelvane.exe --cloud "$TRAVAIL/galet1m.pts" --out "$TRAVAIL/sortie" >/dev/null 2>"$TRAVAIL/progression.txt" \
  || [ $? -eq 8 ] || { cat "$TRAVAIL/progression.txt"; exit 1; }
grep -v "^Pelvane : rapport\|^Pelvane : résultat" "$TRAVAIL/progression.txt"
cat "$TRAVAIL/sortie/galet1m.rapport.txt"
