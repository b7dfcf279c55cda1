#!/usr/bin/env bash
# The engine's STL reader against the Open Asset Import Library (libassimp-dev) on the shared
# data's .stl files: best time of 5 readings and peak memory of a process reading once.
# Needs a build with TARNIS_BUILD_BENCH=ON and libassimp-dev: BUILD=build bash bench/stl.sh
set -eu
BUILD=${BUILD:-build}
DATA=${DATA:-../shared/data}
prog="$BUILD/bench/bench_stl"
[ -x "$prog" ] || { echo "$prog absent (libassimp-dev installed? TARNIS_BUILD_BENCH=ON?)"; exit 1; }
find "$DATA" -name '*.stl' | sort | while read -r f; do
  echo "$f ($(stat -c %s "$f") octets)"
  declare -A ms kb
  for qui in tarnis assimp; do
    ligne=$("$prog" "$qui" "$f" 5)
    ms[$qui]=$(echo "$ligne" | awk '{print $2}')
    kb[$qui]=$(/usr/bin/time -f %M "$prog" "$qui" "$f" 1 2>&1 >/dev/null | tail -1)
    echo "  $ligne, mémoire de pointe ${kb[$qui]} Ko"
  done
  awk -v a="${ms[assimp]}" -v t="${ms[tarnis]}" -v ka="${kb[assimp]}" -v kt="${kb[tarnis]}" \
    'BEGIN{printf "  rapport tarnis / assimp : temps %.2f, mémoire %.2f\n", t/a, kt/ka}'
done
