# Prints the tags the reader tests compare, as mutagen reads them: one "key=value" line each.
import sys

import mutagen
from mutagen.asf import ASF
from mutagen.id3 import ID3


def first(values):
    return str(values[0]) if values else ""


def id3_tags(tags):
    def text(frame_id):
        return str(tags[frame_id]) if frame_id in tags else ""

    comments = [c for c in tags.getall("COMM") if c.desc == ""] or tags.getall("COMM")
    return {
        "title": text("TIT2"),
        "artist": text("TPE1"),
        "album": text("TALB"),
        "year": text("TDRC"),
        "genre": first(tags["TCON"].genres) if "TCON" in tags else "",
        "comment": first(comments[-1].text) if comments else "",
        "track": text("TRCK").split("/")[0],
    }


def asf_tags(tags):
    def value(name):
        return first(tags.get(name, []))

    return {
        "title": value("Title"),
        "artist": value("Author"),
        "album": value("WM/AlbumTitle"),
        "year": value("WM/Year"),
        "genre": value("WM/Genre"),
        "comment": value("Description"),
        "track": value("WM/TrackNumber"),
    }


def vorbis_tags(tags):
    def value(name):
        return first(tags.get(name, []))

    return {
        "title": value("title"),
        "artist": value("artist") or value("performer"),
        "album": value("album"),
        "year": value("date"),
        "genre": value("genre"),
        "comment": value("comment") or value("description"),
        "track": value("tracknumber").split("/")[0],
    }


audio = mutagen.File(sys.argv[1])
tags = audio.tags if audio is not None else None
if isinstance(tags, ID3):
    found = id3_tags(tags)
elif isinstance(audio, ASF):
    found = asf_tags(tags)
elif tags is not None:
    found = vorbis_tags(tags)
else:
    found = {}
for key, text in found.items():
    print(f"{key}={text}")
