#!/usr/bin/env bash
# Drives sylvane-render as a user would and checks exit codes, files and rendered audio.
# usage: render_cli_test.sh RENDERER SCRATCH_DIR
set -uo pipefail
render=$1
dir=$2/render-cli
rm -rf "$dir" && mkdir -p "$dir"
export SYLVANE_DOCUMENTS_DIR="$dir/documents"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

expect_status() {  # expected-status description command...
  local want=$1 what=$2; shift 2
  "$@" >/dev/null 2>"$dir/stderr"
  local got=$?
  [[ $got == "$want" ]] || fail "$what: exit $got, expected $want ($(cat "$dir/stderr"))"
  [[ $want == 0 || -s "$dir/stderr" ]] || fail "$what: no message on stderr"
}

# Bad input: status 2, a message, and no output file (nor a partial one).
expect_status 2 "unknown option" "$render" --bogus "$dir/a.wav"
expect_status 2 "unknown parameter" "$render" -p NoSuch=1 "$dir/a.wav"
expect_status 2 "missing MIDI file" "$render" -m "$dir/none.mid" "$dir/a.wav"
printf 'MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\1\0' > "$dir/broken.mid"
expect_status 2 "truncated MIDI file" "$render" -m "$dir/broken.mid" "$dir/a.wav"
expect_status 2 "unknown preset" "$render" -P "No Such Preset" "$dir/a.wav"
expect_status 2 "preset index out of range" "$render" -P 107 "$dir/a.wav"
expect_status 2 "preset not installed" "$render" -P 3 "$dir/a.wav"
ls "$dir"/a.wav* >/dev/null 2>&1 && fail "a failed render left a file behind"

# -d 0 writes a valid, empty file.
expect_status 0 "empty render" "$render" -q -d 0 "$dir/empty.wav"
[[ $(soxi -s "$dir/empty.wav" 2>/dev/null) == 0 ]] || fail "empty render is not a valid 0-sample file"

# A script of raw events plays exactly those events: the same note as -n, sample for sample.
expect_status 0 "note render" "$render" -q -d 2 -f double -n 0.5:1.5:62:90 "$dir/note.wav"
expect_status 0 "event render" "$render" -q -d 2 -f double -e 24000:0x92:62:90 -e 24000:0x90:62:90 \
  -e 72000:0x80:62:0 "$dir/events.wav"
cmp -s "$dir/note.wav" "$dir/events.wav" || fail "raw events do not render like the same -n note"

# Raw events replace the held default note: a controller alone stays silent.
expect_status 0 "controller only" "$render" -q -d 1 -e 0:0xB0:7:100 "$dir/silent.wav"
peak=$(sox "$dir/silent.wav" -n stat 2>&1 | awk '/Maximum amplitude/{print $3}')
[[ $peak == 0.000000 ]] || fail "raw controller render is not silent (peak $peak)"

# The default render holds a note: it sounds, within full scale.
expect_status 0 "default render" "$render" -q -d 3 "$dir/held.wav"
rms=$(sox "$dir/held.wav" -n stat 2>&1 | awk '/RMS     amplitude/{print $3}')
awk -v r="$rms" 'BEGIN { exit !(r > 0.001 && r < 0.9) }' || fail "held note RMS $rms out of range"

# Presets: saving and loading go through the instrument; a library entry loads by index and name.
expect_status 0 "save preset" "$render" -q -d 0 -p WindSpeed=0.3 --save-preset "$dir/w.sylvanepreset"
grep -q '<WindSpeed>0.3</WindSpeed>' "$dir/w.sylvanepreset" || fail "saved preset lacks WindSpeed 0.3"
# A file with one element sets just that parameter (0.5 passes through single precision unchanged).
printf '<WindSpeed>0.5</WindSpeed>' > "$dir/half.sylvanepreset"
expect_status 0 "load preset file" "$render" -q -d 1 -f double -P "$dir/half.sylvanepreset" "$dir/file.wav"
expect_status 0 "same by parameter" "$render" -q -d 1 -f double -p WindSpeed=0.5 "$dir/param.wav"
cmp -s "$dir/file.wav" "$dir/param.wav" || fail "a loaded preset does not render like its values"
mkdir -p "$SYLVANE_DOCUMENTS_DIR/KorvelAudio/Sylvane/Presets/Factory"
cp "$dir/half.sylvanepreset" "$SYLVANE_DOCUMENTS_DIR/KorvelAudio/Sylvane/Presets/Factory/SFX - Wind (ControlChange).sylvanepreset"
expect_status 0 "library by index" "$render" -q -d 1 -f double -P 3 "$dir/index.wav"
expect_status 0 "library by name" "$render" -q -d 1 -f double -P "SFX - Wind (ControlChange)" "$dir/name.wav"
cmp -s "$dir/index.wav" "$dir/file.wav" || fail "library index 3 does not render like its file"
cmp -s "$dir/name.wav" "$dir/file.wav" || fail "library name does not render like its file"

if [[ $failures -gt 0 ]]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "render CLI: all checks passed"
