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
/usr/bin/python3 "$(dirname "$0")/cpu_ratio.py" "$out/times.json" "$limit" "ffmpeg_in: TFFmpegIn M4A to WAV"
