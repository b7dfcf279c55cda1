#!/usr/bin/env bash
# Whether the written surfaces bound solids. For the bundled pebble, every cloud of the shared data
# (points/*.pts, meshes/*.pts), every volume of it (.nii.gz, .hdr) and the generated shapes of the
# topology benchmark (bench/formes.py, one density: DENSITES=1 by default), runs the console tool
# with its defaults and, for the clouds, screened Poisson (Open3D, depth 8, as bench/ajustement_scans.sh)
# beside it; for each written .off prints the crossing pairs decided exactly (bench/solide_ecrit),
# what TetGen's self-intersection test (`tetgen -d`, Debian tetgen) says, the enclosed volume,
# cloud -> surface and surface -> cloud figures (mean/p95 in % of the diagonal, from the tool's
# report; Poisson's by bench/scans_outils.py, mean/p95/p99/max), parts, genus and the time. For
# volumes, the enclosed volume against the region's (its voxels times a voxel's volume).
# Targets: zero crossing pairs and "No faces are intersecting" on every case; the brain mask's
# enclosed volume within 0.5 % of its region's.
#   BUILD=folder (default: build, with TARNIS_BUILD_BENCH=ON)   DATA=shared data (default: ../shared/data)
#   THREADS=n (default: every core)   SEULEMENT=regex of the names to run   POISSON=0: no Poisson
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/environnement.sh
cmake --build "$BUILD" --target pelvane solide_ecrit >/dev/null ||
  { echo "construisez d'abord $BUILD avec -DTARNIS_BUILD_BENCH=ON (cible solide_ecrit)"; exit 1; }
PELVANE=$BUILD/Pelvane/Pelvane.exe
SOLIDE=$BUILD/bench/solide_ecrit
TRAVAIL=$(mktemp -d)
trap 'rm -rf "$TRAVAIL"' EXIT
AVEC_TETGEN=1
command -v tetgen >/dev/null || { AVEC_TETGEN=0; echo "tetgen absent (paquet Debian tetgen) : colonne TetGen passée"; }
AVEC_POISSON=${POISSON:-1}
if [ "$AVEC_POISSON" = 1 ] && ! "$PYTHON" -c "import open3d" 2>/dev/null; then
  AVEC_POISSON=0
  echo "open3d absent pour $PYTHON (paquet Debian python3-open3d) : colonne Poisson passée"
fi
echo "charge au départ : $(cut -d' ' -f1-3 /proc/loadavg) ; $(nproc) cœurs"

CAS=("$RACINE/data/sample/galet.pts")
mkdir -p "$TRAVAIL/formes"
for k in ${DENSITES:-1}; do
  while read -r nom _; do CAS+=("$TRAVAIL/formes/$nom.pts"); done < <("$PYTHON" bench/formes.py "$TRAVAIL/formes" "$k")
done
if [ -d "$DATA" ]; then
  while IFS= read -r f; do CAS+=("$f"); done < <(find "$DATA/points" "$DATA/meshes" -name '*.pts' | sort)
  while IFS= read -r f; do CAS+=("$f"); done < <(find "$DATA/volumes" \( -name '*.nii.gz' -o -name '*.hdr' \) | sort)
else
  echo "absent, passé : $DATA"
fi

valeur() { sed -n "s/^$2 = //p" "$1" | head -1; }
tetgen_dit() { # OFF -> TetGen's verdict in a few words
  [ "$AVEC_TETGEN" = 1 ] || { echo "-"; return; }
  cp "$1" "$TRAVAIL/t.off"
  local sortie
  sortie=$(timeout 600 tetgen -d "$TRAVAIL/t.off" 2>&1) || true
  rm -f "$TRAVAIL"/t.*
  if grep -q "No faces are intersecting" <<<"$sortie"; then echo "aucune"
  elif grep -q "Found [0-9]* pairs of faces are intersecting" <<<"$sortie"; then
    sed -n 's/.*Found \([0-9]*\) pairs of faces are intersecting.*/\1 paires/p' <<<"$sortie" | head -1
  else echo "?"; fi
}
printf "%-24s %-7s %6s %9s %-9s %-13s %-24s %-24s %-5s %7s\n" nuage méthode "t (s)" croisées TetGen volume \
  "nuage->surface moy/p95" "surface->nuage moy/p95" "c g" "vol/rég"
zeros=0; tous=0; tetgen_ok=0; cerveau="-"
for nuage in "${CAS[@]}"; do
  nom=$(basename "$nuage"); nom=${nom%.nii.gz}; nom=${nom%.*}
  case "$nuage" in "$DATA"/*) nom="$(basename "$(dirname "$nuage")")/$nom" ;; esac
  [[ "$nom" =~ ${SEULEMENT:-.} ]] || continue
  sortie="$TRAVAIL/sortie"
  rm -rf "$sortie"
  debut=$(date +%s.%N)
  code=0
  "$PELVANE" --cloud "$nuage" --out "$sortie" --threads "$THREADS" >/dev/null 2>"$TRAVAIL/err" || code=$?
  fin=$(date +%s.%N)
  base=$(basename "$nuage"); base=${base%.nii.gz}; base=${base%.*}
  r="$sortie/$base.rapport.txt"
  if [ "$code" != 0 ] && [ "$code" != 8 ]; then
    printf "%-24s %-7s échec (code %s) : %s\n" "$nom" Tarnis "$code" "$(tail -1 "$TRAVAIL/err")"
    continue
  fi
  read -r _ x _ c _ g _ v _ <<<"$("$SOLIDE" "$sortie/$base.off" | tail -1)"
  t=$(tetgen_dit "$sortie/$base.off")
  f() { printf "%.3f" "$(valeur "$r" "écart $1, $2 (% de la diagonale)")"; }
  rapport=$(valeur "$r" "volume enclos \/ volume de la région")
  printf "%-24s %-7s %6.2f %9s %-9s %-13.6g %-24s %-24s %-5s %7s\n" "$nom" Tarnis "$(echo "$fin - $debut" | bc)" "$x" "$t" "$v" \
    "$(f "nuage -> surface" moyenne)/$(f "nuage -> surface" "centile 95")" \
    "$(f "surface -> nuage" moyenne)/$(f "surface -> nuage" "centile 95")" "c$c g$g" "${rapport:--}"
  tous=$((tous + 1)); [ "$x" = 0 ] && zeros=$((zeros + 1)); [ "$t" = aucune ] && tetgen_ok=$((tetgen_ok + 1))
  [[ "$nom" == */brainmask ]] && cerveau=$rapport
  if [ "$AVEC_POISSON" = 1 ] && [[ "$nuage" == *.pts ]]; then
    secondes=$("$PYTHON" bench/scans_outils.py ecrire_poisson "$nuage" "$TRAVAIL/poisson.off" 2>/dev/null | tail -1) || {
      printf "%-24s %-7s échec\n" "$nom" Poisson; continue; }
    read -r _ x _ c _ g _ v _ <<<"$("$SOLIDE" "$TRAVAIL/poisson.off" | tail -1)"
    # Open3D's own measure aborts on some meshes (an assertion of Eigen): the row says so.
    figures=$("$PYTHON" bench/scans_outils.py mesurer "$TRAVAIL/poisson.off" p "$nuage" 0 2>/dev/null |
      awk '{ print $5, $6 }') || figures="(mesure d'Open3D en échec)"
    printf "%-24s %-7s %6.2f %9s %-9s %-13.6g %-49s %-5s\n" "$nom" Poisson "$secondes" "$x" \
      "$(tetgen_dit "$TRAVAIL/poisson.off")" "$v" "$figures" "c$c g$g"
  fi
done
echo
echo "zéro paire qui se croise : $zeros cas sur $tous $([ "$zeros" = "$tous" ] && echo atteinte || echo MANQUÉE)"
[ "$AVEC_TETGEN" = 1 ] && echo "TetGen, aucune face qui se croise : $tetgen_ok cas sur $tous $([ "$tetgen_ok" = "$tous" ] && echo atteinte || echo MANQUÉE)"
if [ "$cerveau" != - ]; then
  echo "masque du cerveau, volume enclos / volume de la région = $cerveau" \
    "$(awk -v r="$cerveau" 'BEGIN { print (r >= 0.995 && r <= 1.005) ? "atteinte" : "MANQUÉE" }')"
fi
echo "charge à la fin : $(cut -d' ' -f1-3 /proc/loadavg)"
