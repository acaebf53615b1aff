# The raw tag keys of a file, and setting one of them, for the test that holds the code to
# docs/TAGS.md.
#   tag_mapping.py keys FILE         prints {"KEY": ["value", ...], ...} as JSON
#   tag_mapping.py write FILE KEY V  sets KEY to V as the file's own tag kind
import json
import struct
import sys

import mutagen
from mutagen.apev2 import APEv2
from mutagen.asf import ASF
from mutagen.id3 import ID3, COMM, Frames


def info_chunk(path):
    data = open(path, "rb").read()
    found, at = {}, 12
    while at + 8 <= len(data):
        kind, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if kind == b"LIST" and data[at + 8:at + 12] == b"INFO":
            inner, end = at + 12, at + 8 + size
            while inner + 8 <= end:
                key, length = data[inner:inner + 4].decode("latin-1"), struct.unpack("<I", data[inner + 4:inner + 8])[0]
                found[key] = [data[inner + 8:inner + 8 + length].rstrip(b"\0").decode("utf-8", "replace")]
                inner += 8 + length + (length & 1)
        at += 8 + size + (size & 1)
    return found


def keys(path):
    lower = path.lower()
    if lower.endswith(".ape"):
        return {k: list(v) for k, v in APEv2(path).items()}
    if lower.endswith(".wma"):
        return {k: [str(v) for v in values] for k, values in ASF(path).tags.items()}
    tags = mutagen.File(path).tags
    found = info_chunk(path) if lower.endswith(".wav") else {}
    if isinstance(tags, ID3):
        # mutagen adds the ID3v1 trailer's comment as a described COMM frame.
        for frame in (f for f in tags.values() if getattr(f, "desc", "") == ""):
            found.setdefault(frame.FrameID, []).extend(str(t) for t in frame.text)
    elif tags is not None:
        for key, value in tags.items():
            found.setdefault(key.upper(), []).extend(value if isinstance(value, list) else [value])
    return found


def write_info(path, key, value):
    data = bytearray(open(path, "rb").read())
    text = value.encode("utf-8") + b"\0"
    text += b"\0" * (len(text) & 1)
    body = b"INFO" + key.encode("latin-1") + struct.pack("<I", len(text)) + text
    data += b"LIST" + struct.pack("<I", len(body)) + body
    data[4:8] = struct.pack("<I", len(data) - 8)
    open(path, "wb").write(bytes(data))


def write(path, key, value):
    lower = path.lower()
    if lower.endswith(".wav"):
        write_info(path, key, value)
    elif lower.endswith(".ape"):
        tag = APEv2()
        tag[key] = value
        tag.save(path)
    elif lower.endswith(".mp3"):
        tag = ID3()
        frame = COMM(encoding=3, lang="eng", desc="", text=[value]) if key == "COMM" else Frames[key](encoding=3, text=[value])
        tag.add(frame)
        tag.save(path, v2_version=3 if key == "TYER" else 4)
    else:
        f = mutagen.File(path)
        if f.tags is None:
            f.add_tags()
        f.tags[key] = [value]
        f.save()


if sys.argv[1] == "keys":
    print(json.dumps(keys(sys.argv[2])))
else:
    write(sys.argv[2], sys.argv[3], sys.argv[4])
