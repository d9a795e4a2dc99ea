#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Winkwell needs.
# Idempotent: packages already installed are skipped; apt-get runs only when something is missing.
set -euo pipefail

PACKAGES=(
    # build
    build-essential cmake pkg-config ninja-build clang-format clang-tidy
    qtbase5-dev qtbase5-dev-tools qtmultimedia5-dev libqt5x11extras5-dev
    qttools5-dev qttools5-dev-tools libqcustomplot-dev
    libopencv-dev libdlib-dev libblas-dev liblapack-dev
    libx11-dev libxss-dev libxrandr-dev libxcb1-dev libxcb-keysyms1-dev libxcb-randr0-dev
    libxcb-dpms0-dev libudev-dev libxcb-xtest0-dev libddcutil-dev
    # the framework's own translations, compiled in; the menu icons rendered from their SVG
    qttranslations5-l10n librsvg2-bin
    # the Debian package (cpack -G DEB, dpkg-shlibdeps) and its menu and AppStream files
    dpkg-dev fakeroot appstream desktop-file-utils
    # run
    libqt5multimedia5-plugins libqt5svg5 opencv-data libdlib-data fonts-roboto dbus
    # test (python3 also checks the translations)
    python3 xvfb xauth xdotool python3-dbusmock x11-utils openbox trayer pulseaudio pulseaudio-utils
    x11-xserver-utils xsettingsd xserver-xorg-core xserver-xorg-video-dummy
    # fetching the face-detection model
    curl ca-certificates
    # the network tests make their certificate authority and server certificates
    openssl
)

missing=()
for pkg in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=()
if [ "$(id -u)" -ne 0 ]; then
    SUDO=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -q
"${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
