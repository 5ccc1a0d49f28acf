#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the tools need. Idempotent:
# installs only what is missing and refreshes the package lists only when it has to.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine64 xvfb xauth
  googletest libgtest-dev libbenchmark-dev
  libsndfile1-dev sox
  libpng-dev zlib1g-dev libz-mingw-w64-dev
  libfreetype-dev libfontconfig-dev
  # tools/artwork: the editor image generator and its preview
  python3-cairo python3-pil fonts-dejavu-core fonts-dejavu-extra
  # the VST 3 interface headers (only its pluginterfaces/ folder is used)
  juce-modules-source-data
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
