#include "gui/ConversionView.h"

#include <QMetaObject>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

bool IsProgressText(const std::string& status) {
  static const std::string Done = "% Done";
  return status.size() > Done.size() && status.compare(status.size() - Done.size(), Done.size(), Done) == 0;
}

}  // namespace

// Runs on the batch thread: every report is handed to the view's thread and emitted there.
class TConversionView::TObserver : public TConversionObserver {
public:
  explicit TObserver(TConversionView& view) : FView(view) {}

  void RowStarted(int32_t row, const std::string&, const std::string&) override {
    Post([row](TConversionView& view) { emit view.RowStarted(row); });
  }

  void FileProgress(int32_t row, int32_t percent) override {
    Post([row, percent](TConversionView& view) { emit view.RowProgress(row, percent); });
  }

  void RowStatus(int32_t row, const std::string& status) override {
    // The percentage came as a value with FileProgress; only a row's ending is news here.
    if (IsProgressText(status)) {
      return;
    }
    if (status == "Complete") {
      // A stopped run ends through the same done path; its file holds only what was converted.
      const TRowState state = FView.FStopping ? rsStopped : rsComplete;
      Post([row, state](TConversionView& view) { emit view.RowEnded(row, state, {}); });
      return;
    }
    Post([row, words = Q(status)](TConversionView& view) { emit view.RowEnded(row, rsReported, words); });
  }

  void RowFailed(int32_t row, const std::string& message) override {
    Post([row, reason = Q(message)](TConversionView& view) { emit view.RowEnded(row, rsFailed, reason); });
  }

  void TotalProgress(int32_t position, int32_t maximum) override {
    Post([position, maximum](TConversionView& view) { emit view.TotalProgress(position, maximum); });
  }

  void BatchEnded(const TBatchResult& result) override {
    // The driver's own account of each row settles what the live reports suggested.
    for (const TRowResult& row : result.Rows) {
      if (!row.Message.empty()) {
        Post([number = row.Row, reason = Q(row.Message)](TConversionView& view) {
          emit view.RowEnded(number, rsFailed, reason);
        });
      } else if (row.Stopped || row.Completed) {
        const TRowState state = row.Stopped ? rsStopped : rsComplete;
        Post([number = row.Row, state](TConversionView& view) { emit view.RowEnded(number, state, {}); });
      }
    }
    Post([](TConversionView& view) { emit view.BatchEnded(); });
  }

  void Inform(const std::string& text, const std::string& title) override {
    Post([text = Q(text), title = Q(title)](TConversionView& view) { emit view.Informed(text, title); });
  }

  // A failed row is reported and the batch goes on: an overnight batch never waits on one file.
  bool ContinueAfterFailure() const override { return true; }

private:
  template <typename F>
  void Post(F report) {
    TConversionView* view = &FView;
    QMetaObject::invokeMethod(view, [view, report] { report(*view); }, Qt::QueuedConnection);
  }

  TConversionView& FView;
};

TConversionView::TConversionView(TConversionDriver& driver, QObject* parent)
    : QObject(parent), FDriver(driver), FObserver(std::make_unique<TObserver>(*this)) {
  FDriver.SetObserver(FObserver.get());
}

TConversionView::~TConversionView() {
  if (FThread.joinable()) {
    FDriver.Stop();
    FThread.join();
  }
  FDriver.SetObserver(nullptr);
}

void TConversionView::Start(std::vector<TConversionRow> rows) {
  FStopping = false;
  FThread = std::thread([this, rows = std::move(rows)] {
    QString error;
    try {
      FDriver.Convert(rows);
    } catch (const std::exception& failure) {
      error = Q(failure.what());
    }
    QMetaObject::invokeMethod(
        this,
        [this, error] {
          FThread.join();
          FStopping = false;
          emit Finished(error);
        },
        Qt::QueuedConnection);
  });
}

void TConversionView::Stop() {
  if (Running()) {
    FStopping = true;
    FDriver.Stop();
  }
}
