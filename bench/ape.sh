#!/usr/bin/env bash
# Monkey's Audio: compresses a 5-minute 16-bit stereo WAV at each level through our library and
# decompresses it again, times FFmpeg decoding the same files, and compares the sizes with FLAC -8.
# Goals: level 2000 compresses at least 80 times faster than real time and its file is no larger
# than FLAC's; our decompression takes no more CPU time than FFmpeg's own program (within 10%).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KESTRUNE_BUILD:-build}
data=bench/data
mkdir -p "$data"
wav="$data/ape-music.wav"
if [[ ! -f $wav ]]; then
  # Two tones with a slow tremolo over quiet pink noise: predictable like music, never trivial.
  sox -n -r 44100 -b 16 -c 2 "$data/ape-tones.wav" synth 300 sine 196 sine 293.7 tremolo 0.3 60 gain -8
  sox -n -r 44100 -b 16 -c 2 "$data/ape-noise.wav" synth 300 pinknoise pinknoise gain -30
  sox -m "$data/ape-tones.wav" "$data/ape-noise.wav" -b 16 "$wav"
  rm -f "$data/ape-tones.wav" "$data/ape-noise.wav"
fi

KESTRUNE_APE_BENCH_WAV="$wav" KESTRUNE_APE_BENCH_OUT="$data" "$build/bin/ape_bench" \
  --benchmark_out="$data/ape-bench.json" --benchmark_out_format=json >/dev/null

flac -8 -f -s -o "$data/ape-music.flac" "$wav"
for level in 1000 2000 3000 4000 5000; do
  hyperfine -N -w 1 -r 2 --export-json "$data/ape-ffmpeg-$level.json" \
    "ffmpeg -nostdin -v error -i $data/kestrune-bench-$level.ape -f wav -y /dev/null" >/dev/null
done

python3 - "$data" <<'PY'
import json, os, sys
data = sys.argv[1]
runs = {b["name"]: b for b in json.load(open(f"{data}/ape-bench.json"))["benchmarks"]}
flac = os.path.getsize(f"{data}/ape-music.flac")
failed = False
# Wall-clock figures on a shared machine include the neighbours' load; the CPU time is ours alone.
print(f"{'level':>6} {'compress s':>10} {'cpu s':>6} {'x rt wall':>9} {'x rt cpu':>8} {'size/FLAC-8':>11} "
      f"{'decode s':>8} {'cpu s':>6} {'ffmpeg s':>8} {'cpu s':>6}")
for level in (1000, 2000, 3000, 4000, 5000):
    c = runs[f"BM_Compress/{level}/iterations:1/real_time"]
    d = runs[f"BM_Decompress/{level}/iterations:1/real_time"]
    ffmpeg = json.load(open(f"{data}/ape-ffmpeg-{level}.json"))["results"][0]
    ffmpegCpu = ffmpeg["user"] + ffmpeg["system"]
    size = os.path.getsize(f"{data}/kestrune-bench-{level}.ape") / flac
    seconds = c["x_realtime"] * c["real_time"] / 1000
    cpuRate = seconds / (c["cpu_time"] / 1000)
    print(f"{level:>6} {c['real_time'] / 1000:>10.2f} {c['cpu_time'] / 1000:>6.2f} {c['x_realtime']:>9.0f} "
          f"{cpuRate:>8.0f} {size:>11.3f} {d['real_time'] / 1000:>8.2f} {d['cpu_time'] / 1000:>6.2f} "
          f"{ffmpeg['mean']:>8.2f} {ffmpegCpu:>6.2f}")
    if level == 2000:
        failed = failed or cpuRate < 80 or size > 1.0
    failed = failed or d["cpu_time"] / 1000 > 1.1 * ffmpegCpu
print("goals (level 2000: 80x real time in CPU time, no larger than FLAC -8; decoding at FFmpeg's CPU time):",
      "missed" if failed else "met")
PY
