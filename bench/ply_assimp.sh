#!/usr/bin/env bash
# Our PLY/PCD readers against the Open Asset Import Library (Debian libassimp-dev) on the same
# files in the same run: wall time, vertices and faces found, peak memory, and the ratios.
# Needs a build with TARNIS_BUILD_BENCH=ON where libassimp-dev is installed (BUILD=build).
# Usage: bash bench/ply_assimp.sh [POINTS]   (default 4,000,000)
set -euo pipefail
BUILD=${BUILD:-build}
n=${1:-4000000}
prog="$BUILD/bench/bench_assimp"
[ -x "$prog" ] || { echo "no $prog (install libassimp-dev, build with TARNIS_BUILD_BENCH=ON)"; exit 2; }
dossier=$(mktemp -d)
trap 'rm -rf "$dossier"' EXIT
"$prog" faire "$dossier" "$n"
printf '%-22s %-7s %8s %10s %10s %9s  %s\n' file reader seconds vertices faces "peak MB" outcome
for f in nuage_binaire.ply nuage_ascii.ply maillage_binaire.ply nuage.pcd; do
  declare -A t m
  for qui in tarnis assimp; do
    cat "$dossier/$f" > /dev/null # the page cache warm for both
    read -r _ s v fa rss rest < <("$prog" "$qui" "$dossier/$f" 2>/dev/null | grep "^mesure " || true) || true
    printf '%-22s %-7s %8s %10s %10s %9.0f  %s\n' "$f" "$qui" "${s:--}" "${v:--}" "${fa:--}" "$(( ${rss:-0} / 1024 ))" "${rest:-failed}"
    t[$qui]=${s:-0}; m[$qui]=${rss:-0}
  done
  awk -v a="${t[assimp]}" -v b="${t[tarnis]}" -v ma="${m[assimp]}" -v mb="${m[tarnis]}" -v f="$f" \
    'BEGIN { if (a > 0 && b > 0) printf "%-22s assimp / tarnis: time %.2f, peak memory %.2f\n", f, a / b, ma / mb }'
done
