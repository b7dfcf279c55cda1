"""PTS clouds for the benchmark scripts (numpy): reading, writing, and the two degradations
the stray-point and noise benchmarks apply, each drawing from the generator it is given."""
import numpy as np


def lire(chemin):
    with open(chemin) as f:
        lignes = f.read().split("\n")
    # PTS: a "PTS" line, the count, then one "x y z" line per point.
    return np.array([[float(v) for v in l.split()[:3]] for l in lignes[2:] if len(l.split()) >= 3])


def ecrire(chemin, points):
    with open(chemin, "w") as f:
        f.write("PTS\n%d\n" % len(points))
        np.savetxt(f, points, fmt="%.9g")


def avec_parasites(p, part, hasard):
    """p with part of its count more points, uniform in its box enlarged by 5 %."""
    bas, haut = p.min(axis=0), p.max(axis=0)
    centre, demi = (bas + haut) / 2, 1.05 * (haut - bas) / 2
    n = int(round(part * len(p)))
    return np.vstack([p, centre + hasard.uniform(-1, 1, (n, 3)) * demi])


def bruite(p, part, hasard):
    """p with every coordinate moved by a normal law of deviation part of its box's diagonal."""
    d = np.linalg.norm(p.max(axis=0) - p.min(axis=0))
    return p + hasard.normal(0, part * d, p.shape)
