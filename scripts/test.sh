#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs every test.
# Widget and OpenGL tests need a display: the whole suite runs under xvfb-run.
# Warnings are errors here (TARNIS_STRICT=OFF in the environment turns that off).
# Then the engine, the console tool and the batch command are built a second time under
# AddressSanitizer and UndefinedBehaviorSanitizer (folder build-asan, no interface, no
# benchmarks) and their tests run again there; SANITIZE=0 in the environment skips that.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD=${BUILD:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNIS_STRICT="${TARNIS_STRICT:-ON}"
cmake --build "$BUILD"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$BUILD" --output-on-failure -j2 --timeout 600

if [ "${SANITIZE:-1}" != 0 ]; then
  ASAN=${BUILD_ASAN:-build-asan}
  lanceur=()
  if command -v ccache > /dev/null; then lanceur=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
  debut=$(date +%s)
  cmake -S . -B "$ASAN" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNIS_STRICT="${TARNIS_STRICT:-ON}" \
    -DTARNIS_SANITIZE=ON -DTARNIS_BUILD_GUI=OFF -DTARNIS_BUILD_BENCH=OFF "${lanceur[@]}"
  cmake --build "$ASAN"
  # Any report of either sanitizer fails the test that raised it.
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1} \
    UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan-tiers.supp} \
    ctest --test-dir "$ASAN" --output-on-failure -j2 --timeout 600
  echo "test.sh: sanitizer build and tests in $(($(date +%s) - debut)) s"
fi
