#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6sql6-sqlite libgl-dev
  qt6-qpa-plugins libqt6svg6
  fonts-wqy-zenhei adwaita-icon-theme qt6-translations-l10n
  libuchardet-dev libicu-dev libfreetype-dev xfonts-base xfonts-wqy
  libacl1-dev libattr1-dev acl attr
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth openbox x11-utils
  as31 sdcc-ucsim d52 srecord binutils
  e2fsprogs strace util-linux socat
  fuse3 libfuse3-dev bindfs sshfs openssh-server exfat-fuse exfatprogs fusefat dosfstools
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
# Installing a service (openssh-server) must not start it: the tests start their own sshd on
# 127.0.0.1, and a container has no init to start one. Where no policy says so yet, one does for
# the time of the install.
policy=/usr/sbin/policy-rc.d
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | $SUDO tee "$policy" >/dev/null
  $SUDO chmod 755 "$policy"
  trap '$SUDO rm -f "$policy"' EXIT
fi
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
