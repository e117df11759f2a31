#include "ui/skinned_button_widget.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QToolTip>

#include "app/button_labels.h"
#include "common/text.h"
#include "ui/media.h"

namespace talvane::ui {

namespace {

constexpr int kTipShowDelayMs = 250;
constexpr int kTipStayMs = 10000;
constexpr int kTipMaxWidth = 400;

QString FromAnsi(const std::string& s) { return QString::fromStdString(Cp1252ToUtf8(s)); }

}  // namespace

void ApplyTooltipLook() {
  QPalette palette = QToolTip::palette();
  palette.setColor(QPalette::ToolTipText, QColor(45, 45, 45));
  palette.setColor(QPalette::ToolTipBase, QColor(231, 231, 231));
  QToolTip::setPalette(palette);
}

SkinnedButtonWidget::SkinnedButtonWidget(ProgramShell& shell, SkinnedButton& button, QWidget* parent)
    : QWidget(parent), shell_(shell), button_(button) {
  setObjectName(QString::fromStdString(button.name()));
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_Hover);
  const ButtonSize size = SizeOf(button.kind());
  setFixedSize(size.width, size.height);
  tip_delay_.setSingleShot(true);
  tip_delay_.setInterval(kTipShowDelayMs);
  connect(&tip_delay_, &QTimer::timeout, this, &SkinnedButtonWidget::ShowTooltip);
  button_.on_changed = [this] { Sync(); };
  Sync();
}

SkinnedButtonWidget::~SkinnedButtonWidget() { button_.on_changed = nullptr; }

QString SkinnedButtonWidget::Label() const {
  const std::string_view label = ButtonLabel(Trim(button_.picture));
  return label.empty() ? FromAnsi(button_.button_type) : QString::fromUtf8(label.data(), label.size());
}

void SkinnedButtonWidget::Sync() {
  if (Trim(button_.picture) != loaded_picture_) {
    loaded_picture_ = Trim(button_.picture);
    strip_ = loaded_picture_.empty() ? QPixmap() : LoadButtonStrip(shell_.p.ctx.program_folder, loaded_picture_);
  }
  move(button_.left, button_.top);
  setVisible(button_.visible);
  setAccessibleName(Label());
  setAccessibleDescription(FromAnsi(button_.ToolTip));
  update();
}

void SkinnedButtonWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const ButtonSize size = SizeOf(button_.kind());
  if (!strip_.isNull()) {
    painter.drawPixmap(0, FrameOffset(button_.kind(), button_.state), strip_);
  } else {
    // No bitmap: a plain frame with the label, darker when pressed or off.
    QColor face(127, 155, 187);
    if (button_.state == kStateHighlight) face = face.lighter(120);
    if (button_.state == kStateDown) face = face.darker(120);
    painter.fillRect(rect(), face);
    painter.setPen(QColor(45, 45, 45));
    painter.drawRect(0, 0, size.width - 1, size.height - 1);
    painter.setPen(button_.disabled() ? QColor(90, 90, 90) : QColor(255, 255, 255));
    painter.drawText(rect(), Qt::AlignCenter, Label());
  }
  if (hasFocus()) {
    QPen pen(QColor(255, 200, 80));
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(1, 1, size.width - 3, size.height - 3);
  }
}

void SkinnedButtonWidget::enterEvent(QEnterEvent*) {
  MouseMove(button_, shell_.buttons);
  tip_delay_.start();
}

void SkinnedButtonWidget::mouseMoveEvent(QMouseEvent*) {
  MouseMove(button_, shell_.buttons);
}

void SkinnedButtonWidget::leaveEvent(QEvent*) {
  tip_delay_.stop();
  MouseLeave(button_);
}

void SkinnedButtonWidget::mousePressEvent(QMouseEvent* e) {
  tip_delay_.stop();
  QToolTip::hideText();
  if (e->button() == Qt::LeftButton) MousePress(button_);
}

void SkinnedButtonWidget::mouseDoubleClickEvent(QMouseEvent* e) { mousePressEvent(e); }

void SkinnedButtonWidget::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  // Released away from the button: nothing happens, as on any button.
  if (!rect().contains(e->position().toPoint())) {
    MouseLeave(button_);
    return;
  }
  Click();
}

void SkinnedButtonWidget::Click() { shell_.dispatch.Release(button_); }

void SkinnedButtonWidget::keyPressEvent(QKeyEvent* e) {
  const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
  if ((enter || e->key() == Qt::Key_Space) && !e->isAutoRepeat()) {
    key_down_ = true;
    MousePress(button_);
    return;
  }
  QWidget::keyPressEvent(e);
}

void SkinnedButtonWidget::keyReleaseEvent(QKeyEvent* e) {
  const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
  if ((enter || e->key() == Qt::Key_Space) && !e->isAutoRepeat() && key_down_) {
    key_down_ = false;
    Click();
    return;
  }
  QWidget::keyReleaseEvent(e);
}

void SkinnedButtonWidget::focusInEvent(QFocusEvent*) { update(); }

void SkinnedButtonWidget::focusOutEvent(QFocusEvent*) {
  key_down_ = false;
  update();
}

QString SkinnedButtonWidget::TooltipText() const {
  // Wrapped by hand: a plain-text tooltip would otherwise grow as wide as
  // its longest line.
  const QString text = FromAnsi(button_.ToolTip);
  const QFontMetrics metrics(QToolTip::font());
  QString out, line;
  for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
    const QString next = line.isEmpty() ? word : line + ' ' + word;
    if (!line.isEmpty() && metrics.horizontalAdvance(next) > kTipMaxWidth - 12) {
      out += line + '\n';
      line = word;
    } else {
      line = next;
    }
  }
  return out + line;
}

void SkinnedButtonWidget::ShowTooltip() {
  if (button_.ToolTip.empty() || !underMouse()) return;
  QToolTip::showText(QCursor::pos(), TooltipText(), this, rect(), kTipStayMs);
}

}  // namespace talvane::ui
