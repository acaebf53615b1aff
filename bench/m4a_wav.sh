#!/usr/bin/env bash
# A 5-minute M4A (AAC) file into WAV through kestrune-cli, the whole conversion (FFmpeg's decoder,
# the stages that bring its float samples to the WAV sink's, the sink), may cost at most 1.1 times
# what "ffmpeg -i in.m4a out.wav" costs, in processor time (user and system). ffmpeg_in.sh times
# the source alone. Needs sox, ffmpeg and hyperfine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KESTRUNE_BUILD:-build}
cli="$build/bin/kestrune-cli"
limit=1.1
data=bench/data
mkdir -p "$data"
m4a="$data/m4a-5min.m4a"
if [[ ! -s "$m4a" ]]; then
  sox -n -r 44100 -c 2 -b 16 "$data/m4a-5min.wav" synth 300 pinknoise mix sine 440 vol 0.5
  ffmpeg -v error -y -i "$data/m4a-5min.wav" -c:a aac -b:a 192k "$m4a"
  rm -f "$data/m4a-5min.wav"
fi
[[ -x "$cli" ]] || { echo "build $cli first (cmake --build $build)"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export XDG_CONFIG_HOME="$out/config"
hyperfine --style basic --warmup 1 --runs 5 --export-json "$out/times.json" \
  -n kestrune "$cli -q -f WAV -o $out/ours --existing overwrite $m4a" \
  -n ffmpeg "ffmpeg -v error -y -i $m4a $out/ffmpeg.wav"
/usr/bin/python3 "$(dirname "$0")/cpu_ratio.py" "$out/times.json" "$limit" "m4a_wav: M4A to WAV"
