#!/usr/bin/env bash
# Installs the Debian packages Kestro needs to build, test and package,
# only those that are missing. Needs root (or sudo) on a Debian 12 machine.
set -euo pipefail

packages=(
  build-essential cmake ccache
  # links each test program in a fraction of the default linker's time
  mold
  qtbase5-dev qtbase5-dev-tools qt5-qmake
  # QSvgGenerator for SVG export (QtPrintSupport comes with qtbase5-dev)
  libqt5svg5-dev
  clang libclang-rt-14-dev
  # compiles a simulated state machine in milliseconds (cc is used without it)
  tcc
  # the sandbox of every compiler run and simulated machine: bubblewrap, and
  # libseccomp for kestro-sandbox's filter
  bubblewrap libseccomp-dev pkg-config
  xvfb xauth
  desktop-file-utils shared-mime-info libxml2-utils appstream dpkg-dev file
  xdg-utils libfile-mimeinfo-perl man-db
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
