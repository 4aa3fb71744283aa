#!/usr/bin/env bash
# Checks the Debian packages that `make package` made, as a user gets them,
# and installs nothing: lintian on the whole upload (.changes); the package's
# fields and files (what `cmake --install` installs, the debugging symbols
# of every program in quenby-dbgsym); the desktop entry and the AppStream
# metadata through their validators and against each other; and the
# package's programs, run from a folder the package is unpacked into
# (quenby-strip on a small text, the window started without a display until
# it has prepared its files).
#   BUILD=build bash scripts/package-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
out=$build/package
app_id=io.github.quenby.quenby

work=$(mktemp -d)
window=
finish() {
    if [ -n "$window" ]; then
        kill "$window" 2>/dev/null || true
        wait "$window" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap finish EXIT
fail() {
    echo "package-check: $*" >&2
    exit 1
}

# The one file of a pattern in $out.
one() {
    local files
    shopt -s nullglob
    files=("$out"/$1)
    shopt -u nullglob
    [ ${#files[@]} -eq 1 ] ||
        fail "expected one $out/$1 (make package), found ${#files[@]}"
    echo "${files[0]}"
}
deb=$(one 'quenby_*.deb')
dbgsym=$(one 'quenby-dbgsym_*.deb')
changes=$(one 'quenby_*.changes')

echo "--- $deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
echo "--- $dbgsym"
dpkg-deb --contents "$dbgsym"

# Errors and warnings fail the check; the notes are shown.
echo "--- lintian $changes"
lintian --fail-on error,warning --display-info "$changes" \
    2> >(grep -v '^running with root privileges is not recommended!$' >&2)

echo "--- the package's fields"
field() { dpkg-deb --field "$deb" "$1"; }
# Each name of a comma-separated list of packages, one a line.
names() { tr ',' '\n' | sed -e 's/^ *//' -e 's/[ (].*//'; }
field Depends | names | grep -qx 'libqt6widgets6' ||
    fail "Depends does not name the Qt libraries: $(field Depends)"
for wanted in qt6-gtk-platformtheme qt6-translations-l10n qt6-wayland fonts-dejavu-extra; do
    field Recommends | names | grep -qx "$wanted" ||
        fail "Recommends does not name $wanted: $(field Recommends)"
done
echo "Depends: $(field Depends)"
echo "Recommends: $(field Recommends)"

root=$work/root
dpkg-deb -x "$deb" "$root"
dpkg-deb -x "$dbgsym" "$work/dbgsym"

echo "--- the files: what cmake --install installs, and Debian's changelog"
# The package build's own build folder, left by dpkg-buildpackage beside
# the copy of the source.
objdir=$(one 'quenby-*/obj-*')
cmake --install "$objdir" --prefix "$work/install/usr" >/dev/null
(cd "$work/install" && find . ! -type d | sort) >"$work/installed.txt"
printf "%s\n" ./usr/share/doc/quenby/changelog.Debian.gz ./usr/share/lintian/overrides/quenby \
    >>"$work/installed.txt"
(cd "$root" && find . ! -type d | sort) >"$work/packaged.txt"
diff -u <(sort "$work/installed.txt") "$work/packaged.txt" ||
    fail "the package's files differ from what cmake --install installs (- installed, + packaged)"
# The text of the licence paragraph, the last one, as a plain text.
tac "$root/usr/share/doc/quenby/copyright" | sed '/^License: MIT$/q' | tac | tail -n +2 |
    sed -e 's/^ //' -e 's/^\.$//' | cmp -s - <(tail -n +5 LICENSE) ||
    fail "the licence in the package's copyright file is not the text of LICENSE"
echo "as installed; the licence is LICENSE's"

echo "--- the debugging symbols, in $(basename "$dbgsym")"
for program in quenby quenby-strip; do
    path=$root/usr/bin/$program
    readelf --sections "$path" | grep -q '\.debug_info' && fail "$program is not stripped"
    id=$(readelf --notes "$path" | sed -n 's/^ *Build ID: *//p')
    [ -n "$id" ] || fail "$program has no build id"
    debug=$work/dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug
    [ -f "$debug" ] || fail "no debugging symbols of $program ($id) in $dbgsym"
    readelf --sections "$debug" 2>/dev/null | grep -q '\.debug_info' ||
        fail "$debug holds no debugging information"
    echo "$program: stripped; its symbols in ${debug#"$work/dbgsym"}"
done

echo "--- desktop-file-validate, appstreamcli validate"
entries=$(cd "$root/usr/share/applications" && ls)
[ "$entries" = "$app_id.desktop" ] ||
    fail "the desktop entries are '$entries', not the AppStream id's $app_id.desktop"
entry=$root/usr/share/applications/$app_id.desktop
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
desktop-file-validate "$entry"
appstreamcli validate --no-net "$metainfo"
# The metadata, the desktop entry it launches and the icons, together.
appstreamcli validate-tree --no-net "$root"
grep -qx "TryExec=quenby" "$entry" && [ -x "$root/usr/bin/quenby" ] ||
    fail "the desktop entry's TryExec is not the program installed: $(grep TryExec "$entry")"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metadata does not launch $app_id.desktop"
upstream=$(field Version)
upstream=${upstream%-*}
grep -Pzq "<release version=\"$upstream\" date=\"[0-9-]+\">\\s*<description>" "$metainfo" ||
    fail "the metadata has no release $upstream with a description"
# The window names its desktop entry (the Wayland app id), in UTF-16.
strings -e l "$root/usr/bin/quenby" | grep -qx "$app_id" ||
    fail "quenby does not name its desktop entry $app_id"
echo "$app_id: the desktop entry, the metadata's id and launchable, the window's name"

echo "--- the programs, run from $root"
for program in quenby quenby-strip; do
    if ldd "$root/usr/bin/$program" | grep 'not found'; then
        fail "$program: a library it needs is missing"
    fi
done
strip=$root/usr/bin/quenby-strip
"$strip" --help | head -n 1 | grep -qx 'Usage: quenby-strip \[OPTION\]... \[FILE\]...' ||
    fail "quenby-strip --help does not begin with its usage line"
printf 'The quick brown Fox\r\njumps over the lazy dog.\n' >"$work/in.txt"
"$strip" --strip=fox --ignore-case --replace=cat --count "$work/in.txt" \
    >"$work/out.txt" 2>"$work/count.txt"
printf 'Th qck brwn ct\r\njmps vr th lz dg.\n' | cmp - "$work/out.txt" ||
    fail "quenby-strip wrote: $(od -c "$work/out.txt")"
[ "$(cat "$work/count.txt")" = 1 ] || fail "quenby-strip --count wrote: $(cat "$work/count.txt")"
echo "quenby-strip: --help and a strip as expected"

# The window, without a display: at start-up it prepares its two files, here
# beside itself (the unpacked folder is writable and not under /usr).
mkdir "$work/home"
HOME=$work/home XDG_CONFIG_HOME= QT_QPA_PLATFORM=offscreen "$root/usr/bin/quenby" \
    >"$work/quenby.log" 2>&1 &
window=$!
for _ in $(seq 100); do
    [ -f "$root/usr/bin/qnb.ini" ] && [ -f "$root/usr/bin/qnbtext.ini" ] && break
    kill -0 "$window" 2>/dev/null || break
    sleep 0.2
done
kill -0 "$window" 2>/dev/null || fail "quenby stopped at start-up: $(cat "$work/quenby.log")"
[ -f "$root/usr/bin/qnb.ini" ] && [ -f "$root/usr/bin/qnbtext.ini" ] ||
    fail "quenby did not prepare qnb.ini and qnbtext.ini within 20 s: $(cat "$work/quenby.log")"
kill "$window"
wait "$window" 2>/dev/null || true
window=
echo "quenby: started, prepared its files, stopped when asked"
echo "--- package-check: all checks passed"
