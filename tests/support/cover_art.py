# Puts a cover picture into a file, or prints the SHA-256 of the one it holds, as mutagen sees it:
#   cover_art.py put <file> <image>    cover_art.py get <file>   ("none" without a picture)
import base64
import hashlib
import sys

import mutagen
from mutagen.apev2 import APEv2, APEValue, BINARY
from mutagen.asf import ASF, ASFByteArrayAttribute
from mutagen.flac import Picture
from mutagen.mp4 import MP4, MP4Cover


def asf_picture(data, mime):
    wide = lambda text: text.encode("utf-16-le") + b"\0\0"
    return bytes([3]) + len(data).to_bytes(4, "little") + wide(mime) + wide("") + data


def put(name, image):
    data = open(image, "rb").read()
    mime = "image/png" if data.startswith(b"\x89PNG") else "image/jpeg"
    lower = name.lower()
    if lower.endswith(".ape"):
        tag = APEv2(name)
        tag["Cover Art (Front)"] = APEValue(b"cover.jpg\0" + data, BINARY)
        tag.save()
    elif lower.endswith(".wma"):
        f = ASF(name)
        f["WM/Picture"] = [ASFByteArrayAttribute(asf_picture(data, mime))]
        f.save()
    elif lower.endswith(".m4a"):
        f = MP4(name)
        f["covr"] = [MP4Cover(data, MP4Cover.FORMAT_JPEG)]
        f.save()
    else:
        f = mutagen.File(name)
        picture = Picture()
        picture.type, picture.mime, picture.data = 3, mime, data
        f["metadata_block_picture"] = [base64.b64encode(picture.write()).decode("ascii")]
        f.save()


def pictures(name):
    f = mutagen.File(name)
    found = [p.data for p in getattr(f, "pictures", []) or []]
    tags = f.tags
    if tags is None:
        return found
    for key in list(tags.keys()):
        text = str(key)
        if text.startswith("APIC"):
            found.append(tags[key].data)
        elif text.lower() == "metadata_block_picture":
            found += [Picture(base64.b64decode(v)).data for v in tags[key]]
        elif text.lower().startswith("cover art ("):
            value = tags[key].value
            found.append(value[value.index(b"\0") + 1:])
        elif text == "WM/Picture":
            for attribute in tags[key]:
                value = attribute.value
                found.append(value[-int.from_bytes(value[1:5], "little"):])
        elif text == "covr":
            found += [bytes(c) for c in tags[key]]
    return found


if sys.argv[1] == "put":
    put(sys.argv[2], sys.argv[3])
else:
    found = pictures(sys.argv[2])
    print(hashlib.sha256(found[0]).hexdigest() if found else "none")
