#!/usr/bin/env bash
# Sets up, builds the native tools, installs the factory presets and renders the welcome preset
# ("WLCM - Into The Storm") with a held note into sylvane-demo.wav.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" linux
"$root/scripts/install-presets.sh"
"$root/build/linux/tools/sylvane-render" -P 1 -d 20 -n 0:16 "$root/sylvane-demo.wav"
echo "wrote $root/sylvane-demo.wav"
command -v sox >/dev/null && sox "$root/sylvane-demo.wav" -n stat 2>&1 | head -n 8 || true
