#!/usr/bin/env bash
# What the Python call adds to the engine's own time on a 1M-point cloud: makes the sample shape with
# one million points, reads it with tarnis.read, fits it with tarnis.fit (the console tool's
# defaults, THREADS threads) and prints the call's wall time beside the engine's own (fit.times,
# measured inside the engine call), their difference and its share.
#   BUILD=folder (default: build)   POINTS=n (default: 1000000)   THREADS=n (default: 0, every core)
set -euo pipefail
cd "$(dirname "$0")/.."
RACINE=$PWD
BUILD=${BUILD:-build}
case "$BUILD" in /*) ;; *) BUILD="$RACINE/$BUILD" ;; esac
cmake --build "$BUILD" --target _tarnis make_sample
TRAVAIL=$(mktemp -d)
trap 'rm -rf "$TRAVAIL"' EXIT
"$BUILD/tools/make_sample" "$TRAVAIL/galet.pts" "${POINTS:-1000000}" > /dev/null
PYTHONPATH="$BUILD/python" /usr/bin/python3 - "$TRAVAIL/galet.pts" "${THREADS:-0}" <<'FIN'
import sys
import time

import tarnis

points = tarnis.read(sys.argv[1])
debut = time.perf_counter()
fit = tarnis.fit(points, threads=int(sys.argv[2]))
appel = time.perf_counter() - debut
moteur = fit.times["total"]
print("points %d, simplex points %d, threads %s" % (len(points), fit.simplex_points, sys.argv[2]))
print("tarnis.fit (s) = %.3f, engine (s) = %.3f, added by Python (s) = %.3f, share = %.3f %%"
      % (appel, moteur, appel - moteur, 100 * (appel - moteur) / moteur))
FIN
