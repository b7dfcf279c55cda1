"""Helpers of bench/ajustement_scans.sh (Python with numpy and open3d).
  generer  SOURCE CIBLE parasites|bruit   the degraded cloud, fixed seed
  poisson  NUAGE NOM REFERENCE            screened Poisson on NUAGE, measured against REFERENCE
  mesurer  OFF NOM REFERENCE SECONDES     a triangulation measured against REFERENCE
  duree    NUAGE                          the time of screened Poisson on NUAGE alone (seconds)
  ecrire_poisson NUAGE SORTIE.off         screened Poisson on NUAGE written to SORTIE.off; prints its seconds
Figures in % of the reference's bounding-box diagonal: cloud -> surface (every reference point
to the surface) and surface -> cloud (points spread over the surface to the reference), each as
mean/p95/p99/max."""
import sys, time
import numpy as np
import open3d as o3d

from nuages_pts import avec_parasites, bruite, ecrire, lire


def figures(d, diagonale):
    d = np.sort(np.asarray(d, dtype=float))
    rang = lambda p: d[max(1, -(-p * len(d) // 100)) - 1]  # nearest rank, as the report
    return "%.3f/%.3f/%.3f/%.3f" % tuple(100 * v / diagonale for v in (d.mean(), rang(95), rang(99), d.max()))


def mesurer(maillage, reference, nom, methode, duree):
    diagonale = np.linalg.norm(reference.max(axis=0) - reference.min(axis=0))
    scene = o3d.t.geometry.RaycastingScene()
    scene.add_triangles(o3d.t.geometry.TriangleMesh.from_legacy(maillage))
    versSurface = scene.compute_distance(o3d.core.Tensor(reference, dtype=o3d.core.Dtype.Float32)).numpy()
    ref = o3d.geometry.PointCloud(o3d.utility.Vector3dVector(reference))
    # The surface is sampled at random: the same seed each time, so that the same surface gives
    # the same figures.
    o3d.utility.random.seed(20261209)
    echantillon = maillage.sample_points_uniformly(max(len(reference), 100000))
    versNuage = np.asarray(echantillon.compute_point_cloud_distance(ref))
    print("%-14s %-8s %8d %7.2f  %-28s %-28s" % (nom, methode, len(maillage.vertices), duree,
                                                 figures(versSurface, diagonale), figures(versNuage, diagonale)))


mode = sys.argv[1]
if mode == "generer":
    propres = lire(sys.argv[2])
    hasard = np.random.default_rng(20261207)
    if sys.argv[4] == "parasites":  # 3 % more points, uniform in the box enlarged by 5 %
        points = avec_parasites(propres, 0.03, hasard)
    else:  # every coordinate moved by a normal law of deviation 0.25 % of the diagonal
        points = bruite(propres, 0.0025, hasard)
    ecrire(sys.argv[3], points)
elif mode in ("poisson", "duree", "ecrire_poisson"):
    points = lire(sys.argv[2])
    debut = time.time()
    nuage = o3d.geometry.PointCloud(o3d.utility.Vector3dVector(points))
    nuage.estimate_normals(o3d.geometry.KDTreeSearchParamKNN(30))
    nuage.orient_normals_consistent_tangent_plane(30)
    maillage, _ = o3d.geometry.TriangleMesh.create_from_point_cloud_poisson(nuage, depth=8)
    if mode == "duree":
        print("%.2f" % (time.time() - debut))
    elif mode == "ecrire_poisson":
        duree = time.time() - debut
        # A plain OFF with every digit: what is measured is the surface itself, not its rounding.
        sommets, faces = np.asarray(maillage.vertices), np.asarray(maillage.triangles)
        with open(sys.argv[3], "w") as f:
            f.write("OFF\n%d %d 0\n" % (len(sommets), len(faces)))
            np.savetxt(f, sommets, fmt="%.17g")
            np.savetxt(f, np.hstack([np.full((len(faces), 1), 3), faces]), fmt="%d")
        print("%.2f" % duree)
    else:
        mesurer(maillage, lire(sys.argv[4]), sys.argv[3], "Poisson", time.time() - debut)
else:
    mesurer(o3d.io.read_triangle_mesh(sys.argv[2]), lire(sys.argv[4]), sys.argv[3], "Tarnis", float(sys.argv[5]))
