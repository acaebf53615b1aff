#include "formats/wave/WaveTagChunks.h"

#include <string>

namespace {

void AppendLe32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<uint8_t>(value >> shift));
  }
}

// A chunk's size leaves out its pad byte, which keeps the next chunk at an even offset.
void AppendChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
  out.insert(out.end(), id, id + 4);
  AppendLe32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2 != 0) {
    out.push_back(0);
  }
}

void AppendInfoText(std::vector<uint8_t>& out, const char* id, const std::string& text) {
  if (text.empty()) {
    return;
  }
  std::vector<uint8_t> body(text.begin(), text.end());
  body.push_back(0);  // INFO texts end with a zero byte
  AppendChunk(out, id, body);
}

}  // namespace

std::vector<uint8_t> BuildWaveTagChunks(const TWaveTags& tags) {
  TWaveTags withoutTrack = tags;
  withoutTrack.Track.clear();
  if (BuildId3v2Tag(withoutTrack).empty()) {
    return {};
  }
  std::vector<uint8_t> info{'I', 'N', 'F', 'O'};
  AppendInfoText(info, "INAM", tags.Title);
  AppendInfoText(info, "IART", tags.Artist);
  AppendInfoText(info, "IPRD", tags.Album);
  AppendInfoText(info, "ICRD", tags.Year);
  AppendInfoText(info, "IGNR", tags.Genre);
  AppendInfoText(info, "ICMT", tags.Comment);
  AppendInfoText(info, "ITRK", tags.Track);
  const std::vector<uint8_t> id3 = BuildId3v2Tag(tags);
  std::vector<uint8_t> chunks;
  if (info.size() > 4) {
    AppendChunk(chunks, "LIST", info);
  }
  if (!id3.empty()) {
    AppendChunk(chunks, "id3 ", id3);
  }
  return chunks;
}
