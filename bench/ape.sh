#!/usr/bin/env bash
# Monkey's Audio: compresses a 5-minute 16-bit stereo WAV at each level through our library and
# decompresses it again, times FFmpeg decoding the same files, and compares the sizes with FLAC -8.
# Goals: level 2000 compresses at least 80 times faster than real time and its file is no larger
# than FLAC's; our decompression takes no more CPU time than FFmpeg's own program (within 10%).
# Then a table of varied 20-second signals: each level's size against FLAC -8, and whether FFmpeg
# decodes every file exactly with its CRC checks on.
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

# Synthesised sound without dither (sox -D), so decays end in true silence, unless named "dithered".
signals="$data/ape-signals"
mkdir -p "$signals"
signal() {
  local name=$1
  shift
  [[ -f $signals/$name.wav ]] || sox "$@" 2>/dev/null
}
s=$signals
signal chord -D -n -r 44100 -c 2 -b 16 "$s/chord.wav" synth 20 pluck C3 pluck E4
signal pluck-mono -D -n -r 44100 -c 1 -b 16 "$s/pluck-mono.wav" synth 20 pluck A2
signal chord-8bit -D -n -r 44100 -c 2 -b 8 "$s/chord-8bit.wav" synth 20 pluck C3 pluck E4
signal reverb-mono -D -n -r 44100 -c 1 -b 16 "$s/reverb-mono.wav" synth 20 pluck A2 pluck C4 pluck E4 pluck A4 \
  remix - vol 0.6 reverb 50
signal reverb-dual-mono -D "$s/reverb-mono.wav" -c 2 "$s/reverb-dual-mono.wav"
signal pluck-noise-reverb -D -n -r 44100 -c 2 -b 16 "$s/pluck-noise-reverb.wav" synth 20 pluck A2 pluck C4 pinknoise \
  vol 0.4 remix 1,3 2,3 reverb 40
signal dithered-pluck-noise -n -r 44100 -c 2 -b 16 "$s/dithered-pluck-noise.wav" synth 20 pluck C3 pluck E3 pinknoise \
  vol 0.4 remix 1,3 2,3
signal bursts -D -n -r 44100 -c 2 -b 16 "$s/bursts.wav" synth 0.25 pinknoise pinknoise band 1000 800 \
  fade 0.02 0.25 0.05 pad 0 0.2 repeat 43
signal brown-noise -D -n -r 44100 -c 2 -b 16 "$s/brown-noise.wav" synth 20 brownnoise brownnoise vol 0.5
signal pink-noise -D -n -r 44100 -c 2 -b 16 "$s/pink-noise.wav" synth 20 pinknoise pinknoise vol 0.3
signal click -D -n -r 44100 -c 2 -b 16 "$s/click.wav" synth 0.003 square 700 vol 0.5 pad 10 9.997
signal mix-24bit-48k -D -n -r 48000 -c 2 -b 24 "$s/mix-24bit-48k.wav" synth 20 pluck C3 pluck G3 pinknoise vol 0.3 \
  remix 1,3v0.1 2,3v0.1 reverb 40

echo
printf "%-22s %9s %7s %7s %7s %7s %7s  %s\n" signal "FLAC -8" 1000 2000 3000 4000 5000 "exact in FFmpeg"
for wav in "$signals"/*.wav; do
  name=$(basename "$wav" .wav)
  flac -8 -f -s -o "$signals/$name.flac" "$wav"
  flacBytes=$(stat -c %s "$signals/$name.flac")
  expected=$(ffmpeg -nostdin -v error -i "$wav" -f s32le -c:a pcm_s32le - | md5sum)
  line=$(printf "%-22s %9d" "$name" "$flacBytes")
  exact=yes
  for level in 1000 2000 3000 4000 5000; do
    ape="$signals/$name-$level.ape"
    "$build/bin/ape_compress" "$wav" "$ape" $level
    line="$line $(python3 -c "print(f'{$(stat -c %s "$ape") / $flacBytes:7.3f}')")"
    decoded=$(ffmpeg -nostdin -v error -err_detect crccheck -i "$ape" -f s32le -c:a pcm_s32le - 2>&1 | md5sum)
    [[ $decoded == "$expected" ]] || exact="NO at $level"
  done
  echo "$line  $exact"
done
