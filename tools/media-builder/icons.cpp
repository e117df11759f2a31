#include "icons.h"

#include <QPainter>
#include <QRadialGradient>

#include "glyphs.h"
#include "panel_style.h"

namespace media {

namespace {

// A round badge with a soft top light, as the dialog icons share.
void Badge(QPainter& p, const QRectF& r, const QColor& colour) {
  QRadialGradient g(r.center().x() - r.width() * 0.2, r.top() + r.height() * 0.25, r.width() * 0.8);
  g.setColorAt(0, colour.lighter(135));
  g.setColorAt(1, colour.darker(125));
  p.setPen(QPen(colour.darker(220), 1.5));
  p.setBrush(g);
  p.drawEllipse(r);
}

void BadgeText(QPainter& p, const QRectF& r, const QString& text, const QColor& ink, qreal pixels) {
  p.setFont(LabelFont(pixels, true, 0));
  p.setPen(ink);
  p.drawText(r, Qt::AlignCenter, text);
}

template <typename Draw>
QImage Icon48(Draw draw) {
  QImage img = Canvas(48, 48);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  draw(p, QRectF(3, 3, 42, 42));
  p.end();
  return KeyOnMagenta(img);
}

// The aircraft tree's status: a lamp at the lower right of a small aircraft.
// None: no lamp. Assigned: amber. Written to the kneeboard: green. Mixed
// states of the aircraft below a type or manufacturer show a lamp split in
// the colours present (grey for "none").
QImage AircraftStatus(std::initializer_list<QColor> lamp) {
  QImage img = Canvas(16, 16);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(20, 26, 34), 0.8));
  p.setBrush(QColor(214, 222, 232));
  p.drawPath(AircraftPath(QRectF(0.5, 0.5, 12, 13)));
  if (lamp.size() > 0) {
    const QRectF dot(8.5, 8.5, 7, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(12, 16, 22));
    p.drawEllipse(dot.adjusted(-1, -1, 1, 1));
    const int n = static_cast<int>(lamp.size());
    int i = 0;
    for (const QColor& c : lamp) {
      p.setBrush(c);
      p.drawPie(dot, 90 * 16 + i * 360 * 16 / n, 360 * 16 / n);
      ++i;
    }
  }
  p.end();
  return KeyOnMagenta(img);
}

// The tray picture: a dark rounded tile with an amber microphone and cyan
// sound arcs. `size` picks the line widths that stay crisp at that size.
QImage TrayIcon(int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size / 128.0;
  const bool tiny = size < 32;
  QLinearGradient tile(0, 0, 0, size);
  tile.setColorAt(0, QColor(48, 58, 72));
  tile.setColorAt(1, QColor(22, 27, 35));
  p.setPen(QPen(QColor(8, 10, 14), tiny ? 1.0 : 3 * s));
  p.setBrush(tile);
  const qreal inset = tiny ? 0.5 : 4 * s;
  p.drawRoundedRect(QRectF(inset, inset, size - 2 * inset, size - 2 * inset), 26 * s, 26 * s);
  if (tiny) {
    // Drawn on the pixel grid: capsule, yoke, stem, one arc each side.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(kAmber);
    p.drawRoundedRect(QRect(9, 4, 4, 9), 2, 2);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kAmber, 1.4));
    p.setBrush(Qt::NoBrush);
    QPainterPath yoke(QPointF(7, 10));
    yoke.cubicTo(QPointF(7, 16), QPointF(15, 16), QPointF(15, 10));
    p.drawPath(yoke);
    p.drawLine(QPointF(11, 15), QPointF(11, 18));
    p.drawLine(QPointF(8.5, 18), QPointF(13.5, 18));
    p.setPen(QPen(kCyan, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(2.5, 3.5, 17, 12), 145 * 16, 70 * 16);
    p.drawArc(QRectF(2.5, 3.5, 17, 12), -35 * 16, 70 * 16);
  } else {
    DrawMicrophone(p, QRectF(40 * s, 22 * s, 48 * s, 84 * s), kAmber, QColor(120, 74, 0));
    DrawSoundArcs(p, QPointF(64 * s, 42 * s), 36 * s, 12 * s, 2, kCyan, 7 * s);
  }
  p.end();
  return img;
}

}  // namespace

void WriteIcons(MediaFolder& out) {
  out.SaveBitmap("Icons/icon_Information.bmp", Icon48([](QPainter& p, const QRectF& r) {
                   Badge(p, r, QColor(40, 140, 210));
                   BadgeText(p, r.adjusted(0, 1, 0, 0), "i", Qt::white, 28);
                 }));
  out.SaveBitmap("Icons/icon_Warning.bmp", Icon48([](QPainter& p, const QRectF& r) {
                   QPainterPath tri;
                   tri.moveTo(r.center().x(), r.top() + 1);
                   tri.lineTo(r.right(), r.bottom() - 2);
                   tri.lineTo(r.left(), r.bottom() - 2);
                   tri.closeSubpath();
                   p.setPen(QPen(kAmber.darker(200), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                   p.setBrush(kAmber);
                   p.drawPath(tri);
                   BadgeText(p, r.adjusted(0, 10, 0, 0), "!", QColor(30, 24, 10), 26);
                 }));
  out.SaveBitmap("Icons/icon_Error.bmp", Icon48([](QPainter& p, const QRectF& r) {
                   Badge(p, r, kRed);
                   p.setPen(QPen(Qt::white, 4.5, Qt::SolidLine, Qt::RoundCap));
                   const QPointF c = r.center();
                   p.drawLine(c + QPointF(-9, -9), c + QPointF(9, 9));
                   p.drawLine(c + QPointF(-9, 9), c + QPointF(9, -9));
                 }));
  out.SaveBitmap("Icons/icon_Question.bmp", Icon48([](QPainter& p, const QRectF& r) {
                   Badge(p, r, QColor(30, 150, 170));
                   BadgeText(p, r.adjusted(0, 1, 0, 0), "?", Qt::white, 28);
                 }));
  out.SaveBitmap("Icons/icon_Wait.bmp", Icon48([](QPainter& p, const QRectF& r) {
                   Badge(p, r, QColor(70, 84, 102));
                   // An hourglass with sand running down.
                   const QPointF c = r.center();
                   p.setPen(QPen(kLabel, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                   p.setBrush(Qt::NoBrush);
                   p.drawPolygon(QPolygonF({c + QPointF(-9, -13), c + QPointF(9, -13), c + QPointF(1.5, 0),
                                            c + QPointF(9, 13), c + QPointF(-9, 13), c + QPointF(-1.5, 0)}));
                   p.setPen(Qt::NoPen);
                   p.setBrush(kAmber);
                   p.drawPolygon(QPolygonF({c + QPointF(-5, -7), c + QPointF(5, -7), c + QPointF(0, -1)}));
                   p.drawPolygon(QPolygonF({c + QPointF(0, 5), c + QPointF(7, 12), c + QPointF(-7, 12)}));
                   p.fillRect(QRectF(c.x() - 0.75, c.y() - 1, 1.5, 7), kAmber);
                 }));
  out.SaveBitmap("Icons/icon_ready.bmp", Icon48([](QPainter& p, const QRectF& r) {
                   DrawMicrophone(p, r.adjusted(4, 0, -4, 0), QColor(150, 160, 172), QColor(60, 68, 80));
                   p.setPen(QPen(kEdgeDark, 1.5));
                   p.setBrush(kGreen);
                   p.drawEllipse(QRectF(r.right() - 11, r.top() + 1, 10, 10));
                 }));
  out.SaveBitmap("Icons/icon_Begin.bmp", Icon48([](QPainter& p, const QRectF& r) {
                   DrawSoundArcs(p, QPointF(r.center().x(), r.top() + 13), 13, 6, 2, kAmber, 2.5);
                   DrawMicrophone(p, r.adjusted(8, 0, -8, 0), kRed, QColor(120, 20, 24));
                 }));
  out.SaveBitmap("Icons/icon_Result.bmp", Icon48([](QPainter& p, const QRectF& r) {
                   // A speech bubble holding a tick.
                   QPainterPath bubble;
                   bubble.addRoundedRect(QRectF(r.left(), r.top() + 2, r.width(), r.height() - 12), 9, 9);
                   QPainterPath tail;
                   tail.moveTo(r.left() + 9, r.bottom() - 14);
                   tail.lineTo(r.left() + 6, r.bottom());
                   tail.lineTo(r.left() + 21, r.bottom() - 14);
                   tail.closeSubpath();
                   p.setPen(QPen(kGreen.darker(220), 1.5));
                   p.setBrush(kGreen);
                   p.drawPath(bubble.united(tail));
                   DrawTick(p, QRectF(r.left() + 10, r.top() + 7, r.width() - 20, r.height() - 24), Qt::white, 4.5);
                 }));
  out.SaveBitmap("Icons/icon_Problem.bmp", Icon48([](QPainter& p, const QRectF& r) {
                   DrawMicrophone(p, r.adjusted(4, 0, -4, 0), QColor(150, 160, 172), QColor(60, 68, 80));
                   p.setPen(QPen(kEdgeDark, 7, Qt::SolidLine, Qt::RoundCap));
                   p.drawLine(r.topLeft() + QPointF(4, 4), r.bottomRight() - QPointF(4, 4));
                   p.setPen(QPen(kRed, 4, Qt::SolidLine, Qt::RoundCap));
                   p.drawLine(r.topLeft() + QPointF(4, 4), r.bottomRight() - QPointF(4, 4));
                 }));
}

void WriteTreeImages(MediaFolder& out) {
  auto tree = [&out](const char* name, auto draw) {
    QImage img = Canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    out.SaveBitmap(QStringLiteral("Tree/%1.bmp").arg(name), KeyOnMagenta(img));
  };
  tree("help_Closed", [](QPainter& p) { DrawBook(p, QRectF(1, 1, 14, 14), false, QColor(52, 120, 200), QColor(236, 236, 226)); });
  tree("help_Open", [](QPainter& p) { DrawBook(p, QRectF(0, 2, 16, 12), true, QColor(52, 120, 200), QColor(244, 244, 236)); });
  tree("help_Page", [](QPainter& p) { DrawPage(p, QRectF(1, 0, 14, 16), QColor(240, 242, 246), QColor(90, 110, 140)); });

  // acft_N is the aircraft tree's picture N + 1. Variations use 1 (no
  // checklist), 2 (checklist assigned) and 4 (assigned and written to the
  // kneeboard); a type or manufacturer shows the mix of the aircraft below:
  // 3 none + assigned, 5 assigned + written, 6 none + written, 7 all three.
  const QColor none(120, 130, 142);
  const QString dir = QStringLiteral("Tree/acft_%1.bmp");
  out.SaveBitmap(dir.arg(0), AircraftStatus({}));
  out.SaveBitmap(dir.arg(1), AircraftStatus({kAmber}));
  out.SaveBitmap(dir.arg(2), AircraftStatus({none, kAmber}));
  out.SaveBitmap(dir.arg(3), AircraftStatus({kGreen}));
  out.SaveBitmap(dir.arg(4), AircraftStatus({kAmber, kGreen}));
  out.SaveBitmap(dir.arg(5), AircraftStatus({none, kGreen}));
  out.SaveBitmap(dir.arg(6), AircraftStatus({none, kAmber, kGreen}));
}

void WriteTrayIcons(MediaFolder& out) {
  out.SavePng("Icons/Talvane.png", TrayIcon(128));
  out.SavePng("Icons/Talvane_22.png", TrayIcon(22));
}

}  // namespace media
