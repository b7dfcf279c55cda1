#!/usr/bin/env bash
# Time of the fit against the fit as it was before the topology changes (holes opened, parts
# split), on the genus-0 clouds: builds the console tool at that commit in a scratch worktree,
# then runs the two tools in turn on each cloud, with the launcher's default arguments, and
# prints the median times and their ratio (target: at most 1.5, on the clouds the scan benchmark
# had then: the pebble, the bunny and the armadillo; the single scanner view came with the
# settling work, and is measured beside them). The two run one after the other,
# never side by side, so that a loaded machine slows both alike.
#   AVANT=commit (default: 7628c4b, the last one before the topology work)
#   BUILD=folder of today's build (default: build)   DATA=folder of the shared data
#   THREADS=n passed as --threads to both (default: 1, the least disturbed by other work)
#   FOIS=n runs of each tool on each cloud (default: 5)
set -euo pipefail
cd "$(dirname "$0")/.."
FILS=${THREADS:-1}
. bench/environnement.sh
THREADS=$FILS
AVANT=${AVANT:-7628c4b}
FOIS=${FOIS:-5}
cmake --build "$BUILD" --target pelvane >/dev/null
TRAVAIL=$(mktemp -d)
ARBRE="$TRAVAIL/avant"
trap 'git worktree remove --force "$ARBRE" >/dev/null 2>&1 || true; rm -rf "$TRAVAIL"' EXIT
git worktree add --detach "$ARBRE" "$AVANT" >/dev/null 2>&1
cmake -S "$ARBRE" -B "$TRAVAIL/construction" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARNIS_BUILD_BENCH=OFF >/dev/null
cmake --build "$TRAVAIL/construction" --target pelvane >/dev/null
mediane() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
duree() { # build cloud -> seconds of the whole run
  local debut fin
  debut=$(date +%s.%N)
  (cd "$1" && ./Pelvane/Pelvane.exe 1.00 0.05 0.00 2 2000 20 0 SMM_/icosa.smm "$2" "$TRAVAIL/sortie" \
      --threads "$THREADS" >/dev/null 2>&1) || [ $? -eq 8 ]
  fin=$(date +%s.%N)
  echo "$fin - $debut" | bc
}
echo "avant : $AVANT ($(git log -1 --format=%s "$AVANT" | cut -c1-60)) ; fils : $THREADS ; $FOIS passages"
printf "%-12s %10s %10s %7s  %s\n" nuage "avant (s)" "après (s)" rapport "cible <= 1.5"
for f in "$RACINE/data/sample/galet.pts" meshes/stanford/bun_zipper.pts meshes/libigl/armadillo.pts \
    points/stanford-scan/bun000.pts; do
  case "$f" in /*) ;; *) f="$DATA/$f" ;; esac
  [ -f "$f" ] || { echo "absent, passé : $f"; continue; }
  a=""; b=""
  for ((k = 0; k < FOIS; ++k)); do
    a="$a $(duree "$TRAVAIL/construction" "$f")"
    b="$b $(duree "$BUILD" "$f")"
  done
  ma=$(echo "$a" | mediane); mb=$(echo "$b" | mediane)
  awk -v n="$(basename "$f" .pts)" -v a="$ma" -v b="$mb" 'BEGIN {
    r = b / a; printf "%-12s %10.2f %10.2f %7.2f  %s\n", n, a, b, r, r <= 1.5 ? "atteinte" : "MANQUÉE" }'
done
