#include "GuiTestSupport.h"

#include <cstdlib>
#include <filesystem>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QWidget>

#include "formats/wave/ACS_Wave.h"
#include "gui/FrmConverter.h"
#include "support/TestSupport.h"

namespace gui_testing {

IsolatedUser::IsolatedUser() {
  char pattern[] = "/tmp/kestrune-gui-user-XXXXXX";
  FRoot = ::mkdtemp(pattern);
  std::filesystem::create_directories(FRoot + "/config");
  std::filesystem::create_directories(FRoot + "/runtime");
  std::filesystem::permissions(FRoot + "/runtime", std::filesystem::perms::owner_all);
  ::setenv("XDG_CONFIG_HOME", (FRoot + "/config").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (FRoot + "/runtime").c_str(), 1);
}

IsolatedUser::~IsolatedUser() {
  std::error_code ignored;
  std::filesystem::remove_all(FRoot, ignored);
}

void WriteWave(const std::string& fileName, double seconds, int channels, int bitsPerSample) {
  const int rate = 8000;
  const int frames = static_cast<int>(seconds * rate);
  std::vector<uint8_t> data = bitsPerSample == 8
                                  ? testing_support::MakeSine8(frames, channels, rate)
                                  : testing_support::SamplesToBytes(testing_support::MakeSine16(frames, channels, rate));
  testing_support::WriteFileBytes(
      fileName, testing_support::PcmWaveFile(static_cast<uint16_t>(channels), rate,
                                             static_cast<uint16_t>(bitsPerSample), data));
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) { return QTest::qWaitFor(done, timeoutMs); }

void DropFiles(QWidget* target, const QStringList& files) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& file : files) {
    urls.append(QUrl::fromLocalFile(file));
  }
  data.setUrls(urls);
  const QPointF centre = target->rect().center();
  QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
}

bool ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  return QTest::qWaitForWindowActive(&window);
}

bool ConvertAndWait(TFrmConverter& window) {
  QSignalSpy finished(&window, &TFrmConverter::BatchFinished);
  window.ToolButton3Click();
  return finished.wait(60000);
}

void TInputGate::Pass() {
  ++FEntered;
  std::unique_lock lock(FMutex);
  FOpened.wait(lock, [this] { return FOpen; });
}

void TInputGate::Open() {
  {
    std::lock_guard lock(FMutex);
    FOpen = true;
  }
  FOpened.notify_all();
}

namespace {

class THeldWaveIn : public TWaveIn {
public:
  explicit THeldWaveIn(std::shared_ptr<TInputGate> gate) : FGate(std::move(gate)) {}

  int32_t GetData(std::span<uint8_t> buffer) override {
    if (FileName().find("held") != std::string::npos) {
      FGate->Pass();
    }
    return TWaveIn::GetData(buffer);
  }

private:
  std::shared_ptr<TInputGate> FGate;
};

}  // namespace

TFormatTable GatedFormats(std::shared_ptr<TInputGate> gate) {
  TFormatTable formats = DefaultFormatTable();
  formats.WireSource("WaveIn1", [gate] { return std::make_unique<THeldWaveIn>(gate); });
  return formats;
}

}  // namespace gui_testing
