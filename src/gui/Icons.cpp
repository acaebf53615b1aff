#include "gui/Icons.h"

#include <functional>

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace Icons {
namespace {

using Painter = std::function<void(QPainter&)>;

// Every picture is drawn on a 32 x 32 grid and scaled, so one drawing serves all sizes.
QImage Paint(int size, const Painter& paint) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 32.0, size / 32.0);
  paint(painter);
  return image;
}

QIcon MakeIcon(const Painter& paint) {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64}) {
    icon.addPixmap(QPixmap::fromImage(Paint(size, paint)));
  }
  return icon;
}

const QColor Ink(40, 52, 72);
const QColor Accent(33, 118, 204);

void PaintNote(QPainter& p, QColor colour) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(QRectF(6, 21, 9, 7));
  p.drawEllipse(QRectF(18, 18, 9, 7));
  p.drawRect(QRectF(13, 6, 2.5, 19));
  p.drawRect(QRectF(25, 3, 2.5, 19));
  QPainterPath beam;
  beam.moveTo(13, 6);
  beam.lineTo(27.5, 3);
  beam.lineTo(27.5, 8);
  beam.lineTo(13, 11);
  beam.closeSubpath();
  p.drawPath(beam);
}

void PaintApplication(QPainter& p) {
  QLinearGradient disc(0, 0, 32, 32);
  disc.setColorAt(0, QColor(250, 176, 58));
  disc.setColorAt(1, QColor(214, 84, 30));
  p.setPen(Qt::NoPen);
  p.setBrush(disc);
  p.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);
  // Two arrows chasing each other: one format turning into another.
  p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(6, 6, 20, 20), 30 * 16, 150 * 16);
  p.drawArc(QRectF(6, 6, 20, 20), 210 * 16, 150 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawPolygon(QPolygonF({QPointF(24.5, 8), QPointF(28, 15), QPointF(20.5, 14)}));
  p.drawPolygon(QPolygonF({QPointF(7.5, 24), QPointF(4, 17), QPointF(11.5, 18)}));
  p.save();
  p.translate(16, 16);
  p.scale(0.42, 0.42);
  p.translate(-16, -16);
  PaintNote(p, Qt::white);
  p.restore();
}

void PaintOpenFiles(QPainter& p) {
  p.setPen(QPen(QColor(160, 110, 20), 1.2));
  p.setBrush(QColor(248, 200, 80));
  p.drawRoundedRect(QRectF(2, 7, 26, 21), 2, 2);
  p.setBrush(QColor(255, 222, 120));
  QPainterPath flap;
  flap.moveTo(6, 13);
  flap.lineTo(31, 13);
  flap.lineTo(27, 28);
  flap.lineTo(2, 28);
  flap.closeSubpath();
  p.drawPath(flap);
  p.save();
  p.translate(9, 12);
  p.scale(0.45, 0.45);
  PaintNote(p, Ink);
  p.restore();
}

void PaintConvert(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(58, 160, 72));
  QPainterPath arrow;
  arrow.moveTo(3, 11);
  arrow.lineTo(17, 11);
  arrow.lineTo(17, 4);
  arrow.lineTo(30, 16);
  arrow.lineTo(17, 28);
  arrow.lineTo(17, 21);
  arrow.lineTo(3, 21);
  arrow.closeSubpath();
  p.drawPath(arrow);
}

void PaintStop(QPainter& p) {
  p.setPen(QPen(QColor(140, 20, 20), 1.2));
  p.setBrush(QColor(210, 48, 40));
  const qreal c = 9.4;
  p.drawPolygon(QPolygonF({QPointF(c, 2), QPointF(32 - c, 2), QPointF(30, c), QPointF(30, 32 - c),
                           QPointF(32 - c, 30), QPointF(c, 30), QPointF(2, 32 - c), QPointF(2, c)}));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(9, 14, 14, 4));
}

void PaintOptions(QPainter& p) {
  p.translate(16, 16);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(96, 106, 122));
  for (int tooth = 0; tooth < 8; ++tooth) {
    p.drawRoundedRect(QRectF(-3, -15, 6, 8), 1, 1);
    p.rotate(45);
  }
  p.drawEllipse(QPointF(0, 0), 10.5, 10.5);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(0, 0), 4.5, 4.5);
}

void PaintAbout(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(Accent);
  p.drawEllipse(QRectF(2, 2, 28, 28));
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(14, 7, 4.5, 4.5));
  p.drawRoundedRect(QRectF(14, 14, 4.5, 12), 1.5, 1.5);
}

void PaintCheckBox(QPainter& p, bool checked) {
  p.setPen(QPen(Ink, 2.4));
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(4, 4, 24, 24), 3, 3);
  if (checked) {
    p.setPen(QPen(QColor(40, 150, 60), 4.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(9, 16), QPointF(14, 22), QPointF(24, 9)}));
  }
}

void PaintLetter(QPainter& p, QColor colour, const QPainterPath& glyph) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawRoundedRect(QRectF(2, 2, 28, 28), 6, 6);
  p.setPen(QPen(Qt::white, 3.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(glyph);
}

QPainterPath TitleGlyph() {
  QPainterPath path;
  path.moveTo(9, 9);
  path.lineTo(23, 9);
  path.moveTo(16, 9);
  path.lineTo(16, 24);
  return path;
}

QPainterPath ArtistGlyph() {
  QPainterPath path;
  path.addEllipse(QRectF(12, 7, 8, 8));
  path.moveTo(8, 25);
  path.cubicTo(9, 17, 23, 17, 24, 25);
  return path;
}

QPainterPath AlbumGlyph() {
  QPainterPath path;
  path.addEllipse(QRectF(7, 7, 18, 18));
  path.addEllipse(QRectF(14, 14, 4, 4));
  return path;
}

QPainterPath GenreGlyph() {
  QPainterPath path;
  path.moveTo(8, 12);
  path.lineTo(24, 12);
  path.moveTo(8, 17);
  path.lineTo(24, 17);
  path.moveTo(8, 22);
  path.lineTo(18, 22);
  return path;
}

QPainterPath StatusGlyph() {
  QPainterPath path;
  path.addEllipse(QRectF(7, 7, 18, 18));
  path.moveTo(16, 11);
  path.lineTo(16, 16);
  path.lineTo(20, 19);
  return path;
}

QPainterPath CommentGlyph() {
  QPainterPath path;
  path.addRoundedRect(QRectF(7, 8, 18, 12), 3, 3);
  path.moveTo(12, 20);
  path.lineTo(10, 25);
  path.lineTo(16, 20);
  return path;
}

}  // namespace

QIcon Application() { return MakeIcon(PaintApplication); }
QImage ApplicationImage(int size) { return Paint(size, PaintApplication); }
QIcon OpenFiles() { return MakeIcon(PaintOpenFiles); }
QIcon Convert() { return MakeIcon(PaintConvert); }
QIcon Stop() { return MakeIcon(PaintStop); }
QIcon Options() { return MakeIcon(PaintOptions); }
QIcon About() { return MakeIcon(PaintAbout); }

QIcon ListImage(int index) {
  switch (index) {
    case 11: return MakeIcon([](QPainter& p) { PaintCheckBox(p, false); });
    case 12: return MakeIcon([](QPainter& p) { PaintCheckBox(p, true); });
    case 13: return MakeIcon([](QPainter& p) { PaintLetter(p, QColor(142, 68, 173), AlbumGlyph()); });
    case 14: return MakeIcon([](QPainter& p) { PaintLetter(p, QColor(41, 128, 185), ArtistGlyph()); });
    case 15: return MakeIcon([](QPainter& p) { PaintLetter(p, QColor(211, 84, 0), GenreGlyph()); });
    case 16: return MakeIcon([](QPainter& p) { PaintLetter(p, QColor(22, 160, 133), TitleGlyph()); });
    case 21: return MakeIcon([](QPainter& p) { PaintLetter(p, QColor(127, 140, 141), StatusGlyph()); });
    case 22: return MakeIcon([](QPainter& p) { PaintLetter(p, QColor(192, 57, 43), CommentGlyph()); });
    default: return QIcon();
  }
}

}  // namespace Icons
