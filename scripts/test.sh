#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs every test.
# Widget and OpenGL tests need a display: the whole suite runs under xvfb-run.
# Warnings are errors here (TARNIS_STRICT=OFF in the environment turns that off).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD=${BUILD:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNIS_STRICT="${TARNIS_STRICT:-ON}"
cmake --build "$BUILD"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$BUILD" --output-on-failure -j2 --timeout 600
