#!/bin/sh
# make install's layout: installs a build tree under a temporary DESTDIR with
# prefix /usr, as a package build does, and checks what a desktop and a user
# find there: the program (which runs from there, with the quality presets
# installed beside it), the desktop entry (desktop-file-validate, no warning)
# naming the installed program and icon, the SVG icon, the manual page, the
# documentation where the Help command looks for it, the examples. Then
# the manifest lists exactly the files written; dist/uninstall.sh (make
# uninstall) refuses a DESTDIR the install did not go to, and with the right
# one removes every file the install wrote, leaving none behind.
#
#   sh tests/install/install_test.sh CMAKE BUILD_DIR SOURCE_DIR
#
# Exit status: 0 pass, 1 fail, 77 skipped (desktop-file-validate is missing).
set -u

if [ $# -ne 3 ]; then
    echo "usage: $0 CMAKE BUILD_DIR SOURCE_DIR" >&2
    exit 1
fi
cmake=$1
build=$2
source_dir=$3

if ! command -v desktop-file-validate >/dev/null 2>&1; then
    echo "SKIP: desktop-file-validate is not installed; 'make test-deps' installs it (desktop-file-utils)"
    exit 77
fi

tmp=$(mktemp -d "${TMPDIR:-/tmp}/kalvenor-install.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT
trap 'exit 1' INT TERM
stage=$tmp/stage
usr=$stage/usr
manifest=$build/install_manifest.txt

fail() {
    echo "FAIL: $*"
    exit 1
}

rm -f "$manifest" "$build/install_destdir.txt"
DESTDIR=$stage "$cmake" --install "$build" --prefix /usr >"$tmp/install.log" 2>&1 ||
    { cat "$tmp/install.log"; fail "cmake --install failed"; }
[ -f "$manifest" ] || fail "the install wrote no manifest ($manifest)"

# The program, and that it runs from where it was installed.
[ -x "$usr/bin/kalvenor" ] || fail "usr/bin/kalvenor is missing or not executable"
version=$("$usr/bin/kalvenor" --version 2>&1) || fail "the installed kalvenor --version failed: $version"
case $version in "kalvenor "[0-9]*) ;; *) fail "kalvenor --version printed '$version'" ;; esac

# The quality presets the Quality menu runs, each a script that runs cleanly.
for preset in iq_low iq_med iq_hi iq_ultra; do
    file=$usr/share/kalvenor/IQ/$preset.scr
    [ -f "$file" ] || fail "the preset $preset.scr is not under usr/share/kalvenor/IQ"
    (cd "$tmp" && "$usr/bin/kalvenor" run "$file" --quiet >"$tmp/out" 2>&1) ||
        { cat "$tmp/out"; fail "the installed $preset.scr does not run cleanly"; }
    [ -s "$tmp/out" ] && { cat "$tmp/out"; fail "$preset.scr reported something"; }
done

# The desktop entry: valid without a single warning, and naming what was installed.
entry=$usr/share/applications/kalvenor.desktop
[ -f "$entry" ] || fail "usr/share/applications/kalvenor.desktop is missing"
desktop-file-validate "$entry" >"$tmp/validate" 2>&1 || { cat "$tmp/validate"; fail "desktop-file-validate rejects the entry"; }
[ -s "$tmp/validate" ] && { cat "$tmp/validate"; fail "desktop-file-validate warns about the entry"; }
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ -x "$usr/bin/$exec_program" ] || fail "the entry runs '$exec_program', which is not in usr/bin"
icon_name=$(sed -n 's/^Icon=//p' "$entry")
icon=$usr/share/icons/hicolor/scalable/apps/$icon_name.svg
[ -f "$icon" ] || fail "the entry's icon '$icon_name' is not usr/share/icons/hicolor/scalable/apps/$icon_name.svg"
grep -q '<svg[ >]' "$icon" || fail "$icon is not an SVG picture"
if command -v xmllint >/dev/null 2>&1; then
    xmllint --noout "$icon" || fail "$icon is not well-formed XML"
fi
for png in "$usr"/share/icons/hicolor/*x*/apps/kalvenor.png; do
    [ -e "$png" ] || continue # rendered only where ImageMagick was found
    [ "$(head -c 4 "$png" | tail -c 3)" = PNG ] || fail "$png is not a PNG"
done

# The manual page, rendered without a warning where man is there.
page=$usr/share/man/man1/kalvenor.1
[ -f "$page" ] || fail "usr/share/man/man1/kalvenor.1 is missing"
if command -v man >/dev/null 2>&1 && command -v groff >/dev/null 2>&1; then
    MANWIDTH=80 man --warnings -l "$page" >"$tmp/man.txt" 2>"$tmp/man.err" || fail "man cannot render the page"
    [ -s "$tmp/man.err" ] && { cat "$tmp/man.err"; fail "man warns about the page"; }
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES "SEE ALSO"; do
        grep -q "^$section" "$tmp/man.txt" || fail "the manual page has no $section section"
    done
fi

# The documentation, where the Help command looks from the program (../share/doc/kalvenor).
docs=$usr/bin/../share/doc/kalvenor
[ -f "$docs/getting-started.md" ] || fail "getting-started.md is not under usr/share/doc/kalvenor"
for doc in "$source_dir"/docs/*.md "$source_dir"/docs/images/* "$source_dir"/docs/licences/*; do
    [ -f "$docs/${doc#"$source_dir"/docs/}" ] || fail "${doc#"$source_dir"/} was not installed"
done

# The examples, with the render-farm recipes still executable.
for example in "$source_dir"/examples/*.scr "$source_dir"/examples/README.md; do
    [ -f "$usr/share/kalvenor/examples/${example##*/}" ] || fail "examples/${example##*/} was not installed"
done
[ -x "$usr/share/kalvenor/examples/render-farm/parallel-local.sh" ] ||
    fail "examples/render-farm/parallel-local.sh was not installed as a program"

# The manifest lists every file the install wrote, under the prefix, and nothing else.
(cd "$stage" && find . \( -type f -o -type l \) | sed 's|^\.||' | sort) >"$tmp/found"
sort "$manifest" >"$tmp/listed"
cmp -s "$tmp/found" "$tmp/listed" || { diff "$tmp/listed" "$tmp/found"; fail "the manifest and the installed files differ"; }

# Uninstall with another DESTDIR than the install's: refused, nothing removed.
sh "$source_dir/dist/uninstall.sh" "$manifest" "$tmp/elsewhere" >"$tmp/wrong" 2>&1 &&
    fail "uninstall with a DESTDIR the install did not go to succeeded"
grep -q "the last install went to DESTDIR=\"$stage\"" "$tmp/wrong" || { cat "$tmp/wrong"; fail "the refusal does not say where the install went"; }
[ -x "$usr/bin/kalvenor" ] || fail "the refused uninstall removed files"

# Uninstall by the manifest: no file left, Kalvenor's own folders gone, the manifest with them.
sh "$source_dir/dist/uninstall.sh" "$manifest" "$stage/" >"$tmp/uninstall.log" 2>&1 ||
    { cat "$tmp/uninstall.log"; fail "uninstall failed"; }
left=$(find "$stage" \( -type f -o -type l \))
[ -z "$left" ] || fail "uninstall left files behind: $left"
for dir in share/kalvenor share/doc/kalvenor; do
    [ -e "$usr/$dir" ] && fail "uninstall left the folder usr/$dir"
done
[ -e "$manifest" ] && fail "uninstall kept the manifest of files it removed"
[ -e "$build/install_destdir.txt" ] && fail "uninstall kept the record of where the install went"

# Without a manifest there is nothing to go by: said so, and a failure.
sh "$source_dir/dist/uninstall.sh" "$manifest" "$stage" >"$tmp/none" 2>&1 && fail "uninstall without a manifest succeeded"
grep -q "no install manifest" "$tmp/none" || { cat "$tmp/none"; fail "uninstall without a manifest does not say so"; }

echo "PASS"
