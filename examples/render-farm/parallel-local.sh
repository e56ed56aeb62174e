#!/bin/sh
# Renders the fly-over in three parts at once with GNU parallel, then joins the
# frames into a video with ffmpeg. Every part renders its own frames, under
# their own numbers, byte for byte as one run of the whole flight would.
#
#   sh examples/render-farm/parallel-local.sh        (from the project's directory)
#
# KALVENOR names the program (./build/kalvenor when not installed), OUT the
# directory of the frames and the video, JOBS how many parts run at once.
set -eu
KALVENOR=${KALVENOR:-kalvenor}
OUT=${OUT:-out/farm}
JOBS=${JOBS:-3}

parallel --jobs "$JOBS" --halt now,fail=1 \
    "$KALVENOR" run examples/flyover.scr --out "$OUT/f" --format png --frames {} --quiet \
    ::: 0-7 8-15 16-23

ffmpeg -loglevel error -y -framerate 15 -i "$OUT/f%05d.PNG" -c:v libx264 -pix_fmt yuv420p "$OUT/flyover.mp4"
echo "$OUT/flyover.mp4"
