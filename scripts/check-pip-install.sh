#!/usr/bin/env bash
# Checks that the Python package builds and installs from a clean checkout, offline, as a user on
# Debian 12 installs it: clones the repository's committed HEAD into a temporary folder, makes a
# virtual environment over Debian's Python (its numpy, setuptools, wheel and pybind11 seen through
# --system-site-packages), runs
#     pip install --no-build-isolation --no-index ./python
# there (the engine configured and built from scratch by CMake), then, from outside the clone,
# imports the installed tarnis, runs examples/ajuster_galet.py (a PLY written) and the package's
# pytest suite against the installed package.
#   KEEP=1      keeps the temporary folder (printed at the end)
#   PYTHON=...  the interpreter of the environment (default /usr/bin/python3, Debian's)
# Uses ccache when it is on PATH. A build from nothing takes some minutes on two cores.
set -euo pipefail
RACINE=$(cd "$(dirname "$0")/.." && pwd)
PYTHON=${PYTHON:-/usr/bin/python3}
TEMP=$(mktemp -d "${TMPDIR:-/tmp}/tarnis-pip.XXXXXX")
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$TEMP"' EXIT
if [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache > /dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
# Whatever build the caller uses, this one builds its own.
unset TARNIS_BUILD_DIR PYTHONPATH

git clone -q "$RACINE" "$TEMP/tarnis"
"$PYTHON" -m venv --system-site-packages "$TEMP/venv"
debut=$(date +%s)
"$TEMP/venv/bin/python" -m pip install -q --no-build-isolation --no-index "$TEMP/tarnis/python"
echo "check-pip-install: built and installed in $(($(date +%s) - debut)) s"

cd "$TEMP"
installe=$("$TEMP/venv/bin/python" -c "import tarnis; print(tarnis.__file__)")
case $installe in
  "$TEMP/venv/"*) echo "check-pip-install: tarnis imported from $installe" ;;
  *) echo "check-pip-install: tarnis imported from $installe, not from the environment" >&2; exit 1 ;;
esac
"$TEMP/venv/bin/python" "$TEMP/tarnis/examples/ajuster_galet.py" "$TEMP/tarnis/data/sample/galet.pts" "$TEMP/galet.ply"
head -c 3 "$TEMP/galet.ply" | grep -q ply || { echo "check-pip-install: no PLY written" >&2; exit 1; }
"$TEMP/venv/bin/python" -m pytest -q -p no:cacheprovider "$TEMP/tarnis/python/tests"
[ "${KEEP:-0}" != 1 ] || echo "check-pip-install: kept $TEMP"
echo "check-pip-install: passed"
