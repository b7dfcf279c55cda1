"""Fits the bundled pebble (data/sample/galet.pts) from Python and writes the surface as a PLY.

    python3 examples/ajuster_galet.py [CLOUD [OUT.ply]]

With tarnis installed (pip install --no-build-isolation ./python) or the build's package on
PYTHONPATH (build/python). Prints the fit's figures, those of the console tool's report.
"""
import os
import sys

import tarnis

ICI = os.path.dirname(os.path.abspath(__file__))
nuage = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ICI, "..", "data", "sample", "galet.pts")
sortie = sys.argv[2] if len(sys.argv) > 2 else "galet.ply"

points = tarnis.read(nuage)                       # (n, 3) float64


dits = {}


def suivre(fraction, phase):
    """A line for each tenth of the work, and for each new phase."""
    dixieme = int(10 * fraction)
    if dits.get(phase) != dixieme:
        dits[phase] = dixieme
        print("%s: %d %%" % (phase, 10 * dixieme), file=sys.stderr)
    return True                                   # False would stop the fit (tarnis.Error, status 7)


fit = tarnis.fit(points, threads=0, progress=suivre)
d = fit.cloud_to_surface
print("%d points -> %d vertices, %d faces, parts %d, genus %d, crossings %d" % (
    len(points), len(fit.vertices), len(fit.faces), fit.parts, fit.genus, fit.crossings))
print("cloud -> surface: mean %.6g, p95 %.6g, max %.6g (%.3g %% of the diagonal)" % (
    d.mean, d.p95, d.max, 100 * d.mean / fit.diagonal))
print("surface -> cloud: mean %.6g, p95 %.6g, max %.6g" % (
    fit.surface_to_cloud.mean, fit.surface_to_cloud.p95, fit.surface_to_cloud.max))
print("volume %.6g, area %.6g, %d points set aside, %.2f s" % (fit.volume, fit.area, fit.points_set_aside,
                                                              fit.times["total"]))
tarnis.write(sortie, fit)
print("written:", sortie)
