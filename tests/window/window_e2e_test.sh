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
# settings, in true colour and, in an 8-bit display mode, the 8-bit image
# through the palette; End on a 1024 x 768 image in a 640 x 480 view shows the
# image from (383, 287); a camera X typed into the Camera panel survives Save
# Session through the file requester into a batch run, and saving again asks "Replace", whose Cancel
# leaves the file byte for byte; a click on the map with Place camera puts the camera where the map's
# read-out says; a river answered No leaves the landscape file byte for byte; a spread in the colour
# editor changes the swatches and Cancel gives the colour scheme back byte for byte; a house placed by a
# click appears in the next render, near where it stands; a camera path of four nodes placed by clicks, rendered
# from the Animation panel as a Targa series, gives the frames of `kalvenor run` of the path exported as a
# script, and Append camera after a Place camera click writes the camera's frame line; a whole session by
# clicks and keys (seed, sun, camera, target, Render, Save Targa, Save Session) saves the image a batch script
# of the same steps renders, and so does its saved session; on a 2050 x 2050 landscape both windows keep painting
# during the render, closing the main window is refused, and Esc and the right
# button abort it within half a second; Project > Exit and the close button
# end the program with exit code 0 and no X error, twenty times in a row.
# Exit status: 0 pass, 1 fail, 77 skipped (no Xvfb, xdotool or import, or Xvfb cannot start).
set -u

if [ $# -ne 1 ]; then
    echo "usage: $0 KALVENOR" >&2
    exit 1
fi
kalvenor=$1
case $kalvenor in /*) ;; *) kalvenor=$(pwd)/$kalvenor ;; esac
here=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb xdotool xwininfo import compare python3; do
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

# Waits until the trace holds a line, or holds it COUNT times (timeout in tenths of a second).
wait_for() {
    n=0
    until [ "$(grep -cx "$1" "$tmp/trace" 2>/dev/null)" -ge "${3:-1}" ]; do
        n=$((n + 1))
        [ $n -le "${2:-300}" ] || fail "no \"$1\" in the trace: $(tr '\n' '|' <"$tmp/trace" 2>/dev/null)"
        kill -0 "$program_pid" 2>/dev/null || fail "the program ended before \"$1\""
        sleep 0.1
    done
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Starts the program from directory $1 (made when missing): the program reads
# STARTUP.SCR beside itself, so a copy (or a link) of it lives there.
start() {
    dir=${1:-$tmp/plain}
    mkdir -p "$dir"
    [ -x "$dir/kalvenor" ] || ln "$kalvenor" "$dir/kalvenor" 2>/dev/null || cp "$kalvenor" "$dir/kalvenor" ||
        fail "cannot place the program in $dir"
    : >"$tmp/trace"
    # The display libraries under SDL (X11, D-Bus) keep a few allocations until the process ends, in
    # modules the leak checker cannot name; the program's own code is leak-checked by its other tests.
    (cd "$dir" && ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" KALVENOR_TRACE="$tmp/trace" \
        exec "$dir/kalvenor" --scale 1 >"$tmp/out" 2>"$tmp/err") &
    program_pid=$!
    wait_for ready 900
    main=$(xdotool search --name '^Kalvenor$' | head -1)
    [ -n "$main" ] || fail "no window titled Kalvenor"
}

# The render window, once a render has shown it.
render_window() {
    image=$(xdotool search --name '^Kalvenor Image' | head -1)
    [ -n "$image" ] || fail "no render window titled Kalvenor Image"
}

# The program has ended by itself with exit code 0, no X error, "exit 0" traced.
ended_well() {
    n=0
    while kill -0 "$program_pid" 2>/dev/null; do
        n=$((n + 1))
        [ $n -le 100 ] || fail "the program did not end after $1"
        sleep 0.1
    done
    wait "$program_pid"
    code=$?
    program_pid=
    [ "$code" -eq 0 ] || fail "exit code $code after $1"
    ! grep -qi "x error\|badwindow" "$tmp/err" || fail "an X error at exit"
    grep -qx "exit 0" "$tmp/trace" || fail "no \"exit 0\" in the trace"
}

# The number of pixels in which two pictures differ.
differing() { compare -metric AE "$1" "$2" null: 2>&1; }

# Clicks at (x, y) of the main window's surface.
click() {
    xdotool windowraise "$main" # the render window may lie over it
    xdotool mousemove --window "$main" "$1" "$2"
    sleep 0.1
    xdotool click 1
}

# Project > Exit, then the exit code and no X error.
quit() {
    click 20 12
    sleep 0.2
    click 30 166
    ended_well Exit
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
render_window
sleep 0.3
import -window "$image" "$tmp/window.png"
(cd "$tmp" && "$kalvenor" render -o "$tmp/reference.png" >/dev/null 2>&1) || fail "kalvenor render failed"
cp "$tmp/window.png" "$tmp/reference.png" "${KALVENOR_KEEP:-$tmp}/" 2>/dev/null
differ=$(differing "$tmp/reference.png" "$tmp/window.png")
[ "$differ" = "0" ] || fail "the render window differs from kalvenor render in $differ pixels"
quit

echo "== Camera X typed in its panel, Save > Save Session through the file requester; Replace answered Cancel"
start "$tmp/files"
save_session() {
    click 140 12  # Save
    sleep 0.2
    click 150 50  # Save Session
    sleep 0.5
    click 400 393 # the file name field of the file requester (it holds the name chosen last)
    xdotool key End $(printf 'BackSpace %.0s' $(seq 16))
    xdotool type --delay 20 valley
    xdotool key Return
    sleep 0.5
}
# A camera X typed into the Camera panel's field.
click 700 24 # Camera
wait_for "command 1283 result 1"
click 600 72 # the Camera X field
xdotool key End $(printf 'BackSpace %.0s' $(seq 12))
xdotool type --delay 20 1234.5
xdotool key Return
wait_for "command 1170 result 1"
save_session
xdotool key Return # "Need to calculate colors/shades": OK
wait_for "command 1125 result 1"
[ -f "$tmp/files/valley.K4S" ] || fail "Save Session wrote no valley.K4S: $(ls "$tmp/files")"
cp "$tmp/files/valley.K4S" "$tmp/saved.K4S"
# Reloaded in a batch run, the session has that camera X.
printf 'Kalve Script File\ncamera\n' >"$tmp/camera.scr"
printf 'Kalve Script File\ncheck\nAppendCamera %s\n' "$tmp/camera.scr" >"$tmp/check.scr"
"$kalvenor" run "$tmp/check.scr" --landscape "$tmp/files/valley.K4S" >/dev/null 2>&1 ||
    fail "the saved session does not load in a batch run"
sed -n 3p "$tmp/camera.scr" | grep -q '^ *1234,' || fail "camera X did not survive the session: $(sed -n 3p "$tmp/camera.scr")"
save_session
import -window "$main" "$tmp/replace.png"
xdotool key Escape # "Replace ... ?": Cancel
wait_for "command 1125 result -1"
cmp -s "$tmp/saved.K4S" "$tmp/files/valley.K4S" || fail "Cancel on Replace changed the file"
cp "$tmp/replace.png" "${KALVENOR_KEEP:-$tmp}/" 2>/dev/null
quit

echo "== the map: Place camera by a click, a river answered No, a spread in the colour editor cancelled"
mkdir -p "$tmp/map"
printf 'Kalve Script File\nmap\nLandscapeSizeSmall\nGenerateFractal 77\n' >"$tmp/map/STARTUP.SCR"
start "$tmp/map"
# Saves through the Save menu's item at (150, Y) under the name typed into the file requester.
save_as() {
    click 140 12
    sleep 0.2
    click 150 "$1"
    sleep 0.5
    click 400 393
    xdotool key End $(printf 'BackSpace %.0s' $(seq 16))
    xdotool type --delay 20 "$2"
    xdotool key Return
    sleep 0.5
}
click 700 24 # Camera
wait_for "command 1283 result 1"
click 437 49 # Place camera
wait_for "command 1059 result 1"
click 58 275 # map pixel (10, 20) from the bottom left: column 10, row 20 at one cell a pixel
wait_for "map click result 1"
xdotool mousemove --window "$main" 59 275
sleep 0.2
xdotool mousemove --window "$main" 58 275
sleep 0.3
grep -q '^read-out A  X=300     Y=600     Z=' "$tmp/trace" || fail "no read-out of (300, 600): $(grep read-out "$tmp/trace" | tail -1)"
save_as 50 camera
xdotool key Return # "Need to calculate colors/shades": OK
wait_for "command 1125 result 1"
printf 'Kalve Script File\ncamera\n' >"$tmp/placed.scr"
printf 'Kalve Script File\ncheck\nAppendCamera %s\n' "$tmp/placed.scr" >"$tmp/check.scr"
"$kalvenor" run "$tmp/check.scr" --landscape "$tmp/map/camera.K4S" >/dev/null 2>&1 || fail "the session does not load"
sed -n 3p "$tmp/placed.scr" | grep -q '^ *300, *600,' || fail "the placed camera is not at (300, 600): $(sed -n 3p "$tmp/placed.scr")"
# A river started by a click and answered No: the landscape saved before and after is the same.
save_as 34 before # Save Landscape (elevations)
wait_for "ask Save entire landscape?"
xdotool key Return # Yes
wait_for "command 1124 result 1"
click 700 152 # Water
wait_for "command 1287 result 1"
click 430 49 # Create river
wait_for "command 1090 result 1"
click 130 110
wait_for "ask Accept river?" 600
sleep 0.3
import -window "$main" "$tmp/river.png"
xdotool key Escape # "Accept river?": No
wait_for "map click result 1" 300 2
save_as 34 after
wait_for "ask Save entire landscape?" 300 2
xdotool key Return
wait_for "command 1124 result 1" 300 2
cmp -s "$tmp/map/before.DEM" "$tmp/map/after.DEM" || fail "a river answered No changed the landscape"
cp "$tmp/river.png" "${KALVENOR_KEEP:-$tmp}/" 2>/dev/null
# The colour editor: a spread from Bare 4 to Snow 4 changes the swatches between; Cancel gives the scheme back.
save_as 66 scheme1 # Save CMap
wait_for "command 1134 result 1"
click 700 120 # Terrain
wait_for "command 1286 result 1"
click 575 385 # Colors
sleep 0.5
import -window "$main" -crop 620x66+90+92 +repage "$tmp/swatches-before.png"
click 596 102 # Bare 4
click 620 446 # Spread
click 100 102 # Snow 4
sleep 0.3
import -window "$main" -crop 620x66+90+92 +repage "$tmp/swatches-after.png"
import -window "$main" "$tmp/editor.png"
[ "$(differing "$tmp/swatches-before.png" "$tmp/swatches-after.png")" != "0" ] || fail "the spread changed no swatch"
click 524 506 # Cancel
wait_for "command 1346 result -1"
save_as 66 scheme2
wait_for "command 1134 result 1" 300 2
cmp -s "$tmp/map/scheme1.SCM" "$tmp/map/scheme2.SCM" || fail "Cancel did not give the colour scheme back"
cp "$tmp/editor.png" "${KALVENOR_KEEP:-$tmp}/" 2>/dev/null
quit

echo "== a house placed by a click on the map appears in the next render, near where it stands"
mkdir -p "$tmp/house"
# Without the lighting's and the dither's noise two renders of one scene are the same, so what differs is the house.
printf 'Kalve Script File\nhouse\nLandscapeSizeSmall\nFractalRoughness 20\nGenerateFractal 5\nImageSize 320 240\nLightingRoughness 0\nPixelDither 0\nCameraXYZ 3840 3300 900\nTargetXYZ 3840 3840 0\n' \
    >"$tmp/house/STARTUP.SCR"
start "$tmp/house"
click 450 525
wait_for "command 1061 result 1"
render_window
sleep 0.3
import -window "$image" "$tmp/house-before.png"
click 700 312 # Placement
wait_for "command 1295 result 1"
click 400 120 # House4
wait_for "command 1334 result 1"
click 176 167 # column 128, row 128: (3840, 3840), where the camera looks
wait_for "map click result 1"
click 450 525
wait_for "command 1061 result 1" 300 2
sleep 0.3
import -window "$image" "$tmp/house-after.png"
differ=$(differing "$tmp/house-before.png" "$tmp/house-after.png")
[ "$differ" != "0" ] || fail "the house changed nothing in the render"
box=$(convert "$tmp/house-before.png" "$tmp/house-after.png" -compose difference -composite -threshold 0 -trim \
    -format "%w %h %X %Y" info: | tr -d '+')
set -- $box
[ "$1" -lt 80 ] && [ "$2" -lt 80 ] || fail "the render changed beyond the house: a box of $1 x $2 at ($3, $4)"
cp "$tmp/house-after.png" "${KALVENOR_KEEP:-$tmp}/" 2>/dev/null
quit

# Keys for the main window (the render window may have the focus after a render).
key_main() {
    xdotool windowraise "$main"
    xdotool windowfocus --sync "$main" 2>/dev/null
    xdotool key "$@"
}

# Types a name into the file requester's name field (it holds the name chosen last) and accepts it.
type_file_name() {
    sleep 0.5
    click 400 393
    xdotool windowfocus --sync "$main" 2>/dev/null
    xdotool key End $(printf 'BackSpace %.0s' $(seq 16))
    xdotool type --delay 20 "$1"
    xdotool key Return
}

echo "== a camera path placed by clicks, rendered from the Animation panel, equals the batch run of its script"
mkdir -p "$tmp/path"
printf 'Kalve Script File\npath\nLandscapeSizeSmall\nGenerateFractal 77\nSunAzimuth 40\nSunDeclination 30\nImageSize 160 100\nLightingRoughness 0\nPixelDither 0\nPathSpeed 20000\n' \
    >"$tmp/path/STARTUP.SCR"
start "$tmp/path"
click 700 440 # Path
wait_for "command 1296 result 1"
click 386 48 # Create a new path, then a node for each click on the map
wait_for "command 1352 result 1"
n=0
for xy in "80 250" "130 200" "180 150" "230 100"; do
    n=$((n + 1))
    click $xy
    wait_for "map click result 1" 300 $n
done
sleep 0.3
import -window "$main" "$tmp/path-panel.png"
click 386 240 # Export path
type_file_name flight.scr
wait_for "command 1386 result 1"
click 140 12 # Save > Save Session
sleep 0.2
click 150 50
type_file_name path
wait_for "ask Need to calculate colors/shades"
xdotool key Return
wait_for "command 1125 result 1"
click 700 472 # Animation
wait_for "command 1297 result 1"
click 386 96 # Create TGA series
type_file_name fly.tga
wait_for "message Script completed successfully." 1800
key_main Return
wait_for "command 1099 result 1"
frames=$(ls "$tmp/path" | grep -c '^fly[0-9]*\.TGA$')
[ "$frames" -eq 10 ] || fail "the path made $frames frames, not 10: $(ls "$tmp/path")"
ls "$tmp/path" | grep -q -- '-path' && fail "the path's temporary script was left behind"
mkdir -p "$tmp/path-batch"
"$kalvenor" run "$tmp/path/flight.scr" --landscape "$tmp/path/path.K4S" --out "$tmp/path-batch/fly" \
    >"$tmp/path-batch.log" 2>&1 || fail "the batch run of the exported path failed: $(tail -3 "$tmp/path-batch.log")"
for f in "$tmp/path"/fly*.TGA; do
    cmp -s "$f" "$tmp/path-batch/$(basename "$f")" || fail "$(basename "$f") differs from the batch run's"
done
cp "$tmp/path-panel.png" "${KALVENOR_KEEP:-$tmp}/" 2>/dev/null
# Append camera after moving the camera by a click: the frame line of the camera, whole units.
click 700 24 # Camera
wait_for "command 1283 result 1"
click 437 49 # Place camera
wait_for "command 1059 result 1"
click 98 245 # column 50, row 50: (1500, 1500)
wait_for "map click result 1" 300 5
click 700 472 # Animation
wait_for "command 1297 result 1" 300 2
click 386 312 # New script
type_file_name camera
wait_for "command 1095 result 1"
click 386 336 # Append camera
wait_for "command 1097 result 1"
[ "$(sed -n 1p "$tmp/path/camera.SCR" | tr -d '\r')" = "Kalve Script File" ] || fail "New script wrote no header"
line=$(sed -n 3p "$tmp/path/camera.SCR" | tr -d '\r')
echo "$line" | grep -Eq '^ 1500,  1500, +[0-9]+, +-?[0-9]+, +-?[0-9]+, +-?[0-9]+,$' ||
    fail "Append camera wrote \"$line\""
quit

echo "== a whole session by clicks and keys gives the image of the equivalent batch script"
# The steps: a landscape from seed 4321, the sun in the east, the camera and the target placed on the
# map, Render, the image saved as Targa and the session saved. The keyword lines the controls ran are
# in the trace; the batch script below is written by hand from the same steps.
mkdir -p "$tmp/session"
printf 'Kalve Script File\nsession\nLandscapeSizeSmall\nImageSize 200 120\nLightingRoughness 0\nPixelDither 0\n' \
    >"$tmp/session/STARTUP.SCR"
start "$tmp/session"
click 700 280 # Creation
wait_for "command 1291 result 1"
click 562 96 # the seed field
xdotool windowfocus --sync "$main" 2>/dev/null
key_main End $(printf 'BackSpace %.0s' $(seq 12))
xdotool type --delay 20 4321
key_main Return
wait_for "command 1060 result 1" 600
click 700 56 # Light
wait_for "command 1284 result 1"
click 480 48 # the sun in the east
wait_for "command 1066 result 1"
click 700 24 # Camera
wait_for "command 1283 result 1"
click 437 49 # Place camera
wait_for "command 1059 result 1"
click 98 245 # column 50, row 50: (1500, 1500)
wait_for "map click result 1"
click 522 49 # Place target
wait_for "command 1058 result 1"
click 200 120 # column 152, row 175: (4560, 5250)
wait_for "map click result 1" 300 2
click 450 525 # Render
wait_for "command 1061 result 1" 600
click 140 12 # Save > Save Targa
sleep 0.2
click 150 132
type_file_name view.tga
wait_for "command 1055 result 1"
click 140 12 # Save > Save Session
sleep 0.2
click 150 50
type_file_name view
wait_for "command 1125 result 1"
grep '^keyword ' "$tmp/trace" | sed 's/^keyword /  ran: /'
grep -qx 'keyword GenerateFractal 4321' "$tmp/trace" || fail "the seed field ran no GenerateFractal 4321"
grep -qx 'keyword SunAzimuth -90' "$tmp/trace" || fail "E ran no SunAzimuth -90"
camera=$(grep '^keyword CameraXYZ 1500.0000 1500.0000 ' "$tmp/trace" | sed 's/^keyword //')
target=$(grep '^keyword TargetXYZ 4560.0000 5250.0000 ' "$tmp/trace" | sed 's/^keyword //')
[ -n "$camera" ] && [ -n "$target" ] || fail "the map clicks did not place the camera and the target where clicked"
printf 'Kalve Script File\nthe same session\nLandscapeSizeSmall\nImageSize 200 120\nLightingRoughness 0\nPixelDither 0\nGenerateFractal 4321\nSunAzimuth -90\nSunDeclination 45\n%s\n%s\n' \
    "$camera" "$target" >"$tmp/session.scr"
"$kalvenor" render "$tmp/session.scr" -o "$tmp/session-batch.tga" >/dev/null 2>&1 || fail "the batch render failed"
cmp -s "$tmp/session/view.tga" "$tmp/session-batch.tga" ||
    fail "the image saved in the window differs from the batch script's: $(differing "$tmp/session/view.tga" "$tmp/session-batch.tga") pixels"
# The saved session renders the same picture in a batch run.
"$kalvenor" render --landscape "$tmp/session/view.K4S" -o "$tmp/session-reloaded.tga" >/dev/null 2>&1 ||
    fail "the saved session does not render in a batch run"
cmp -s "$tmp/session/view.tga" "$tmp/session-reloaded.tga" || fail "the saved session renders another picture"
convert "$tmp/session/view.tga" -auto-orient "${KALVENOR_KEEP:-$tmp}/session-view.png" 2>/dev/null
quit

echo "== an 8-bit display mode, and End on 1024 x 768 in a 640 x 480 view"
mkdir -p "$tmp/eight"
# 640 x 400 is offered in 8 bits only; the next size keeps the depth.
printf 'Kalve Script File\neight\nGrModeVesa640x400\nGrModeVesa1024x768\n' >"$tmp/eight/STARTUP.SCR"
start "$tmp/eight"
click 450 525
wait_for "command 1061 result 1"
render_window
sleep 0.3
import -window "$image" "$tmp/eight.png"
(cd "$tmp/eight" && "$kalvenor" render STARTUP.SCR -o "$tmp/eight.pcx" >/dev/null 2>&1) || fail "kalvenor render failed"
size=$(identify -format "%wx%h" "$tmp/eight.png")
[ "$size" = "1024x768" ] || fail "the render window is $size, not 1024 x 768"
differ=$(differing "$tmp/eight.pcx" "$tmp/eight.png")
[ "$differ" = "0" ] || fail "the 8-bit render window differs from the 8-bit image of kalvenor render in $differ pixels"
xdotool windowsize "$image" 640 480
sleep 0.3
xdotool mousemove --window "$image" 100 100
xdotool key End
sleep 0.3
import -window "$image" "$tmp/end.png"
convert "$tmp/eight.pcx" -crop 640x480+383+287 +repage "$tmp/end-reference.png"
cp "$tmp/eight.png" "$tmp/end.png" "${KALVENOR_KEEP:-$tmp}/" 2>/dev/null
differ=$(differing "$tmp/end-reference.png" "$tmp/end.png")
[ "$differ" = "0" ] || fail "after End the view does not start at (383, 287): $differ pixels differ"
quit

echo "== a long render: painting, refused close, Esc and the right button abort"
mkdir -p "$tmp/long"
printf 'Kalve Script File\nlong\nLandscapeSizeMega\nGenerateFractal 42\nImageSize 480 200\nEnableScreen\n' \
    >"$tmp/long/STARTUP.SCR"
start "$tmp/long"
# The render window is moved below the main window, so that both can be watched.
click 450 525
wait_for "render started"
render_window
case $(xdotool getwindowname "$image") in
*"Press right mouse button to abort rendering"*) ;;
*) fail "the render window's title does not say how to abort: $(xdotool getwindowname "$image")" ;;
esac
xdotool windowmove "$image" 0 800
sleep 0.3
import -window "$main" -crop 772x16+8+536 +repage "$tmp/progress-1.png"
import -window "$image" "$tmp/live-1.png"
sleep 0.7
import -window "$main" -crop 772x16+8+536 +repage "$tmp/progress-2.png"
import -window "$image" "$tmp/live-2.png"
if grep -q "^command 1061 result 1" "$tmp/trace"; then
    # An optimised build draws this scene in about a second; the sanitizer build of make test takes many.
    echo "NOTE: this build finished the render before it could be watched: the long-render checks need a slower build"
else
    [ "$(differing "$tmp/progress-1.png" "$tmp/progress-2.png")" != "0" ] ||
        fail "the main window's progress did not move during the render"
    [ "$(differing "$tmp/live-1.png" "$tmp/live-2.png")" != "0" ] || fail "the render window did not change during the render"
    xdotool mousemove --window "$image" 100 100
    t0=$(now_ms)
    xdotool key Escape
    wait_for "command 1061 result -1" 50
    took=$(($(now_ms) - t0))
    echo "Esc stopped the render in $took ms"
    [ "$took" -le 500 ] || fail "Esc took $took ms to stop the render"

    click 450 525
    wait_for "render started" 300 2
    python3 "$here/close_window.py" "$main" || fail "could not ask the main window to close"
    wait_for "close refused"
    ! grep -q "^command 1061 result 1" "$tmp/trace" || fail "the second render ended before the abort"
    t0=$(now_ms)
    xdotool mousemove --window "$image" 60 60 click 3
    wait_for "command 1061 result -1" 50 2
    took=$(($(now_ms) - t0))
    echo "The right button stopped the render in $took ms"
    [ "$took" -le 500 ] || fail "the right button took $took ms to stop the render"
    # The partial image stays in the render window, titled as before.
    xwininfo -id "$image" | grep -q IsViewable || fail "the render window closed after the abort"
    [ "$(xdotool getwindowname "$image")" = "Kalvenor Image" ] || fail "after the render the title is not Kalvenor Image"
    import -window root "$tmp/screen.png"
    cp "$tmp/live-2.png" "$tmp/screen.png" "${KALVENOR_KEEP:-$tmp}/" 2>/dev/null
fi
# Idle, the close button ends the program.
python3 "$here/close_window.py" "$main" || fail "could not ask the main window to close"
ended_well "the close button"

echo "== start and Exit, twenty times"
i=0
while [ $i -lt 20 ]; do
    start
    quit
    i=$((i + 1))
done
echo "PASS"
