#!/usr/bin/env bash
# The precise fit under the view's timer, built with ThreadSanitizer (folder build-tsan, or
# BUILD_TSAN): the application test fits a cloud in a shown window, whose view draws the mesh
# of the last completed level while the fit reports its progress, then stops a second fit
# halfway. Any report of the sanitizer fails the run. Not part of CI: the build takes minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
TSAN=${BUILD_TSAN:-build-tsan}
lanceur=()
if command -v ccache > /dev/null; then lanceur=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$TSAN" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNIS_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" "${lanceur[@]}" > /dev/null
cmake --build "$TSAN" --target test_application tarnis
supp="$(pwd)/tests/gui/tsan.supp"
cd "$TSAN"
journal=$(mktemp)
statut=0
TSAN_OPTIONS=${TSAN_OPTIONS:-exitcode=66:second_deadlock_stack=1:suppressions=$supp} \
  xvfb-run -a -s "-screen 0 1280x1024x24" ./tests/bin/test_application placementEtAjustementPrecis \
  > "$journal" 2>&1 || statut=$?
grep -E "^(PASS|FAIL|Totals)|ThreadSanitizer|^ +#[0-9]+ |^ +Loc" "$journal" || true
rm -f "$journal"
echo "tsan.sh: status ${statut}"
exit "${statut}"
