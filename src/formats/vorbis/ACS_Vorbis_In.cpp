#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "formats/CodecLibrary.h"
#include "formats/vorbis/ACS_Vorbis.h"
#include "formats/vorbis/OggStreamEnd.h"
#include "formats/vorbis/Codec.h"
#include "formats/vorbis/VorbisEnc.h"
#include "formats/vorbis/VorbisFile.h"
#include "formats/vorbis/ogg.h"

struct TVorbisDecoderState {
  OggVorbis_File File{};
};

// The library calls back from C: no exception may pass through it.
struct TVorbisInCallbacks {
  static TVorbisIn& Source(void* client) { return *static_cast<TVorbisIn*>(client); }

  static size_t Read(void* destination, size_t size, size_t count, void* client) {
    if (size == 0) {
      return 0;
    }
    try {
      const int64_t got = Source(client).FStream->Read(std::span<uint8_t>(static_cast<uint8_t*>(destination), size * count));
      return static_cast<size_t>(got) / size;
    } catch (...) {
      errno = EIO;
      return 0;
    }
  }

  static int Seek(void* client, ogg_int64_t offset, int origin) {
    TVorbisIn& source = Source(client);
    if (!source.FSeekable) {
      return -1;
    }
    try {
      TStream& stream = *source.FStream;
      int64_t target = offset;
      if (origin == SEEK_CUR) {
        target += stream.Position();
      } else if (origin == SEEK_END) {
        target += stream.Size();
      }
      if (target < 0) {
        return -1;
      }
      stream.Seek(target);
      return 0;
    } catch (...) {
      return -1;
    }
  }

  static int Close(void* client) {
    try {
      Source(client).ReleaseStream();
    } catch (...) {
    }
    return 0;
  }

  static long Tell(void* client) { return static_cast<long>(Source(client).FStream->Position()); }
};

TVorbisIn::TVorbisIn()
    : FOgg(OggLibrary()), FVorbis(VorbisLibrary()), FVorbisFile(VorbisFileLibrary()), FVorbisEnc(VorbisEncLibrary()) {
  RequireLoaded({&OggLibrary(), &VorbisLibrary(), &VorbisFileLibrary(), &VorbisEncLibrary()});
  RequireEntryPoints(VorbisFileLibrary(),
                     {"ov_open_callbacks", "ov_streams", "ov_info", "ov_pcm_total", "ov_read", "ov_pcm_seek", "ov_clear"});
}

TVorbisIn::~TVorbisIn() {
  while (FOpenCount > 0) {
    CloseFile();
  }
}

void TVorbisIn::ForgetFormat() {
  FChan = 0;
  FSR = 0;
  FBPS = 0;
  FSize = 0;
  FTotalSamples = 0;
}

void TVorbisIn::OpenFile() {
  if (FOpenCount > 0) {
    ++FOpenCount;
    return;
  }
  FValid = true;
  FEndOfStream = false;
  FInvalidReason.clear();
  if ((!FStreamAssigned && !OpenOwnStream(FFileName)) || FStream == nullptr) {
    FValid = false;
    FInvalidReason = "cannot open the file";
    ForgetFormat();
    return;
  }
  FState = std::make_unique<TVorbisDecoderState>();
  const ov_callbacks callbacks{&TVorbisInCallbacks::Read, &TVorbisInCallbacks::Seek, &TVorbisInCallbacks::Close,
                               &TVorbisInCallbacks::Tell};
  const int opened = VorbisFileLibrary().ov_open_callbacks(this, &FState->File, nullptr, 0, callbacks);
  if (opened != 0) {
    // The library gives the data source back unclosed when it refuses it.
    FValid = false;
    FInvalidReason = "not an Ogg Vorbis stream";
    FState.reset();
    ReleaseStream();
    ForgetFormat();
    return;
  }
  FFileOpen = true;
  // On a chained file the library is left at the start of the last part after scanning the
  // chain; every part is to be delivered, from the first.
  if (VorbisFileLibrary().ov_streams(&FState->File) > 1) {
    VorbisFileLibrary().ov_pcm_seek(&FState->File, 0);
  }
  const vorbis_info* info = VorbisFileLibrary().ov_info(&FState->File, -1);
  FChan = info != nullptr ? info->channels : 0;
  FSR = info != nullptr ? static_cast<int32_t>(info->rate) : 0;
  FBPS = 16;
  if (FChan < 1 || FChan > 2) {
    FValid = false;
    FInvalidReason = std::to_string(FChan) + " channels";
  }
  const ogg_int64_t total = VorbisFileLibrary().ov_pcm_total(&FState->File, -1);
  if (total < 0) {
    FTotalSamples = 0;
    FSize = -1;
  } else {
    FTotalSamples = total;
    FSize = total * 2 * FChan;
  }
  FCurrentSection = -1;
  ++FOpenCount;
}

void TVorbisIn::CloseFile() {
  if (FOpenCount == 1 && FFileOpen) {
    VorbisFileLibrary().ov_clear(&FState->File);  // its close callback frees or rewinds the stream
    FFileOpen = false;
    FState.reset();
  }
  if (FOpenCount > 0) {
    --FOpenCount;
  }
}

void TVorbisIn::Init() {
  TACSFileIn::Init();
  if (!FValid || !FFileOpen) {
    Flush();
    throw EACSException(FFileName + ": cannot decode this Ogg Vorbis file (" +
                        (FInvalidReason.empty() ? std::string("not an Ogg Vorbis stream") : FInvalidReason) + ")");
  }
}

void TVorbisIn::FillBuffer() {
  FBufStart = 1;
  FBufEnd = 0;
  while (!FEndOfStream && FBufEnd < DecodeBufferSize) {
    int section = FCurrentSection;
    const long n = VorbisFileLibrary().ov_read(&FState->File, reinterpret_cast<char*>(FDecodeBuffer.data() + FBufEnd),
                                               DecodeBufferSize - FBufEnd, 0, 2, 1, &section);
    if (n == OV_HOLE) {
      // A gap in the data: the library resynchronises on the next page, the run fails at its end.
      FReadFault = "the Ogg stream has a gap (damaged pages)";
      continue;
    }
    if (n <= 0) {
      FEndOfStream = true;
      NoteStreamEnd(n);
      break;
    }
    if (section != FCurrentSection) {
      // A chained stream whose next part has another format cannot go on in the same PCM.
      const vorbis_info* info = VorbisFileLibrary().ov_info(&FState->File, section);
      if (info == nullptr || info->channels != FChan || info->rate != FSR) {
        FEndOfStream = true;
        break;
      }
      FCurrentSection = section;
    }
    FBufEnd += static_cast<int32_t>(n);
    if (Size() >= 0 && Position() + FBufEnd >= Size()) {
      FBufEnd = static_cast<int32_t>(std::max<int64_t>(Size() - Position(), 0));
      if (FBufEnd == 0) {
        FEndOfStream = true;
      }
      break;
    }
  }
}

void TVorbisIn::NoteStreamEnd(long lastRead) {
  if (lastRead < 0) {
    FReadFault = "the Vorbis data is damaged";
  } else if (FReadFault.empty() && FSeekable && FStream != nullptr) {
    FReadFault = OggEndProblem(*FStream);
  }
}

int32_t TVorbisIn::GetData(std::span<uint8_t> buffer) {
  if (!FBusy) {
    throw EACSException("The Stream is not opened");
  }
  if (BufferUsedUp()) {
    FillBuffer();
    if (FBufEnd == 0 && FEndOfStream && FLoop) {
      Flush();
      Init();
      FEndOfStream = false;
      FillBuffer();
    }
  }
  return CopyFromBuffer(FDecodeBuffer.data(), buffer);
}

bool TVorbisIn::Seek(int64_t sampleNumber) {
  if (!FSeekable) {
    return false;
  }
  OpenFile();
  if (FFileOpen) {
    VorbisFileLibrary().ov_pcm_seek(&FState->File, sampleNumber);
  }
  CloseFile();
  return true;
}
