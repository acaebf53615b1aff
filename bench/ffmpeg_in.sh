#!/usr/bin/env bash
# Decoding a 5-minute M4A (AAC) file through TFFmpegIn into a WAV file may cost at most 1.1 times
# what "ffmpeg -i in.m4a out.wav" costs, in processor time (user and system), which a machine
# shared with other work does not blur as it does the wall-clock time. Needs sox, ffmpeg and
# hyperfine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KESTRUNE_BUILD:-build}
driver="$build/bin/ffmpeg_in"
limit=1.1
data=bench/data
mkdir -p "$data"
m4a="$data/m4a-5min.m4a"
if [[ ! -s "$m4a" ]]; then
  sox -n -r 44100 -c 2 -b 16 "$data/m4a-5min.wav" synth 300 pinknoise mix sine 440 vol 0.5
  ffmpeg -v error -y -i "$data/m4a-5min.wav" -c:a aac -b:a 192k "$m4a"
  rm -f "$data/m4a-5min.wav"
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
hyperfine --style basic --warmup 1 --runs 7 --export-json "$out/times.json" \
  -n kestrune "$driver $m4a $out/ours.wav" \
  -n ffmpeg "ffmpeg -v error -y -i $m4a $out/ffmpeg.wav"
/usr/bin/python3 - "$out/times.json" "$limit" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
cpu = lambda r: r["user"] + r["system"]
ours, theirs = cpu(results["kestrune"]), cpu(results["ffmpeg"])
ratio = ours / theirs
limit = float(sys.argv[2])
print(f"ffmpeg_in: TFFmpegIn M4A to WAV {ours:.3f} s of processor time, ffmpeg {theirs:.3f} s, ratio {ratio:.3f} "
      f"(limit {limit}; wall-clock medians {results['kestrune']['median']:.3f} s and {results['ffmpeg']['median']:.3f} s)")
sys.exit(0 if ratio <= limit else 1)
PY
