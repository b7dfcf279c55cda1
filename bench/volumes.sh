#!/usr/bin/env bash
# Volumes to surfaces. With the shared data (../shared/data/volumes):
#  1. brainmask.nii.gz at level 0.5 and avg152T1.nii.gz at the automatic level, fitted by the
#     console tool in millimetres (its default), beside the marching-cubes iso-surface of the same
#     level by scikit-image (Debian python3-skimage; the column is passed over without it): the
#     distances both ways in voxels (points spread evenly over one surface to the triangles of the
#     other: mean, 95th percentile), the closed parts of each surface, the time;
#  2. an ellipsoid generated here on 0.5 x 0.5 x 2 mm voxels (NIfTI, python3-nibabel), fitted at
#     level 0.5: its semi-axes, by least squares over the fitted vertices, against the true ones;
#  3. every volume of the shared data with the tool's defaults through tarnis-lot: status, closed
#     parts.
# Targets: brain mask mean <= 0.25 voxel and p95 <= 0.75 voxel both ways, one closed part, <= 5 s;
# ellipsoid semi-axes within 1 %; every volume status 0 and one closed part.
#   BUILD=folder (default: build, configured with TARNIS_BUILD_BENCH=ON)
#   DATA=folder of the shared data (default: ../shared/data)   THREADS=n (default: every core)
#   PYTHON=interpreter with numpy, nibabel and skimage (default: /usr/bin/python3 when present)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/environnement.sh
cmake --build "$BUILD" --target pelvane ecarts_surfaces >/dev/null ||
  { echo "construisez d'abord $BUILD avec -DTARNIS_BUILD_BENCH=ON (cible ecarts_surfaces)"; exit 1; }
PELVANE=$BUILD/Pelvane/Pelvane.exe
ECARTS=$BUILD/bench/ecarts_surfaces
TRAVAIL=$(mktemp -d)
trap 'rm -rf "$TRAVAIL"' EXIT
VOLUMES=$DATA/volumes

AVEC_MC=1
if ! "$PYTHON" -c "import skimage, nibabel, numpy" 2>/dev/null; then
  AVEC_MC=0
  echo "scikit-image ou nibabel absent pour $PYTHON (paquets Debian python3-skimage, python3-nibabel) : colonne marching cubes passée"
fi

valeur() { sed -n "s/^$2 = //p" "$1" | head -1; }
ligne() { grep "^$2 " <<< "$1" | head -1; }
# Runs the tool; prints "wall user+sys" seconds.
lancer() { # SORTIE options...
  local sortie=$1
  shift
  /usr/bin/time -f "%e %U %S" -o "$TRAVAIL/temps" "$PELVANE" "$@" --out "$sortie" --threads "$THREADS" \
    >/dev/null 2>"$sortie.err" || [ $? -eq 8 ] || { tail -1 "$sortie.err"; return 1; }
  awk '{ printf "%.2f %.2f", $1, $2 + $3 }' "$TRAVAIL/temps"
}

# ---- 1. Two volumes against marching cubes. ----
if [ ! -d "$VOLUMES" ]; then
  echo "absent, passé : $VOLUMES"
else
  printf "\n%-17s %-8s %-8s %-16s %-16s %-12s %s\n" volume niveau "parts" "nous->MC moy/p95" "MC->nous moy/p95" "t mur/CPU" "MC parts/t"
  for cas in "brainmask.nii.gz --level 0.5" "avg152T1.nii.gz"; do
    set -- $cas
    f=$VOLUMES/derived/$1
    nom=${1%.nii.gz}
    shift
    temps=$(lancer "$TRAVAIL/$nom" --cloud "$f" "$@") || exit 1
    r=$TRAVAIL/$nom/$nom.rapport.txt
    niveau=$(valeur "$r" "région du volume" | awk '{ print $2 }')
    taille=$(valeur "$r" "tailles des voxels (mm)" | awk '{ print $1 }')
    nous=$("$ECARTS" "$TRAVAIL/$nom/$nom.off")
    parts=$(ligne "$nous" A | awk '{ print $3 ($5 == 1 ? " fermée" : " OUVERTE") }')
    if [ "$AVEC_MC" = 1 ]; then
      mc=$("$PYTHON" - "$f" "$niveau" "$TRAVAIL/$nom.mc.off" <<'EOF'
import sys, time
import nibabel, numpy as np
from skimage import measure
image = nibabel.load(sys.argv[1])
donnees = np.asarray(image.get_fdata(), dtype=np.float32)
while donnees.ndim > 3:
    donnees = donnees[..., 0]
debut = time.time()
sommets, faces, _, _ = measure.marching_cubes(donnees, float(sys.argv[2]))
duree = time.time() - debut
a = image.affine
sommets = sommets @ a[:3, :3].T + a[:3, 3]
with open(sys.argv[3], "w") as f:
    f.write("OFF\n%d %d 0\n" % (len(sommets), len(faces)))
    np.savetxt(f, sommets, fmt="%.6f")
    np.savetxt(f, np.hstack([np.full((len(faces), 1), 3), faces]), fmt="%d")
print("%.2f" % duree)
EOF
)
      comp=$("$ECARTS" "$TRAVAIL/$nom/$nom.off" "$TRAVAIL/$nom.mc.off" "$taille")
      ab=$(ligne "$comp" "A->B" | awk '{ printf "%.3f/%.3f", $3, $5 }')
      ba=$(ligne "$comp" "B->A" | awk '{ printf "%.3f/%.3f", $3, $5 }')
      mcparts=$(ligne "$comp" B | awk '{ print $3 ($5 == 1 ? " fermée" : " ouverte") }')
      printf "%-17s %-8s %-8s %-16s %-16s %-12s %s / %s s\n" "$nom" "$niveau" "$parts" "$ab" "$ba" "${temps/ //}" "$mcparts" "$mc"
      if [ "$nom" = brainmask ]; then
        read -r m1 p1 <<< "${ab/\// }"
        read -r m2 p2 <<< "${ba/\// }"
        read -r mur cpu <<< "$temps"
        awk -v m1="$m1" -v p1="$p1" -v m2="$m2" -v p2="$p2" -v parts="$parts" -v mur="$mur" -v cpu="$cpu" 'BEGIN {
          n = split("moyenne <= 0.25 voxel (les deux sens)|p95 <= 0.75 voxel (les deux sens)|une partie fermée|t <= 5 s (mur " mur ", CPU " cpu ")", m, "|")
          v[1] = m1 <= 0.25 && m2 <= 0.25; v[2] = p1 <= 0.75 && p2 <= 0.75; v[3] = parts == "1 fermée"; v[4] = mur <= 5
          for (k = 1; k <= n; ++k) printf "  brainmask %-44s %s\n", m[k], v[k] ? "atteinte" : "MANQUÉE" }'
      fi
    else
      printf "%-17s %-8s %-8s %-16s %-16s %-12s\n" "$nom" "$niveau" "$parts" - - "${temps/ //}"
    fi
  done
fi

# ---- 2. A generated ellipsoid on anisotropic voxels. ----
if "$PYTHON" -c "import nibabel, numpy" 2>/dev/null; then
  "$PYTHON" - "$TRAVAIL/ellipsoide.nii.gz" <<'EOF'
import sys
import nibabel, numpy as np
# Semi-axes 24 x 16 x 10 mm about (1.3, -2.1, 0.7) mm, on 0.5 x 0.5 x 2 mm voxels; values 1 inside,
# 0 outside, the 0.5 level on the ellipsoid, a smooth step about one z voxel wide.
a, b, c, centre = 24.0, 16.0, 10.0, np.array([1.3, -2.1, 0.7])
taille = np.array([0.5, 0.5, 2.0])
n = (np.array([60.0, 44.0, 32.0]) / taille).astype(int)
origine = -np.array([30.0, 22.0, 16.0])
i, j, k = np.meshgrid(*[np.arange(m) for m in n], indexing="ij")
x, y, z = (origine[q] + taille[q] * g - centre[q] for q, g in enumerate((i, j, k)))
rho = np.sqrt((x / a) ** 2 + (y / b) ** 2 + (z / c) ** 2)
v = 1.0 / (1.0 + np.exp((rho - 1.0) * 8.0))
affine = np.diag([0.5, 0.5, 2.0, 1.0])
affine[:3, 3] = origine
image = nibabel.Nifti1Image(v.astype(np.float32), affine)
image.header.set_xyzt_units("mm")
nibabel.save(image, sys.argv[1])
EOF
  temps=$(lancer "$TRAVAIL/ellipsoide" --cloud "$TRAVAIL/ellipsoide.nii.gz" --level 0.5) || exit 1
  "$PYTHON" - "$TRAVAIL/ellipsoide/ellipsoide.off" "$temps" <<'EOF'
import sys
import numpy as np
with open(sys.argv[1]) as f:
    f.readline()
    nv = int(f.readline().split()[0])
    p = np.loadtxt(f, max_rows=nv)
# x^2 A + y^2 B + z^2 C + x D + y E + z F = 1, then the centre and the semi-axes.
m = np.column_stack([p[:, 0] ** 2, p[:, 1] ** 2, p[:, 2] ** 2, p[:, 0], p[:, 1], p[:, 2]])
A, B, C, D, E, F = np.linalg.lstsq(m, np.ones(len(p)), rcond=None)[0]
centre = np.array([-D / (2 * A), -E / (2 * B), -F / (2 * C)])
g = 1 + A * centre[0] ** 2 + B * centre[1] ** 2 + C * centre[2] ** 2
axes = np.sqrt(g / np.array([A, B, C]))
vrais = np.array([24.0, 16.0, 10.0])
ecart = 100 * (axes - vrais) / vrais
print("\nellipsoïde 0.5 x 0.5 x 2 mm, niveau 0.5 (t mur/CPU %s s)" % sys.argv[2].replace(" ", "/"))
print("  demi-axes ajustés (mm) %.3f %.3f %.3f, vrais 24 16 10, écarts %+.2f %+.2f %+.2f %%" % (*axes, *ecart))
print("  centre ajusté (mm) %.3f %.3f %.3f, vrai 1.3 -2.1 0.7" % tuple(centre))
print("  %-44s %s" % ("demi-axes à 1 % près", "atteinte" if np.all(np.abs(ecart) <= 1) else "MANQUÉE"))
EOF
else
  echo "nibabel absent pour $PYTHON (paquet Debian python3-nibabel) : ellipsoïde passé"
fi

# ---- 3. Every volume with the defaults, through the batch command. ----
if [ -d "$VOLUMES" ]; then
  echo
  (cd "$BUILD" && "$RACINE/scripts/tarnis-lot" -j 2 "$VOLUMES" "$TRAVAIL/lot" > "$TRAVAIL/lot.log" 2>&1) || true
  printf "%-40s %-7s %-10s %s\n" volume statut "t (s)" "parts"
  tous=1
  while IFS=$'\t' read -r nuage relatif; do
    nom=$(basename "$nuage")
    case $nom in *.nii.gz) nom=${nom%.gz} ;; esac
    nom=${nom%.*}
    d=$TRAVAIL/lot/$relatif
    read -r code t < "$d/tarnis-lot.statut" || code=absent
    parts=-
    [ -f "$d/$nom.off" ] && parts=$("$ECARTS" "$d/$nom.off" | awk '/^A / { print $3 ($5 == 1 ? " fermée" : " OUVERTE") }')
    printf "%-40s %-7s %-10s %s\n" "$relatif" "$code" "${t:--}" "$parts"
    [ "$code" = 0 ] && [ "$parts" = "1 fermée" ] || tous=0
  done < "$TRAVAIL/lot/.lot/nuages"
  echo "  tous les volumes : statut 0 et une partie fermée : $([ $tous = 1 ] && echo atteinte || echo MANQUÉE)"
fi
