#!/usr/bin/env bash
# Installs the built Linux plug-in modules where Linux hosts look for them, and the factory
# presets into the preset library (scripts/install-presets.sh):
#   scripts/install-plugins.sh            # Sylvane.vst3 into ~/.vst3, the VST 2 Sylvane.so into ~/.vst
#   scripts/install-plugins.sh FOLDER     # every module into FOLDER instead
# Builds build/linux first when a module is missing there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/linux"
target_folder=${1:-}

# One line per module: the bundle or file below the build tree, and the folder hosts scan.
modules=(
  "Sylvane.vst3|$HOME/.vst3"
  "vst2/Sylvane.so|$HOME/.vst"
)

for entry in "${modules[@]}"; do
  [[ -e "$build/${entry%%|*}" ]] || "$root/scripts/build.sh" linux
done
for entry in "${modules[@]}"; do
  module=${entry%%|*}
  folder=${target_folder:-${entry#*|}}
  mkdir -p "$folder"
  rm -rf "${folder:?}/$(basename "$module")"
  cp -R "$build/$module" "$folder/"
  echo "installed $module into $folder"
done
"$root/scripts/install-presets.sh"
