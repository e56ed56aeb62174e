#!/bin/sh
# Runs the GNU parallel recipe (examples/render-farm/parallel-local.sh) and
# checks its result against one run of the whole flight: the three ranges must
# give the same 24 frames byte for byte, nothing past the last frame, and a
# video of 24 frames.
#
#   sh tests/farm/parallel_test.sh KALVENOR SOURCE_DIR
#
# Exit status: 0 pass, 1 fail, 77 skipped (a tool the recipe needs is missing).
set -u

FRAMES=24
SCRIPT=examples/flyover.scr
RECIPE=examples/render-farm/parallel-local.sh

if [ $# -ne 2 ]; then
    echo "usage: $0 KALVENOR SOURCE_DIR" >&2
    exit 1
fi
kalvenor=$1
source_dir=$2

fail() {
    echo "FAIL: $*"
    exit 1
}

# GNU parallel, not the moreutils program of the same name.
if ! command -v parallel >/dev/null 2>&1 || ! parallel --version 2>/dev/null | grep -q "GNU parallel"; then
    echo "SKIP: GNU parallel is not installed; 'make test-deps' installs it"
    exit 77
fi
for tool in ffmpeg ffprobe cmp; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed; 'make test-deps' installs it"
        exit 77
    fi
done

case $kalvenor in
    /*) ;;
    *) kalvenor=$(pwd)/$kalvenor ;;
esac
[ -x "$kalvenor" ] || fail "program not found or not executable: $kalvenor"
cd "$source_dir" || fail "cannot enter $source_dir"
[ -f "$RECIPE" ] || fail "recipe not found: $source_dir/$RECIPE"
[ -f "$SCRIPT" ] || fail "script not found: $source_dir/$SCRIPT"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/kalvenor-farm-parallel.XXXXXX") || fail "cannot make a temporary directory"
trap 'rm -rf "$tmp"' EXIT
trap 'exit 1' HUP INT TERM
mkdir "$tmp/split" "$tmp/one" "$tmp/parallel-home"

. "$(dirname "$0")/frames.sh"

# The recipe, as a user runs it. GNU parallel keeps its state under
# PARALLEL_HOME; give it its own so the test leaves nothing in $HOME.
echo "== recipe: $RECIPE (OUT=$tmp/split)"
if ! KALVENOR=$kalvenor OUT=$tmp/split PARALLEL_HOME=$tmp/parallel-home \
        sh "$RECIPE" >"$tmp/recipe.log" 2>&1; then
    cat "$tmp/recipe.log"
    fail "the recipe exited with an error"
fi
cat "$tmp/recipe.log"

echo "== one run of frames 0-$((FRAMES - 1))"
if ! "$kalvenor" run "$SCRIPT" --out "$tmp/one/f" --format png --frames "0-$((FRAMES - 1))" --quiet \
        >"$tmp/one.log" 2>&1; then
    cat "$tmp/one.log"
    fail "the single run exited with an error"
fi

same_frames split recipe

video=$tmp/split/flyover.mp4
[ -s "$video" ] || fail "the recipe wrote no video ($video)"
grep -qxF "$video" "$tmp/recipe.log" || fail "the recipe did not print the video's path"
counted=$(ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=nb_read_frames -of csv=p=0 "$video" 2>&1) || fail "ffprobe cannot read the video: $counted"
[ "$counted" = "$FRAMES" ] || fail "the video has '$counted' frames, expected $FRAMES"
echo "ok: the video has $FRAMES frames"

echo "PASS"
exit 0
