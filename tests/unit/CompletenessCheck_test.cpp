// The stage that fails a run whose source ends short of what its stream stated.

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

#include "formats/wave/ACS_Wave.h"
#include "pipeline/CompletenessCheck.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// Delivers `Delivered` bytes of one-second-per-4-bytes PCM (1 Hz, 16-bit stereo) and states
// `Stated` of them.
class TStatedSource : public TACSFileIn {
public:
  int64_t Delivered = 0;
  int64_t Stated = 0;
  int64_t Slack = 0;
  std::string Fault;

  void OpenFile() override {
    FSR = 1;
    FChan = 2;
    FBPS = 16;
    FSize = Stated;
    FValid = true;
  }
  void CloseFile() override {}
  bool Seek(int64_t) override { return false; }
  int64_t SizeSlack() override { return Slack; }
  int32_t GetData(std::span<uint8_t> buffer) override {
    const auto n = static_cast<int32_t>(std::min<int64_t>(Delivered - Position(), 4));
    if (n <= 0) {
      FReadFault = Fault;
      return 0;
    }
    std::fill_n(buffer.begin(), n, uint8_t{0});
    FPosition += n;
    return n;
  }
};

// Everything the check passes on, or the message it ends with.
std::string Drain(TCompletenessCheck& check, std::vector<uint8_t>* received = nullptr) {
  std::vector<uint8_t> buffer(1000);
  check.Init();
  try {
    while (const int32_t n = check.GetData(buffer)) {
      if (received != nullptr) {
        received->insert(received->end(), buffer.begin(), buffer.begin() + n);
      }
    }
  } catch (const EACSException& error) {
    check.Flush();
    return error.what();
  }
  check.Flush();
  return {};
}

}  // namespace

TEST(CompletenessCheck, FailsARunThatEndsShortOfItsStatedLengthOrSteppedOverDamage) {
  struct TCase {
    int64_t Delivered, Stated, Slack;
    std::string Fault, Expected;
  };
  const std::vector<TCase> cases = {
      {4 * 120, 4 * 120, 0, "", ""},
      {4 * 110, 4 * 300, 0, "", "ended at 1:50 of 5:00 (the stream ends before the length it states)"},
      {4 * 299, 4 * 300, 4, "", ""},                     // within the padding a lossy stream may state
      {4 * 10, 4 * 300, -1, "", ""},                     // an estimate is no promise
      {4 * 300, 4 * 300, 0, "lost sync", "ended at 5:00 (lost sync)"},
      {4 * 61, 4 * 3600, -1, "gap", "ended at 1:01 of 60:00 (gap)"},
  };
  for (const TCase& c : cases) {
    TStatedSource source;
    source.Delivered = c.Delivered;
    source.Stated = c.Stated;
    source.Slack = c.Slack;
    source.Fault = c.Fault;
    source.SetFileName("stated.wav");
    TCompletenessCheck check;
    check.SetSource(&source);
    EXPECT_EQ(Drain(check), c.Expected) << c.Delivered << " of " << c.Stated;
  }
}

TEST(CompletenessCheck, AWaveFileCutShortOrShrinkingWhileReadFailsAndAWholeOnePassesUnchanged) {
  TempDir dir;
  const std::vector<uint8_t> pcm = SamplesToBytes(MakeSine16(44100 * 3, 2, 44100));
  const std::vector<uint8_t> file = PcmWaveFile(2, 44100, 16, pcm);
  const std::string name = dir.File("in.wav");
  TWaveIn source;
  source.SetFileName(name);
  TCompletenessCheck check;
  check.SetSource(&source);

  WriteFileBytes(name, file);
  std::vector<uint8_t> received;
  EXPECT_EQ(Drain(check, &received), "");
  EXPECT_EQ(received, pcm);

  WriteFileBytes(name, std::vector<uint8_t>(file.begin(), file.begin() + static_cast<long>(file.size() / 2)));
  EXPECT_EQ(Drain(check), "ended at 0:01 of 0:03 (the stream ends before the length it states)");

  WriteFileBytes(name, file);
  std::vector<uint8_t> buffer(4096);
  check.Init();
  ASSERT_GT(check.GetData(buffer), 0);
  ASSERT_EQ(::truncate(name.c_str(), 44 + 44100 * 4), 0);
  EXPECT_THROW(
      {
        while (check.GetData(buffer) > 0) {
        }
      },
      EACSException);
  check.Flush();
}
