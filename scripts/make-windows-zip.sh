#!/usr/bin/env bash
# Builds the Windows modules and packs dist/Sylvane-windows-x64.zip: the modules, the factory
# presets and install.cmd, which copies each to its standard folder on the user's machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/windows"
name=Sylvane-windows-x64
stage="$root/dist/stage/$name"

[[ -f "$build/build.ninja" ]] || "$root/scripts/build.sh" windows
cmake --build "$build" --target sylvane_vst3 sylvane_vst2

rm -rf "$root/dist/stage" "$root/dist/$name.zip"
mkdir -p "$stage/Presets/Factory"
# One line per module.
cp -R "$build/Sylvane.vst3" "$stage/"
cp "$build/vst2/Sylvane.dll" "$stage/"
cp "$root"/resources/presets/Factory/*.sylvanepreset "$stage/Presets/Factory/"
cp "$root/resources/windows/install.cmd" "$stage/"
sed 's/$/\r/' "$root/resources/windows/README.txt" > "$stage/README.txt"
(cd "$root/dist/stage" && cmake -E tar cf "../$name.zip" --format=zip "$name")
rm -rf "$root/dist/stage"
echo "wrote dist/$name.zip"
