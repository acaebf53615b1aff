#include "gui/AboutFrm.h"

#include <algorithm>
#include <cmath>

#include <QDialogButtonBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "gui/Icons.h"

std::vector<QRect> BuildAboutRegions(int width, int height) {
  std::vector<QRect> regions;
  const size_t places = static_cast<size_t>(std::max({width, height, 0}));
  int x = 0;
  int y = 0;
  // A rectangle from (x, y) to (width - x, height - y), the far corner excluded.
  auto add = [&] { regions.emplace_back(x, y, width - 2 * x, height - 2 * y); };
  while (height / 2 > y + 2 && regions.size() < places) {
    y += 2;
    add();
  }
  while (x + 6 < width / 2 && regions.size() < places) {
    x += 8;
    add();
  }
  return regions;
}

TAboutOpening::TAboutOpening(TAboutFrm& window, std::vector<QRect> regions)
    : QAbstractAnimation(&window), FWindow(window), FRegions(std::move(regions)) {}

int TAboutOpening::duration() const { return static_cast<int>(FRegions.size() + FadeSteps) * StepMs; }

void TAboutOpening::updateCurrentTime(int currentTime) {
  if (currentTime >= duration()) {
    FWindow.setWindowOpacity(1.0);
    FWindow.clearMask();
    return;
  }
  const auto step = static_cast<size_t>(currentTime / StepMs);
  const size_t count = FRegions.size();
  if (step < count) {
    FWindow.setWindowOpacity(100 / 255.0);
    FWindow.setMask(QRegion(FRegions[count - 1 - step]));
  } else {
    FWindow.setWindowOpacity(static_cast<double>(100 + step - count) / 255.0);
    if (count > 0) {
      FWindow.setMask(QRegion(FRegions.front()));
    }
  }
}

namespace {

QPixmap Banner(int width, int height) {
  QPixmap pixmap(width, height);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, width, height);
  sky.setColorAt(0, QColor(250, 176, 58));
  sky.setColorAt(1, QColor(214, 84, 30));
  painter.fillRect(pixmap.rect(), sky);
  painter.setPen(QPen(QColor(255, 255, 255, 170), 2));
  for (int wave = 0; wave < 3; ++wave) {
    QPainterPath path;
    path.moveTo(0, height / 2.0);
    for (int step = 1; step <= width; step += 2) {
      const double phase = step / (18.0 + 7 * wave);
      path.lineTo(step, height / 2.0 + (height / 3.0 - 6 * wave) * std::sin(phase + wave) *
                                          std::sin(3.14159 * step / width));
    }
    painter.drawPath(path);
  }
  return pixmap;
}

QLabel* CentredLabel(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setAlignment(Qt::AlignCenter);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  return label;
}

}  // namespace

TAboutFrm::TAboutFrm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutFrm"));
  setWindowTitle(QStringLiteral("About"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(ClientWidth, ClientHeight);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 10);
  layout->setSpacing(4);
  FImage1 = new QLabel(this);
  FImage1->setObjectName(QStringLiteral("Image1"));
  FImage1->setPixmap(Banner(ClientWidth, 64));
  FImage1->installEventFilter(this);
  layout->addWidget(FImage1);

  QLabel* icon = CentredLabel("Image2", QString(), this);
  icon->setPixmap(QPixmap::fromImage(Icons::ApplicationImage(48)));
  layout->addWidget(icon);

  QLabel* name = CentredLabel("Label1", QStringLiteral("Kestrune"), this);
  QFont bold = name->font();
  bold.setBold(true);
  bold.setPixelSize(16);
  name->setFont(bold);
  layout->addWidget(name);
  layout->addWidget(CentredLabel("Label2", QStringLiteral("Batch audio converter\nMP3 · OGG · WMA · WAV · APE · FLAC"), this));
  layout->addWidget(CentredLabel("Label3", QStringLiteral("Version %1").arg(QStringLiteral(KESTRUNE_VERSION)), this));
  QLabel* licence = CentredLabel("Label4", QStringLiteral(KESTRUNE_LICENCE), this);
  licence->setWordWrap(true);
  licence->setContentsMargins(8, 0, 8, 0);
  layout->addWidget(licence);
  layout->addStretch(1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  QPushButton* close = buttons->button(QDialogButtonBox::Close);
  close->setObjectName(QStringLiteral("btnClose"));
  close->setText(QStringLiteral("Close"));
  connect(buttons, &QDialogButtonBox::rejected, this, &TAboutFrm::reject);
  layout->addWidget(buttons, 0, Qt::AlignCenter);

  FRegions = BuildAboutRegions(ClientWidth, ClientHeight);
  FOpening = new TAboutOpening(*this, FRegions);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TAboutFrm::ShowAnimated() {
  FOpening->setCurrentTime(0);
  show();
  FOpening->start();
}

void TAboutFrm::mousePressEvent(QMouseEvent*) { close(); }

bool TAboutFrm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FImage1 && event->type() == QEvent::MouseButtonPress) {
    close();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TAboutFrm::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() && !Animating() && isVisible()) {
    close();
  }
}
