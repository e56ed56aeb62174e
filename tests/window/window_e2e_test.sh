#!/bin/sh
# The interactive program in a real X server (Xvfb), driven by xdotool as a
# user would drive it, synchronised on the trace the program writes
# (KALVENOR_TRACE), with screenshots taken by ImageMagick's import.
#
#   sh tests/window/window_e2e_test.sh KALVENOR
#
# Checks: the main window titled "Kalvenor"; hovering a tab shows its help in
# the status line; clicking it opens its panel; Render shows the render window
# ("Kalvenor Image") whose pixels equal `kalvenor render -o` of the same
# settings; Project > Exit ends the program with exit code 0 and no X error,
# twenty times in a row.
# Exit status: 0 pass, 1 fail, 77 skipped (no Xvfb, xdotool or import, or Xvfb cannot start).
set -u

if [ $# -ne 1 ]; then
    echo "usage: $0 KALVENOR" >&2
    exit 1
fi
kalvenor=$1
case $kalvenor in /*) ;; *) kalvenor=$(pwd)/$kalvenor ;; esac

for tool in Xvfb xdotool import compare; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed; 'make test-deps' installs it"
        exit 77
    fi
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/kalvenor-window.XXXXXX") || exit 1
xvfb_pid=
program_pid=
cleanup() {
    if [ -n "$program_pid" ]; then
        kill "$program_pid" 2>/dev/null
        sleep 0.5
        kill -9 "$program_pid" 2>/dev/null
    fi
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
    echo "FAIL: $*"
    [ -f "$tmp/err" ] && sed 's/^/  program: /' "$tmp/err" | tail -20
    exit 1
}

# A display of our own: Xvfb picks a free number and writes it to a pipe.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
n=0
while [ ! -s "$tmp/display" ]; do
    n=$((n + 1))
    if [ $n -gt 100 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "SKIP: Xvfb did not start:"
        tail -5 "$tmp/xvfb.log"
        exit 77
    fi
    sleep 0.1
done
DISPLAY=:$(cat "$tmp/display")
export DISPLAY

# Waits until the trace holds a line (timeout in tenths of a second).
wait_for() {
    n=0
    until grep -qx "$1" "$tmp/trace" 2>/dev/null; do
        n=$((n + 1))
        [ $n -le "${2:-300}" ] || fail "no \"$1\" in the trace: $(tr '\n' '|' <"$tmp/trace" 2>/dev/null)"
        kill -0 "$program_pid" 2>/dev/null || fail "the program ended before \"$1\""
        sleep 0.1
    done
}

start() {
    : >"$tmp/trace"
    # The display libraries under SDL (X11, D-Bus) keep a few allocations until the process ends, in
    # modules the leak checker cannot name; the program's own code is leak-checked by its other tests.
    (cd "$tmp" && ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" KALVENOR_TRACE="$tmp/trace" \
        exec "$kalvenor" --scale 1 >"$tmp/out" 2>"$tmp/err") &
    program_pid=$!
    wait_for ready
    main=$(xdotool search --name '^Kalvenor$' | head -1)
    [ -n "$main" ] || fail "no window titled Kalvenor"
}

# Clicks at (x, y) of the main window's surface.
click() {
    xdotool mousemove --window "$main" "$1" "$2"
    sleep 0.1
    xdotool click 1
}

# Project > Exit, then the exit code and no X error.
quit() {
    click 20 12
    sleep 0.2
    click 30 134
    n=0
    while kill -0 "$program_pid" 2>/dev/null; do
        n=$((n + 1))
        [ $n -le 100 ] || fail "the program did not end after Exit"
        sleep 0.1
    done
    wait "$program_pid"
    code=$?
    program_pid=
    [ "$code" -eq 0 ] || fail "exit code $code after Exit"
    ! grep -qi "x error\|badwindow" "$tmp/err" || fail "an X error at exit"
    grep -qx "exit 0" "$tmp/trace" || fail "no \"exit 0\" in the trace"
}

echo "== the main window"
start
# Hovering the Tree tab (x 673, y 176) shows its help; clicking it opens its panel.
import -window "$main" -crop 772x16+8+536 +repage "$tmp/status-before.png"
import -window "$main" -crop 300x40+372+8 +repage "$tmp/panel-before.png"
xdotool mousemove --window "$main" 700 184
sleep 0.5
import -window "$main" -crop 772x16+8+536 +repage "$tmp/status-after.png"
[ "$(compare -metric AE "$tmp/status-before.png" "$tmp/status-after.png" null: 2>&1)" != "0" ] ||
    fail "hovering a tab left the status line as it was"
click 700 184
wait_for "command 1288 result 1"
import -window "$main" -crop 300x40+372+8 +repage "$tmp/panel-after.png"
[ "$(compare -metric AE "$tmp/panel-before.png" "$tmp/panel-after.png" null: 2>&1)" != "0" ] ||
    fail "clicking the Tree tab opened no panel"

echo "== Render"
click 450 525
wait_for "command 1061 result 1"
image=$(xdotool search --name '^Kalvenor Image$' | head -1)
[ -n "$image" ] || fail "no render window titled Kalvenor Image"
sleep 0.3
import -window "$image" "$tmp/window.png"
(cd "$tmp" && "$kalvenor" render -o "$tmp/reference.png" >/dev/null 2>&1) || fail "kalvenor render failed"
cp "$tmp/window.png" "$tmp/reference.png" "${KALVENOR_KEEP:-$tmp}/" 2>/dev/null
differ=$(compare -metric AE "$tmp/reference.png" "$tmp/window.png" null: 2>&1)
[ "$differ" = "0" ] || fail "the render window differs from kalvenor render in $differ pixels"
import -window root "$tmp/screen.png"
quit

echo "== start and Exit, twenty times"
i=0
while [ $i -lt 20 ]; do
    start
    quit
    i=$((i + 1))
done
echo "PASS"
