#!/usr/bin/env bash
# Checks the Debian package that `make package` made, as a user gets it, and
# installs nothing: lintian; the desktop entry and the AppStream metadata
# through their validators; and the package's programs, run from a folder the
# package is unpacked into (quenby-strip on a small text, the window started
# without a display until it has prepared its files).
#   BUILD=build bash scripts/package-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}

shopt -s nullglob
debs=("$build"/quenby_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
    echo "package-check: expected one $build/quenby_*.deb (make package), found ${#debs[@]}" >&2
    exit 1
fi
deb=${debs[0]}
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

echo "--- $deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

# Errors and warnings fail the check, but for the one warning every package
# made outside Debian has: its first changelog entry closes no "intent to
# package" bug, since there is none.
echo "--- lintian"
lintian --fail-on error,warning --display-info --suppress-tags initial-upload-closes-no-bugs \
    "$deb" 2> >(grep -v '^running with root privileges is not recommended!$' >&2)

root=$work/root
dpkg-deb -x "$deb" "$root"

echo "--- desktop-file-validate, appstreamcli validate"
desktop-file-validate "$root/usr/share/applications/quenby.desktop"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
# The metadata, the desktop entry it launches and the icons, together.
appstreamcli validate-tree --no-net "$root"

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
