#!/usr/bin/env bash
# Decoding a 5-minute MP3 through TDX9In into a WAV file may cost at most 1.1 times what
# "ffmpeg -i in.mp3 out.wav" costs. Needs sox, lame, ffmpeg and hyperfine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KESTRUNE_BUILD:-build}
driver="$build/bin/dx9"
limit=1.1
data=bench/data
mkdir -p "$data"
mp3="$data/dx9-5min.mp3"
if [[ ! -s "$mp3" ]]; then
  sox -n -r 44100 -c 2 -b 16 "$data/dx9-5min.wav" synth 300 pinknoise mix sine 440 vol 0.5
  lame --quiet -b 192 "$data/dx9-5min.wav" "$mp3"
  rm -f "$data/dx9-5min.wav"
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
hyperfine --style basic --warmup 1 --runs 7 --export-json "$out/times.json" \
  -n kestrune "$driver $mp3 $out/ours.wav" \
  -n ffmpeg "ffmpeg -v error -y -i $mp3 $out/ffmpeg.wav"
/usr/bin/python3 - "$out/times.json" "$limit" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
ours, theirs = results["kestrune"]["median"], results["ffmpeg"]["median"]
ratio = ours / theirs
limit = float(sys.argv[2])
print(f"dx9: TDX9In to WAV {ours:.3f} s, ffmpeg {theirs:.3f} s, ratio {ratio:.3f} (limit {limit})")
sys.exit(0 if ratio <= limit else 1)
PY
