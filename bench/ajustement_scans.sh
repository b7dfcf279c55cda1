#!/usr/bin/env bash
# Fit figures on scans: for the bundled pebble and, when the shared data is there, the bunny
# and the armadillo, runs the console tool with the launcher's default arguments and prints
# its figures and time beside those of screened Poisson reconstruction (Open3D, depth 8,
# normals estimated and oriented first) run here on the same clouds. All distances in % of
# the cloud's bounding-box diagonal; cloud -> surface: every cloud point to the triangulated
# surface; surface -> cloud: points spread evenly over the surface to their nearest cloud point.
#   BUILD=folder (default: build)   DATA=folder of the shared data (default: ../shared/data)
#   PYTHON=interpreter with open3d (default: /usr/bin/python3 when present)
#   THREADS=n passed as --threads (default: every core)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/environnement.sh
cmake --build "$BUILD" --target pelvane >/dev/null
TRAVAIL=$(mktemp -d)
trap 'rm -rf "$TRAVAIL"' EXIT

NUAGES=("$RACINE/data/sample/galet.pts")
for f in meshes/stanford/bun_zipper.pts meshes/libigl/armadillo.pts; do
  if [ -f "$DATA/$f" ]; then NUAGES+=("$DATA/$f"); else echo "absent, passé : $DATA/$f"; fi
done

AVEC_POISSON=1
if ! "$PYTHON" -c "import open3d" 2>/dev/null; then
  AVEC_POISSON=0
  echo "open3d absent pour $PYTHON (paquet Debian python3-open3d) : colonne Poisson passée"
fi

valeur() { sed -n "s/^$2 = //p" "$1" | head -1; }
printf "%-12s %-10s %8s %7s  %-22s %-22s\n" nuage méthode sommets "t (s)" "nuage->surface moy/p95/max" "surface->nuage moy/p95/max"
for nuage in "${NUAGES[@]}"; do
  nom=$(basename "$nuage" .pts)
  debut=$(date +%s.%N)
  (cd "$BUILD" && ./Pelvane/Pelvane.exe 1.00 0.05 0.00 2 2000 20 0 SMM_/icosa.smm "$nuage" "$TRAVAIL/$nom" \
      --threads "$THREADS" >/dev/null 2>"$TRAVAIL/$nom.err") || { cat "$TRAVAIL/$nom.err"; exit 1; }
  fin=$(date +%s.%N)
  r="$TRAVAIL/$nom/$nom.rapport.txt"
  f() { printf "%.3f" "$(valeur "$r" "écart $1, $2 (% de la diagonale)")"; }
  printf "%-12s %-10s %8s %7.2f  %-26s %-26s\n" "$nom" Tarnis "$(valeur "$r" "points simplexes")" \
    "$(echo "$fin - $debut" | bc)" \
    "$(f "nuage -> surface" moyenne)/$(f "nuage -> surface" "centile 95")/$(f "nuage -> surface" maximum)" \
    "$(f "surface -> nuage" moyenne)/$(f "surface -> nuage" "centile 95")/$(f "surface -> nuage" maximum)"
  if [ "$nom" != galet ]; then
    # The targets for real scans, each one checked.
    t=$(echo "$fin - $debut" | bc)
    awk -v nom="$nom" -v a="$(f "nuage -> surface" moyenne)" -v b="$(f "nuage -> surface" "centile 95")" \
        -v c="$(f "nuage -> surface" maximum)" -v d="$(f "surface -> nuage" "centile 95")" -v t="$t" 'BEGIN {
      n = split("nuage->surface moy <= 0.08|nuage->surface p95 <= 0.25|nuage->surface max <= 1.5|surface->nuage p95 <= 0.6|t <= 5 s", m, "|")
      v[1] = a <= 0.08; v[2] = b <= 0.25; v[3] = c <= 1.5; v[4] = d <= 0.6; v[5] = t <= 5
      for (k = 1; k <= n; ++k) printf "  %-12s %-28s %s\n", nom, m[k], v[k] ? "atteinte" : "MANQUÉE" }'
  fi
  if [ "$AVEC_POISSON" = 1 ]; then
    "$PYTHON" - "$nuage" "$nom" <<'EOF'
import sys, time
import numpy as np
import open3d as o3d

chemin, nom = sys.argv[1], sys.argv[2]
with open(chemin) as f:
    lignes = f.read().split("\n")
# PTS: a "PTS" line, the count, then one "x y z" line per point.
points = np.array([[float(v) for v in l.split()[:3]] for l in lignes[2:] if len(l.split()) >= 3])
diagonale = np.linalg.norm(points.max(axis=0) - points.min(axis=0))

debut = time.time()
nuage = o3d.geometry.PointCloud(o3d.utility.Vector3dVector(points))
nuage.estimate_normals(o3d.geometry.KDTreeSearchParamKNN(30))
nuage.orient_normals_consistent_tangent_plane(30)
maillage, _ = o3d.geometry.TriangleMesh.create_from_point_cloud_poisson(nuage, depth=8)
duree = time.time() - debut

def figures(d):
    d = np.sort(np.asarray(d, dtype=float))
    rang = max(1, -(-95 * len(d) // 100))  # nearest rank, as the report
    return "%.3f/%.3f/%.3f" % tuple(100 * v / diagonale for v in (d.mean(), d[rang - 1], d.max()))

scene = o3d.t.geometry.RaycastingScene()
scene.add_triangles(o3d.t.geometry.TriangleMesh.from_legacy(maillage))
versSurface = scene.compute_distance(o3d.core.Tensor(points, dtype=o3d.core.Dtype.Float32)).numpy()
echantillon = maillage.sample_points_uniformly(max(len(points), 100000))
versNuage = np.asarray(echantillon.compute_point_cloud_distance(nuage))
print("%-12s %-10s %8d %7.2f  %-26s %-26s" % (nom, "Poisson", len(maillage.vertices), duree,
                                              figures(versSurface), figures(versNuage)))
EOF
  fi
done
echo "cibles (bun_zipper, armadillo) : nuage->surface moy <= 0.08, p95 <= 0.25, max <= 1.5 ; surface->nuage p95 <= 0.6 ; t <= 5 s"
