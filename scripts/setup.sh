#!/usr/bin/env bash
# Installs the Debian packages Quenby needs, from the one list of them:
# debian/control. Installs only what is missing; prints nothing and exits at
# once when all is there.
#   bash scripts/setup.sh        everything: the build, the tests and the
#                                developers' tools (the pkg.quenby.devtools
#                                build profile)
#   bash scripts/setup.sh run    what building and running need: the build
#                                (the nocheck build profile)
# Either way it also installs what the package recommends, so that the
# program runs from the build as it runs installed: its fonts, the desktop's
# colours and Qt's own strings in the user's language.
set -euo pipefail
cd "$(dirname "$0")/.."

case ${1:-all} in
all) profiles=pkg.quenby.devtools ;;
run) profiles=nocheck ;;
*)
    echo "usage: $0 [all|run]" >&2
    exit 2
    ;;
esac

# The binary package's Recommends, as package names.
recommends() {
    perl -MDpkg::Control::Info -MDpkg::Deps -e '
        my $field = Dpkg::Control::Info->new("debian/control")->get_pkg_by_name("quenby")->{Recommends};
        print join(" ", map { $_->{package} } deps_parse($field)->get_deps), "\n";'
}

# The recommended packages not installed, one a line.
missing_recommends() {
    local package status
    for package in $(recommends); do
        status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
        [ "$status" = "install ok installed" ] || echo "$package"
    done
}

# dpkg-checkbuilddeps (from dpkg-dev, which building needs anyway) checks the
# Build-Depends of the profiles and build-essential; until it is installed,
# everything is missing.
unmet="build-essential and the Build-Depends"
if command -v dpkg-checkbuilddeps >/dev/null; then
    if unmet=$(dpkg-checkbuilddeps -P "$profiles" 2>&1); then
        [ -n "$(missing_recommends)" ] || exit 0
    fi
fi

echo "Installing what is missing (build profile $profiles): ${unmet#*Unmet build dependencies: }"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get build-dep -y -qq --no-install-recommends -P "$profiles" ./
mapfile -t wanted < <(missing_recommends)
if [ ${#wanted[@]} -gt 0 ]; then
    echo "Installing what the package recommends: ${wanted[*]}"
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${wanted[@]}"
fi
