#!/usr/bin/env bash
# Takes the README screenshots under Xvfb: the main window with the bundled
# sample cloud and a fitted mesh in each display mode, a slice, and the
# preferences. They are written to docs/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
cmake -S . -B "$BUILD" -G Ninja >/dev/null
cmake --build "$BUILD" --target tarnis_captures
OUT="$(pwd)/docs/screenshots"
SAMPLE="$(pwd)/data/sample/galet.pts"
mkdir -p "$OUT"
# A real scan for the framing and the precise fit, when the shared data is there.
SCAN="$(pwd)/../shared/data/meshes/stanford/bun_zipper_res2.pts"
[ -f "$SCAN" ] || SCAN=""
(cd "$BUILD" && xvfb-run -a -s "-screen 0 1280x1024x24" ./tarnis_captures "$OUT" "$SAMPLE" $SCAN)
echo "screenshots written to $OUT"
