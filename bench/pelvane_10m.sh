#!/usr/bin/env bash
# Ten million points through the console tool, end to end: makes the sample shape with
# 10,000,000 points (a 252 MB PTS file, kept between runs in $TRAVAIL), fits it under
# /usr/bin/time -v and prints the wall time, the peak memory per point, each phase's time
# from the report, and whether the targets are met (at most 12 s and 64 bytes a point).
#   BUILD=folder (default: build)   POINTS=n (default: 10000000)   TRAVAIL=folder (default: /tmp/tarnis-10m)
set -euo pipefail
cd "$(dirname "$0")/.."
RACINE=$PWD
BUILD=${BUILD:-build}
case "$BUILD" in /*) ;; *) BUILD="$RACINE/$BUILD" ;; esac
POINTS=${POINTS:-10000000}
TRAVAIL=${TRAVAIL:-/tmp/tarnis-10m}
mkdir -p "$TRAVAIL"
cmake --build "$BUILD" --target pelvane make_sample
NUAGE="$TRAVAIL/galet$POINTS.pts"
[ -s "$NUAGE" ] || "$BUILD/tools/make_sample" "$NUAGE" "$POINTS"
rm -rf "$TRAVAIL/sortie"
echo "charge avant : $(cut -d' ' -f1-3 /proc/loadavg)"
cd "$BUILD"
/usr/bin/time -v ./Pelvane/Pelvane.exe --cloud "$NUAGE" --out "$TRAVAIL/sortie" >/dev/null 2>"$TRAVAIL/progression.txt" \
  || [ $? -eq 8 ] || { tail -30 "$TRAVAIL/progression.txt"; exit 1; }
echo "charge après : $(cut -d' ' -f1-3 /proc/loadavg)"
mur=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$TRAVAIL/progression.txt" |
  awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
ko=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$TRAVAIL/progression.txt")
octets=$(awk -v k="$ko" -v n="$POINTS" 'BEGIN { printf "%.1f", k * 1024 / n }')
grep "^durée" "$TRAVAIL/sortie/galet$POINTS.rapport.txt"
grep "^écart" "$TRAVAIL/sortie/galet$POINTS.rapport.txt" | grep -v "% de"
echo "temps total (s) = $mur (cible 12 : $(awk -v t="$mur" 'BEGIN { print (t <= 12) ? "atteinte" : "MANQUÉE" }'))"
echo "mémoire max = $ko Ko, $octets octets par point (cible 64 : $(awk -v o="$octets" 'BEGIN { print (o <= 64) ? "atteinte" : "MANQUÉE" }'))"
