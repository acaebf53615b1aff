#!/usr/bin/env bash
# File-info reading on 2,000 mixed files (MP3 CBR and VBR, Ogg Vorbis, FLAC, WMA, WAV), against
# the same tags and stream values read with mutagen in one Python process. Must be 20 times faster.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KESTRUNE_BUILD:-build}
driver="$build/bin/info_dump"
python=/usr/bin/python3
data=bench/data/info
[[ -x "$driver" ]] || { echo "build $driver first (cmake --build $build --target info_dump)"; exit 1; }

make_files() {
  local work; work=$(mktemp -d)
  trap 'rm -rf "$work"' RETURN
  mkdir -p "$data.tmp"
  sox -n -r 44100 -c 2 -b 16 "$work/s.wav" synth 3 sine 440 sine 660 vol 0.5
  lame --quiet -b 128 --add-id3v2 --tt Title --ta Artist --tl Album --ty 2004 --tn 1/9 --tg Rock "$work/s.wav" "$work/cbr.mp3"
  lame --quiet -V 4 "$work/s.wav" "$work/vbr.mp3"
  oggenc -Q -q 3 -t Title -a Artist -N 2 "$work/s.wav" -o "$work/s.ogg"
  flac -s -T TITLE=Title -T ARTIST=Artist "$work/s.wav" -o "$work/s.flac"
  ffmpeg -v error -y -i "$work/s.wav" -c:a wmav2 -b:a 128k -metadata title=Title "$work/s.wma"
  local i kind
  for ((i = 0; i < 2000; i++)); do
    case $((i % 20)) in
      0|1|2|3|4|5|6) kind=$([[ $((i % 2)) -eq 0 ]] && echo cbr.mp3 || echo vbr.mp3) ;;
      7|8|9|10) kind=s.ogg ;;
      11|12|13) kind=s.flac ;;
      14|15|16) kind=s.wma ;;
      *) kind=s.wav ;;
    esac
    cp "$work/$kind" "$(printf '%s/%04d.%s' "$data.tmp" "$i" "${kind#*.}")"
  done
  # Every file gets a title of its own, so no two are alike.
  "$python" - "$data.tmp" <<'PY'
import os, sys
import mutagen
from mutagen.id3 import ID3, ID3NoHeaderError, TIT2
folder = sys.argv[1]
for name in sorted(os.listdir(folder)):
    path = os.path.join(folder, name)
    if name.endswith(".mp3"):
        try:
            tags = ID3(path)
        except ID3NoHeaderError:
            tags = ID3()
        tags.add(TIT2(encoding=3, text="Song " + name))
        tags.save(path)
    elif not name.endswith(".wav"):
        audio = mutagen.File(path)
        audio["Title" if name.endswith(".wma") else "title"] = "Song " + name
        audio.save()
PY
  mv "$data.tmp" "$data"
}

if [[ ! -d "$data" ]]; then
  rm -rf "$data.tmp"
  make_files
fi

read_with_mutagen='
import sys
import mutagen
for path in sys.argv[1:]:
    audio = mutagen.File(path)
    tags = audio.tags if audio is not None and audio.tags is not None else {}
    info = audio.info if audio is not None else None
    fields = [str(tags.get(k)) for k in ("TIT2", "TPE1", "TALB", "TDRC", "TCON", "COMM::eng", "TRCK",
                                          "title", "artist", "album", "date", "genre", "comment", "tracknumber",
                                          "Title", "Author", "WM/AlbumTitle", "WM/Year", "WM/Genre", "Description",
                                          "WM/TrackNumber")]
    if info is not None:
        fields += [str(info.length), str(getattr(info, "sample_rate", "")), str(getattr(info, "channels", "")),
                   str(getattr(info, "bitrate", ""))]
    print(path, *fields)
'
files=("$data"/*)
result=$(mktemp)
trap 'rm -f "$result" "$result.py"' EXIT
# Without a shell between hyperfine and the programs: parsing a 2,000-name command line would
# otherwise be timed too. hyperfine discards the programs' output itself.
printf '%s' "$read_with_mutagen" >"$result.py"
hyperfine --style basic --shell=none --warmup 2 --runs 10 --export-json "$result" \
  -n kestrune "$driver ${files[*]}" \
  -n mutagen "$python $result.py ${files[*]}" >/dev/null
"$python" - "$result" <<'PY'
import json, sys
runs = {r["command"]: r["mean"] for r in json.load(open(sys.argv[1]))["results"]}
ratio = runs["mutagen"] / runs["kestrune"]
print(f"file info, 2000 files: kestrune {runs['kestrune'] * 1000:.1f} ms, mutagen {runs['mutagen'] * 1000:.1f} ms, "
      f"{ratio:.1f} times faster (needed: 20)")
sys.exit(0 if ratio >= 20 else 1)
PY
