#!/usr/bin/env bash
# The batch command over six small clouds (two named scan.pts in different folders, one cut short):
# distinct results, the failure in the summary, a second run that redoes nothing, a killed batch
# resumed to the same results, and the Slurm task body giving the same results as parallel.
# Run from the runnable tree: test_lot.sh SOURCE_DIR MAKE_SAMPLE
set -uo pipefail
source_dir=$1 make_sample=$2
lot=$source_dir/scripts/tarnis-lot
command -v parallel > /dev/null || { echo "GNU parallel absent : test sauté"; exit 77; }

t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
echecs=0
verifier() { # MESSAGE COMMAND...
    local m=$1
    shift
    if "$@"; then echo "ok : $m"; else echo "ÉCHEC : $m"; echecs=$((echecs + 1)); return 1; fi
}

mkdir -p "$t/in/a" "$t/in/b" "$t/in/c/d"
graine=1
for c in a/scan b/scan c/d/galet e f; do
    "$make_sample" "$t/in/$c.pts" 1500 "$graine" > /dev/null || exit 1
    graine=$((graine + 1))
done
printf 'PTS\n100\n1 2 3\n4 5\n' > "$t/in/c/casse.pts"
options=(-- --min-points 150 --iterations 5 --max-points 400)
sains=(a/scan.pts b/scan.pts c/d/galet.pts e.pts f.pts)

# Every sound cloud has its three results, under its own relative path.
complets() { # SORTIE
    local c n
    for c in "${sains[@]}"; do
        n=$(basename "$c" .pts)
        [ -s "$1/$c/$n.smm" ] && [ -s "$1/$c/$n.off" ] && [ -s "$1/$c/$n.rapport.txt" ] || return 1
    done
}
memes_resultats() { # SORTIE1 SORTIE2: same fitted meshes, byte for byte
    local c n
    for c in "${sains[@]}"; do
        n=$(basename "$c" .pts)
        cmp -s "$1/$c/$n.smm" "$2/$c/$n.smm" && cmp -s "$1/$c/$n.off" "$2/$c/$n.off" || return 1
    done
}
empreintes() { find "$1" -path "$1/.lot" -prune -o -type f ! -name 'resume.*' -printf '%P %T@\n' | sort; }

# 1. The first run: five successes, one failure with its status and message.
"$lot" -j 2 "$t/in" "$t/out" "${options[@]}" 2> "$t/err1"
verifier "statut 1 quand un nuage échoue" [ $? -eq 1 ]
verifier "cinq résultats complets et distincts" complets "$t/out"
verifier "deux scan.pts, deux maillages différents" \
    bash -c '! cmp -s "$1/a/scan.pts/scan.smm" "$1/b/scan.pts/scan.smm"' _ "$t/out"
csv=$t/out/resume.csv
verifier "resume.csv : un en-tête et six lignes" [ "$(wc -l < "$csv")" -eq 7 ]
verifier "le nuage cassé : échec, statut 4, sa signification et le fichier en cause" \
    grep -q "^c/casse.pts,$t/in/c/casse.pts,échec,4,nuage illisible ou vide,.*casse.pts" "$csv"
verifier "les autres réussis, avec leurs points et leurs écarts" \
    awk -F, 'NR > 1 && $1 != "c/casse.pts" { if ($3 != "réussi" || $6 != 1500 || $7 < 150 || !($9 > 0) || $14 != 0 || !($15 > 0)) exit 1; ++n }
             END { exit n != 5 }' "$csv"
# The table: the failure first, then the successes from the worst fit (the larger 95th percentile).
ordre_html=$(grep -o '<tr class="[a-z]*"><td>[^<]*' "$t/out/resume.html" | sed 's/.*<td>//')
ordre_attendu=$(awk -F, 'NR > 1 { print ($3 == "réussi" ? 1 : 0), ($3 == "réussi" ? -($9 > $12 ? $9 : $12) : 0), $1 }' "$csv" |
    sort -k1,1n -k2,2g -k3,3 | cut -d' ' -f3)
verifier "resume.html : l'échec en tête puis les moins bons ajustements" [ "$ordre_html" = "$ordre_attendu" ]
# In English: the messages, and the summary again under English headers beside the French one.
cp "$csv" "$t/resume-fr.csv"
LC_ALL=en_US.UTF-8 "$lot" --resume "$t/out" 2> "$t/err-en"
verifier "en anglais : summary.csv, statuts et significations anglais" \
    grep -q "^c/casse.pts,$t/in/c/casse.pts,failed,4,unreadable or empty cloud,.*casse.pts" "$t/out/summary.csv"
verifier "en anglais : le message du résumé" grep -q "^tarnis-lot: 5 cloud(s) succeeded of 6; summary: " "$t/err-en"
verifier "et resume.csv inchangé" cmp -s "$csv" "$t/resume-fr.csv"

# 2. Running the same command again redoes only the failed cloud: the results keep their times.
avant=$(empreintes "$t/out")
sleep 1.1
"$lot" -j 2 "$t/in" "$t/out" "${options[@]}" 2> "$t/err2"
verifier "la relance ne reprend que l'échec" grep -q "1 nuage(s) à traiter sur 6" "$t/err2"
apres=$(empreintes "$t/out")
verifier "la relance ne touche aucun résultat réussi" \
    [ "$(grep -v casse <<< "$avant")" = "$(grep -v casse <<< "$apres")" ]

# 3. A batch killed part-way, then resumed, ends with every result complete and the same.
setsid "$lot" -j 1 "$t/in" "$t/tue" "${options[@]}" 2> /dev/null &
pid=$!
for _ in $(seq 600); do
    [ "$(find "$t/tue" -name tarnis-lot.statut 2> /dev/null | wc -l)" -ge 2 ] && break
    sleep 0.05
done
kill -KILL -- "-$pid" 2> /dev/null
wait "$pid" 2> /dev/null
verifier "le lot tué est inachevé" [ "$(find "$t/tue" -name tarnis-lot.statut | wc -l)" -lt 6 ]
# What a tool killed while writing leaves (the kill above may come between two files).
mkdir -p "$t/tue/f.pts" && echo "moitié" > "$t/tue/f.pts/f.smm.partiel-Ab12Cd"
"$lot" -j 2 "$t/in" "$t/tue" "${options[@]}" 2> /dev/null
verifier "le lot repris est complet" complets "$t/tue"
verifier "sans fichier temporaire" \
    bash -c '[ -z "$(find "$1" -name "*.partiel-*")" ]' _ "$t/tue"
verifier "le lot repris donne les mêmes maillages" memes_resultats "$t/out" "$t/tue"

# 4. The Slurm task body, one task after the other, over a list of the same clouds.
(cd "$t" && find in -name '*.pts' | sort > liste.txt)
n=$("$lot" --preparer "$t/liste.txt" "$t/slurm" "${options[@]}")
verifier "la préparation compte six tâches" [ "$n" = 6 ]
for k in $(seq "$n"); do
    SLURM_ARRAY_TASK_ID=$k "$source_dir/scripts/tarnis-lot.sbatch" "$t/slurm" 2> /dev/null
done
"$lot" --resume "$t/slurm" 2> /dev/null
verifier "les tâches Slurm donnent les mêmes maillages" memes_resultats "$t/out" "$t/slurm"
sans_durees() { sed -E 's/^(([^,]*,){22})[^,]*,/\1/' "$1/resume.csv"; } # the 23rd column out
verifier "et le même résumé (hors durées)" [ "$(sans_durees "$t/out")" = "$(sans_durees "$t/slurm")" ]

# 5. Machines without the files: parallel sends the clouds and brings the results back (ssh stands
# in for a machine whose home is a folder of its own).
if command -v rsync > /dev/null; then
    mkdir -p "$t/ailleurs"
    cat > "$t/ssh" <<EOF
#!/bin/bash
while [ \$# -gt 0 ]; do case \$1 in -o | -l | -p) shift 2 ;; -*) shift ;; *) break ;; esac; done
shift
[ "\${1:-}" != "--" ] || shift
cd "$t/ailleurs" && HOME="$t/ailleurs" exec bash -c "\$*"
EOF
    chmod +x "$t/ssh"
    echo "2/calcul1" > "$t/machines"
    printf '%s\n' in/a/scan.pts in/b/scan.pts > "$t/deux.txt"
    env -u SHELL TARNIS_LOT_SSH="$t/ssh" "$lot" --hosts "$t/machines" --transfert "$t/deux.txt" "$t/rendu" -- --min-points 150 \
        --iterations 5 --max-points 400 2> "$t/rendu.err"
    verifier "les résultats rendus par les machines sont ceux du lot local" \
        bash -c 'cmp "$1/a/scan.pts/scan.smm" "$2/a/scan.pts/scan.smm" && cmp "$1/b/scan.pts/scan.off" "$2/b/scan.pts/scan.off"' \
        _ "$t/out" "$t/rendu" || { cat "$t/rendu.err"; find "$t/rendu" "$t/ailleurs" | sort; }
    verifier "et rien ne reste sur les machines" [ -z "$(find "$t/ailleurs" -type f)" ]
fi

[ "$echecs" -eq 0 ] || { echo "$echecs vérification(s) en échec"; exit 1; }
