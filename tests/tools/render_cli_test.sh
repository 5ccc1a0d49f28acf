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

# A file from which nothing applies fails; one that stops part-way loads and says where.
printf 'hello\n' > "$dir/none.sylvanepreset"
expect_status 2 "preset without settings" "$render" -q -d 1 -P "$dir/none.sylvanepreset" "$dir/a.wav"
grep -q "holds no settings" "$dir/stderr" || fail "no reason given for a preset without settings"
printf '<AmpWindLevel>0.25</AmpWindLevel><SoundfieldAmt>wide</SoundfieldAmt><WindSpeed>0.5</WindSpeed>\r\n' \
  > "$dir/part.sylvanepreset"
expect_status 0 "preset read part-way" "$render" -q -d 1 -f double -P "$dir/part.sylvanepreset" "$dir/part.wav"
grep -q "SoundfieldAmt" "$dir/stderr" || fail "no warning names the element that stopped the preset"
expect_status 0 "values before the stop" "$render" -q -d 1 -f double -p AmpWindLevel=0.25 "$dir/before.wav"
cmp -s "$dir/part.wav" "$dir/before.wav" || fail "a preset read part-way does not apply just the values before the stop"

# Inputs that are not regular files are refused at once; an output never overwrites an input.
mkfifo "$dir/fifo.mid" "$dir/fifo.sylvanepreset"
expect_status 2 "FIFO as MIDI file" timeout 20 "$render" -q -m "$dir/fifo.mid" "$dir/a.wav"
expect_status 2 "FIFO as preset" timeout 20 "$render" -q -P "$dir/fifo.sylvanepreset" "$dir/a.wav"
expect_status 2 "FIFO as saved preset" timeout 20 "$render" -q -d 0 --save-preset "$dir/fifo.sylvanepreset"
cp "$dir/note.wav" "$dir/input.wav"
ln -s input.wav "$dir/link.wav"
expect_status 2 "output is the preset" "$render" -q -P "$dir/link.wav" "$dir/input.wav"
cmp -s "$dir/note.wav" "$dir/input.wav" || fail "a refused render changed its input"

# Hang-up ends a render like an interrupt: its status, no output, no temporary file, and a
# stranger's OUT.partial untouched.
echo mine > "$dir/long.wav.partial"
"$render" -q -d 3000 "$dir/long.wav" 2>"$dir/stderr" &
pid=$!
sleep 1
kill -HUP $pid
wait $pid
got=$?
[[ $got == 129 ]] && grep -q interrupted "$dir/stderr" || fail "SIGHUP: exit $got without clean-up ($(cat "$dir/stderr"))"
[[ -e "$dir/long.wav" || -n $(find "$dir" -name '.long.wav.*') ]] && fail "SIGHUP left a file behind"
[[ $(cat "$dir/long.wav.partial" 2>&1) == mine ]] || fail "an unrelated long.wav.partial was touched"

# A MIDI file sets the length (its end plus the release) and plays the chosen channel; events
# beyond the end and clamped parameters are named.
printf 'MThd\0\0\0\6\0\0\0\1\1\xe0MTrk\0\0\0\x0d\0\x91\x3c\x64\x87\x40\x81\x3c\0\0\xff\x2f\0' > "$dir/ch2.mid"
expect_status 0 "MIDI on channel 2" "$render" -q -m "$dir/ch2.mid" "$dir/ch1.wav"
grep -q "channel 1" "$dir/stderr" || fail "no warning for a MIDI file without channel-1 messages"
expect_status 0 "--channel 2" "$render" -q -p AmpFadeInOut=0.2 --channel 2 -m "$dir/ch2.mid" "$dir/ch2.wav"
length=$(soxi -D "$dir/ch2.wav")
awk -v d="$length" 'BEGIN { exit !(d > 1.45 && d < 1.55) }' || fail "MIDI length 1 s + 0.4 s release gave $length s"
peak=$(sox "$dir/ch2.wav" -n stat 2>&1 | awk '/Maximum amplitude/{print $3}')
awk -v p="$peak" 'BEGIN { exit !(p > 0.01) }' || fail "--channel 2 plays nothing (peak $peak)"
expect_status 0 "late events" "$render" -q -d 1 -f double -n 0:5 -p WindSpeed=7 "$dir/late.wav"
grep -q "after the end" "$dir/stderr" || fail "no warning for events after the end"
grep -q "WindSpeed=7 is outside" "$dir/stderr" || fail "no warning for a clamped parameter"

expect_status 0 "list presets" "$render" --list-presets
list=$("$render" --list-presets)
grep -q "3  SFX - Wind (ControlChange) *installed" <<<"$list" || fail "--list-presets misses index 3"
grep -q "4  SFX - Foliage (Stochastic) *not installed" <<<"$list" || fail "--list-presets lists index 4 as installed"

# Every factory preset loads, and the Blizzard is clearly the loudest of them.
factory=$dir/factory-docs/KorvelAudio/Sylvane/Presets/Factory
mkdir -p "$factory" && cp "$(dirname "$0")"/../../resources/presets/Factory/*.sylvanepreset "$factory/"
loudest=0 loudest_other=0
for i in 1 2 3 4 5 6; do
  SYLVANE_DOCUMENTS_DIR=$dir/factory-docs expect_status 0 "factory preset $i" "$render" -q -d 8 -P $i "$dir/f$i.wav"
  rms=$(sox "$dir/f$i.wav" -n trim 3 stat 2>&1 | awk '/RMS     amplitude/{print $3}')
  if [[ $i == 6 ]]; then loudest=$rms; else loudest_other=$(awk -v a="$rms" -v b="$loudest_other" 'BEGIN { print (a > b ? a : b) }'); fi
done
awk -v b="$loudest" -v o="$loudest_other" 'BEGIN { exit !(b > 1.3 * o) }' ||
  fail "the Blizzard (RMS $loudest) is not clearly louder than the other presets (up to $loudest_other)"

if [[ $failures -gt 0 ]]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "render CLI: all checks passed"
