#include "tags/CoverArt.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "app/InputFormats.h"
#include "platform/StreamError.h"
#include "tags/ReadCache.h"
#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {

constexpr std::array<std::string_view, 3> CoverStems = {"cover", "folder", "front"};
constexpr std::array<std::string_view, 3> CoverExtensions = {".jpg", ".jpeg", ".png"};

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

// The rank of a folder image name by the order of CoverStems, -1 for any other name.
int CoverNameRank(const std::string& name) {
  const std::string lower = LowerAscii(name);
  for (size_t stem = 0; stem < CoverStems.size(); ++stem) {
    for (std::string_view extension : CoverExtensions) {
      if (lower == std::string(CoverStems[stem]) + std::string(extension)) {
        return static_cast<int>(stem);
      }
    }
  }
  return -1;
}

bool HoldsCoverImage(const std::string& fileName) {
  std::array<uint8_t, 8> head{};
  if (!LoadFromNamedFile(fileName, [&head](TStream& stream) { return ReadExactAt(stream, 0, head); })) {
    return false;
  }
  const std::string kind = ImageMimeType(head);
  return kind == "image/jpeg" || kind == "image/png";
}

TCoverRead ReadImageFile(const std::string& fileName) {
  TCoverRead read;
  LoadFromNamedFile(fileName, [&read](TStream& stream) {
    const int64_t size = stream.Size();
    if (size > MaxPictureBytes) {
      read.Oversized(size);
      return true;
    }
    TPicture picture;
    picture.Data.resize(static_cast<size_t>(size));
    if (!ReadExactAt(stream, 0, picture.Data)) {
      return false;
    }
    picture.MimeType = ImageMimeType(picture.Data);
    if (!picture.MimeType.empty()) {
      read.Offer(std::move(picture));
    }
    return true;
  });
  return read;
}

}  // namespace

void TCoverRead::Offer(TPicture candidate) {
  if (!Picture || (Picture->Type != ptFrontCover && candidate.Type == ptFrontCover)) {
    Picture = std::move(candidate);
  }
}

void TCoverRead::Oversized(int64_t size) {
  Note = "a picture of " + std::to_string(size) + " bytes is larger than 16 MiB and was left out";
}

TCoverRead ReadEmbeddedCover(const std::string& fileName) {
  try {
    TFileStream source(fileName, fmOpenRead);
    TReadCache file(source);
    return ReadEmbeddedCover(fileName, file);
  } catch (const EStreamError&) {
    // An unreadable file has no cover.
  }
  return {};
}

TCoverRead ReadEmbeddedCover(const std::string& fileName, TStream& opened) {
  const TInputFormat* format = InputFormatFor(fileName);
  if (format == nullptr) {
    return {};
  }
  if (format->Reader == irMedia) {
    return ReadMediaCover(fileName);
  }
  TCoverRead (*reader)(TStream&) = nullptr;
  switch (format->Reader) {
    case irMP3:
      reader = ReadID3v2Cover;
      break;
    case irFLAC:
      reader = ReadFLACCover;
      break;
    case irOgg:
      reader = ReadOggCover;
      break;
    case irAPE:
      reader = ReadAPECover;
      break;
    case irWMA:
      reader = ReadWMACover;
      break;
    case irWAV:
    case irMedia:
      return {};
  }
  TCoverRead read;
  try {
    opened.Seek(0);
    read = reader(opened);
  } catch (const EStreamError&) {
    // An unreadable file has no cover.
  }
  return read;
}

std::string FolderCoverFile(const std::string& inputFile) {
  const std::filesystem::path folder = std::filesystem::path(inputFile).parent_path();
  std::error_code error;
  std::filesystem::directory_iterator entries(folder.empty() ? "." : folder, error);
  std::string best;
  int bestRank = static_cast<int>(CoverStems.size());
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    const int rank = CoverNameRank(entries->path().filename().string());
    if (rank >= 0 && rank < bestRank && entries->is_regular_file(error) && HoldsCoverImage(entries->path().string())) {
      best = entries->path().string();
      bestRank = rank;
    }
  }
  return best;
}

TCoverRead ReadCoverFrom(const std::string& fileName) {
  if (InputFormatFor(fileName) != nullptr) {
    return ReadEmbeddedCover(fileName);
  }
  return ReadImageFile(fileName);
}

std::string CoverFileFor(const std::string& inputFile) {
  if (ReadEmbeddedCover(inputFile).Picture) {
    return inputFile;
  }
  return FolderCoverFile(inputFile);
}
