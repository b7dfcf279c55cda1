"""Clouds of bench/jugements.sh (Python with numpy), each written as PTS with a fixed seed:
  python3 bench/jugements.py NOM CIBLE [SOURCE]
NOM: one of the look-alikes below, or parasites / bruit (SOURCE degraded as in
bench/scans_outils.py: 3 % of stray points uniform in its box enlarged by 5 %, or noise of
deviation 0.25 % of the diagonal on every coordinate, the same seed, so the same cloud)."""
import sys
import numpy as np

from nuages_pts import avec_parasites, bruite, ecrire, lire

hasard = np.random.default_rng(20261211)


def faces_de_boite(n, cotes, garder=lambda p: np.ones(len(p), bool)):
    """n points uniform by area on the six faces of a box centred on 0, those garder keeps."""
    cotes = np.asarray(cotes, float)
    aires = np.array([cotes[1] * cotes[2], cotes[0] * cotes[2], cotes[0] * cotes[1]])
    points = []
    while sum(len(p) for p in points) < n:
        axe = hasard.choice(3, size=n, p=aires / aires.sum())
        p = hasard.uniform(-0.5, 0.5, (n, 3)) * cotes
        p[np.arange(n), axe] = np.where(hasard.random(n) < 0.5, -0.5, 0.5) * cotes[axe]
        points.append(p[garder(p)])
    return np.vstack(points)[:n]


def sphere(n, rayon, centre=(0, 0, 0)):
    d = hasard.normal(size=(n, 3))
    return np.asarray(centre) + rayon * d / np.linalg.norm(d, axis=1)[:, None]


def plaque_trouee(n):
    """The plate with a round hole of radius 0.3 through it: its faces without the disc, and the
    hole's wall."""
    faces = faces_de_boite(n, (2, 1.4, 0.03), lambda p: np.hypot(p[:, 0], p[:, 1]) > 0.3)
    m = n // 40
    a = hasard.uniform(0, 2 * np.pi, m)
    mur = np.column_stack([0.3 * np.cos(a), 0.3 * np.sin(a), hasard.uniform(-0.015, 0.015, m)])
    return np.vstack([faces[: n - m], mur])


def cadre():
    """The vertices of a box frame as a mesh exporter lists them: twelve square bars 0.04 thick
    along the edges of a unit cube, each bar's four long edges cut at its ends and, closer and
    closer, near them; every vertex once for each of the (about six) cells it bounds."""
    sommets = []
    e = 0.02
    coupes = np.concatenate([[0, 0.01, 0.03, 0.07, 0.15], [0.5], 1 - np.array([0.15, 0.07, 0.03, 0.01, 0])])
    for axe in range(3):
        for s1 in (-0.5, 0.5):
            for s2 in (-0.5, 0.5):
                for d1 in (-e, e):
                    for d2 in (-e, e):
                        for t in coupes:
                            p = np.zeros(3)
                            p[axe] = t - 0.5
                            p[(axe + 1) % 3] = s1 + d1
                            p[(axe + 2) % 3] = s2 + d2
                            sommets.append(p)
    sommets = np.array(sommets)
    return np.repeat(sommets, 6, axis=0)


def deux_densites():
    """A finely sampled sphere and, beside it, a box sampled forty times more coarsely."""
    return np.vstack([sphere(20000, 1), faces_de_boite(500, (1, 1, 1)) + [2.5, 0, 0]])


def petite_partie():
    """A sphere and, away from it, a small one of 60 points."""
    return np.vstack([sphere(20000, 1), sphere(60, 0.08, (1.6, 0, 0))])


def demi_bruite():
    """A sphere whose upper half carries a noise of deviation 1 % of its radius."""
    p = sphere(30000, 1)
    haut = p[:, 2] > 0
    p[haut] *= (1 + 0.01 * hasard.normal(size=haut.sum()))[:, None]
    return p


def coque():
    """A thin shell: a sphere of radius 1 and its inner face 0.02 in."""
    return np.vstack([sphere(15000, 1), sphere(15000, 0.98)])


nom, cible = sys.argv[1], sys.argv[2]
if nom in ("parasites", "bruit"):  # as bench/scans_outils.py generer
    hasard = np.random.default_rng(20261207)
    propres = lire(sys.argv[3])
    points = avec_parasites(propres, 0.03, hasard) if nom == "parasites" else bruite(propres, 0.0025, hasard)
else:
    points = {
        "plaque": lambda: faces_de_boite(20000, (2, 1.4, 0.03)),
        "coque": coque,
        "plaque_trouee": lambda: plaque_trouee(20000),
        "cadre": cadre,
        "deux_densites": deux_densites,
        "petite_partie": petite_partie,
        "demi_bruite": demi_bruite,
        "sphere_parasites": lambda: avec_parasites(sphere(20000, 1), 0.03, hasard),
        "sphere_bruitee": lambda: bruite(sphere(20000, 1), 0.0025, hasard),
    }[nom]()
ecrire(cible, points)
