#!/usr/bin/env bash
# Installs the factory presets into the preset library:
#   <documents>/KorvelAudio/Sylvane/Presets/Factory/   (and creates the empty User/ folder)
# <documents> is the first argument, else $SYLVANE_DOCUMENTS_DIR, else $XDG_DOCUMENTS_DIR, else
# the desktop's documents folder from user-dirs.dirs, else $HOME/Documents -- the order the
# instrument itself uses on Linux.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
docs=${1:-${SYLVANE_DOCUMENTS_DIR:-${XDG_DOCUMENTS_DIR:-}}}
if [[ -z "$docs" ]]; then
  dirs="${XDG_CONFIG_HOME:-${HOME:?}/.config}/user-dirs.dirs"
  if [[ -r "$dirs" ]]; then
    docs=$(sed -n 's/^XDG_DOCUMENTS_DIR="\(.*\)"$/\1/p' "$dirs" | head -n 1)
    docs=${docs/#\$HOME/$HOME}
    [[ "$docs" == /* && "$docs" != "$HOME" && "$docs" != "$HOME/" ]] || docs=""
  fi
  docs=${docs:-$HOME/Documents}
fi
library="$docs/KorvelAudio/Sylvane/Presets"
mkdir -p "$library/Factory" "$library/User"
cp "$root"/resources/presets/Factory/*.sylvanepreset "$library/Factory/"
echo "installed $(ls "$root"/resources/presets/Factory/*.sylvanepreset | wc -l) factory presets into $library/Factory"
