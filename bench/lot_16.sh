#!/usr/bin/env bash
# Wall time of a batch of 16 generated clouds of 100,000 points with the batch command, one job at a
# time (-j 1) and one per core, and the speed-up. Each fit uses one thread in both runs.
#   BUILD=folder (default: build)   NUAGES=n (default: 16)   POINTS=n (default: 100000)
#   bash bench/lot_16.sh [-- options of the console tool]
set -euo pipefail
cd "$(dirname "$0")/.."
RACINE=$PWD
BUILD=${BUILD:-build}
case "$BUILD" in /*) ;; *) BUILD="$RACINE/$BUILD" ;; esac
NUAGES=${NUAGES:-16}
POINTS=${POINTS:-100000}
command -v parallel > /dev/null || { echo "GNU parallel est requis (paquet Debian « parallel »)" >&2; exit 1; }
cmake --build "$BUILD" --target pelvane make_sample > /dev/null
TRAVAIL=$(mktemp -d)
trap 'rm -rf "$TRAVAIL"' EXIT
for i in $(seq "$NUAGES"); do
    mkdir -p "$TRAVAIL/nuages/$((i % 4))"
    "$BUILD/tools/make_sample" "$TRAVAIL/nuages/$((i % 4))/galet$i.pts" "$POINTS" "$i" > /dev/null
done
coeurs=$(nproc)
cd "$BUILD"
mesurer() { # JOBS SORTIE [-- options]
    local jobs=$1 sortie=$2 debut fin
    shift 2
    debut=$(date +%s.%N)
    "$RACINE/scripts/tarnis-lot" -j "$jobs" "$TRAVAIL/nuages" "$sortie" "$@" 2> "$TRAVAIL/journal" ||
        { cat "$TRAVAIL/journal"; exit 1; }
    fin=$(date +%s.%N)
    awk -v a="$debut" -v b="$fin" 'BEGIN { printf "%.1f", b - a }'
}
options=("${@}")
un=$(mesurer 1 "$TRAVAIL/j1" "${options[@]}")
tous=$(mesurer "$coeurs" "$TRAVAIL/jn" "${options[@]}")
echo "$NUAGES nuages de $POINTS points, $coeurs cœurs"
echo "temps total -j 1 (s) = $un"
echo "temps total -j $coeurs (s) = $tous"
awk -v a="$un" -v b="$tous" 'BEGIN { printf "accélération = %.2f\n", a / b }'
for f in "$TRAVAIL/j1"/*/*/*.smm; do
    cmp -s "$f" "$TRAVAIL/jn/${f#"$TRAVAIL/j1/"}" || { echo "résultats différents : $f" >&2; exit 1; }
done
echo "mêmes maillages dans les deux passes"
