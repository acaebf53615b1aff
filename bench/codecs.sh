#!/usr/bin/env bash
# WAV to MP3, OGG and FLAC with our sinks (bench/drivers/codec_convert.cpp) against the
# reference encoders at the same settings, on a 5-minute 16-bit stereo WAV. Prints the mean
# wall-clock and CPU (user + system) times and the ratio ours/reference of the CPU times, which
# the other jobs on a shared machine disturb far less than the wall clock; the target is at most
# 1.05. RUNS sets the number of timed runs (default 3).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KESTRUNE_BUILD:-build}
driver="$build/bin/codec_convert"
runs=${RUNS:-3}
data=bench/data
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir -p "$data"
wav="$data/five-minutes-tones.wav"
if [[ ! -f "$wav" ]]; then
  # Music-like material: two tones with a slow sweep and some noise, so the encoders work as on real audio.
  sox -n -r 44100 -c 2 -b 16 "$wav" synth 300 sine 220-880 sine 330-660 pinknoise vol 0.4 remix 1,3 2,3
fi
[[ -x "$driver" ]] || { echo "build $driver first (cmake --build $build)"; exit 1; }

# "wall cpu" of a hyperfine result: mean seconds of each.
times() {
  /usr/bin/python3 -c "import json, sys; r = json.load(open(sys.argv[1]))['results'][0]; print(r['mean'], r['user'] + r['system'])" "$1"
}

compare() {
  local name=$1 ours=$2 reference=$3
  hyperfine --style none --warmup 1 --runs "$runs" --export-json "$out/ours.json" "$ours" >/dev/null
  hyperfine --style none --warmup 1 --runs "$runs" --export-json "$out/ref.json" "$reference" >/dev/null
  /usr/bin/python3 -c "
import sys
(aw, ac), (bw, bc) = (map(float, s.split()) for s in sys.argv[2:4])
r = ac / bc
print(f'{sys.argv[1]:<5} ours {aw:7.3f} s wall {ac:7.3f} s cpu   reference {bw:7.3f} s wall {bc:7.3f} s cpu   '
      f'ratio {r:5.3f} ' + ('ok' if r <= 1.05 else 'SLOWER than 1.05'))" "$name" "$(times "$out/ours.json")" "$(times "$out/ref.json")"
}

# MP3: constant 192 kbit/s, quality 5, plain stereo (the sink's default mode).
compare mp3 "$driver mp3 $wav $out/o.mp3 192 5" "lame --silent -m s -b 192 -q 5 $wav $out/r.mp3"
# OGG: Compression 0.75 is oggenc's quality 7.5.
compare ogg "$driver ogg $wav $out/o.ogg 0.75" "oggenc -Q -q 7.5 -o $out/r.ogg $wav"
# FLAC with the conversion's settings: block size 4608, mid/side, fixed predictors only (no LPC),
# residual partition order 0.
compare flac "$driver flac $wav $out/o.flac" "flac -s -f -m -b 4608 -l 0 -r 0 -o $out/r.flac $wav"
