#!/usr/bin/env bash
# Redraws the application's pictures (icons, splash, window icon, loading.gif)
# into resources/ with the project's own generator. The results are committed,
# so this is only needed after changing tools/resgen/tarnis_resgen.cpp.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
cmake -S . -B "$BUILD" -G Ninja >/dev/null
cmake --build "$BUILD" --target tarnis_resgen
QT_QPA_PLATFORM=offscreen "$BUILD/tarnis_resgen" resources
echo "resources/ redrawn"
