#!/usr/bin/env bash
# Fit figures on scans: for the bundled pebble and, when the shared data is there, the bunny,
# the armadillo, one open view of the bunny's scanner and two clouds made from the bunny (3 % of
# stray points uniform in its box enlarged by 5 %; noise of deviation 0.25 % of the diagonal on
# every coordinate; fixed seed), runs the console tool with the launcher's default arguments and
# screened Poisson reconstruction (Open3D, depth 8, normals estimated and oriented first) on the
# same clouds, and prints their figures and times side by side. The made clouds are measured
# against the CLEAN bunny. All distances in % of the reference's bounding-box diagonal
# (mean/p95/p99/max); cloud -> surface: every reference point to the triangulated surface;
# surface -> cloud: points spread evenly over the surface to their nearest reference point.
#   BUILD=folder (default: build)   DATA=folder of the shared data (default: ../shared/data)
#   PYTHON=interpreter with open3d (default: /usr/bin/python3 when present)
#   THREADS=n passed as --threads (default: every core)
#   FOIS=n: the clouds with a time target are run n times by each method, and the medians compared
#   (default 3: one run on a shared machine is off by a tenth either way)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/environnement.sh
cmake --build "$BUILD" --target pelvane >/dev/null
TRAVAIL=$(mktemp -d)
trap 'rm -rf "$TRAVAIL"' EXIT
if ! "$PYTHON" -c "import open3d" 2>/dev/null; then
  echo "open3d absent pour $PYTHON (paquet Debian python3-open3d)"; exit 1
fi
OUTILS=bench/scans_outils.py
FOIS=${FOIS:-3}
mediane() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "charge au départ : $(cut -d' ' -f1-3 /proc/loadavg)"

# name cloud reference
CAS=("galet $RACINE/data/sample/galet.pts $RACINE/data/sample/galet.pts")
LAPIN=$DATA/meshes/stanford/bun_zipper.pts
for f in meshes/stanford/bun_zipper.pts meshes/libigl/armadillo.pts points/stanford-scan/bun000.pts; do
  if [ -f "$DATA/$f" ]; then CAS+=("$(basename "$f" .pts) $DATA/$f $DATA/$f"); else echo "absent, passé : $DATA/$f"; fi
done
if [ -f "$LAPIN" ]; then
  for genre in parasites bruit; do
    "$PYTHON" $OUTILS generer "$LAPIN" "$TRAVAIL/lapin_$genre.pts" $genre
    CAS+=("lapin_$genre $TRAVAIL/lapin_$genre.pts $LAPIN")
  done
fi

printf "%-14s %-8s %8s %7s  %-28s %-28s\n" nuage méthode sommets "t (s)" "nuage->surface moy/p95/p99/max" \
  "surface->nuage moy/p95/p99/max"
for cas in "${CAS[@]}"; do
  read -r nom nuage reference <<<"$cas"
  debut=$(date +%s.%N)
  (cd "$BUILD" && ./Pelvane/Pelvane.exe 1.00 0.05 0.00 2 2000 20 0 SMM_/icosa.smm "$nuage" "$TRAVAIL/$nom" \
      --threads "$THREADS" >/dev/null 2>"$TRAVAIL/$nom.err") || [ $? -eq 8 ] || { cat "$TRAVAIL/$nom.err"; exit 1; }
  fin=$(date +%s.%N)
  base=$(basename "$nuage" .pts)
  ecartes=$(sed -n 's/^points du nuage écartés = //p' "$TRAVAIL/$nom/$base.rapport.txt")
  "$PYTHON" $OUTILS mesurer "$TRAVAIL/$nom/$base.off" "$nom" "$reference" "$(echo "$fin - $debut" | bc)" \
    | tee "$TRAVAIL/$nom.tarnis"
  [ -n "$ecartes" ] && echo "  ($ecartes points écartés)"
  "$PYTHON" $OUTILS poisson "$nuage" "$nom" "$reference" | tee "$TRAVAIL/$nom.poisson"
  if [ "$nom" = bun_zipper ] || [ "$nom" = armadillo ]; then
    # More runs of each, in turn; the figures are those of the first (the fit is deterministic).
    nous=$(awk '{ print $4 }' "$TRAVAIL/$nom.tarnis") eux=$(awk '{ print $4 }' "$TRAVAIL/$nom.poisson")
    for ((k = 1; k < FOIS; k++)); do
      debut=$(date +%s.%N)
      (cd "$BUILD" && ./Pelvane/Pelvane.exe 1.00 0.05 0.00 2 2000 20 0 SMM_/icosa.smm "$nuage" "$TRAVAIL/encore" \
          --threads "$THREADS" >/dev/null 2>&1) || [ $? -eq 8 ]
      fin=$(date +%s.%N)
      nous="$nous $(printf "%.2f" "$(echo "$fin - $debut" | bc)")"
      eux="$eux $("$PYTHON" $OUTILS duree "$nuage")"
    done
    mn=$(echo "$nous" | mediane) me=$(echo "$eux" | mediane)
    echo "  durées (s) de $FOIS passages : Tarnis $nous ; Poisson $eux ; médianes $mn et $me"
    awk -v a="$mn" '{ $4 = a; print }' "$TRAVAIL/$nom.tarnis" >"$TRAVAIL/t" && mv "$TRAVAIL/t" "$TRAVAIL/$nom.tarnis"
    awk -v a="$me" '{ $4 = a; print }' "$TRAVAIL/$nom.poisson" >"$TRAVAIL/t" && mv "$TRAVAIL/t" "$TRAVAIL/$nom.poisson"
  fi
  # The targets of this cloud, each one checked: Tarnis's line, then Poisson's.
  awk -v nom="$nom" 'NR == FNR { t = $4; split($5, a, "/"); split($6, b, "/"); next }
    { tp = $4; split($5, pa, "/") }
    function cible(texte, ok) { printf "  %-14s %-46s %s\n", nom, texte, ok ? "atteinte" : "MANQUÉE" }
    END {
      if (nom == "bun_zipper" || nom == "armadillo") {
        cible("nuage->surface moy <= 0.035", a[1] <= 0.035); cible("nuage->surface p95 <= 0.12", a[2] <= 0.12)
        cible("durée médiane <= Poisson", t <= tp)
      } else if (nom == "bun000") {
        cible("nuage->surface moy <= 0.05", a[1] <= 0.05); cible("nuage->surface p99 <= 0.5", a[3] <= 0.5)
        cible("nuage->surface max <= 2.5", a[4] <= 2.5); cible("surface->nuage p95 <= 1", b[2] <= 1)
      } else if (nom == "lapin_parasites") {
        cible("nuage propre->surface moy <= 0.06", a[1] <= 0.06); cible("surface->nuage propre p95 <= 0.6", b[2] <= 0.6)
      } else if (nom == "lapin_bruit") {
        cible("nuage propre->surface moy <= Poisson", a[1] <= pa[1])
      } }' "$TRAVAIL/$nom.tarnis" "$TRAVAIL/$nom.poisson"
done
echo "charge à la fin : $(cut -d' ' -f1-3 /proc/loadavg)"
