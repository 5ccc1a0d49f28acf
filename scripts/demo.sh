#!/usr/bin/env bash
# Sets up, builds the native tools and renders 20 s of wind into sylvane-demo.wav.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" linux
"$root/build/linux/tools/sylvane-render" -d 20 -n 0:16 "$root/sylvane-demo.wav"
echo "wrote $root/sylvane-demo.wav"
command -v sox >/dev/null && sox "$root/sylvane-demo.wav" -n stat 2>&1 | head -n 8 || true
