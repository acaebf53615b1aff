#include "gui/AboutFrm.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScreen>
#include <QThread>
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

}  // namespace

TAboutFrm::TAboutFrm(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("AboutFrm"));
  setWindowTitle(QStringLiteral("About"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(ClientWidth, ClientHeight);
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, Qt::white);
  setPalette(colours);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 16);
  FImage1 = new QLabel(this);
  FImage1->setObjectName(QStringLiteral("Image1"));
  FImage1->setPixmap(Banner(ClientWidth, 90));
  FImage1->installEventFilter(this);
  layout->addWidget(FImage1);

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("Image2"));
  icon->setPixmap(QPixmap::fromImage(Icons::ApplicationImage(64)));
  icon->setAlignment(Qt::AlignCenter);
  layout->addWidget(icon);

  auto* name = new QLabel(QStringLiteral("Kestrune"), this);
  name->setObjectName(QStringLiteral("Label1"));
  QFont bold = name->font();
  bold.setBold(true);
  bold.setPixelSize(16);
  name->setFont(bold);
  name->setAlignment(Qt::AlignCenter);
  layout->addWidget(name);

  auto* line = new QLabel(QStringLiteral("Batch audio converter\nMP3 · OGG · WMA · WAV · APE · FLAC"), this);
  line->setObjectName(QStringLiteral("Label2"));
  line->setAlignment(Qt::AlignCenter);
  layout->addWidget(line);
  layout->addStretch(1);
  for (QLabel* label : {icon, name, line}) {
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
  }

  FRegions = BuildAboutRegions(ClientWidth, ClientHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TAboutFrm::Pause() {
  QElapsedTimer clock;
  clock.start();
  // Painting goes on during the pause; clicks wait until the window has opened.
  do {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
    if (clock.elapsed() < FStepDelay) {
      QThread::msleep(1);
    }
  } while (clock.elapsed() < FStepDelay);
}

void TAboutFrm::ShowAnimated() {
  QPointer<TAboutFrm> self(this);
  FAnimating = true;
  hide();
  setWindowOpacity(100 / 255.0);
  setMask(QRegion(FRegions.empty() ? QRect() : FRegions.back()));
  show();
  for (auto region = FRegions.crbegin(); region != FRegions.crend() && self; ++region) {
    setMask(QRegion(*region));
    repaint();
    Pause();
  }
  for (int alpha = 100; alpha <= 255 && self; ++alpha) {
    setWindowOpacity(alpha / 255.0);
    Pause();
  }
  if (self) {
    setWindowOpacity(1.0);
    clearMask();
    FAnimating = false;
    activateWindow();
  }
}

void TAboutFrm::mousePressEvent(QMouseEvent*) { close(); }

bool TAboutFrm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FImage1 && event->type() == QEvent::MouseButtonPress) {
    close();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TAboutFrm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() && !FAnimating && isVisible()) {
    close();
  }
}
