#!/usr/bin/env bash
# Opens the installed Linux VST 3 editor in Ardour (Debian 12's ardour 7.3) under Xvfb and captures
# the host's plug-in window, the way a user's first session would look:
#   tools/daw/ardour-screenshot.sh [--install] [OUT.png]     # default OUT: ardour-editor.png
# --install first installs the DAW and the X tools with apt-get (root). Not part of the build or CI.
# Steps: install the modules (scripts/install-plugins.sh), make a session with one MIDI track holding
# Sylvane (ardour7-lua, dummy audio backend), mark its plug-in window open in the session, start
# Ardour on it, capture the window, then drag the Wind knob up and check that it moved.
# Ardour's own settings go to a scratch folder; the user's ~/.config/ardour7 is left alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

if [[ ${1:-} == --install ]]; then
  shift
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
    ardour xvfb openbox xdotool x11-utils imagemagick
fi
out=$(realpath -m "${1:-ardour-editor.png}")
for tool in ardour ardour7-lua Xvfb openbox xdotool xwininfo import compare; do
  command -v "$tool" >/dev/null || { echo "missing $tool (run with --install)" >&2; exit 1; }
done

"$root/scripts/install-plugins.sh"

work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A fresh Ardour setup without its first-run wizard, on the dummy backend (hidden by default).
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
mkdir -p "$XDG_CONFIG_HOME/ardour7" "$XDG_CACHE_HOME"
touch "$XDG_CONFIG_HOME/ardour7/.a7"
cat > "$XDG_CONFIG_HOME/ardour7/config" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="hide-dummy-backend" value="0"/>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="None (Dummy)" driver="Normal Speed" device="Silence" input-device="" output-device="" sample-rate="48000" buffer-size="1024" n-periods="0" input-latency="0" output-latency="0" lm-input="" lm-output="" active="1" use-buffered-io="0" midi-option="1 in, 1 out, Silence" lru="1">
          <MIDIDevices/>
        </State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
XML

# Index the bundle as Ardour's plug-in manager does, so the session script finds it. Ardour takes
# an index written in the same second as the module as stale, hence the pause.
sleep 1
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst3-scanner -q "$HOME/.vst3/Sylvane.vst3"

session="$work/session"
cat > "$work/make-session.lua" <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
local s = create_session("$session", "sylvane", 48000)
assert(s, "could not create the session")
local midi = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)
local stereo = ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2)
local synth = ARDOUR.LuaAPI.new_plugin_info("Sylvane", ARDOUR.PluginType.VST3)
assert(not synth:isnil(), "Ardour's scan did not find the Sylvane VST 3")
local tracks = s:new_midi_track(midi, stereo, true, synth, nil, nil, 1, "Sylvane",
  ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, true)
local track = tracks:front()
local plugin = track:nth_plugin(0)
assert(not plugin:isnil(), "the track has no instrument")
print("window P-" .. track:to_stateful():id():to_s() .. "-" .. plugin:to_stateful():id():to_s())
s:save_state("", false, false, false, false, false)
close_session()
LUA
ardour7-lua "$work/make-session.lua" >"$work/lua.log" 2>&1 || true
window_name=$(sed -n "s/^window //p" "$work/lua.log")
[[ -n $window_name ]] || { cat "$work/lua.log" >&2; exit 1; }
# Ardour reopens the plug-in windows a session was saved with; this one opens the custom editor.
sed -i "s|</Session>|<Extra><UI><Window name=\"$window_name\" visible=\"1\" x-off=\"0\" y-off=\"0\" x-size=\"-1\" y-size=\"-1\" custom-ui=\"1\"/></UI></Extra></Session>|" \
  "$session/sylvane.ardour"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
ardour -n -a "$session/sylvane.ardour" >"$work/ardour.log" 2>&1 &
pids+=($!)
ardour_pid=$!

started=$(date +%s%N)
window=""
for _ in $(seq 900); do
  window=$(xdotool search --onlyvisible --name '^Sylvane: ' 2>/dev/null | head -n1 || true)
  [[ -n $window ]] && break
  kill -0 "$ardour_pid" 2>/dev/null || break
  sleep 0.1
done
if [[ -z $window ]]; then
  echo "Ardour showed no Sylvane window; its log:" >&2
  tail -n 40 "$work/ardour.log" >&2
  exit 1
fi
echo "plug-in window after $(( ($(date +%s%N) - started) / 1000000 )) ms from Ardour's start: $(xdotool getwindowname "$window")"
sleep 3   # a few redraw ticks

# The editor is the plug-in's own child window inside Ardour's socket: find its absolute origin.
read -r ex ey ew eh < <(xwininfo -tree -id "$window" |
  awk '$NF ~ /^\+[0-9]+\+[0-9]+$/ && $(NF-1) ~ /^[0-9]+x[0-9]+\+/ { split($(NF-1), g, /[x+]/); split($NF, a, "+"); if (g[1] >= 500) { print a[2], a[3], g[1], g[2]; exit } }')
echo "editor ${ew}x${eh} at ${ex},${ey}"
import -frame -window "$window" "$out"

# Drag the Wind knob up by 60 pixels and compare the knob's neighbourhood before and after.
kx=$(( ex + ew * 189 / 1000 )) ky=$(( ey + eh * 523 / 960 ))
import -window root -crop 200x200+$((kx - 100))+$((ky - 100)) "$work/knob-before.png"
xdotool mousemove "$kx" "$ky" mousedown 1
for step in 1 2 3 4 5 6; do xdotool mousemove "$kx" $((ky - 10 * step)); sleep 0.05; done
xdotool mouseup 1 mousemove $((ex + ew / 2)) $((ey + eh - 5))
sleep 0.5
import -window root -crop 200x200+$((kx - 100))+$((ky - 100)) "$work/knob-after.png"
changed=$(compare -metric AE "$work/knob-before.png" "$work/knob-after.png" null: 2>&1 || true)
echo "Wind knob drag changed $changed pixels around the knob"
import -frame -window "$window" "${out%.png}-turned.png"

grep -i 'sylvane\|vst3' "$work/ardour.log" | grep -iv 'INFO' || true
echo "wrote $out and ${out%.png}-turned.png"
[[ ${changed:-0} != 0 ]]
