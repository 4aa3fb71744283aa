#!/usr/bin/env bash
# Installs the Debian packages Quenby needs to build, test, benchmark and package.
# Installs only what is missing; prints nothing and exits at once when all is there.
set -euo pipefail

packages=(
    cmake g++ make
    qt6-base-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-dejavu-core fonts-dejavu-extra
    xvfb xdotool xclip
    # the desktop theme's colours through GTK, and Qt's own translations:
    # recommended to users, and tested (a dark GTK theme, German buttons)
    qt6-gtk-platformtheme qt6-translations-l10n
    # the desktop-session tests: a private session bus and the accessibility
    # bus with the AT-SPI bindings a screen reader uses; a Wayland compositor,
    # Qt's Wayland platform plugin and the Wayland clipboard tools
    dbus-daemon at-spi2-core python3-pyatspi
    weston qt6-wayland wl-clipboard
    # the Debian package (make package) and its checks (scripts/package-check.sh)
    dpkg-dev file librsvg2-bin help2man lintian appstream desktop-file-utils
    clang libclang-rt-14-dev
    clang-format
    # llvm-symbolizer, so that fuzzer reports name files and lines
    llvm
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
