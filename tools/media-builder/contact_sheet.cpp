#include "contact_sheet.h"

#include <QDirIterator>
#include <QPainter>

#include <algorithm>
#include <vector>

#include "panel_style.h"

namespace media {

namespace {

// The picture as the program shows it: key-coloured pixels see through.
QImage Unkeyed(const QImage& image, bool keyed) {
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  if (!keyed) return out;
  for (int y = 0; y < out.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x)
      if ((line[x] & 0xffffff) == (kKey.rgb() & 0xffffff)) line[x] = 0;
  }
  return out;
}

void Checkerboard(QPainter& p, const QRect& r) {
  for (int y = r.top(); y < r.bottom(); y += 8)
    for (int x = r.left(); x < r.right(); x += 8)
      p.fillRect(QRect(x, y, 8, 8).intersected(r), ((x - r.left()) / 8 + (y - r.top()) / 8) % 2 ? QColor(200, 200, 200) : QColor(240, 240, 240));
}

}  // namespace

bool WriteContactSheet(const QString& mediaFolder, const QString& sheetPath) {
  struct Entry {
    QString name;
    QImage image;
  };
  std::vector<Entry> entries;
  QDirIterator it(mediaFolder, {"*.bmp", "*.png"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString name = path.mid(mediaFolder.size() + 1);
    QImage img(path);
    if (img.isNull()) return false;
    const bool keyed = name.endsWith(".bmp") && !name.startsWith("Forms/");
    entries.push_back({name, Unkeyed(img, keyed)});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });

  // Shelf packing: left to right, a new row when the width runs out. Small
  // pictures are shown enlarged so their pixels can be judged.
  constexpr int kWidth = 1700, kGap = 14, kCaption = 14;
  struct Placed {
    QRect where;
    int scale;
  };
  std::vector<Placed> placed;
  int x = kGap, y = kGap, rowHeight = 0, usedWidth = 0;
  for (const Entry& e : entries) {
    const int scale = e.image.width() <= 16 ? 4 : e.image.width() <= 48 ? 2 : 1;
    const QSize s = e.image.size() * scale;
    const int w = std::max(s.width(), 120);
    if (x + w > kWidth - kGap) {
      x = kGap;
      y += rowHeight + kGap + kCaption;
      rowHeight = 0;
    }
    placed.push_back({QRect(QPoint(x, y + kCaption), s), scale});
    x += w + kGap;
    usedWidth = std::max(usedWidth, x);
    rowHeight = std::max(rowHeight, s.height());
  }
  QImage sheet(usedWidth, y + rowHeight + kCaption + 2 * kGap, QImage::Format_RGB32);
  sheet.fill(QColor(90, 96, 104));
  QPainter p(&sheet);
  p.setFont(LabelFont(10, false, 0));
  for (size_t i = 0; i < entries.size(); ++i) {
    const QRect r = placed[i].where;
    Checkerboard(p, r);
    p.drawImage(r, entries[i].image.scaled(r.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    p.setPen(Qt::white);
    p.drawText(QPoint(r.left(), r.top() - 3), entries[i].name);
  }
  p.end();
  return sheet.save(sheetPath, "PNG");
}

}  // namespace media
