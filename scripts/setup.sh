#!/usr/bin/env bash
# The one install step: every Debian package the project builds, tests and
# runs with. Quick when everything is already there.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev libqt6webenginecore6-bin libxcb1-dev
  libqt6svg6 libgl-dev
  libwmf-bin emf2svg qt6-svg-dev
  libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev lld
  xvfb xauth fonts-dejavu-core fonts-liberation2
  zint libzint-dev zbar-tools
  openbox wmctrl x11-utils xdotool imagemagick
  python3
  tinyproxy dante-server microsocks
  cups-daemon cups-client libcups2-dev poppler-utils
  libicu-dev
  unrtf
  locales
)

# The system locales the tests run under besides C.UTF-8 (the locale runs of
# tests/CMakeLists.txt, ZVO_TEST_LOCALE): without them only Qt's own locale
# would change, and the C library's messages and formats stayed English.
test_locales=(de_DE fr_FR en_GB ar_SA ja_JP)

make_test_locales() {
  local have l
  have=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z')
  for l in "${test_locales[@]}"; do
    grep -qx "$(echo "$l" | tr 'A-Z' 'a-z').utf8" <<<"$have" && continue
    echo "setup: making the locale $l.UTF-8"
    $SUDO localedef -i "$l" -f UTF-8 "$l.UTF-8"
  done
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -eq 0 ]; then
  make_test_locales
  exit 0
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# The proxy servers come with service scripts; nothing here should start them.
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
make_test_locales
