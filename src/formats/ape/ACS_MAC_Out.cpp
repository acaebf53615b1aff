#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "formats/ape/ACS_MAC.h"
#include "tags/ListValues.h"

TMACOut::TMACOut() {
  MACDll::RequireEntries({{"c_APECompress_Create", reinterpret_cast<const void*>(MACDll::c_APECompress_Create)},
                          {"c_APECompress_Destroy", reinterpret_cast<const void*>(MACDll::c_APECompress_Destroy)},
                          {"c_APECompress_Start", reinterpret_cast<const void*>(MACDll::c_APECompress_Start)},
                          {"c_APECompress_LockBuffer", reinterpret_cast<const void*>(MACDll::c_APECompress_LockBuffer)},
                          {"c_APECompress_UnlockBuffer",
                           reinterpret_cast<const void*>(MACDll::c_APECompress_UnlockBuffer)},
                          {"c_APECompress_Finish", reinterpret_cast<const void*>(MACDll::c_APECompress_Finish)},
                          {"FillWaveFormatEx", reinterpret_cast<const void*>(MACDll::FillWaveFormatEx)},
                          {"TagFileSimple", reinterpret_cast<const void*>(MACDll::TagFileSimple)},
                          {"TagFileCover", reinterpret_cast<const void*>(MACDll::TagFileCover)},
                          {"TagFileText", reinterpret_cast<const void*>(MACDll::TagFileText)}});
}

TMACOut::~TMACOut() { EndWorker(); }

void TMACOut::FailCall(const std::string& call, int code, int systemError) const {
  // A failure on the file says which file and why; the library's code alone says neither.
  if (systemError != 0 && (code == MAC_ERROR_IO_WRITE || code == MAC_ERROR_IO_READ || code == MAC_ERROR_INVALID_OUTPUT_FILE)) {
    throw EACSException(FFileName + ": " + (code == MAC_ERROR_IO_READ ? "cannot read" : "cannot write") + " (" +
                        std::strerror(systemError) + ")");
  }
  throw EACSException(call + " Error: " + std::to_string(code) + " (" + MACDllErrorText(code) + ")");
}

void TMACOut::SetCompressionLevel(int32_t value) {
  FCompressionLevel = (value == 1000 || value == 2000 || value == 3000 || value == 4000) ? value : 2000;
}

TPcmFormat TMACOut::AcceptedFormat(const TPcmFormat& offered) const {
  return LosslessAcceptedFormat(offered, FSampleFormat, {.MaxBits = 24, .Float = false});
}

void TMACOut::StartCompressor() {
  TACSInput& input = *Input();
  const TPcmFormat format = input.GetFormat();
  const int32_t bits = format.BitsPerSample;
  const int32_t channels = format.Channels;
  if ((bits != 8 && bits != 16 && bits != 24) || (channels != 1 && channels != 2) ||
      format.Kind != TSampleKind::skInteger) {
    throw EACSException(FFileName + ": Monkey's Audio output needs 8-, 16- or 24-bit integer mono or stereo audio (the input has " +
                        std::to_string(bits) + " bits and " + std::to_string(channels) + " channels)");
  }
  FAPECompress = std::make_unique<TAPECompress>();
  MACDll::FillWaveFormatEx(&FWaveFormat, input.GetSampleRate(), bits, channels);
  errno = 0;
  const int result = FAPECompress->Start(TargetName(), &FWaveFormat, FMaxAudioBytes, FCompressionLevel, nullptr, -1);
  const int systemError = errno;
  if (result == MAC_ERROR_INVALID_OUTPUT_FILE && systemError != 0) {
    FailCall("APECompress.Start", result, systemError);
  }
  if (result != 0) {
    throw EACSException("Error starting APECompress.\r\n" + MACDllErrorText(result));
  }
}

void TMACOut::Prepare() {
  if (FFileName.empty()) {
    throw EACSException("File name is not assigned.");
  }
  bool inputStarted = false;
  try {
    CreateTarget();
    Input()->Init();
    inputStarted = true;
    FEndOfInput = false;
    StartCompressor();
  } catch (...) {
    FAPECompress.reset();
    AbandonPrepare(inputStarted);
    throw;
  }
}

void TMACOut::PlaceChunk(int32_t count) {
  int32_t placed = 0;
  while (placed < count) {
    int available = 0;
    unsigned char* target = FAPECompress->LockBuffer(available);
    if (target == nullptr || available <= 0) {
      // The library has failed before; unlocking nothing makes it say why.
      errno = 0;
      const int result = FAPECompress->UnlockBuffer(0);
      FailCall("APECompress.UnlockBuffer", result, errno);
    }
    const int32_t n = std::min<int32_t>(available, count - placed);
    std::memcpy(target, FBlockBuffer.data() + placed, static_cast<size_t>(n));
    errno = 0;
    const int result = FAPECompress->UnlockBuffer(n);
    if (result != 0) {
      FailCall("APECompress.UnlockBuffer", result, errno);
    }
    placed += n;
  }
}

bool TMACOut::DoOutput(bool abort) {
  bool result = false;
  if (!BeginChunk(abort, result)) {
    return result;
  }
  if (FEndOfInput) {
    return false;
  }
  const int32_t count = ReadInput(FBlockBuffer);
  if (count <= 0) {
    FEndOfInput = true;
    return true;
  }
  PlaceChunk(count);
  return true;
}

void TMACOut::TagMoreTexts() {
  const std::pair<const char*, std::string> items[] = {{"Artist", ZeroSeparatedValues(FId3TagArtist)},
                                                       {"Genre", ZeroSeparatedValues(FId3TagGenre)},
                                                       {"Album Artist", ZeroSeparatedValues(FId3TagAlbumArtist)},
                                                       {"Disc", FId3TagDisc},
                                                       {"Composer", ZeroSeparatedValues(FId3TagComposer)}};
  for (const auto& [key, value] : items) {
    errno = 0;
    const int tagged =
        MACDll::TagFileText(TargetName().c_str(), key, value.data(), static_cast<int>(value.size()));
    if (tagged != 0) {
      FailCall("TagFileText", tagged, errno);
    }
  }
}

void TMACOut::TagCover() {
  if (!FCover || FCover->Data.empty()) {
    return;
  }
  const std::string name = FCover->MimeType == "image/png" ? "cover.png" : "cover.jpg";
  errno = 0;
  const int tagged = MACDll::TagFileCover(TargetName().c_str(), name.c_str(), FCover->Data.data(),
                                          static_cast<int>(FCover->Data.size()));
  if (tagged != 0) {
    FailCall("TagFileCover", tagged, errno);
  }
}

void TMACOut::Done() {
  if (!FAPECompress) {
    FlushInput();
    return;
  }
  errno = 0;
  const int finished = FAPECompress->Finish(nullptr, 0, 0);
  const int finishError = errno;
  FAPECompress.reset();
  FlushInput();
  // A file the library could not complete is gone; saying so beats tagging nothing.
  if (finished != 0 && finishError != 0) {
    FailCall("APECompress.Finish", finished, finishError);
  }
  if (finished != 0) {
    throw EAPEException(finished);
  }
  errno = 0;
  const int tagged = MACDll::TagFileSimple(TargetName().c_str(), FId3TagArtist.c_str(), FId3TagAlbum.c_str(),
                                           FId3TagTitle.c_str(), FId3TagComment.c_str(), FId3TagGenre.c_str(),
                                           FId3TagYear.c_str(), FId3TagTrack.c_str(), 1, 0);
  if (tagged != 0) {
    FailCall("TagFileSimple", tagged, errno);
  }
  TagMoreTexts();
  TagCover();
}
