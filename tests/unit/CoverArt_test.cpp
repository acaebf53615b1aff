#include "tags/CoverArt.h"

#include <gtest/gtest.h>

#include "support/TagImages.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

const TBytes Jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3, 0, 4};

template <typename Reader>
TCoverRead Read(Reader reader, const TBytes& bytes) {
  TMemoryStream stream(bytes);
  return reader(stream);
}

TBytes Apic(uint8_t type, const TBytes& description = {0}) {
  return Concat({{0}, Bytes("image/jpeg"), {0, type}, description, Jpeg});
}

TBytes CoverItem(const std::string& key, const TBytes& value, uint32_t flags = 2) {
  TBytes item;
  AppendLe32(item, static_cast<uint32_t>(value.size()));
  AppendLe32(item, flags);
  return Concat({item, Bytes(key), {0}, value});
}

TBytes WmPicture(uint32_t declaredSize) {
  TBytes value{3};
  AppendLe32(value, declaredSize);
  return Concat({value, Utf16LeTerminated(u"image/jpeg"), Utf16LeTerminated(u""), Jpeg});
}

}  // namespace

TEST(CoverArt, AnID3v2PictureKeepsItsDescriptionInEveryTextEncoding) {
  struct TCase {
    int Version;
    TBytes Frame;
    std::string Description;
  };
  const std::vector<TCase> cases = {
      {2, ID3v2Frame("PIC", Concat({{0}, Bytes("JPG"), {3}, Bytes("Caf\xE9"), {0}, Jpeg}), 2), "Café"},
      {3, ID3v2Frame("APIC", Concat({{1}, Bytes("image/jpeg"), {0, 3}, Utf16LeWithMark(u"Öl"), {0, 0}, Jpeg})), "Öl"},
      {4, ID3v2Frame("APIC", Concat({{2}, Bytes("image/jpeg"), {0, 3, 0, 'B', 0, 0}, Jpeg}), 4), "B"},
      {4, ID3v2Frame("APIC", Concat({{3}, Bytes("image/jpeg"), {0, 3}, Bytes("\xE2\x82\xAC"), {0}, Jpeg}), 4), "€"},
  };
  for (const TCase& c : cases) {
    const TCoverRead read = Read(ReadID3v2Cover, Concat({ID3v2Tag(c.Version, {c.Frame}), TBytes(100, 0xAA)}));
    ASSERT_TRUE(read.Picture) << c.Version;
    EXPECT_EQ(read.Picture->MimeType, "image/jpeg") << c.Version;
    EXPECT_EQ(read.Picture->Description, c.Description) << c.Version;
    EXPECT_EQ(read.Picture->Data, Jpeg) << c.Version;
  }
}

TEST(CoverArt, TheFrontCoverWinsOverAnEarlierPictureAndTheFirstStandsInWithoutOne) {
  const TBytes back = Concat({{0}, Bytes("image/png"), {0, 4, 0}, Jpeg});
  EXPECT_EQ(Read(ReadID3v2Cover, ID3v2Tag(3, {ID3v2Frame("APIC", back), ID3v2Frame("APIC", Apic(3))})).Picture->Type, 3u);
  EXPECT_EQ(Read(ReadID3v2Cover, ID3v2Tag(3, {ID3v2Frame("APIC", back)})).Picture->Type, 4u);
}

TEST(CoverArt, APEv2CoverIsTheBinaryItemAfterItsFileName) {
  const TCoverRead read = Read(ReadAPECover, APETag(2000, {APEItem("Title", "T"), CoverItem("Cover Art (Front)",
                                                                                            Concat({Bytes("a.jpg"), {0}, Jpeg}))}));
  ASSERT_TRUE(read.Picture);
  EXPECT_EQ(read.Picture->Data, Jpeg);
  EXPECT_EQ(read.Picture->MimeType, "image/jpeg");
  EXPECT_FALSE(Read(ReadAPECover, APETag(2000, {CoverItem("Cover Art (Front)", Concat({Bytes("a"), {0}, Jpeg}), 0)})).Picture);
}

TEST(CoverArt, DeclaredSizesPastTheDataOrOf2GiBReadNothingAndNoteWhatIsTooLarge) {
  TBytes bigFrame = ID3v2Frame("APIC", Apic(3));
  bigFrame[4] = 0x7F;  // about 2 GiB in a version 2.3 frame
  TBytes pastEnd = ID3v2Frame("APIC", Apic(3));
  pastEnd[7] = 0xF0;
  TBytes apeItem = CoverItem("Cover Art (Front)", Concat({Bytes("a"), {0}, Jpeg}));
  apeItem[3] = 0x80;
  const TBytes wma = AsfHeader({AsfExtendedContentDescription({{u"WM/Picture", 1, WmPicture(0x80000000u)}})});
  struct TCase {
    const char* Name;
    TCoverRead Read;
    bool Noted;
  };
  const std::vector<TCase> cases = {
      {"ID3v2 2 GiB", Read(ReadID3v2Cover, ID3v2Tag(3, {bigFrame})), true},
      {"ID3v2 past the tag", Read(ReadID3v2Cover, ID3v2Tag(3, {pastEnd})), false},
      {"APE", Read(ReadAPECover, APETag(2000, {apeItem})), false},
      {"WMA", Read(ReadWMACover, wma), true},
      {"Ogg without pages", Read(ReadOggCover, Bytes("OggS")), false},
  };
  for (const TCase& c : cases) {
    EXPECT_FALSE(c.Read.Picture) << c.Name;
    EXPECT_EQ(!c.Read.Note.empty(), c.Noted) << c.Name;
  }
}

TEST(CoverArt, AnOggCoverIsReadFromItsBase64Comment) {
  const TBytes block = FLACPictureBlock({"image/jpeg", ptFrontCover, "", Jpeg});
  const std::string comment = "metadata_block_picture=" + Base64Encode(block);
  const TBytes file = Concat({OggPage(0, 0, {VorbisIdentification(2, 44100, 128000)}),
                              OggPage(0, 1, {VorbisComments("v", {"TITLE=T", comment})})});
  const TCoverRead read = Read(ReadOggCover, file);
  ASSERT_TRUE(read.Picture);
  EXPECT_EQ(read.Picture->Data, Jpeg);
}

TEST(CoverArt, TheFoldersCoverImageIsFoundInAnyCaseAndOnlyWhenItIsAnImage) {
  TempDir dir;
  WriteFileBytes(dir.File("song.flac"), {});
  WriteFileBytes(dir.File("cover.jpg"), Bytes("not an image"));
  EXPECT_EQ(FolderCoverFile(dir.File("song.flac")), "");
  WriteFileBytes(dir.File("Front.JPG"), Jpeg);
  EXPECT_EQ(FolderCoverFile(dir.File("song.flac")), dir.File("Front.JPG"));
  EXPECT_EQ(ReadCoverFrom(dir.File("Front.JPG")).Picture->Data, Jpeg);
}
