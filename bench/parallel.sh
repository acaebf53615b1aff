#!/usr/bin/env bash
# A batch on every core: the same 16 WAV files of 30 s converted to MP3, OGG and FLAC by
# kestrune-cli with -j 1 and -j N (N = 2, or KESTRUNE_JOBS), by SoundConverter's batch mode and by
# `xargs -P N` of lame, oggenc and flac at the same settings; then the start-up (--version) and
# --info of 1,000 files against mutagen reading the same tags and stream values in one Python
# process. Targets: -j N at least 1.75 times faster than -j 1 and 1.3 times faster than
# SoundConverter; --version under 20 ms; --info 20 times faster than mutagen. On a shared machine every figure gives processor time beside wall time, and
# the load average is printed with it. SoundConverter is installed here when it is missing: it is
# only a peer to compare with.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KESTRUNE_BUILD:-build}
cli="$build/bin/kestrune-cli"
jobs=${KESTRUNE_JOBS:-2}
python=/usr/bin/python3
data=bench/data/parallel
[[ -x "$cli" ]] || { echo "build $cli first (cmake --build $build --target kestrune-cli)"; exit 1; }

if ! command -v soundconverter >/dev/null; then
  as_root=$([[ $(id -u) -eq 0 ]] && echo "" || echo sudo)
  $as_root apt-get install -y -q soundconverter >/dev/null
fi

if [[ ! -d "$data/wav" ]]; then
  mkdir -p "$data/wav.tmp"
  sox -n -r 44100 -c 2 -b 16 "$data/one.wav" synth 30 pinknoise mix sine 440 sine 660 vol 0.5
  for i in $(seq -w 1 16); do cp "$data/one.wav" "$data/wav.tmp/track$i.wav"; done
  mv "$data/wav.tmp" "$data/wav"
fi
if [[ ! -d "$data/info" ]]; then
  mkdir -p "$data/info.tmp"
  sox -n -r 44100 -c 2 -b 16 "$data/s.wav" synth 3 sine 440 vol 0.5
  lame --quiet -b 128 --tt Title --ta Artist --tl Album --ty 2004 --tn 1/9 "$data/s.wav" "$data/s.mp3"
  oggenc -Q -q 3 -t Title -a Artist -N 2 "$data/s.wav" -o "$data/s.ogg"
  flac -s -T TITLE=Title -T ARTIST=Artist "$data/s.wav" -o "$data/s.flac"
  kinds=(mp3 mp3 ogg flac wav)
  for ((i = 0; i < 1000; i++)); do
    kind=${kinds[$((i % 5))]}
    cp "$data/s.$kind" "$(printf '%s/%04d.%s' "$data/info.tmp" "$i" "$kind")"
  done
  mv "$data/info.tmp" "$data/info"
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
inputs=$(printf '%s ' "$data"/wav/*.wav)
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"

# One file each of lame, oggenc or flac per input, N at a time, into $out/x.
xargs_run() {
  local encode=$1
  echo "printf '%s\n' $inputs | xargs -P $jobs -I{} sh -c '$encode' _ {} $out/x"
}

for format in MP3 OGG FLAC; do
  case $format in
    MP3)
      peer="-f mp3 -m cbr -q 192"
      encoder='lame --quiet -b 192 "$1" "$2/$(basename "$1" .wav).mp3"' ;;
    OGG)
      peer="-f ogg -q 0.75"
      encoder='oggenc -Q -q 7.5 -o "$2/$(basename "$1" .wav).ogg" "$1"' ;;
    FLAC)
      peer="-f flac -q 5"
      encoder='flac -s -5 -o "$2/$(basename "$1" .wav).flac" "$1"' ;;
  esac
  hyperfine --style none --runs 3 --export-json "$out/$format.json" \
    --prepare "rm -rf $out/o $out/x $out/sc; mkdir -p $out/x" \
    -n "kestrune -j 1" "$cli -q -f $format -o $out/o -j 1 --set CBRBitrate=192 $inputs" \
    -n "kestrune -j $jobs" "$cli -q -f $format -o $out/o -j $jobs --set CBRBitrate=192 $inputs" \
    -n "soundconverter -b" "soundconverter -b $peer -e overwrite -o $out/sc $inputs" \
    -n "xargs -P $jobs" "$(xargs_run "$encoder")" >"$out/$format.log" 2>&1 ||
    { echo "$format: a command failed"; tail -n 5 "$out/$format.log"; exit 1; }
done

hyperfine --style none --shell=none --warmup 3 --runs 30 --export-json "$out/version.json" \
  -n "kestrune-cli --version" "$cli --version" >/dev/null
printf '%s' '
import sys
import mutagen
for path in sys.argv[1:]:
    audio = mutagen.File(path)
    tags = audio.tags if audio is not None and audio.tags is not None else {}
    info = audio.info if audio is not None else None
    fields = [str(tags.get(k)) for k in ("TIT2", "TPE1", "TALB", "TDRC", "TCON", "COMM::eng", "TRCK",
                                          "title", "artist", "album", "date", "genre", "comment", "tracknumber")]
    if info is not None:
        fields += [str(info.length), str(getattr(info, "sample_rate", "")), str(getattr(info, "channels", "")),
                   str(getattr(info, "bitrate", ""))]
    print(path, *fields)
' >"$out/read_tags.py"
info_files=$(printf '%s ' "$data"/info/*)
hyperfine --style none --shell=none --warmup 1 --runs 5 --export-json "$out/info.json" \
  -n "kestrune-cli --info" "$cli --info $info_files" \
  -n "mutagen" "$python $out/read_tags.py $info_files" >/dev/null

"$python" - "$out" "$jobs" <<'PY'
import json, sys
folder, jobs = sys.argv[1], sys.argv[2]
load = open("/proc/loadavg").read().split()[:3]
def runs(name):
    return {r["command"]: r for r in json.load(open(f"{folder}/{name}.json"))["results"]}
def show(r):
    return f"{r['median']:.3f} s wall (cpu {r['user'] + r['system']:.3f} s)"
ok = True
def target(label, value, limit, higher=True):
    global ok
    good = value >= limit if higher else value <= limit
    ok = ok and good
    return f"{label} {value:.2f} ({'>=' if higher else '<='} {limit}: {'ok' if good else 'MISSED'})"
for fmt in ("MP3", "OGG", "FLAC"):
    r = runs(fmt)
    one, many = r["kestrune -j 1"], r[f"kestrune -j {jobs}"]
    peer, xargs = r["soundconverter -b"], r[f"xargs -P {jobs}"]
    print(f"{fmt}: -j 1 {show(one)}; -j {jobs} {show(many)}; soundconverter {show(peer)}; xargs {show(xargs)}")
    print("   ", target(f"-j {jobs} vs -j 1", one["median"] / many["median"], 1.75) + ";",
          target("vs soundconverter", peer["median"] / many["median"], 1.3) + ";",
          f"vs xargs {xargs['median'] / many['median']:.2f}")
version = runs("version")["kestrune-cli --version"]
print(f"--version: median {version['median'] * 1000:.1f} ms;", target("ms", version["median"] * 1000, 20, higher=False))
info = runs("info")
ours, theirs = info["kestrune-cli --info"], info["mutagen"]
print(f"--info of 1000 files: {show(ours)}; mutagen {show(theirs)};",
      target("times faster", theirs["median"] / ours["median"], 20))
print(f"load average after: {' '.join(load)}")
sys.exit(0 if ok else 1)
PY
