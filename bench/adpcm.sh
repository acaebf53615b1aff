#!/usr/bin/env bash
# Decoding a 5-minute IMA ADPCM stereo file to a PCM WAV file: our pipeline (the wav_copy driver:
# WAV source, worker, WAV sink) against ffmpeg. Prints both times and the ratio; fails when ours
# is slower.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KESTRUNE_BUILD:-build}
driver="$build/bin/wav_copy"
[[ -x $driver ]] || { echo "build $driver first (cmake --build $build)"; exit 1; }
mkdir -p bench/data
input=bench/data/ima-stereo-5min.wav
if [[ ! -f $input ]]; then
  # Pink noise and a sweep, so the coder sees every step size.
  sox -n -r 44100 -c 2 -e ima-adpcm "$input" synth 300 pinknoise sine 100-8000 vol 0.5
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
hyperfine --warmup 1 --runs 7 --style basic --export-json "$work/times.json" \
  -n kestrune "$driver $input $work/ours.wav" \
  -n ffmpeg "ffmpeg -v error -y -i $input -c:a pcm_s16le $work/ffmpeg.wav"
# The same samples as sox's decoder gives, so the time is that of a correct decoding.
cmp <(sox "$input" -t raw -e signed -b 16 -L -) <(tail -c +45 "$work/ours.wav")
/usr/bin/python3 - "$work/times.json" <<'PY'
import json, sys
results = {r["command"]: r["mean"] for r in json.load(open(sys.argv[1]))["results"]}
ours, theirs = results["kestrune"], results["ffmpeg"]
print(f"IMA ADPCM stereo 5 min -> PCM WAV: kestrune {ours*1000:.1f} ms, ffmpeg {theirs*1000:.1f} ms, ratio {ours/theirs:.2f}")
sys.exit(0 if ours <= theirs else 1)
PY
