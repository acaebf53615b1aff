#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "app/ConversionDriver.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// Batches of short rows stopped from another thread at random moments (the way a signal or a
// second window thread would), one job or four side by side: every batch ends, every started row
// ends exactly once, and every finished output's header matches its length. Run under
// ThreadSanitizer by `make test`.
TEST(ConversionDriverStress, BatchesStoppedFromAnotherThread) {
  TempDir dir;
  const std::string input = dir.File("in.wav");
  WriteFileBytes(input, PcmWaveFile(1, 8000, 8, MakeSine8(16000, 1, 8000)));
  TSettings settings;
  settings.SetText(SettingNames::RipToFormat, "WAV");
  settings.SetText(SettingNames::ConvFilePath, dir.File("out"));
  settings.SetInteger(SettingNames::OutputFileNameFormat, 0);
  TConversionDriver driver(settings, dir.Path().string());
  std::vector<TConversionRow> rows(8);
  for (TConversionRow& row : rows) {
    row.FileName = input;
  }

  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> pause(0, 3000);
  for (int batch = 0; batch < 60; ++batch) {
    settings.SetInteger(SettingNames::Jobs, batch % 2 == 0 ? 4 : 1);
    const int wait = pause(random);
    std::thread stopper([&] {
      std::this_thread::sleep_for(std::chrono::microseconds(wait));
      driver.Stop();
    });
    const TBatchResult result = driver.Convert(rows);
    stopper.join();
    // A Stop that lands before the first row starts ends the batch with no rows: every row that did
    // start must still be a well-formed file.
    for (const TRowResult& row : result.Rows) {
      ASSERT_TRUE(row.Completed) << row.Message;
      const auto bytes = ReadFileBytes(row.Output);
      ASSERT_EQ(Le32At(bytes, 40), bytes.size() - 44) << row.Output;
    }
  }
}

}  // namespace
