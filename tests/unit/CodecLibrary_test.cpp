#include <gtest/gtest.h>

#include "formats/flac/ACS_FLAC.h"
#include "formats/flac/FLAC.h"
#include "formats/mp3/ACS_LAME.h"
#include "formats/vorbis/ACS_Vorbis.h"
#include "formats/vorbis/Codec.h"

namespace {

// Makes loading `fileName` load `replacement` for the life of the guard.
class TRedirect {
public:
  TRedirect(std::string fileName, const std::string& replacement) : FFileName(std::move(fileName)) {
    RedirectLibraryForTesting(FFileName, replacement);
  }
  ~TRedirect() { RedirectLibraryForTesting(FFileName, ""); }

private:
  std::string FFileName;
};

template <class TComponentClass>
std::string CreationFailure() {
  try {
    TComponentClass component;
  } catch (const EACSException& error) {
    return error.what();
  }
  return "created";
}

}  // namespace

TEST(CodecLibrary, MissingLibraryMakesCreationFailWithItsFileName) {
  {
    TRedirect hide("libFLAC.so.12", "libkestrune-absent.so.12");
    EXPECT_EQ(CreationFailure<TFLACOut>(), "libFLAC.so.12 library could not be loaded.");
    EXPECT_EQ(CreationFailure<TFLACIn>(), "libFLAC.so.12 library could not be loaded.");
  }
  {
    TRedirect hide("libmp3lame.so.0", "libkestrune-absent.so.0");
    EXPECT_EQ(CreationFailure<TMP3Out>(), "libmp3lame.so.0 library could not be loaded.");
  }
  {
    TRedirect hide("libvorbisenc.so.2", "libkestrune-absent.so.2");
    EXPECT_EQ(CreationFailure<TVorbisOut>(), "libvorbisenc.so.2 library could not be loaded.");
    EXPECT_EQ(CreationFailure<TVorbisIn>(), "libvorbisenc.so.2 library could not be loaded.");
  }
  // A component created after the library is back works again.
  EXPECT_EQ(CreationFailure<TFLACOut>(), "created");
  EXPECT_EQ(CreationFailure<TVorbisIn>(), "created");
}

TEST(CodecLibrary, FirstMissingVorbisLibraryIsNamed) {
  TRedirect hideFile("libvorbisfile.so.3", "libkestrune-absent.so.3");
  TRedirect hideCodec("libvorbis.so.0", "libkestrune-absent.so.0");
  EXPECT_EQ(CreationFailure<TVorbisOut>(), "libvorbis.so.0 library could not be loaded.");
}

TEST(CodecLibrary, LibraryLackingAnEntryPointIsRefusedNamingTheEntry) {
  TRedirect wrong("libFLAC.so.12", "libogg.so.0");
  EXPECT_EQ(CreationFailure<TFLACOut>(), "libFLAC.so.12 library has no entry point FLAC__stream_encoder_new.");
  EXPECT_EQ(CreationFailure<TFLACIn>(), "libFLAC.so.12 library has no entry point FLAC__stream_decoder_new.");
}

TEST(CodecLibrary, LibraryStaysLoadedWhileAnyComponentHoldsIt) {
  EXPECT_FALSE(FLACLibrary().Loaded());
  auto first = std::make_unique<TFLACIn>();
  {
    TFLACOut second;
    EXPECT_TRUE(FLACLibrary().Loaded());
    EXPECT_NE(FLACLibrary().FLAC__stream_decoder_new, nullptr);
  }
  EXPECT_TRUE(FLACLibrary().Loaded());
  first.reset();
  EXPECT_FALSE(FLACLibrary().Loaded());
  EXPECT_EQ(FLACLibrary().FLAC__stream_decoder_new, nullptr);
}

TEST(CodecLibrary, StartUpLoadNestsAndLooksUpEveryListedName) {
  VorbisLibrary().Load();
  VorbisLibrary().Load();
  VorbisLibrary().Unload();
  EXPECT_TRUE(VorbisLibrary().Loaded());
  EXPECT_NE(VorbisLibrary().vorbis_packet_blocksize, nullptr);
  VorbisLibrary().Unload();
  EXPECT_FALSE(VorbisLibrary().Loaded());
}
