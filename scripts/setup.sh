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
  # raster: text through FreeType with faces found by fontconfig, metric-compatible fonts for
  # "Arial" and "Verdana"; dpkg-dev unpacks the libpng source package for the Windows lane
  libfreetype-dev libfontconfig-dev fontconfig fonts-liberation dpkg-dev
  # tools/artwork: the editor image generator and its preview
  python3-cairo python3-pil fonts-dejavu-core fonts-dejavu-extra
  # the VST 3 interface headers (only its pluginterfaces/ folder is used)
  juce-modules-source-data
  # the Linux editor window: XCB with shared-memory images and XTest (tests drive it with real
  # input events under Xvfb)
  libxcb1-dev libxcb-shm0-dev libxcb-xtest0-dev
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

# libpng for the Windows lane: Debian's own libpng1.6 source package, built static with the
# mingw-w64 toolchain against libz-mingw-w64-dev, into a fixed prefix the cross build searches.
mingw_prefix=/usr/local/x86_64-w64-mingw32
if [ ! -f "$mingw_prefix/lib/libpng16.a" ] || [ ! -f "$mingw_prefix/include/png.h" ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: libpng for mingw-w64 is missing (run as root to build it)" >&2
    exit 1
  fi
  src_list=/etc/apt/sources.list.d/sylvane-deb-src.sources
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' >"$src_list"
    apt-get update -qq
  fi
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  (cd "$work" && apt-get source -qq libpng1.6)
  srcdir=$(find "$work" -maxdepth 1 -mindepth 1 -type d -name 'libpng*' | head -n 1)
  echo "setup: building $(basename "$srcdir") for x86_64-w64-mingw32 into $mingw_prefix"
  (cd "$srcdir" &&
    ./configure -q --host=x86_64-w64-mingw32 --prefix="$mingw_prefix" --disable-shared --enable-static \
      CC=x86_64-w64-mingw32-gcc-posix CPPFLAGS="-I/usr/x86_64-w64-mingw32/include" \
      LDFLAGS="-L/usr/x86_64-w64-mingw32/lib" &&
    make -s -j"$(nproc)" libpng16.la &&
    make -s install-libLTLIBRARIES install-pkgincludeHEADERS install-nodist_pkgincludeHEADERS install-header-links install-library-links)
fi
