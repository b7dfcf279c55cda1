#!/usr/bin/env bash
# Label maps. On the AAL atlas of the Debian package mricron-data (bench-only; its templates
# folder, /usr/share/mricron/templates):
#  1. the tool's console line on the atlas with no region: recognised as a label map, no Otsu level;
#  2. label 37 through --label 37, and --band 37 37 (the same points: a band takes only its own
#     voxels), beside scikit-image's marching cubes of the label's mask at 0.5 (Debian
#     python3-skimage): distances both ways in voxels (points spread evenly over one surface to the
#     triangles of the other: mean, 95th percentile), and the time;
#  3. with ALL=1, --labels all over the atlas: the time and the table's outcomes.
# Targets: label 37 mean <= 0.25 voxel and p95 <= 0.75 voxel both ways; --labels all <= 5 min.
#   BUILD=folder (default: build, configured with TARNIS_BUILD_BENCH=ON)   TEMPLATES=folder
#   PYTHON=interpreter with numpy, nibabel and skimage (default: /usr/bin/python3 when present)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/environnement.sh
TEMPLATES=${TEMPLATES:-/usr/share/mricron/templates}
AAL=$TEMPLATES/aal.nii.gz
[ -f "$AAL" ] || { echo "absent, passé : $AAL (paquet Debian mricron-data)"; exit 0; }
cmake --build "$BUILD" --target pelvane ecarts_surfaces >/dev/null ||
  { echo "construisez d'abord $BUILD avec -DTARNIS_BUILD_BENCH=ON (cible ecarts_surfaces)"; exit 1; }
PELVANE=$BUILD/Pelvane/Pelvane.exe
ECARTS=$BUILD/bench/ecarts_surfaces
TRAVAIL=$(mktemp -d)
trap 'rm -rf "$TRAVAIL"' EXIT
ligne() { grep "^$2 " <<< "$1" | head -1; }

# ---- 1. The atlas with no region given. ----
# The line comes with the reading: the fit of the whole atlas is not waited for.
timeout 30 "$PELVANE" --cloud "$AAL" --out "$TRAVAIL/defaut" --threads "$THREADS" >/dev/null 2>"$TRAVAIL/defaut.err" || true
echo "sans région : $(grep -m1 'carte de labels (' "$TRAVAIL/defaut.err" || echo 'PAS RECONNU comme carte de labels')"

# ---- 2. Label 37 against marching cubes. ----
/usr/bin/time -f "%e %U %S" -o "$TRAVAIL/temps" "$PELVANE" --cloud "$AAL" --label 37 --out "$TRAVAIL/l37" \
  --threads "$THREADS" >/dev/null 2>"$TRAVAIL/l37.err" || [ $? -eq 8 ] || { tail -1 "$TRAVAIL/l37.err"; exit 1; }
"$PELVANE" --cloud "$AAL" --band 37 37 --out "$TRAVAIL/b37" --threads "$THREADS" >/dev/null 2>"$TRAVAIL/b37.err" || true
pl=$(grep -m1 -o '[0-9]* points de frontière' "$TRAVAIL/l37.err")
pb=$(grep -m1 -o '[0-9]* points de frontière' "$TRAVAIL/b37.err")
echo "label 37 : $pl ; --band 37 37 : $pb"
"$PYTHON" - "$AAL" "$TRAVAIL/mc.off" <<'EOF'
import sys
import nibabel, numpy as np
from skimage import measure
image = nibabel.load(sys.argv[1])
masque = (np.asarray(image.dataobj) == 37).astype(np.float32)
sommets, faces, _, _ = measure.marching_cubes(np.pad(masque, 1), 0.5)
a = image.affine
sommets = (sommets - 1) @ a[:3, :3].T + a[:3, 3]
with open(sys.argv[2], "w") as f:
    f.write("OFF\n%d %d 0\n" % (len(sommets), len(faces)))
    np.savetxt(f, sommets, fmt="%.6f")
    np.savetxt(f, np.hstack([np.full((len(faces), 1), 3), faces]), fmt="%d")
EOF
taille=$(sed -n 's/^tailles des voxels (mm) = //p' "$TRAVAIL/l37/aal.rapport.txt" | awk '{ print $1 }')
comp=$("$ECARTS" "$TRAVAIL/l37/aal.off" "$TRAVAIL/mc.off" "$taille")
read -r m1 p1 <<< "$(ligne "$comp" "A->B" | awk '{ print $3, $5 }')"
read -r m2 p2 <<< "$(ligne "$comp" "B->A" | awk '{ print $3, $5 }')"
read -r mur u s <<< "$(tail -1 "$TRAVAIL/temps")"
printf "label 37 : nous->MC %.3f/%.3f, MC->nous %.3f/%.3f voxel (moyenne/p95), %s s\n" "$m1" "$p1" "$m2" "$p2" "$mur"
awk -v m1="$m1" -v p1="$p1" -v m2="$m2" -v p2="$p2" -v pl="$pl" -v pb="$pb" 'BEGIN {
  printf "  %-46s %s\n", "moyenne <= 0.25 voxel (les deux sens)", (m1 <= 0.25 && m2 <= 0.25) ? "atteinte" : "MANQUÉE"
  printf "  %-46s %s\n", "p95 <= 0.75 voxel (les deux sens)", (p1 <= 0.75 && p2 <= 0.75) ? "atteinte" : "MANQUÉE"
  printf "  %-46s %s\n", "--band 37 37 = --label 37 (points)", pl == pb ? "atteinte" : "MANQUÉE" }'

# ---- 3. Every label. ----
if [ "${ALL:-0}" = 1 ]; then
  /usr/bin/time -f "%e" -o "$TRAVAIL/tous" "$PELVANE" --cloud "$AAL" --labels all --out "$TRAVAIL/tous.d" \
    --threads "$THREADS" >/dev/null 2>"$TRAVAIL/tous.err" || true
  table=$TRAVAIL/tous.d/aal.labels.txt
  echo "--labels all : $(tail -n +3 "$table" | wc -l) labels, $(awk -F'\t' 'NR > 2 && $NF == "ok"' "$table" | wc -l) ok, $(tail -1 "$TRAVAIL/tous") s (cible 300 s)"
fi
