#!/usr/bin/env bash
# Builds the Debian packages with dpkg-buildpackage (debian/), from a copy of
# the source, so that the working tree stays as it is:
#   BUILD=build JOBS=2 bash scripts/package.sh
# The copy is $BUILD/package/quenby-VERSION (its files tracked or new in git,
# none that git ignores); the packages land beside it, in $BUILD/package:
#   quenby_VERSION-REVISION_ARCH.deb          the programs and their files
#   quenby-dbgsym_VERSION-REVISION_ARCH.deb   their debugging symbols
#   quenby_VERSION-REVISION_ARCH.changes, .buildinfo
# DEB_BUILD_OPTIONS passes through: DEB_BUILD_OPTIONS=nocheck leaves the
# tests out of the package build. Unset, it is "terse": the log shows the
# build's progress and each failing test, not every command and test line
# (DEB_BUILD_OPTIONS= gives the whole log, as Debian's build machines keep).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
jobs=${JOBS:-$(nproc)}
export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS-terse}

version=$(dpkg-parsechangelog -S Version)
out=$build/package
source=$out/quenby-${version%-*}
rm -rf "$out"
mkdir -p "$source"

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # Files deleted but not yet committed are left out.
    git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' file; do
            [ -e "$file" ] && [[ $file != "$build"/* ]] && printf '%s\0' "$file"
        done |
        tar --null --files-from=- -cf - | tar -xf - -C "$source"
else
    tar --exclude=./.git --exclude="./$build" --exclude='./build-*' -cf - . | tar -xf - -C "$source"
fi

(cd "$source" && dpkg-buildpackage -us -uc -b -j"$jobs")
echo "--- the packages, in $out:"
ls -l "$out"
