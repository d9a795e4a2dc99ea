#!/usr/bin/env bash
# The Debian package from install to purge, on this machine (as root or with sudo):
#   scripts/package-roundtrip.sh [BUILD_FOLDER]   (default: a fresh folder, removed afterwards)
# builds the package, installs it with apt, checks its files, menu entry and metainfo, starts the
# installed program for a few seconds on a private X display and D-Bus session, removes and
# purges it, and fails when the system's file list afterwards differs from the one before (the
# icon and menu caches the desktop's triggers renew are left out of the comparison).
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=()
if [ "$(id -u)" -ne 0 ]; then
    SUDO=(sudo)
fi
if dpkg-query -W -f='${Status}' winkwell 2>/dev/null | grep -q installed; then
    echo "winkwell is installed already; remove it first" >&2
    exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
build=${1:-$tmp/build}
deb=$(scripts/package.sh "$build" | tail -1)
echo "== package $deb"
dpkg-deb -I "$deb" | sed -n '/Depends\|Version\|Installed-Size/p'

# What the package depends on is installed first, so that only the package itself comes and goes.
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get satisfy -y -q --no-install-recommends \
    "$(dpkg-deb -f "$deb" Depends)" >"$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log"; exit 1; }

system_files() {
    find /usr /etc /opt /var/lib/dpkg/info -xdev \
        \( -path /usr/share/icons/hicolor/icon-theme.cache \
        -o -path /usr/share/applications/mimeinfo.cache \) -prune -o -print 2>/dev/null | sort
}
system_files >"$tmp/before"

echo "== install"
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "$deb" >"$tmp/apt.log" 2>&1 ||
    { cat "$tmp/apt.log"; exit 1; }
for file in /usr/bin/winkwell /usr/lib/winkwell/winkwell /usr/lib/winkwell/winkwell-gamma-guard \
    /usr/lib/winkwell/data.dat /usr/lib/winkwell/eyestate.yml /usr/lib/winkwell/notices.pdf \
    /usr/share/applications/com.orvalde.winkwell.desktop \
    /usr/share/metainfo/com.orvalde.winkwell.metainfo.xml \
    /usr/share/icons/hicolor/48x48/apps/com.orvalde.winkwell.png \
    /usr/share/icons/hicolor/scalable/apps/com.orvalde.winkwell.svg \
    /usr/share/doc/winkwell/copyright; do
    [ -e "$file" ] || { echo "missing after install: $file" >&2; exit 1; }
done
desktop-file-validate /usr/share/applications/com.orvalde.winkwell.desktop
appstreamcli validate --no-net /usr/share/metainfo/com.orvalde.winkwell.metainfo.xml

echo "== start /usr/bin/winkwell"
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -p "$HOME"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
status=0
# Ten seconds on a display of its own; its log folder is kept for the look below.
bench/on-xvfb.sh bash -c 'timeout 10 /usr/bin/winkwell; s=$?; cp -r "$XDG_DATA_HOME/winkwell/logs" "$0"
    exit $s' "$tmp/logs" >"$tmp/run.log" 2>&1 || status=$?
log=$(ls "$tmp"/logs/Log_*.txt 2>/dev/null | head -1 || true)
if [ "$status" -ne 124 ] || [ -z "$log" ] || ! grep -q "winkwell app class constructed" "$log"; then
    echo "the installed program did not start and keep running (status $status)" >&2
    cat "$tmp/run.log" >&2
    exit 1
fi
grep -m1 "winkwell app class constructed" "$log"

echo "== remove and purge"
"${SUDO[@]}" dpkg -r winkwell >/dev/null
"${SUDO[@]}" dpkg --purge winkwell >/dev/null 2>&1 # nothing is left to purge: no conffiles
if dpkg-query -W -f='${Status}' winkwell 2>/dev/null | grep -q -v "not-installed"; then
    echo "winkwell is still known to dpkg: $(dpkg-query -W -f='${Status}' winkwell)" >&2
    exit 1
fi
system_files >"$tmp/after"
if ! diff "$tmp/before" "$tmp/after" >"$tmp/diff"; then
    echo "the system differs from before the install:" >&2
    cat "$tmp/diff" >&2
    exit 1
fi
echo "package round trip clean: $(wc -l <"$tmp/before") system paths as before"
