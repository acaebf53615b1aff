#include "formats/wave/WaveConverter.h"

#include <gtest/gtest.h>

#include <cstring>

#include "formats/wave/ACS_Wave.h"
#include "support/AdpcmSupport.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<uint8_t> MpegFormatBody(uint16_t channels, uint32_t sampleRate) {
  std::vector<uint8_t> body;
  AppendLe16(body, 0x0055);
  AppendLe16(body, channels);
  AppendLe32(body, sampleRate);
  AppendLe32(body, 16000);
  AppendLe16(body, 1);
  AppendLe16(body, 0);
  AppendLe16(body, 12);
  body.resize(30, 0);
  return body;
}

TEST(WaveConverter, LoadsFormatAndDataPassingOverOtherChunks) {
  const std::vector<uint8_t> data = {1, 2, 3, 4, 5, 6, 7};
  TMemoryStream file(RiffWave({Chunk("LIST", std::vector<uint8_t>(13, 'a')), Chunk("fmt ", MpegFormatBody(2, 44100)),
                               Chunk("fact", FactBody(1152)), Chunk("LIST", std::vector<uint8_t>(5, 'b')),
                               Chunk("data", data), Chunk("LIST", std::vector<uint8_t>(9, 'c'))}));
  TWaveConverter converter;
  converter.ReadCompressedWave(file);
  EXPECT_EQ(converter.Bytes(), data);
  EXPECT_EQ(converter.Position(), 0);
  WAVEFORMATEX format{};
  std::memcpy(&format, converter.SourceFormat(), sizeof format);
  EXPECT_EQ(format.wFormatTag, 0x0055);
  EXPECT_EQ(format.nChannels, 2);
  EXPECT_EQ(format.nSamplesPerSec, 44100u);
}

TEST(WaveConverter, RefusesStreamsThatAreNotExactlyRiffWave) {
  std::vector<uint8_t> bytes = RiffWave({Chunk("fmt ", MpegFormatBody(1, 8000)), Chunk("data", {1, 2, 3})});
  bytes[0] = 'r';
  TMemoryStream file(bytes);
  TWaveConverter converter;
  converter.ReadCompressedWave(file);
  EXPECT_TRUE(converter.Bytes().empty());
}

TEST(WaveConverter, FormatBodyLargerThanARecordLeavesTheConverterEmpty) {
  std::vector<uint8_t> body = MpegFormatBody(1, 8000);
  body.resize(200, 0);
  TMemoryStream file(RiffWave({Chunk("fmt ", body), Chunk("data", {1, 2, 3})}));
  TWaveConverter converter;
  converter.ReadCompressedWave(file);
  EXPECT_TRUE(converter.Bytes().empty());
  EXPECT_NE(converter.ConvertToPcm(), MMSYSERR_NOERROR);
}

TEST(WaveConverter, PcmImageHeaderIsCanonical) {
  TWaveConverter converter;
  const WAVEFORMATEX pcm{1, 2, 22050, 88200, 4, 16, 0};
  std::memcpy(converter.SourceFormat(), &pcm, sizeof pcm);
  converter.Bytes() = std::vector<uint8_t>(400, 9);
  TMemoryStream image;
  converter.WritePcmImage(image);
  const std::vector<uint8_t>& out = image.Bytes();
  ASSERT_EQ(out.size(), 444u);
  EXPECT_EQ(std::string(out.begin(), out.begin() + 4), "RIFF");
  EXPECT_EQ(Le32At(out, 4), 436u);
  EXPECT_EQ(Le32At(out, 16), 16u);
  EXPECT_EQ(Le16At(out, 20), 1);
  EXPECT_EQ(Le16At(out, 22), 2);
  EXPECT_EQ(Le32At(out, 24), 22050u);
  EXPECT_EQ(Le32At(out, 40), 400u);
}

TEST(WaveConverter, DataThatIsNotMpegAudioFailsToConvert) {
  TMemoryStream file(RiffWave({Chunk("fmt ", MpegFormatBody(2, 44100)), Chunk("fact", FactBody(0)),
                               Chunk("data", std::vector<uint8_t>(5000, 0x55))}));
  TWaveConverter converter;
  converter.ReadCompressedWave(file);
  converter.SetTargetFormatTag(WAVE_FORMAT_PCM);
  ASSERT_EQ(acmFormatSuggest(nullptr, converter.SourceFormat(), converter.TargetFormat(),
                             TWaveConverter::FormatRecordSize, ACM_FORMATSUGGESTF_WFORMATTAG),
            MMSYSERR_NOERROR);
  EXPECT_NE(converter.ConvertToPcm(), MMSYSERR_NOERROR);
}

TEST(WaveInAcm, UnconvertibleFileIsNotValidAndRaisesNothing) {
  for (uint32_t dataSize : {0u, 100u}) {
    TMemoryStream file(RiffWave({Chunk("fmt ", MpegFormatBody(1, 22050)), Chunk("fact", FactBody(0)),
                                 Chunk("data", std::vector<uint8_t>(dataSize, 0xAB))}));
    TWaveIn source;
    source.SetStream(&file);
    source.OpenFile();
    EXPECT_FALSE(source.Valid()) << dataSize;
    EXPECT_EQ(source.OpenCount(), 1);
    source.CloseFile();
    EXPECT_EQ(source.Stream(), &file);
  }
}

TEST(MSAcm, SuggestsTheSourcesOwnRateAndChannelsAs16BitPcm) {
  WAVEFORMATEX source{0x0055, 1, 22050, 4000, 1, 0, 0};
  WAVEFORMATEX target{};
  target.wFormatTag = WAVE_FORMAT_PCM;
  ASSERT_EQ(acmFormatSuggest(nullptr, &source, &target, sizeof target, ACM_FORMATSUGGESTF_WFORMATTAG), MMSYSERR_NOERROR);
  EXPECT_EQ(target.nChannels, 1);
  EXPECT_EQ(target.nSamplesPerSec, 22050u);
  EXPECT_EQ(target.wBitsPerSample, 16);
  EXPECT_EQ(target.nBlockAlign, 2);
  EXPECT_EQ(target.nAvgBytesPerSec, 44100u);
  source.wFormatTag = 0x0002;
  EXPECT_EQ(acmFormatSuggest(nullptr, &source, &target, sizeof target, ACM_FORMATSUGGESTF_WFORMATTAG), ACMERR_NOTPOSSIBLE);
  source.wFormatTag = 0x0055;
  source.nSamplesPerSec = 96000;  // no MPEG audio rate
  EXPECT_EQ(acmFormatSuggest(nullptr, &source, &target, sizeof target, ACM_FORMATSUGGESTF_WFORMATTAG), ACMERR_NOTPOSSIBLE);
}

TEST(MSAcm, ConvertNeedsAPreparedHeader) {
  const WAVEFORMATEX source{0x0055, 2, 44100, 16000, 1, 0, 0};
  const WAVEFORMATEX target{1, 2, 44100, 176400, 4, 16, 0};
  HACMSTREAM stream = nullptr;
  ASSERT_EQ(acmStreamOpen(&stream, nullptr, &source, &target, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME),
            MMSYSERR_NOERROR);
  std::vector<uint8_t> in(100), out(100);
  ACMSTREAMHEADER header{};
  header.cbStruct = sizeof header;
  header.pbSrc = in.data();
  header.cbSrcLength = 100;
  header.pbDst = out.data();
  header.cbDstLength = 100;
  EXPECT_EQ(acmStreamConvert(stream, &header, 0), ACMERR_UNPREPARED);
  EXPECT_EQ(acmStreamUnprepareHeader(stream, &header, 0), ACMERR_UNPREPARED);
  EXPECT_EQ(acmStreamClose(stream, 0), MMSYSERR_NOERROR);
  const WAVEFORMATEX resampled{1, 2, 48000, 192000, 4, 16, 0};
  EXPECT_EQ(acmStreamOpen(&stream, nullptr, &source, &resampled, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
}

}  // namespace
