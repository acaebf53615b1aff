#include "formats/wma/acs_wma_out.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/StreamError.h"
#include "platform/Streams.h"
#include "platform/WideText.h"
#include "tags/ListValues.h"

namespace {

constexpr int64_t TicksPerSecond = 10000000;
constexpr size_t ProfileBufferSize = 3001;
constexpr int32_t ChunkRate = 44100;  // a chunk holds one second of audio at this rate

std::string Hex8(uint32_t value) {
  std::array<char, 9> text{};
  std::snprintf(text.data(), text.size(), "%08x", value);
  return text.data();
}

std::string BeginWritingFailure(TWriterResult result) {
  switch (result) {
    case 0xC00D0BC4:
      return "BeginWriting failed: Video codec not installed\r\n";
    case NS_E_AUDIO_CODEC_NOT_INSTALLED:
      return "BeginWriting failed: Audio codec not installed\r\n";
    case NS_E_INVALID_OUTPUT_FORMAT:
      return "BeginWriting failed: Invalid output format \r\n";
    case 0xC00D0BC5:
      return "BeginWriting failed: An unexpected error occurred with the video codec \r\n";
    case NS_E_AUDIO_CODEC_ERROR:
      return "BeginWriting failed: An unexpected error occurred with the audio codec \r\n";
    default:
      return "BeginWriting failed: Error (hr=0x" + Hex8(result) + ")\r\n";
  }
}

std::string Reason(TWriterResult result) {
  const std::string text = WriterErrorText(result);
  return text.empty() ? "hr=0x" + Hex8(result) : text;
}

}  // namespace

TWMA_Out::TWMA_Out() = default;

TWMA_Out::~TWMA_Out() { EndWorker(); }

void TWMA_Out::Log(const std::string&) {}

std::shared_ptr<const TWMProfile> TWMA_Out::LoadProfile(const std::string& path) {
  TWMProfileManager manager;
  std::array<uint8_t, ProfileBufferSize> buffer{};
  try {
    TFileStream file(path, fmOpenRead);
    if (file.Size() > MaxProfileSize) {
      throw EACSException(path + ": the WMA profile is larger than " + std::to_string(MaxProfileSize) + " bytes");
    }
    file.Read(std::span<uint8_t>(buffer.data(), static_cast<size_t>(file.Size())));
  } catch (const EStreamError& error) {
    throw EACSException(error.what());
  }
  // The bytes are UTF-16LE text that the zeros after them end.
  std::u16string data;
  for (size_t i = 0; i + 1 < buffer.size(); i += 2) {
    const auto unit = static_cast<char16_t>(buffer[i] | (buffer[i + 1] << 8));
    if (unit == u'\0') {
      break;
    }
    data += unit;
  }
  std::shared_ptr<const TWMProfile> profile;
  std::string reason;
  if (manager.LoadProfileByData(data, profile, reason) != WR_OK) {
    throw EACSException(path + ": not a valid WMA profile (" + reason + ")");
  }
  return profile;
}

TWriterResult TWMA_Out::CreateWriter(const std::string& fileName, std::shared_ptr<const TWMProfile> profile) {
  Log("Creating the Writer...\r\n");
  TWriterResult result = WMCreateWriter(FWriter);
  if (result != WR_OK) {
    return result;
  }
  FHeaderInfo = FWriter.get();
  result = FWriter->SetProfile(std::move(profile));
  if (result == WR_OK) {
    result = FWriter->SetOutputFilename(fileName);
  }
  if (result == WR_OK) {
    // The layer resamples and mixes whatever the input is to the profile's format.
    result = FWriter->SetInputProps(FChannels, FSampleRate, FBitsPerSample);
  }
  return result;
}

namespace {

void AppendWideZ(std::vector<uint8_t>& out, const std::u16string& text) {
  for (const char16_t unit : text) {
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>(unit >> 8));
  }
  out.insert(out.end(), {0, 0});
}

// The "WM/Picture" value: type, image size, MIME type and description as zero-ended UTF-16LE, image.
std::vector<uint8_t> PictureValue(const TPicture& picture) {
  std::vector<uint8_t> value{static_cast<uint8_t>(picture.Type)};
  const auto size = static_cast<uint32_t>(picture.Data.size());
  for (int shift = 0; shift < 32; shift += 8) {
    value.push_back(static_cast<uint8_t>(size >> shift));
  }
  AppendWideZ(value, Utf8ToUtf16(picture.MimeType));
  AppendWideZ(value, Utf8ToUtf16(picture.Description));
  value.insert(value.end(), picture.Data.begin(), picture.Data.end());
  return value;
}

// UTF-16LE without a terminating zero. An attribute holds at most 65535 bytes; a longer text is
// cut at a whole character.
std::vector<uint8_t> AttributeBytes(const std::u16string& text) {
  std::vector<uint8_t> bytes;
  for (const char16_t unit : text.substr(0, 32767)) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return bytes;
}

}  // namespace

void TWMA_Out::SetTags(IWMHeaderInfo& headerInfo) {
  struct TTag {
    const char16_t* Name;
    const std::u16string* Text;
    bool List;  // the text joins several values with "; ", each an attribute of its own
  };
  const std::array<TTag, 10> tags{{
      {u"WM/AlbumTitle", &FId3TagAlbum, false},
      {u"WM/Year", &FId3TagYear, false},
      {u"WM/Genre", &FId3TagGenre, true},
      {u"Author", &FId3TagArtist, true},
      {u"Description", &FId3TagComment, false},
      {u"Title", &FId3TagTitle, false},
      {u"WM/TrackNumber", &FId3TagTrack, false},
      {u"WM/AlbumArtist", &FId3TagAlbumArtist, true},
      {u"WM/PartOfSet", &FId3TagDisc, false},
      {u"WM/Composer", &FId3TagComposer, true},
  }};
  for (const TTag& tag : tags) {
    if (tag.Text->empty()) {
      continue;
    }
    const std::vector<std::u16string> values = tag.List ? SplitListValues(*tag.Text) : std::vector{*tag.Text};
    for (size_t i = 0; i < values.size(); ++i) {
      const std::vector<uint8_t> bytes = AttributeBytes(values[i]);
      const auto length = static_cast<uint16_t>(bytes.size());
      // The first value takes the name's usual place; the header keeps the others beside it.
      const TWriterResult result = i == 0 ? headerInfo.SetAttribute(0, tag.Name, WMT_TYPE_STRING, bytes.data(), length)
                                          : headerInfo.AddAttribute(0, tag.Name, WMT_TYPE_STRING, bytes.data(), length);
      if (result != WR_OK) {
        return;
      }
    }
  }
  if (FCover && !FCover->Data.empty()) {
    const std::vector<uint8_t> value = PictureValue(*FCover);
    headerInfo.AddAttribute(0, u"WM/Picture", WMT_TYPE_BINARY, value.data(), static_cast<uint32_t>(value.size()));
  }
}

std::string TWMA_Out::WriterReason(TWriterResult result) const {
  // The system's own words for a failure on the file say more than the writer's code.
  if (FWriter && !FWriter->FileFailure().empty()) {
    return FWriter->FileFailure();
  }
  return Reason(result);
}

void TWMA_Out::StartWriter(const std::string& target) {
  const std::shared_ptr<const TWMProfile> profile = LoadProfile(FProfileFile);
  const TWriterResult created = CreateWriter(target, profile);
  if (created != WR_OK) {
    Log("Could not create the Writer for file " + FFileName + " (hr=0x" + Hex8(created) + ").\r\n");
  }
  if (FHeaderInfo != nullptr) {
    SetTags(*FHeaderInfo);
  }
  if (created != WR_OK) {
    Log("Could not set WMTags (hr=0x" + Hex8(created) + ").\r\n");
    throw EACSException((FFileName.empty() ? std::string("(no file name)") : FFileName) + ": cannot create the WMA writer (" +
                        Reason(created) + ")");
  }
  const TWriterResult begun = FWriter->BeginWriting();
  if (begun != WR_OK) {
    Log(BeginWritingFailure(begun));
    throw EACSException(FFileName + ": cannot begin writing (" + WriterReason(begun) + ")");
  }
}

void TWMA_Out::Prepare() {
  Input()->Init();
  FSampleTime = 0;
  FWriteFailed = false;
  try {
    const std::string target = CreateTarget();
    TACSInput& input = *Input();
    FSampleRate = input.GetSampleRate();
    FChannels = input.GetChannels();
    FBitsPerSample = input.GetBitsPerSample();
    FFrameBytes = FChannels * FBitsPerSample / 8;
    FChunk.resize(static_cast<size_t>(FFrameBytes) * ChunkRate);
    StartWriter(target);
  } catch (...) {
    FHeaderInfo = nullptr;
    FWriter.reset();
    AbandonPrepare(true);
    throw;
  }
}

void TWMA_Out::FailWriting(TWriterResult result) {
  FWriteFailed = true;
  throw EACSException(FFileName + ": writing the WMA file failed (" + WriterReason(result) + ")");
}

bool TWMA_Out::DoOutput(bool abort) {
  bool result = false;
  if (!BeginChunk(abort, result)) {
    return result;
  }
  const int32_t n = ReadInput(FChunk);
  std::unique_ptr<TNSSBuffer> sample;
  uint8_t* data = nullptr;
  TWriterResult allocated = FWriter->AllocateSample(static_cast<uint32_t>(n), sample);
  if (allocated == WR_OK) {
    allocated = sample->GetBuffer(data);
  }
  if (allocated == WR_OK) {
    std::copy_n(FChunk.data(), n, data);
    allocated = sample->SetLength(static_cast<uint32_t>(n));
  }
  // A lost chunk would leave a gap in the audio: the run ends as a failure instead.
  if (allocated != WR_OK) {
    FailWriting(allocated);
  }
  if (n == 0) {
    return false;
  }
  const TWriterResult written = FWriter->WriteSample(0, FSampleTime, 0, *sample);
  // Stamped from the input's own frame size and rate, so any rate keeps its true timing.
  FSampleTime += RoundHalfEven(static_cast<double>(n / FFrameBytes) / FSampleRate * TicksPerSecond);
  if (written != WR_OK) {
    FailWriting(written);
  }
  return true;
}

void TWMA_Out::Done() {
  TWriterResult ended = WR_OK;
  if (FWriter && !FWriteFailed) {
    ended = FWriter->EndWriting();
    if (ended != WR_OK) {
      Log("Could not end writing (hr=0x" + Hex8(ended) + ").\r\n");
    }
  }
  Log("Recompression finished.\r\n");
  const std::string reason = ended != WR_OK ? WriterReason(ended) : std::string();
  FHeaderInfo = nullptr;
  FWriter.reset();
  FlushInput();
  if (ended != WR_OK) {
    throw EACSException(FFileName + ": cannot finish the WMA file (" + reason + ")");
  }
}
