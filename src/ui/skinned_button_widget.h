// A skinned button on the screen: it draws the frame of its state from the
// button's bitmap strip and passes the mouse and keyboard on to the button
// logic (app/skinned_button.h) and the dispatcher. Tab reaches it; Space or
// Enter presses it, as on any desktop button.
#pragma once

#include <QTimer>
#include <QWidget>

#include "app/program_shell.h"

namespace talvane::ui {

class SkinnedButtonWidget : public QWidget {
  Q_OBJECT
 public:
  SkinnedButtonWidget(ProgramShell& shell, SkinnedButton& button, QWidget* parent);
  ~SkinnedButtonWidget() override;

  SkinnedButton& button() { return button_; }
  // Follows the button's properties (state, picture, place, tip, visibility).
  void Sync();
  // A release with the left button, as the Enter key and tests use it.
  void Click();
  // The tooltip's shown text (wrapped to the tooltip's width).
  QString TooltipText() const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void leaveEvent(QEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void keyReleaseEvent(QKeyEvent*) override;
  void focusInEvent(QFocusEvent*) override;
  void focusOutEvent(QFocusEvent*) override;

 private:
  void ShowTooltip();
  QString Label() const;

  ProgramShell& shell_;
  SkinnedButton& button_;
  QPixmap strip_;
  std::string loaded_picture_;
  QTimer tip_delay_;
  bool key_down_ = false;
};

// The tooltip's look: dark grey text on light grey, at most 400 pixels wide,
// shown after 250 ms and kept for 10 seconds.
void ApplyTooltipLook();

}  // namespace talvane::ui
