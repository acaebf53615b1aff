#!/usr/bin/env bash
# A 5-minute 16-bit stereo WAV copied through source, worker and sink, against cp of the same
# file. Target: at most 3 times cp.
set -euo pipefail
build=${KESTRUNE_BUILD:-build}
data=bench/data
mkdir -p "$data"
input=$data/five-minutes.wav
[[ -f $input ]] || sox -n -r 44100 -b 16 -c 2 "$input" synth 300 pinknoise vol 0.5
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
hyperfine --warmup 3 --runs 20 --export-json "$out/result.json" \
  "cp $input $out/cp.wav" \
  "$build/bin/wav_copy $input $out/ours.wav" >/dev/null
cmp <(tail -c +45 "$input") <(tail -c +45 "$out/ours.wav")
/usr/bin/python3 - "$out/result.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
cp, ours = (r["mean"] for r in results)
print(f"cp {cp*1000:.1f} ms, pipeline {ours*1000:.1f} ms, ratio {ours/cp:.2f} (target <= 3)")
PY
