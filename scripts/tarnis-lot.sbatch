#!/usr/bin/env bash
# One task of a Slurm job array over a batch of clouds: task K fits the K-th cloud of the batch
# prepared in SORTIE (same results folders, same status files and same summary as tarnis-lot).
#
#   n=$(tarnis-lot --preparer ENTREE SORTIE [-- options of the console tool])
#   job=$(sbatch --parsable --array=1-"$n" tarnis-lot.sbatch SORTIE)
#   sbatch --dependency=afterany:"$job" --wrap "tarnis-lot --resume SORTIE"
#
# Run --preparer in the folder where tarnis-lot finds the tool (a build folder, or anywhere for the
# installed one): it records the tool's and the template's absolute paths, which every node must
# reach, as SORTIE must. A task whose cloud already has a complete result does nothing, so the
# same array can be submitted again after an interruption. Without Slurm, the same body runs with
# SLURM_ARRAY_TASK_ID set by hand.
#
#SBATCH --job-name=tarnis-lot
#SBATCH --cpus-per-task=1
#SBATCH --output=tarnis-lot-%A_%a.out
set -uo pipefail

if [ $# -ne 1 ] || [ -z "${SLURM_ARRAY_TASK_ID:-}" ]; then
    echo "usage : SLURM_ARRAY_TASK_ID=K $(basename "$0") SORTIE (ou sbatch --array=1-N $(basename "$0") SORTIE)" >&2
    exit 2
fi
# Under sbatch the script runs from a copy in Slurm's spool: the batch command is TARNIS_LOT when set
# (sbatch passes the environment on), else the one beside this script, else the one in PATH.
lot=${TARNIS_LOT:-$(dirname "$(readlink -f "$0")")/tarnis-lot}
[ -x "$lot" ] || lot=$(command -v tarnis-lot) || { echo "tarnis-lot introuvable (TARNIS_LOT)" >&2; exit 2; }
exec "$lot" --tache "$SLURM_ARRAY_TASK_ID" "$1"
