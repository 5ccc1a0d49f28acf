#!/usr/bin/env bash
# Runs a Windows executable under Wine with a prefix private to the build tree that holds it.
# Used as the cross build's test emulator: wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail
exe=$1; shift

if [ -z "${SYLVANE_WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$exe")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ -f "$dir/CMakeCache.txt" ] || { echo "wine-run: no build tree above $exe" >&2; exit 2; }
  SYLVANE_WINEPREFIX=$dir/wineprefix
  # Windowed tests keep a prefix of their own: Wine's desktop takes the display of whichever
  # process starts it, and one started without a display cannot show windows for anyone.
  [ "${SYLVANE_NEEDS_DISPLAY:-0}" = 1 ] && SYLVANE_WINEPREFIX=$dir/wineprefix-display
fi
export WINEPREFIX=$SYLVANE_WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE=${SYLVANE_WINE:-/usr/lib/wine/wine64}

# First use creates the prefix; tests may start in parallel, so only one of them does it.
mkdir -p "$WINEPREFIX"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w 2>/dev/null || true
  fi
  # A crashing test must fail at once: Wine's debugger would hold it on a display until the test's
  # time limit. With no debugger named, a crash ends the program with a non-zero status.
  if [ ! -f "$WINEPREFIX/.no-crash-debugger" ]; then
    "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d '' /f \
      >/dev/null 2>&1 && touch "$WINEPREFIX/.no-crash-debugger"
    /usr/lib/wine/wineserver -w 2>/dev/null || true
  fi
) 9>"$WINEPREFIX.lock"

# Tests that open real windows (SYLVANE_NEEDS_DISPLAY=1) get a private virtual display when none
# is set: Xvfb picks a free display number itself (-displayfd), so parallel tests do not collide.
if [ "${SYLVANE_NEEDS_DISPLAY:-0}" = 1 ] && [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.05; done
  display=$(head -n1 "$fdfile"); rm -f "$fdfile"
  [ -n "$display" ] || { kill "$xvfb" 2>/dev/null; echo "wine-run: Xvfb did not start" >&2; exit 2; }
  export DISPLAY=":$display"
  rc=0
  "$WINE" "$exe" "$@" || rc=$?
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  exit "$rc"
fi
exec "$WINE" "$exe" "$@"
