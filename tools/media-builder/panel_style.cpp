#include "panel_style.h"

#include <QDir>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace media {

QImage Canvas(int width, int height) {
  QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  return img;
}

QImage KeyOnMagenta(const QImage& drawing, const QColor& matte) {
  // Below half coverage a pixel counts as background; the threshold keeps
  // the outline of a shape where its anti-aliasing was drawn.
  constexpr int kOpaqueFrom = 110;
  const QImage src = drawing.convertToFormat(QImage::Format_ARGB32);
  QImage out(src.size(), QImage::Format_RGB32);
  for (int y = 0; y < src.height(); ++y) {
    const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < src.width(); ++x) {
      const int a = qAlpha(in[x]);
      if (a < kOpaqueFrom) {
        o[x] = kKey.rgb();
        continue;
      }
      auto blend = [a](int c, int m) { return (c * a + m * (255 - a) + 127) / 255; };
      QRgb c = qRgb(blend(qRed(in[x]), matte.red()), blend(qGreen(in[x]), matte.green()),
                    blend(qBlue(in[x]), matte.blue()));
      if (c == kKey.rgb()) c = qRgb(254, 0, 255);  // never transparent by accident
      o[x] = c;
    }
  }
  return out;
}

QFont LabelFont(qreal pixelSize, bool bold, qreal tracking) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(std::max(1, qRound(pixelSize)));
  f.setBold(bold);
  f.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
  f.setHintingPreference(QFont::PreferFullHinting);
  f.setStyleStrategy(QFont::PreferAntialias);
  return f;
}

QFont FittedFont(const QString& text, qreal pixelSize, int maxWidth, bool bold, qreal tracking) {
  QFont f = LabelFont(pixelSize, bold, tracking);
  while (f.pixelSize() > 8 && QFontMetrics(f).horizontalAdvance(text) > maxWidth)
    f = LabelFont(f.pixelSize() - 1, bold, tracking);
  return f;
}

QColor Mix(const QColor& a, const QColor& b, qreal t) {
  return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                          static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                          static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

void AddGrain(QImage& image, const QRect& area, int strength, quint32 seed) {
  const QRect r = area.intersected(image.rect());
  quint32 state = seed * 2654435761u + 1;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = r.left(); x <= r.right(); ++x) {
      state = state * 1664525u + 1013904223u;
      const int d = static_cast<int>((state >> 24) % (2 * strength + 1)) - strength;
      const QRgb c = line[x];
      line[x] = qRgba(std::clamp(qRed(c) + d, 0, 255), std::clamp(qGreen(c) + d, 0, 255),
                      std::clamp(qBlue(c) + d, 0, 255), qAlpha(c));
    }
  }
}

QImage PanelSurface(int width, int height, const QColor& top, const QColor& bottom, quint32 seed) {
  QImage img(width, height, QImage::Format_RGB32);
  QPainter p(&img);
  QLinearGradient g(0, 0, 0, height);
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.fillRect(img.rect(), g);
  p.end();
  AddGrain(img, img.rect(), 2, seed);
  return img;
}

void DrawRaised(QPainter& p, const QRect& r) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(kEdgeLight);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(kEdgeDark);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
  p.restore();
}

void DrawRecess(QPainter& p, const QRect& r, const QColor& fill) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(r, fill);
  // Shadow falls in from the top left; the lower lip catches the light.
  p.setPen(kEdgeDark);
  p.drawLine(r.left() - 1, r.top() - 1, r.right() + 1, r.top() - 1);
  p.drawLine(r.left() - 1, r.top() - 1, r.left() - 1, r.bottom() + 1);
  p.setPen(QColor(0, 0, 0, 70));
  p.drawLine(r.left(), r.top(), r.right(), r.top());
  p.drawLine(r.left(), r.top(), r.left(), r.bottom());
  p.setPen(kEdgeLight);
  p.drawLine(r.left() - 1, r.bottom() + 1, r.right() + 1, r.bottom() + 1);
  p.drawLine(r.right() + 1, r.top() - 1, r.right() + 1, r.bottom() + 1);
  p.restore();
}

void DrawScrew(QPainter& p, QPointF c) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  QLinearGradient g(c.x() - 3, c.y() - 3, c.x() + 3, c.y() + 3);
  g.setColorAt(0, QColor(120, 132, 148));
  g.setColorAt(1, QColor(40, 48, 58));
  p.setPen(QPen(kEdgeDark, 1));
  p.setBrush(g);
  p.drawEllipse(c, 3.5, 3.5);
  p.setPen(QPen(QColor(22, 27, 34), 1.2));
  p.drawLine(QPointF(c.x() - 2, c.y() + 2), QPointF(c.x() + 2, c.y() - 2));
  p.restore();
}

bool MediaFolder::Prepare(const QString& path) {
  if (QDir().mkpath(QFileInfo(path).absolutePath())) return true;
  failed_ << path;
  return false;
}

void MediaFolder::SaveBitmap(const QString& relPath, const QImage& image) {
  const QString path = root_ + '/' + relPath;
  if (!Prepare(path)) return;
  // RGB32 is written as a 24-bit bitmap.
  if (image.convertToFormat(QImage::Format_RGB32).save(path, "BMP")) ++written_;
  else failed_ << path;
}

void MediaFolder::SavePng(const QString& relPath, const QImage& image) {
  const QString path = root_ + '/' + relPath;
  if (!Prepare(path)) return;
  if (image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG")) ++written_;
  else failed_ << path;
}

}  // namespace media
