#!/bin/sh
# Installs the Debian packages masume needs to build, test and run, and only
# those that are missing: when all of them are present it does nothing at all
# (no apt-get update either).
set -eu

PACKAGES="g++ make cmake pkg-config qt6-base-dev qt6-qpa-plugins libqt6test6 \
libjpeg62-turbo-dev libjpeg-turbo-progs libspng-dev libgtest-dev libbenchmark-dev \
fonts-noto-cjk qt6-translations-l10n xvfb xauth xdotool libxcb1-dev"
# The desktop tiers of the window tests: window managers on the X server,
# and a Wayland compositor with Qt's Wayland platform plugin.
PACKAGES="$PACKAGES openbox icewm x11-utils weston qt6-wayland"
# The PNG tests make their files with pypng (python3-png) at test time.
PACKAGES="$PACKAGES python3-png"
# The install tests validate the desktop entry, the AppStream metadata, the
# manual pages (lexgrog of man-db reads the Japanese pages' NAME lines) and
# the bash completion of masume-batch.
PACKAGES="$PACKAGES desktop-file-utils appstream groff-base man-db bash-completion"
# The tests of photos with an Exif orientation tag their files with exiftool.
PACKAGES="$PACKAGES libimage-exiftool-perl"
[ "${MASUME_WITH_FUZZ:-0}" = 1 ] && PACKAGES="$PACKAGES clang libclang-rt-14-dev"
# make package: dpkg-shlibdeps (with file) finds the package's dependencies;
# lintian and hardening-check (devscripts) check the package built.
[ "${MASUME_WITH_PACKAGE:-0}" = 1 ] && PACKAGES="$PACKAGES dpkg-dev file lintian devscripts"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "installing:$missing"
if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
