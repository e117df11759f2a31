#include "glyphs.h"

#include <QPainter>

namespace media {

namespace {

// Maps unit coordinates (0..1 on both axes) into a box.
struct Unit {
  QRectF box;
  QPointF operator()(qreal x, qreal y) const {
    return {box.left() + x * box.width(), box.top() + y * box.height()};
  }
  QRectF rect(qreal x, qreal y, qreal w, qreal h) const {
    return {operator()(x, y), QSizeF(w * box.width(), h * box.height())};
  }
  qreal len(qreal f) const { return f * std::min(box.width(), box.height()); }
};

}  // namespace

QPainterPath AircraftPath(const QRectF& box) {
  const Unit u{box};
  // Right half from the nose to the tail; the left half mirrors it.
  const QPointF half[] = {{0.50, 0.00}, {0.57, 0.08}, {0.58, 0.36}, {1.00, 0.56}, {1.00, 0.65},
                          {0.58, 0.57}, {0.55, 0.80}, {0.75, 0.91}, {0.75, 0.99}, {0.50, 0.95}};
  QPainterPath path(u(half[0].x(), half[0].y()));
  for (const QPointF& pt : half) path.lineTo(u(pt.x(), pt.y()));
  for (int i = static_cast<int>(std::size(half)) - 1; i >= 0; --i) path.lineTo(u(1.0 - half[i].x(), half[i].y()));
  path.closeSubpath();
  return path;
}

void DrawMicrophone(QPainter& p, const QRectF& box, const QColor& body, const QColor& detail) {
  const Unit u{box};
  p.save();
  const qreal w = u.len(0.1);
  // Yoke and stand first, so the capsule sits in front of them.
  QPen stand(body, w, Qt::SolidLine, Qt::RoundCap);
  p.setPen(stand);
  p.setBrush(Qt::NoBrush);
  QPainterPath yoke(u(0.18, 0.36));
  yoke.cubicTo(u(0.18, 0.86), u(0.82, 0.86), u(0.82, 0.36));
  p.drawPath(yoke);
  p.drawLine(u(0.5, 0.72), u(0.5, 0.92));
  p.drawLine(u(0.28, 0.94), u(0.72, 0.94));
  const QRectF capsule = u.rect(0.29, 0.02, 0.42, 0.58);
  p.setPen(Qt::NoPen);
  p.setBrush(body);
  p.drawRoundedRect(capsule, capsule.width() / 2, capsule.width() / 2);
  p.setPen(QPen(detail, std::max<qreal>(1.0, u.len(0.035)), Qt::SolidLine, Qt::RoundCap));
  for (qreal y : {0.18, 0.30, 0.42}) p.drawLine(u(0.37, y), u(0.63, y));
  p.restore();
}

void DrawHeadset(QPainter& p, const QRectF& box, const QColor& band, const QColor& cups) {
  const Unit u{box};
  p.save();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(band, u.len(0.08), Qt::SolidLine, Qt::RoundCap));
  p.drawArc(u.rect(0.12, 0.04, 0.76, 0.9), 10 * 16, 160 * 16);
  // Boom from the left cup round to the mouth.
  p.setPen(QPen(band, u.len(0.05), Qt::SolidLine, Qt::RoundCap));
  QPainterPath boom(u(0.14, 0.74));
  boom.cubicTo(u(0.16, 0.94), u(0.32, 0.95), u(0.46, 0.93));
  p.drawPath(boom);
  p.setPen(Qt::NoPen);
  p.setBrush(cups);
  const qreal r = u.len(0.06);
  p.drawRoundedRect(u.rect(0.02, 0.42, 0.22, 0.36), r, r);
  p.drawRoundedRect(u.rect(0.76, 0.42, 0.22, 0.36), r, r);
  p.drawEllipse(u.rect(0.44, 0.88, 0.12, 0.1));
  p.restore();
}

void DrawSoundArcs(QPainter& p, QPointF centre, qreal firstRadius, qreal step, int count,
                   const QColor& colour, qreal width) {
  p.save();
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < count; ++i) {
    const qreal r = firstRadius + i * step;
    QColor c = colour;
    c.setAlphaF(static_cast<float>(1.0 - 0.22 * i));
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap));
    const QRectF arc(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
    p.drawArc(arc, -40 * 16, 80 * 16);
    p.drawArc(arc, 140 * 16, 80 * 16);
  }
  p.restore();
}

void DrawTick(QPainter& p, const QRectF& box, const QColor& colour, qreal width) {
  const Unit u{box};
  p.save();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QPainterPath tick(u(0.12, 0.55));
  tick.lineTo(u(0.40, 0.82));
  tick.lineTo(u(0.88, 0.18));
  p.drawPath(tick);
  p.restore();
}

void DrawBook(QPainter& p, const QRectF& box, bool open, const QColor& cover, const QColor& pages) {
  const Unit u{box};
  p.save();
  const QColor outline = cover.darker(220);
  p.setPen(QPen(outline, 1));
  if (!open) {
    p.setBrush(pages);
    p.drawRect(u.rect(0.22, 0.10, 0.66, 0.84));
    p.setBrush(cover);
    p.drawRect(u.rect(0.12, 0.04, 0.66, 0.86));
    p.fillRect(u.rect(0.12, 0.04, 0.14, 0.86), cover.darker(140));
    p.fillRect(u.rect(0.36, 0.22, 0.34, 0.12), pages);
  } else {
    p.setBrush(cover);
    QPolygonF back({u(0.0, 0.18), u(0.5, 0.30), u(1.0, 0.18), u(1.0, 0.92), u(0.5, 1.0), u(0.0, 0.92)});
    p.drawPolygon(back);
    p.setBrush(pages);
    p.drawPolygon(QPolygonF({u(0.06, 0.06), u(0.5, 0.18), u(0.5, 0.92), u(0.06, 0.80)}));
    p.drawPolygon(QPolygonF({u(0.94, 0.06), u(0.5, 0.18), u(0.5, 0.92), u(0.94, 0.80)}));
    p.setPen(QPen(cover.darker(120), 1));
    for (qreal y : {0.36, 0.56}) {
      p.drawLine(u(0.16, y - 0.06), u(0.40, y));
      p.drawLine(u(0.60, y), u(0.84, y - 0.06));
    }
  }
  p.restore();
}

void DrawPage(QPainter& p, const QRectF& box, const QColor& paper, const QColor& lines) {
  const Unit u{box};
  p.save();
  p.setPen(QPen(paper.darker(260), 1));
  p.setBrush(paper);
  p.drawPolygon(QPolygonF({u(0.14, 0.02), u(0.64, 0.02), u(0.88, 0.26), u(0.88, 0.98), u(0.14, 0.98)}));
  p.setBrush(paper.darker(130));
  p.drawPolygon(QPolygonF({u(0.64, 0.02), u(0.64, 0.26), u(0.88, 0.26)}));
  p.setPen(QPen(lines, 1));
  for (qreal y : {0.42, 0.58, 0.74}) p.drawLine(u(0.28, y), u(0.74, y));
  p.restore();
}

}  // namespace media
