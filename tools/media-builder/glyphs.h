// Pictograms shared by the icons, the buttons and the window artwork, each
// drawn to fit a box so one shape serves every size.
#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace media {

// An aircraft seen from above, nose up, filling `box`.
QPainterPath AircraftPath(const QRectF& box);
// A studio microphone on a stand: capsule with grille lines, yoke and foot.
void DrawMicrophone(QPainter& p, const QRectF& box, const QColor& body, const QColor& detail);
// A headset: head band, two ear cups and a boom microphone towards the lower left.
void DrawHeadset(QPainter& p, const QRectF& box, const QColor& band, const QColor& cups);
// Concentric arcs (sound leaving a source) on both sides of `centre`.
void DrawSoundArcs(QPainter& p, QPointF centre, qreal firstRadius, qreal step, int count,
                   const QColor& colour, qreal width);
// A tick (check mark) inside `box`.
void DrawTick(QPainter& p, const QRectF& box, const QColor& colour, qreal width);
// A book: closed (cover and page edge) or open (two fanned pages with lines).
void DrawBook(QPainter& p, const QRectF& box, bool open, const QColor& cover, const QColor& pages);
// A sheet of paper with a folded corner and text lines.
void DrawPage(QPainter& p, const QRectF& box, const QColor& paper, const QColor& lines);

}  // namespace media
