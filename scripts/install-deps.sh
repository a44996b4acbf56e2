#!/usr/bin/env bash
# Installs the Debian packages the project needs; quiet when all are present.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  libgtest-dev
  libfltk1.3-dev
  p7zip-full zip unzip
  python3
  xvfb xauth fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
