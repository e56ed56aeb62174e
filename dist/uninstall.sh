#!/bin/sh
# Removes what `cmake --install` put in place, file by file as its manifest
# lists them, then the folders of Kalvenor's own that are left empty.
#   sh dist/uninstall.sh MANIFEST [DESTDIR]
# The manifest lists the installed paths under the prefix, without DESTDIR; the
# DESTDIR is put in front of each. install_destdir.txt beside the manifest holds
# the DESTDIR the install went to: another one (also none after a staged
# install) is refused, so that removing a staged tree cannot reach the system's.
set -u

manifest=${1:?usage: uninstall.sh MANIFEST [DESTDIR]}
destdir=${2:-}
destdir=${destdir%/}

if [ ! -f "$manifest" ]; then
  echo "uninstall: no install manifest ($manifest): nothing was installed from this build, so nothing is removed." >&2
  exit 1
fi

record=$(dirname -- "$manifest")/install_destdir.txt
if [ -f "$record" ]; then
  installed_to=$(cat "$record")
  installed_to=${installed_to%/}
  if [ "$installed_to" != "$destdir" ]; then
    echo "uninstall: the last install went to DESTDIR=\"$installed_to\", not \"$destdir\"; nothing is removed." >&2
    echo "uninstall: run it with DESTDIR=\"$installed_to\" to remove that install." >&2
    exit 1
  fi
fi

removed=0
failed=0
dirs=""
while IFS= read -r file || [ -n "$file" ]; do
  [ -n "$file" ] || continue
  case $file in
    /*) ;;
    *)
      echo "uninstall: $manifest lists \"$file\", not an absolute path; skipped." >&2
      failed=$((failed + 1))
      continue
      ;;
  esac
  path=$destdir$file
  if [ -e "$path" ] || [ -L "$path" ]; then
    if rm -f -- "$path"; then
      echo "Removed: $path"
      removed=$((removed + 1))
    else
      failed=$((failed + 1))
    fi
  else
    echo "Already gone: $path"
  fi
  dirs="$dirs
$(dirname -- "$file")"
done < "$manifest"

# Folders named kalvenor and those below them are Kalvenor's own: removed when
# empty. Shared ones (bin, share/applications, the icon theme) stay.
printf '%s\n' "$dirs" | sort -u -r | while IFS= read -r dir; do
  while :; do
    case $dir/ in
      */kalvenor/*) rmdir -- "$destdir$dir" 2>/dev/null || break ;;
      *) break ;;
    esac
    dir=$(dirname -- "$dir")
  done
done

if [ "$failed" -ne 0 ]; then
  echo "uninstall: $failed files could not be removed (permissions? a system-wide install needs sudo); the manifest is kept." >&2
  exit 1
fi
rm -f -- "$manifest" "$record"
echo "Uninstalled: $removed files."
