#!/usr/bin/env bash
# Configures and builds one target: build.sh linux|windows [extra cmake arguments]
# Build trees: build/linux and build/windows below the repository.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?usage: build.sh linux|windows [cmake args]}; shift
jobs=${SYLVANE_JOBS:-$(nproc)}

case "$target" in
  linux)   args=() ;;
  windows) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake") ;;
  *) echo "build.sh: unknown target '$target' (linux or windows)" >&2; exit 2 ;;
esac

cmake -S "$root" -B "$root/build/$target" -G Ninja -DCMAKE_BUILD_TYPE=Release "${args[@]}" "$@"
cmake --build "$root/build/$target" -j "$jobs"
