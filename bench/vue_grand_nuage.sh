#!/usr/bin/env bash
# A large cloud in the application's view under xvfb-run with software OpenGL: makes the sample
# shape with 10,000,000 points (kept between runs in $TRAVAIL), then for it and the armadillo
# prints the time to open, the frames a second while turning and still, the peak memory in bytes a
# point, and how soon stops asked in the fit's phases take effect; then whether the targets are met
# (open <= 15 s, >= 10 frames a second turning at 10M points and >= 30 on the armadillo,
# <= 130 bytes a point, every stop <= 1 s).
#   BUILD=folder (default: build)   POINTS=n (default: 10000000)   TRAVAIL=folder (default: /tmp/tarnis-10m)
#   TOUR=seconds turning (default 10)   ARRETS=stops per cloud (default 4)
set -euo pipefail
cd "$(dirname "$0")/.."
RACINE=$PWD
BUILD=${BUILD:-build}
case "$BUILD" in /*) ;; *) BUILD="$RACINE/$BUILD" ;; esac
POINTS=${POINTS:-10000000}
TRAVAIL=${TRAVAIL:-/tmp/tarnis-10m}
TOUR=${TOUR:-10}
ARRETS=${ARRETS:-4}
mkdir -p "$TRAVAIL"
cmake --build "$BUILD" --target bench_grand_nuage make_sample
NUAGE="$TRAVAIL/galet$POINTS.pts"
[ -s "$NUAGE" ] || "$BUILD/tools/make_sample" "$NUAGE" "$POINTS"
ARMADILLO="$RACINE/../shared/data/meshes/libigl/armadillo.pts"
export LIBGL_ALWAYS_SOFTWARE=1
# The view reads its template mesh from the working folder.
cd "$BUILD"
mesurer() { # cloud, turning frames target
  echo "charge avant : $(cut -d' ' -f1-3 /proc/loadavg)"
  local sortie
  sortie=$(xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD/bench/bench_grand_nuage" "$1" "$TOUR" "$ARRETS" 2>/dev/null |
    grep -v "^QWARN\|^loadInformation")
  echo "$sortie"
  awk -v cible="$2" '
    /^open/ { o = $6; printf "open %s s (target 15: %s)\n", o, (o <= 15) ? "met" : "MISSED" }
    /^frames a second turning/ { f = $5; printf "turning %s frames a second (target %d: %s)\n", f, cible, (f >= cible) ? "met" : "MISSED" }
    /^cloud:/ { n = $3 }
    # The program itself takes some 140 MB: the bytes a point only mean something for a large cloud.
    /^peak memory:/ { b = $5; if (n >= 1000000) printf "peak memory %s bytes a point (target 130: %s)\n", b, (b <= 130) ? "met" : "MISSED" }
    /^longest stop/ { s = $3; printf "longest stop %s s (target 1: %s)\n", s, (s <= 1) ? "met" : "MISSED" }
  ' <<<"$sortie"
}
mesurer "$NUAGE" 10
if [ -s "$ARMADILLO" ]; then
  mesurer "$ARMADILLO" 30
else
  echo "armadillo.pts absent ($ARMADILLO): not measured"
fi
