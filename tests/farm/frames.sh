# Shared by the render-farm tests (sourced): the frames of a split render
# compared with those of one run. Needs FRAMES, tmp and fail().

frame_name() { printf '%s%05d.PNG' "$1" "$2"; }

# same_frames DIR WHAT: every frame of $tmp/DIR equals the one of $tmp/one,
# neighbouring frames differ (the camera moves), and neither holds a frame
# past the last one.
same_frames() {
    status=0
    i=0
    while [ $i -lt $FRAMES ]; do
        split=$(frame_name "$tmp/$1/f" $i)
        one=$(frame_name "$tmp/one/f" $i)
        if [ ! -s "$one" ]; then
            echo "FAIL: the single run did not write frame $i ($one)"
            status=1
        elif [ ! -s "$split" ]; then
            echo "FAIL: the $2 did not write frame $i ($split)"
            status=1
        elif ! cmp "$split" "$one"; then
            echo "FAIL: frame $i of the $2 differs from the single run's"
            status=1
        fi
        i=$((i + 1))
    done
    [ $status -eq 0 ] || exit 1
    echo "ok: $FRAMES frames of the $2 equal the single run's"

    # A program that rendered one frame under every number would pass the above.
    i=1
    while [ $i -lt $FRAMES ]; do
        if cmp -s "$(frame_name "$tmp/one/f" $((i - 1)))" "$(frame_name "$tmp/one/f" $i)"; then
            fail "frames $((i - 1)) and $i are identical though the camera moved"
        fi
        i=$((i + 1))
    done
    echo "ok: neighbouring frames differ"

    for dir in "$1" one; do
        [ ! -e "$(frame_name "$tmp/$dir/f" $FRAMES)" ] || fail "$dir: a frame $FRAMES exists past the end of the flight"
        count=$(find "$tmp/$dir" -name 'f*.PNG' | wc -l)
        [ "$count" -eq $FRAMES ] || fail "$dir: $count frame files, expected $FRAMES"
    done
    echo "ok: no frame past $((FRAMES - 1))"
}
