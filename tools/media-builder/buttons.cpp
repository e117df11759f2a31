#include "buttons.h"

#include <QLinearGradient>
#include <QPainter>

#include <functional>

#include "app/button_labels.h"
#include "glyphs.h"
#include "panel_style.h"

namespace media {

namespace {

enum class Face { kEnabled, kHighlight, kDown, kDisabled };
constexpr Face kFaces[] = {Face::kEnabled, Face::kHighlight, Face::kDown, Face::kDisabled};

// Draws a pictogram into a box in the given ink.
using Glyph = std::function<void(QPainter&, const QRectF&, const QColor&)>;

struct ButtonKind {
  int width;
  int height;
  qreal radius;
  qreal labelPixels;
};
constexpr ButtonKind kFormButton{33, 33, 5, 0};
constexpr ButtonKind kSmallButton{95, 35, 5, 12};
constexpr ButtonKind kMediumButton{182, 35, 5, 12};
constexpr ButtonKind kLargeButton{308, 58, 7, 15};

struct Button {
  ButtonKind kind;
  QString label;   // empty for glyph-only buttons
  Glyph glyph;     // the form button's symbol, or the large button's pictogram
  QColor accent = kCyan;
  bool primary = false;  // tinted face: the one action the screen leads to
};

QColor LabelInk(Face f) {
  switch (f) {
    case Face::kEnabled: return kLabel;
    case Face::kHighlight: return Qt::white;
    case Face::kDown: return QColor(255, 236, 200);
    case Face::kDisabled: return QColor(128, 137, 148);
  }
  return kLabel;
}

// Pictograms of large buttons wear the accent; the form buttons' symbols
// are ink like a label, their accent shows in the face.
QColor GlyphInk(const Button& b, Face f) {
  if (b.kind.labelPixels == 0) return LabelInk(f);
  switch (f) {
    case Face::kEnabled: return b.accent;
    case Face::kHighlight: return b.accent.lighter(125);
    case Face::kDown: return b.accent;
    case Face::kDisabled: return QColor(104, 112, 122);
  }
  return b.accent;
}

// The face colours (top, bottom) of a state.
std::pair<QColor, QColor> FaceGradient(const Button& b, Face f) {
  const QColor top = b.primary ? Mix(QColor(64, 78, 92), b.accent, 0.22) : QColor(64, 76, 92);
  const QColor bottom = b.primary ? Mix(QColor(36, 44, 54), b.accent, 0.18) : QColor(36, 44, 54);
  switch (f) {
    case Face::kEnabled: return {top, bottom};
    case Face::kHighlight: return {Mix(top, b.accent, 0.18).lighter(118), Mix(bottom, b.accent, 0.12).lighter(112)};
    case Face::kDown: return {bottom.darker(135), Mix(bottom, top, 0.3).darker(110)};
    case Face::kDisabled: return {QColor(46, 51, 58), QColor(40, 44, 50)};
  }
  return {top, bottom};
}

QImage DrawFrame(const Button& b, Face f) {
  const ButtonKind& k = b.kind;
  QImage img = Canvas(k.width, k.height);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const QRectF outer(0, 0, k.width, k.height);
  const QRectF face = outer.adjusted(1, 1, -1, -1);

  // Dark rim, then the face; in the highlight the rim takes the accent.
  p.setPen(Qt::NoPen);
  p.setBrush(f == Face::kHighlight ? b.accent.darker(130) : (b.primary && f != Face::kDisabled ? b.accent.darker(260) : kEdgeDark));
  p.drawRoundedRect(outer, k.radius, k.radius);
  const auto [top, bottom] = FaceGradient(b, f);
  QLinearGradient g(0, 0, 0, k.height);
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.setBrush(g);
  p.drawRoundedRect(face, k.radius - 1, k.radius - 1);

  p.setBrush(Qt::NoBrush);
  if (f == Face::kDown) {
    // Pressed: a shadow along the top and left edge of the well.
    p.setPen(QPen(QColor(0, 0, 0, 120), 2));
    p.drawLine(QPointF(k.radius, 2), QPointF(k.width - k.radius, 2));
    p.setPen(QPen(QColor(0, 0, 0, 70), 1.5));
    p.drawLine(QPointF(2, k.radius), QPointF(2, k.height - k.radius));
  } else if (f != Face::kDisabled) {
    // A thin light bevel along the top edge.
    p.setPen(QPen(QColor(255, 255, 255, f == Face::kHighlight ? 80 : 48), 1));
    p.drawLine(QPointF(k.radius, 1.5), QPointF(k.width - k.radius, 1.5));
    p.setPen(QPen(QColor(0, 0, 0, 60), 1));
    p.drawLine(QPointF(k.radius, k.height - 1.5), QPointF(k.width - k.radius, k.height - 1.5));
  }
  if (f == Face::kHighlight) {
    QColor glow = b.accent;
    glow.setAlpha(70);
    p.setPen(QPen(glow, 2));
    p.drawRoundedRect(face.adjusted(1, 1, -1, -1), k.radius - 2, k.radius - 2);
  }

  const QPointF shift = f == Face::kDown ? QPointF(1, 1) : QPointF(0, 0);
  QRectF textBox;
  Qt::Alignment align = Qt::AlignCenter;
  if (k.labelPixels == 0) {
    // Glyph-only form button.
    b.glyph(p, QRectF(0, 0, k.width, k.height).translated(shift), GlyphInk(b, f));
  } else if (k.height >= 50) {
    // Large: the pictogram in a small recessed window at the left.
    const QRectF well(10, (k.height - 40) / 2.0, 40, 40);
    p.setPen(QPen(QColor(0, 0, 0, 110), 1));
    p.setBrush(QColor(14, 18, 24, f == Face::kDisabled ? 120 : 200));
    p.drawRoundedRect(well.translated(shift), 4, 4);
    // Disabled: the whole pictogram fades, its fixed colours too.
    p.setOpacity(f == Face::kDisabled ? 0.4 : 1.0);
    b.glyph(p, well.adjusted(7, 7, -7, -7).translated(shift), GlyphInk(b, f));
    p.setOpacity(1.0);
    textBox = QRectF(62, 0, k.width - 62 - 12, k.height);
    align = Qt::AlignLeft | Qt::AlignVCenter;
  } else {
    // Small and medium: an indicator bar at the left, like a lamp.
    QColor lamp = f == Face::kDisabled ? QColor(72, 79, 88) : f == Face::kEnabled ? b.accent.darker(170) : b.accent;
    if (f == Face::kHighlight) {
      QColor halo = b.accent;
      halo.setAlpha(80);
      p.setPen(Qt::NoPen);
      p.setBrush(halo);
      p.drawRoundedRect(QRectF(5, 7, 7, k.height - 14), 3, 3);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(lamp);
    p.drawRoundedRect(QRectF(7, 9, 3, k.height - 18).translated(shift), 1.5, 1.5);
    textBox = QRectF(14, 0, k.width - 14 - 5, k.height);
  }

  if (!b.label.isEmpty()) {
    p.setFont(FittedFont(b.label, k.labelPixels, static_cast<int>(textBox.width()) - 2, true, 0.6));
    const QRectF box = textBox.translated(shift);
    if (f != Face::kDisabled) {
      p.setPen(QColor(0, 0, 0, 150));
      p.drawText(box.translated(0, 1), align, b.label);
    }
    p.setPen(LabelInk(f));
    p.drawText(box, align, b.label);
  }
  p.end();
  return KeyOnMagenta(img);
}

QImage DrawStrip(const Button& b) {
  QImage strip(b.kind.width, b.kind.height * 4, QImage::Format_RGB32);
  QPainter p(&strip);
  int y = 0;
  for (Face f : kFaces) {
    p.drawImage(0, y, DrawFrame(b, f));
    y += b.kind.height;
  }
  return strip;
}

// --- Pictograms ---

void MinimiseGlyph(QPainter& p, const QRectF& r, const QColor& ink) {
  p.fillRect(QRectF(r.center().x() - 7, r.center().y() + 4, 14, 3), ink);
}

void CloseGlyph(QPainter& p, const QRectF& r, const QColor& ink) {
  p.setPen(QPen(ink, 2.6, Qt::SolidLine, Qt::RoundCap));
  const QPointF c = r.center();
  p.drawLine(c + QPointF(-6, -6), c + QPointF(6, 6));
  p.drawLine(c + QPointF(-6, 6), c + QPointF(6, -6));
}

void PlayGlyph(QPainter& p, const QRectF& r, const QColor& ink) {
  // On whole pixels, so the vertical edge stays crisp.
  const QPointF o = r.topLeft();
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawPolygon(QPolygonF({o + QPointF(12, 9), o + QPointF(25, 16.5), o + QPointF(12, 24)}));
}

void LearningGlyph(QPainter& p, const QRectF& r, const QColor& ink) {
  DrawBook(p, r.adjusted(0, 2, 0, -2), true, ink, QColor(232, 238, 244));
}

void ConfigurationGlyph(QPainter& p, const QRectF& r, const QColor& ink) {
  // Three sliders of a mixing desk.
  p.setPen(QPen(QColor(200, 210, 222), 2, Qt::SolidLine, Qt::RoundCap));
  const qreal xs[] = {r.left() + 4, r.center().x(), r.right() - 4};
  const qreal knobs[] = {0.65, 0.3, 0.55};
  for (int i = 0; i < 3; ++i) p.drawLine(QPointF(xs[i], r.top() + 1), QPointF(xs[i], r.bottom() - 1));
  p.setPen(QPen(ink.darker(200), 1));
  p.setBrush(ink);
  for (int i = 0; i < 3; ++i) p.drawRoundedRect(QRectF(xs[i] - 4, r.top() + knobs[i] * r.height() - 3, 8, 6), 1.5, 1.5);
}

void AssignmentsGlyph(QPainter& p, const QRectF& r, const QColor& ink) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(220, 228, 236));
  p.drawPath(AircraftPath(QRectF(r.left(), r.top(), r.width() * 0.72, r.height() * 0.9)));
  // A status lamp: the aircraft has its checklist.
  const QRectF dot(r.right() - 12, r.bottom() - 12, 12, 12);
  p.setBrush(ink);
  p.setPen(QPen(kEdgeDark, 1));
  p.drawEllipse(dot);
  DrawTick(p, dot.adjusted(2.5, 2.5, -2.5, -2.5), kEdgeDark, 1.6);
}

void ModificationGlyph(QPainter& p, const QRectF& r, const QColor& ink) {
  // A clipboard with ticked lines and a pencil.
  const QRectF board(r.left() + 1, r.top() + 2, r.width() * 0.7, r.height() - 2);
  p.setPen(QPen(kEdgeDark, 1));
  p.setBrush(QColor(226, 232, 240));
  p.drawRoundedRect(board, 2, 2);
  p.setBrush(QColor(120, 132, 146));
  p.drawRoundedRect(QRectF(board.center().x() - 5, board.top() - 2, 10, 5), 1.5, 1.5);
  p.setPen(QPen(QColor(70, 80, 94), 1.3));
  for (int i = 0; i < 3; ++i) {
    const qreal y = board.top() + 8 + i * 6.5;
    p.drawLine(QPointF(board.left() + 8, y), QPointF(board.right() - 3, y));
    p.fillRect(QRectF(board.left() + 3, y - 1.5, 3, 3), ink.darker(120));
  }
  p.save();
  p.translate(r.right() - 5, r.top() + 8);
  p.rotate(30);
  p.setPen(QPen(kEdgeDark, 0.8));
  p.setBrush(ink);
  p.drawRect(QRectF(-2.5, 0, 5, 16));
  p.setBrush(QColor(240, 214, 170));
  p.drawPolygon(QPolygonF({QPointF(-2.5, 16), QPointF(2.5, 16), QPointF(0, 21)}));
  p.restore();
}

void LaunchGlyph(QPainter& p, const QRectF& r, const QColor& ink) {
  // An aircraft climbing away to the upper right, with a trail.
  p.save();
  p.translate(r.center());
  p.rotate(45);
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawPath(AircraftPath(QRectF(-11, -12, 22, 24)));
  p.restore();
  p.setPen(QPen(ink.darker(150), 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(r.left(), r.bottom() - 6), QPointF(r.left() + 8, r.bottom() - 14));
  p.drawLine(QPointF(r.left() + 5, r.bottom()), QPointF(r.left() + 13, r.bottom() - 8));
}

}  // namespace

namespace {

QString Label(const char* picture) {
  const std::string_view label = talvane::ButtonLabel(picture);
  return QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size()));
}

}  // namespace

void WriteButtons(MediaFolder& out) {
  out.SaveBitmap("Buttons/btn_Minimize.bmp", DrawStrip({kFormButton, {}, MinimiseGlyph}));
  out.SaveBitmap("Buttons/btn_Close.bmp", DrawStrip({kFormButton, {}, CloseGlyph, kRed}));
  out.SaveBitmap("Buttons/btn_smlPlay.bmp", DrawStrip({kFormButton, {}, PlayGlyph, kGreen}));

  // The labels are the program's own (it names the buttons to screen readers by them).
  const char* const small[] = {"btn_ParentOK", "btn_ParentCancel", "btn_ParentCompile", "btn_ParentHome",
                               "btn_ParentReturn", "btn_ParentSave", "btn_ParentStart", "btn_New",
                               "btn_Load", "btn_Insert", "btn_Delete", "btn_Add",
                               "btn_Edit", "btn_Test", "btn_Script", "btn_Play", "btn_Assign",
                               // Voice training's prompt buttons.
                               "btn_Record", "btn_Rerecord", "btn_Stop", "btn_Previous", "btn_Next", "btn_Skip"};
  for (const char* name : small) {
    // Amber marks the actions that change or commit something; red the
    // microphone's recording lamp.
    const QString l = Label(name);
    const bool commits = l == "SAVE" || l == "COMPILE" || l == "DELETE" || l == "ASSIGN";
    const bool records = l == "RECORD" || l == "RE-RECORD" || l == "STOP";
    out.SaveBitmap(QStringLiteral("Buttons/%1.bmp").arg(name),
                   DrawStrip({kSmallButton, l, {}, records ? kRed : commits ? kAmber : kCyan}));
  }
  out.SaveBitmap("Buttons/btn_Microphone.bmp", DrawStrip({kMediumButton, Label("btn_Microphone"), {}}));
  out.SaveBitmap("Buttons/btn_VoiceTraining.bmp", DrawStrip({kMediumButton, Label("btn_VoiceTraining"), {}}));
  // Voice training's profile buttons; adapting and switching models commit.
  for (const char* name : {"btn_StartOver", "btn_Adapt", "btn_UseProfile", "btn_StandardModel"})
    out.SaveBitmap(QStringLiteral("Buttons/%1.bmp").arg(name), DrawStrip({kMediumButton, Label(name), {}, kAmber}));

  out.SaveBitmap("Buttons/btn_LearningCenter.bmp", DrawStrip({kLargeButton, Label("btn_LearningCenter"), LearningGlyph}));
  out.SaveBitmap("Buttons/btn_Configuration.bmp",
                 DrawStrip({kLargeButton, Label("btn_Configuration"), ConfigurationGlyph}));
  out.SaveBitmap("Buttons/btn_ChecklistAssignments.bmp",
                 DrawStrip({kLargeButton, Label("btn_ChecklistAssignments"), AssignmentsGlyph, kGreen}));
  out.SaveBitmap("Buttons/btn_ChecklistModification.bmp",
                 DrawStrip({kLargeButton, Label("btn_ChecklistModification"), ModificationGlyph, kAmber}));
  out.SaveBitmap("Buttons/btn_Launch.bmp", DrawStrip({kLargeButton, Label("btn_Launch"), LaunchGlyph, kGreen, true}));
}

}  // namespace media
