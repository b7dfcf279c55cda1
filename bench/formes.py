"""Clouds of shapes of known topology, for the fit's benchmark: sampled evenly over the boundary
of a union of simple solids (points of a solid's surface inside another solid are dropped).
    python3 bench/formes.py FOLDER [K]    writes FOLDER/NAME.pts for each shape (K times as many
                                          points, named NAME_xK, when K is given and not 1)
Each shape: name, parts, genus (the truth the fit is held to), and the surface -> cloud p95 of the
true surface (a sample ten times as dense), the least a fitted surface can show."""
import sys
import numpy as np

rng = np.random.default_rng(7)


def tore(n, R, r, centre=(0, 0, 0), axe="z"):
    # Area element grows with R + r cos v: rejection sampling.
    u = rng.uniform(0, 2 * np.pi, 3 * n)
    v = rng.uniform(0, 2 * np.pi, 3 * n)
    garde = rng.uniform(0, R + r, 3 * n) < R + r * np.cos(v)
    u, v = u[garde][:n], v[garde][:n]
    p = np.stack([(R + r * np.cos(v)) * np.cos(u), (R + r * np.cos(v)) * np.sin(u), r * np.sin(v)], 1)
    if axe == "y":
        p = p[:, [0, 2, 1]]
    return p + np.array(centre)


def dans_tore(p, R, r, centre=(0, 0, 0), axe="z"):
    q = p - np.array(centre)
    if axe == "y":
        q = q[:, [0, 2, 1]]
    return (np.hypot(q[:, 0], q[:, 1]) - R) ** 2 + q[:, 2] ** 2 < r * r


def sphere(n, r, centre=(0, 0, 0)):
    p = rng.normal(size=(n, 3))
    return r * p / np.linalg.norm(p, axis=1)[:, None] + np.array(centre)


def boite(n, a, b, c):
    # The six faces of [-a, a] x [-b, b] x [-c, c], by area.
    aires = np.array([b * c, b * c, a * c, a * c, a * b, a * b])
    face = rng.choice(6, n, p=aires / aires.sum())
    p = rng.uniform(-1, 1, (n, 3)) * np.array([a, b, c])
    axe = face // 2
    signe = np.where(face % 2 == 0, -1.0, 1.0)
    p[np.arange(n), axe] = signe * np.array([a, b, c])[axe]
    return p


def cylindre(n, r, h):
    # Closed: wall and two disks, by area.
    paroi, disque = 2 * np.pi * r * 2 * h, np.pi * r * r
    k = rng.choice(3, n, p=np.array([paroi, disque, disque]) / (paroi + 2 * disque))
    t = rng.uniform(0, 2 * np.pi, n)
    rr = np.where(k == 0, r, r * np.sqrt(rng.uniform(0, 1, n)))
    z = np.where(k == 0, rng.uniform(-h, h, n), np.where(k == 1, h, -h))
    return np.stack([rr * np.cos(t), rr * np.sin(t), z], 1)


def formes(k=1):
    """The shapes; k times as many points (k = 10: a dense sample of the true surface)."""
    n = 20000 * k
    yield "tore", 1, 1, tore(n, 3, 1)
    a, b = tore(n // 2, 1.5, 0.5, (-1.6, 0, 0)), tore(n // 2, 1.5, 0.5, (1.6, 0, 0))
    yield "double_tore", 1, 2, np.concatenate([a[~dans_tore(a, 1.5, 0.5, (1.6, 0, 0))],
                                               b[~dans_tore(b, 1.5, 0.5, (-1.6, 0, 0))]])
    c, anse = cylindre(14000 * k, 1.5, 2), tore(6000 * k, 1.2, 0.3, (1.7, 0, 0), "y")
    dans_c = (np.hypot(anse[:, 0], anse[:, 1]) < 1.5) & (np.abs(anse[:, 2]) < 2)
    yield "tasse", 1, 1, np.concatenate([c[~dans_tore(c, 1.2, 0.3, (1.7, 0, 0), "y")], anse[~dans_c]])
    yield "deux_spheres", 2, 0, np.concatenate([sphere(8000 * k, 1, (-1.6, 0, 0)), sphere(8000 * k, 1, (1.6, 0, 0))])
    # A block with a blind hole from the top: radius 0.8, 1.2 deep in a block 2 high.
    p = boite(n, 2, 2, 1)
    p = p[~((p[:, 2] > 0.999) & (np.hypot(p[:, 0], p[:, 1]) < 0.8))]
    t = rng.uniform(0, 2 * np.pi, 4000 * k)
    paroi = np.stack([0.8 * np.cos(t), 0.8 * np.sin(t), rng.uniform(-0.2, 1, 4000 * k)], 1)
    rr, t = 0.8 * np.sqrt(rng.uniform(0, 1, 1000 * k)), rng.uniform(0, 2 * np.pi, 1000 * k)
    fond = np.stack([rr * np.cos(t), rr * np.sin(t), np.full(1000 * k, -0.2)], 1)
    yield "bloc_trou_borgne", 1, 0, np.concatenate([p, paroi, fond])
    # A C-shaped ring: a torus with a 0.4 gap cut out (its ends closed by disks).
    q = tore(n, 3, 1)
    q = q[~((q[:, 0] > 0) & (np.abs(q[:, 1]) < 0.2))]
    rr, t = np.sqrt(rng.uniform(0, 1, 600 * k)), rng.uniform(0, 2 * np.pi, 600 * k)
    for s in (-0.2, 0.2):
        q = np.concatenate([q, np.stack([3 + rr * np.cos(t), np.full(600 * k, s), rr * np.sin(t)], 1)])
    yield "anneau_c", 1, 0, q
    # The same ring at half the density, and one with a gap half as wide (0.2, two spacings of
    # the cloud at this density): still no hole through either.
    for nom, m, fente in (("anneau_c_demi", n // 2, 0.2), ("anneau_c_etroit", n, 0.1)):
        q = tore(m, 3, 1)
        q = q[~((q[:, 0] > 0) & (np.abs(q[:, 1]) < fente))]
        rr, t = np.sqrt(rng.uniform(0, 1, m // 33)), rng.uniform(0, 2 * np.pi, m // 33)
        for s in (-fente, fente):
            q = np.concatenate([q, np.stack([3 + rr * np.cos(t), np.full(m // 33, s), rr * np.sin(t)], 1)])
        yield nom, 1, 0, q
    # A narrow bore through a block (a mechanical part): radius 0.3 through the block 2 high, a
    # tenth of the diagonal across.
    p = boite(n, 2, 2, 1)
    p = p[~((np.abs(p[:, 2]) > 0.999) & (np.hypot(p[:, 0], p[:, 1]) < 0.3))]
    t = rng.uniform(0, 2 * np.pi, 1200 * k)
    paroi = np.stack([0.3 * np.cos(t), 0.3 * np.sin(t), rng.uniform(-1, 1, 1200 * k)], 1)
    yield "bloc_alesage", 1, 1, np.concatenate([p, paroi])


def p95_vraie_surface(nuage, vraie):
    """Surface -> cloud p95 of the true surface itself (% of the cloud's diagonal): the spacing of
    the cloud bounds what any surface through it can show. "-" without scipy."""
    try:
        from scipy.spatial import cKDTree
    except ImportError:
        return "-"
    diagonale = np.linalg.norm(nuage.max(axis=0) - nuage.min(axis=0))
    return "%.3f" % (100 * np.percentile(cKDTree(nuage).query(vraie)[0], 95) / diagonale)


if __name__ == "__main__":
    dossier = sys.argv[1]
    k = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    suffixe = "" if k == 1 else f"_x{k}"
    nuages = []
    for nom, parties, genre, p in formes(k):
        nom += suffixe
        with open(f"{dossier}/{nom}.pts", "w") as f:
            f.write(f"PTS\n{len(p)}\n")
            np.savetxt(f, p, fmt="%.6f")
        nuages.append((nom, parties, genre, p))
    # Then the true surfaces (the clouds above are drawn first, as they always were).
    for (nom, parties, genre, p), (_, _, _, vraie) in zip(nuages, formes(10 * k)):
        print(nom, parties, genre, p95_vraie_surface(p, vraie))
