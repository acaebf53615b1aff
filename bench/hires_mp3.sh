#!/usr/bin/env bash
# A 5-minute 24-bit/96 kHz FLAC into MP3 through kestrune-cli (dither to 16 bits, libsoxr down to
# 48 kHz, LAME at 192 kbit/s) may cost at most 1.15 times what "ffmpeg -i in.flac -ar 48000
# -c:a libmp3lame -b:a 192k" costs, in processor time (user and system), which a machine shared
# with other work does not blur as it does the wall clock. HIRES_INPUT=aiff times the same audio
# as 24-bit AIFF instead (read through FFmpeg). Needs sox, flac, ffmpeg and hyperfine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KESTRUNE_BUILD:-build}
cli="$build/bin/kestrune-cli"
limit=1.15
kind=${HIRES_INPUT:-flac}
data=bench/data
mkdir -p "$data"
input="$data/hires-5min.$kind"
if [[ ! -s "$input" ]]; then
  sox -n -r 96000 -c 2 -b 24 "$data/hires-5min.wav" synth 300 sine 220-880 sine 330-660 pinknoise vol 0.4 remix 1,3 2,3
  if [[ $kind == flac ]]; then
    flac -s -f -o "$input" "$data/hires-5min.wav"
  else
    sox "$data/hires-5min.wav" "$input"
  fi
  rm -f "$data/hires-5min.wav"
fi
[[ -x "$cli" ]] || { echo "build $cli first (cmake --build $build)"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export XDG_CONFIG_HOME="$out/config"
hyperfine --style basic --warmup 1 --runs 3 --export-json "$out/times.json" \
  -n kestrune "$cli -q -f MP3 --set CBRBitrate=192 -o $out/ours --existing overwrite $input" \
  -n ffmpeg "ffmpeg -v error -y -i $input -ar 48000 -c:a libmp3lame -b:a 192k $out/ffmpeg.mp3"
/usr/bin/python3 "$(dirname "$0")/cpu_ratio.py" "$out/times.json" "$limit" "hires_mp3: 24-bit/96 kHz to MP3"
