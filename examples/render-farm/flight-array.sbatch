#!/bin/sh
# A Slurm job array that renders the fly-over: each array task renders one
# range of frames. Submit from the project's directory (or a copy of it on a
# file system every node shares):
#
#   mkdir -p out/slurm && sbatch examples/render-farm/flight-array.sbatch
#
# Task i renders frames i x PER_TASK to (i + 1) x PER_TASK - 1; 3 tasks of 8
# frames make the 24 frames of the flight. A task that is run again (requeued,
# or submitted again after a failure) continues its range where it stopped.
#SBATCH --job-name=kalvenor-flight
#SBATCH --array=0-2
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
#SBATCH --output=out/slurm/flight-%A-%a.log
set -eu
KALVENOR=${KALVENOR:-kalvenor}
OUT=${OUT:-out/slurm}
PER_TASK=${PER_TASK:-8}

first=$((SLURM_ARRAY_TASK_ID * PER_TASK))
last=$((first + PER_TASK - 1))
exec "$KALVENOR" run examples/flyover.scr --out "$OUT/f" --format png --frames "$first-$last" --quiet
