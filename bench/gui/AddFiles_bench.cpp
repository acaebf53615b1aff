// Filling the main window's list: 2,000 tagged files (half WAV, half MP3 with ID3v1 and ID3v2
// tags) added through AddFiles, tag and stream reading included. The list must take them in
// under 2 seconds.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QUndoStack>

#include "gui/FileList.h"
#include "gui/FrmConverter.h"

namespace fs = std::filesystem;

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t value, bool bigEndian) {
  for (int i = 0; i < 4; ++i) {
    const int shift = bigEndian ? 24 - 8 * i : 8 * i;
    out.push_back(static_cast<uint8_t>(value >> shift));
  }
}

void PutText(std::vector<uint8_t>& out, const std::string& text, size_t width) {
  for (size_t i = 0; i < width; ++i) {
    out.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
  }
}

std::vector<uint8_t> Mp3File(int number) {
  const std::string title = "Title " + std::to_string(number);
  std::vector<uint8_t> frames;
  for (const auto& [id, text] : {std::pair<std::string, std::string>{"TIT2", title},
                                 {"TPE1", "Bench Artist"},
                                 {"TALB", "Bench Album"}}) {
    PutText(frames, id, 4);
    Put32(frames, static_cast<uint32_t>(text.size() + 1), true);
    frames.push_back(0);
    frames.push_back(0);
    frames.push_back(0);  // ISO-8859-1
    PutText(frames, text, text.size());
  }
  std::vector<uint8_t> file = {'I', 'D', '3', 3, 0, 0};
  const uint32_t size = static_cast<uint32_t>(frames.size());
  for (int shift : {21, 14, 7, 0}) {
    file.push_back(static_cast<uint8_t>((size >> shift) & 0x7F));
  }
  file.insert(file.end(), frames.begin(), frames.end());
  // 40 frames of MPEG-1 Layer III, 128 kbit/s, 44.1 kHz: about a second.
  for (int frame = 0; frame < 40; ++frame) {
    const uint8_t header[] = {0xFF, 0xFB, 0x90, 0x44};
    file.insert(file.end(), header, header + 4);
    file.resize(file.size() + 413, 0);
  }
  PutText(file, "TAG", 3);
  PutText(file, title, 30);
  PutText(file, "Bench Artist", 30);
  PutText(file, "Bench Album", 30);
  PutText(file, "2024", 4);
  PutText(file, "", 30);
  file.push_back(17);  // Rock
  return file;
}

std::vector<uint8_t> WavFile() {
  std::vector<uint8_t> file;
  const uint32_t dataSize = 8000 * 4;  // one second of 16-bit stereo at 8 kHz
  PutText(file, "RIFF", 4);
  Put32(file, 36 + dataSize, false);
  PutText(file, "WAVEfmt ", 8);
  Put32(file, 16, false);
  for (uint8_t byte : {1, 0, 2, 0}) {
    file.push_back(byte);
  }
  Put32(file, 8000, false);
  Put32(file, 8000 * 4, false);
  for (uint8_t byte : {4, 0, 16, 0}) {
    file.push_back(byte);
  }
  PutText(file, "data", 4);
  Put32(file, dataSize, false);
  file.resize(file.size() + dataSize, 0);
  return file;
}

const std::vector<QString>& BenchFiles() {
  static std::vector<QString> names = [] {
    const fs::path folder = fs::temp_directory_path() / "kestrune-addfiles-bench";
    fs::create_directories(folder);
    const std::vector<uint8_t> wav = WavFile();
    std::vector<QString> made;
    for (int number = 0; number < 2000; ++number) {
      const bool mp3 = number % 2 == 1;
      const fs::path file = folder / ("track" + std::to_string(number) + (mp3 ? ".mp3" : ".wav"));
      const std::vector<uint8_t> bytes = mp3 ? Mp3File(number) : wav;
      std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<std::streamsize>(bytes.size()));
      made.push_back(QString::fromStdString(file.string()));
    }
    return made;
  }();
  return names;
}

void BM_AddTwoThousandFiles(benchmark::State& state) {
  const std::vector<QString>& files = BenchFiles();
  TFrmConverter window;
  for (auto _ : state) {
    QStringList names(files.begin(), files.end());
    window.AddFiles(names);
    state.PauseTiming();
    if (window.ListView1->RowCount() != static_cast<int>(files.size()) ||
        window.ListView1->Text(1, lcTitle) != QStringLiteral("Title 1")) {
      state.SkipWithError("not every file gave a row with its tags");
    }
    window.UndoStack().undo();
    state.ResumeTiming();
  }
  state.counters["files"] = static_cast<double>(files.size());
}
BENCHMARK(BM_AddTwoThousandFiles)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(fs::temp_directory_path() / "kestrune-addfiles-bench", ignored);
  return 0;
}
