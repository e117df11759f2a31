// The shared look of every bitmap: the cockpit-panel colours, the label font,
// panel surfaces and bevels, and the magenta colour key the program masks.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;

namespace media {

// Graphite panels with avionics accents.
inline const QColor kSlate{31, 38, 48};        // the dominant panel colour
inline const QColor kSlateLight{58, 69, 84};
inline const QColor kEdgeDark{10, 13, 18};
inline const QColor kEdgeLight{84, 98, 116};
inline const QColor kAmber{255, 176, 32};
inline const QColor kCyan{64, 210, 236};
inline const QColor kGreen{70, 214, 130};
inline const QColor kRed{232, 72, 77};
inline const QColor kLabel{236, 241, 246};
inline const QColor kLabelDim{150, 160, 172};
// Pixels of exactly this colour are transparent wherever the program masks.
inline const QColor kKey{255, 0, 255};

// A transparent canvas to draw shapes on before keying.
QImage Canvas(int width, int height);

// The 24-bit keyed form of a drawing on a transparent canvas: pixels mostly
// transparent become the key colour; the others are laid over `matte` (the
// colour that will be behind them on screen), so anti-aliased edges blend
// into the panel instead of turning pink.
QImage KeyOnMagenta(const QImage& drawing, const QColor& matte = kSlate);

// DejaVu Sans at a pixel size, bold by default, with a little tracking.
QFont LabelFont(qreal pixelSize, bool bold = true, qreal tracking = 0.5);
// The same font shrunk (in half pixels) until `text` fits `maxWidth`.
QFont FittedFont(const QString& text, qreal pixelSize, int maxWidth, bool bold = true, qreal tracking = 0.5);

QColor Mix(const QColor& a, const QColor& b, qreal t);

// An opaque panel: vertical gradient with a faint grain (deterministic, from
// `seed`), so large areas do not look flat yet stay calm under labels.
QImage PanelSurface(int width, int height, const QColor& top, const QColor& bottom, quint32 seed);
// Adds the grain to part of an image (strength in levels, +/-).
void AddGrain(QImage& image, const QRect& area, int strength, quint32 seed);

// A 1-pixel raised bevel inside `r` (light top/left, dark bottom/right).
void DrawRaised(QPainter& p, const QRect& r);
// A sunken well: `r` filled with `fill`, shaded edges around it.
void DrawRecess(QPainter& p, const QRect& r, const QColor& fill);
// A small panel screw head.
void DrawScrew(QPainter& p, QPointF centre);

// Writes the drawings below the output folder and remembers failures.
class MediaFolder {
 public:
  explicit MediaFolder(QString root) : root_(std::move(root)) {}
  // 24-bit BMP (the colour key, if any, is already in the pixels).
  void SaveBitmap(const QString& relPath, const QImage& image);
  // PNG with its alpha channel.
  void SavePng(const QString& relPath, const QImage& image);
  bool ok() const { return failed_.isEmpty(); }
  const QStringList& failed() const { return failed_; }
  int written() const { return written_; }

 private:
  bool Prepare(const QString& path);
  QString root_;
  QStringList failed_;
  int written_ = 0;
};

}  // namespace media
