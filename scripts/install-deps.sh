#!/usr/bin/env bash
# Installs every Debian 12 package that the build, the tests and the application need.
# Does nothing (and says so in one line) when all of them are already present.
set -euo pipefail

PACKAGES=(
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libgl1-mesa-dev
  libicu-dev libssl-dev zlib1g-dev libminizip-dev libplist-dev
  diffutils patch python3 time desktop-file-utils zip
  libgtest-dev libgmock-dev libbenchmark-dev cloc imagemagick libvips-tools
  libpolyclipping-dev
  fonts-dejavu-core fonts-noto-mono fonts-urw-base35
  cmake ninja-build g++ ccache clang clang-format clang-tidy
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#PACKAGES[@]} packages are present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
