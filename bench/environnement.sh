# Sourced by the benchmark scripts from the project's root: the build, the shared data, the
# Python interpreter and the thread count, each overridable from the environment.
RACINE=$PWD
BUILD=${BUILD:-build}
case "$BUILD" in /*) ;; *) BUILD="$RACINE/$BUILD" ;; esac
DATA=${DATA:-$RACINE/../shared/data}
PYTHON=${PYTHON:-$( [ -x /usr/bin/python3 ] && echo /usr/bin/python3 || command -v python3 )}
THREADS=${THREADS:-0}
