#include "forms.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>

#include "glyphs.h"
#include "panel_style.h"

namespace media {

namespace {

constexpr qreal kPi = 3.14159265358979323846;

// The outer edge of a window: a dark line with a light bevel inside it.
void WindowEdge(QPainter& p, const QSize& size) {
  p.setPen(kEdgeDark);
  p.setBrush(Qt::NoBrush);
  p.drawRect(0, 0, size.width() - 1, size.height() - 1);
  DrawRaised(p, QRect(1, 1, size.width() - 3, size.height() - 3));
}

// A recessed slot a little larger than the button that will sit in it.
void ButtonSocket(QPainter& p, const QRect& button) {
  DrawRecess(p, button.adjusted(-2, -2, 2, 2), QColor(16, 20, 26));
}

// A row of bars like a level meter, fading out towards both ends.
void WaveBars(QPainter& p, const QRectF& area, int count, const QColor& colour) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  const qreal step = area.width() / count;
  for (int i = 0; i < count; ++i) {
    const qreal t = (i + 0.5) / count;
    const qreal envelope = std::sin(t * kPi);
    const qreal h = area.height() * (0.15 + 0.85 * envelope * (0.55 + 0.45 * std::abs(std::sin(i * 1.7))));
    QColor c = colour;
    c.setAlphaF(static_cast<float>(0.35 + 0.65 * envelope));
    p.setBrush(c);
    p.drawRoundedRect(QRectF(area.left() + i * step, area.center().y() - h / 2, step * 0.55, h), 1.2, 1.2);
  }
  p.restore();
}

// The program's name, large, with an amber bar under it.
void Wordmark(QPainter& p, QPointF baseline, qreal pixels, qreal tracking) {
  const QFont f = LabelFont(pixels, true, tracking);
  p.setFont(f);
  p.setPen(QColor(0, 0, 0, 160));
  p.drawText(baseline + QPointF(0, 2), "TALVANE");
  QLinearGradient g(0, baseline.y() - pixels * 0.75, 0, baseline.y());
  g.setColorAt(0, Qt::white);
  g.setColorAt(1, QColor(196, 208, 222));
  p.setPen(QPen(QBrush(g), 1));
  p.drawText(baseline, "TALVANE");
}

// A gauge face: ring, ticks every 10 degrees (long ones every 30).
void GaugeFace(QPainter& p, QPointF c, qreal r, const QColor& ink) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient face(c, r);
  face.setColorAt(0, QColor(18, 24, 31));
  face.setColorAt(1, QColor(10, 13, 18));
  p.setPen(QPen(QColor(70, 82, 98), 3));
  p.setBrush(face);
  p.drawEllipse(c, r, r);
  for (int deg = 0; deg < 360; deg += 10) {
    const qreal a = deg * kPi / 180;
    const bool major = deg % 30 == 0;
    const QPointF dir(std::cos(a), std::sin(a));
    p.setPen(QPen(ink, major ? 2 : 1));
    p.drawLine(c + dir * (r - 4), c + dir * (r - (major ? 14 : 9)));
  }
  p.restore();
}

// The small heading ribbon at the top left of a screen, in its accent.
void HeadingRibbon(QPainter& p, const QString& title, const QColor& accent, int width) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QFont f = LabelFont(12, true, 2);
  const int textWidth = title.isEmpty() ? 0 : QFontMetrics(f).horizontalAdvance(title);
  const qreal right = 30 + textWidth + 22;
  QPainterPath ribbon;
  ribbon.moveTo(8, 8);
  ribbon.lineTo(right, 8);
  ribbon.lineTo(right - 10, 30);
  ribbon.lineTo(8, 30);
  ribbon.closeSubpath();
  QLinearGradient g(0, 8, 0, 30);
  g.setColorAt(0, QColor(50, 61, 76));
  g.setColorAt(1, QColor(36, 44, 55));
  p.setPen(QPen(kEdgeDark, 1));
  p.setBrush(g);
  p.drawPath(ribbon);
  p.fillRect(QRectF(8, 8, 5, 22), accent);
  p.setPen(QPen(Mix(accent, kSlate, 0.6), 1));
  p.drawLine(QPointF(right - 6, 19.5), QPointF(width - 20, 19.5));
  if (!title.isEmpty()) {
    p.setFont(f);
    p.setPen(kLabel);
    p.drawText(QRectF(22, 8, textWidth + 10, 22), Qt::AlignLeft | Qt::AlignVCenter, title);
  }
  p.restore();
}

QImage Splash() {
  QImage img = PanelSurface(480, 300, QColor(42, 51, 64), QColor(20, 25, 32), 11);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  // A faint instrument in the upper right.
  GaugeFace(p, QPointF(404, 82), 54, QColor(90, 104, 122));
  p.setPen(QPen(kAmber, 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(404, 82), QPointF(404 + 38 * std::cos(-0.7), 82 + 38 * std::sin(-0.7)));
  p.setBrush(QColor(70, 82, 98));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(404, 82), 4, 4);

  Wordmark(p, QPointF(28, 98), 50, 5);
  p.fillRect(QRectF(31, 114, 64, 4), kAmber);
  p.fillRect(QRectF(99, 115, 240, 2), Mix(kCyan, kSlate, 0.55));
  p.setFont(LabelFont(14, false, 0.3));
  p.setPen(QColor(176, 190, 206));
  p.drawText(QRectF(30, 126, 340, 24), Qt::AlignLeft | Qt::AlignVCenter,
             "Speech recognition for Flight Simulator X");
  WaveBars(p, QRectF(30, 166, 250, 34), 36, kCyan);

  // A separator above the status labels, which keep a plain field below it.
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(kEdgeDark);
  p.drawLine(20, 227, 459, 227);
  p.setPen(QColor(58, 68, 82));
  p.drawLine(20, 228, 459, 228);
  WindowEdge(p, img.size());
  return img;
}

QImage Main() {
  QImage img = PanelSurface(800, 640, QColor(30, 37, 47), QColor(22, 27, 34), 21);
  QPainter p(&img);
  p.setRenderHint(QPainter::TextAntialiasing);

  // Top band with the name plate, the tip display and the window buttons.
  {
    QLinearGradient g(0, 0, 0, 100);
    g.setColorAt(0, QColor(50, 60, 74));
    g.setColorAt(1, QColor(32, 39, 49));
    p.fillRect(QRect(0, 0, 800, 100), g);
    AddGrain(img, QRect(0, 0, 800, 100), 2, 22);
    p.setPen(kEdgeDark);
    p.drawLine(0, 100, 799, 100);
  }
  p.setRenderHint(QPainter::Antialiasing);
  DrawHeadset(p, QRectF(18, 28, 44, 44), kAmber, QColor(200, 210, 222));
  p.setFont(FittedFont("TALVANE", 34, 200, true, 4));
  Wordmark(p, QPointF(74, 60), p.font().pixelSize(), 4);
  p.setFont(LabelFont(10, true, 1.6));
  p.setPen(kCyan);
  p.drawText(QPointF(76, 78), "SPEECH RECOGNITION");

  // The tip display: a dark avionics screen with corner marks.
  const QRect tip(300, 12, 411, 81);
  DrawRecess(p, tip, QColor(9, 13, 18));
  p.setPen(QPen(Mix(kCyan, QColor(9, 13, 18), 0.55), 1));
  for (const auto& [corner, dx, dy] : {std::tuple{QPointF(303.5, 15.5), 1, 1}, {QPointF(707.5, 15.5), -1, 1},
                                       {QPointF(303.5, 89.5), 1, -1}, {QPointF(707.5, 89.5), -1, -1}}) {
    p.drawLine(corner, corner + QPointF(10 * dx, 0));
    p.drawLine(corner, corner + QPointF(0, 10 * dy));
  }
  ButtonSocket(p, QRect(722, 10, 33, 33));
  ButtonSocket(p, QRect(760, 10, 33, 33));

  // The screen area: a plain frame, covered by the current screen.
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(QRect(5, 101, 790, 447), kSlate);
  p.setPen(kEdgeDark);
  p.drawRect(4, 100, 791, 448);

  // Bottom band: the action buttons at the right, the version at the left.
  {
    QLinearGradient g(0, 549, 0, 640);
    g.setColorAt(0, QColor(44, 53, 66));
    g.setColorAt(1, QColor(26, 32, 40));
    p.fillRect(QRect(0, 549, 800, 91), g);
    AddGrain(img, QRect(0, 549, 800, 91), 2, 23);
    p.setPen(QColor(70, 82, 98));
    p.drawLine(5, 550, 794, 550);
    p.setPen(Mix(kAmber, kSlate, 0.5));
    p.drawLine(16, 552, 140, 552);
  }
  for (const QRect& r : {QRect(581, 556, 95, 35), QRect(686, 556, 95, 35), QRect(686, 598, 95, 35)})
    ButtonSocket(p, r);
  p.setFont(LabelFont(10, true, 1.6));
  p.setPen(QColor(96, 110, 128));
  p.drawText(QPointF(18, 578), "VOICE COMMAND CONSOLE");
  DrawScrew(p, QPointF(560, 580));
  DrawScrew(p, QPointF(560, 616));

  WindowEdge(p, img.size());
  return img;
}

QImage Home() {
  QImage img = PanelSurface(790, 447, QColor(32, 40, 50), QColor(21, 26, 33), 31);
  QPainter p(&img);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setFont(LabelFont(11, true, 2));
  p.setPen(QColor(120, 134, 152));
  p.drawText(QPointF(42, 26), "MAIN MENU");
  for (const QRect& r : {QRect(40, 40, 308, 58), QRect(40, 120, 308, 58), QRect(40, 200, 308, 58),
                         QRect(40, 280, 308, 58), QRect(442, 360, 308, 58)})
    ButtonSocket(p, r);

  // The artwork: an instrument whose face shows a voice trace, under a headset.
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(580, 156);
  GaugeFace(p, c, 92, QColor(86, 100, 118));
  p.save();
  p.setClipRegion(QRegion(QRect(c.x() - 78, c.y() - 78, 156, 156), QRegion::Ellipse));
  QPainterPath trace;
  for (int x = -80; x <= 80; ++x) {
    const qreal t = x / 80.0;
    const qreal y = std::sin(x * 0.32) * 32 * std::exp(-4 * t * t) * (0.6 + 0.4 * std::cos(x * 0.11));
    if (x == -80) trace.moveTo(c + QPointF(x, y));
    else trace.lineTo(c + QPointF(x, y));
  }
  p.setPen(QPen(Mix(kCyan, kSlate, 0.7), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(trace);
  p.setPen(QPen(kCyan, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(trace);
  p.setPen(QPen(Mix(kAmber, kSlate, 0.35), 1.5));
  p.drawLine(c + QPointF(-78, 0), c + QPointF(-60, 0));
  p.drawLine(c + QPointF(60, 0), c + QPointF(78, 0));
  p.restore();
  DrawHeadset(p, QRectF(c.x() - 132, c.y() - 126, 264, 230), QColor(170, 182, 198), QColor(58, 68, 82));
  DrawSoundArcs(p, QPointF(c.x() - 2, c.y() + 96), 16, 9, 2, kAmber, 3);

  // The headline under the artwork.
  const QFont f = LabelFont(21, true, 0.4);
  p.setFont(f);
  const QFontMetrics fm(f);
  const QString speak = "Speak.";
  const QString rest = " Your copilot answers.";
  const qreal left = c.x() - (fm.horizontalAdvance(speak + rest)) / 2.0;
  p.setPen(kAmber);
  p.drawText(QPointF(left, 322), speak);
  p.setPen(kLabel);
  p.drawText(QPointF(left + fm.horizontalAdvance(speak), 322), rest);
  return img;
}

// The quiet screens: a gradient with grain, their accent in the heading.
QImage Screen(const QString& title, const QColor& accent, quint32 seed) {
  const QColor top = Mix(QColor(33, 41, 52), accent, 0.03);
  const QColor bottom = Mix(QColor(23, 28, 36), accent, 0.02);
  QImage img = PanelSurface(790, 447, top, bottom, seed);
  QPainter p(&img);
  p.setRenderHint(QPainter::TextAntialiasing);
  HeadingRibbon(p, title, accent, img.width());
  return img;
}

QImage Message() {
  QImage img = PanelSurface(440, 240, QColor(38, 47, 59), QColor(24, 30, 38), 41);
  QPainter p(&img);
  QLinearGradient g(0, 0, 0, 34);
  g.setColorAt(0, QColor(56, 67, 82));
  g.setColorAt(1, QColor(40, 49, 61));
  p.fillRect(QRect(0, 0, 440, 34), g);
  p.fillRect(QRect(0, 34, 440, 2), kAmber.darker(140));
  p.setPen(kEdgeDark);
  p.drawLine(0, 36, 439, 36);
  WindowEdge(p, img.size());
  return img;
}

}  // namespace

void WriteForms(MediaFolder& out) {
  out.SaveBitmap("Forms/Splash_BG.bmp", Splash());
  out.SaveBitmap("Forms/Main_BG.bmp", Main());
  out.SaveBitmap("Forms/Home_BG.bmp", Home());
  // One background serves the learning center, the speech configuration and
  // its script view, so its ribbon carries the program's name.
  out.SaveBitmap("Forms/Sub_BG.bmp", Screen("TALVANE", kCyan, 51));
  out.SaveBitmap("Forms/Modify_BG.bmp", Screen("CHECKLIST MODIFICATION", kAmber, 52));
  out.SaveBitmap("Forms/Assign_BG.bmp", Screen("CHECKLIST ASSIGNMENTS", kGreen, 53));
  out.SaveBitmap("Forms/Test_BG.bmp", Screen("GRAMMAR TEST", QColor(110, 150, 255), 54));
  out.SaveBitmap("Forms/Msg_BG.bmp", Message());
}

}  // namespace media
