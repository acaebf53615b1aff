#pragma once

// The cover picture of an input file: the front cover its tags hold (or else their first
// picture), read from ID3v2, FLAC, Ogg, APEv2 and ASF tags and, for the formats FFmpeg reads,
// from the container's attached picture; or, for a file that holds none, the cover image of its
// folder. Every reader stays within the file and never allocates more than one picture's bytes.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Streams.h"
#include "tags/Picture.h"

struct TCoverRead {
  std::optional<TPicture> Picture;
  // Why a picture the file holds was left out; empty when none was.
  std::string Note;

  // Keeps the first picture offered until a front cover comes.
  void Offer(TPicture candidate);
  // Notes a picture left out for its size.
  void Oversized(int64_t size);
};

TCoverRead ReadID3v2Cover(TStream& stream);
TCoverRead ReadFLACCover(TStream& stream);
// Vorbis and Opus comments (METADATA_BLOCK_PICTURE) of the file's first logical stream.
TCoverRead ReadOggCover(TStream& stream);
TCoverRead ReadAPECover(TStream& stream);
TCoverRead ReadWMACover(TStream& stream);
// Through FFmpeg: the attached picture of the container (an MP4 `covr` atom and the like).
TCoverRead ReadMediaCover(const std::string& fileName);

// The picture an input file holds, by the reader its kind has in the input table; nothing for a
// file that cannot be read.
TCoverRead ReadEmbeddedCover(const std::string& fileName);
// The same from a stream already open on that file (read from its start).
TCoverRead ReadEmbeddedCover(const std::string& fileName, TStream& opened);

// "cover", "folder" or "front" with ".jpg", ".jpeg" or ".png" in any case, in the input's folder
// and holding a JPEG or PNG image; empty when there is none.
std::string FolderCoverFile(const std::string& inputFile);

// The picture of an input file, or the whole of an image file (a folder cover).
TCoverRead ReadCoverFrom(const std::string& fileName);

// Where a row's cover comes from: the input itself when it holds one, else its folder's cover
// image; empty without either.
std::string CoverFileFor(const std::string& inputFile);
