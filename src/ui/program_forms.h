// The program's windows other than the dialogs: the borderless main window
// with its tip line and buttons, the screens it hosts (home, help centre, and
// the editing screens), the splash window and the tray starter's window.
#pragma once

#include <QLabel>
#include <QMenu>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QWidget>
#include <functional>

#include "app/program_shell.h"
#include "ui/skinned_button_widget.h"

namespace talvane::ui {

// "Version: 1.0.0"
QString VersionText();

// The colour of text on the screens' dark panels, and of the tip line and
// the labels that act on a click.
inline const QColor kPanelText{230, 234, 240};
inline const QColor kLinkText{255, 214, 140};
// A label of plain text in `colour`, placed at `where` of `parent`.
QLabel* Label(QWidget* parent, const char* name, QRect where, QColor colour = kPanelText, bool wrap = false,
              const QString& text = {});

// A label that acts on a click ("Next Page", "Written").
class ClickableLabel : public QLabel {
 public:
  ClickableLabel(QWidget* parent, const char* name, QRect where, const QString& text);
  std::function<void()> on_click;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
};

// A window drawn on one of the program's background bitmaps.
class BackgroundForm : public QWidget {
 public:
  BackgroundForm(ProgramShell& shell, Form form, const char* background, QSize size, Qt::WindowFlags flags = {});
  Form form() const { return form_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  SkinnedButtonWidget* AddButtonWidget(SkinnedButton& b) { return new SkinnedButtonWidget(shell_, b, this); }

  ProgramShell& shell_;
  Form form_;
  QPixmap background_;
};

// frm_Parent: dragged by its background (it has no title bar).
class MainWindow : public BackgroundForm {
 public:
  explicit MainWindow(ProgramShell& shell);
  // Long tips are drawn smaller rather than clipped: the box is fixed.
  void SetTip(const QString& tip);
  QLabel* tip() { return tip_; }

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  QLabel* tip_;
  QLabel* version_;
  QPoint drag_from_;
  bool dragging_ = false;
};

// frm_Home and its five large buttons.
class HomeScreen : public BackgroundForm {
 public:
  explicit HomeScreen(ProgramShell& shell);
};

// frm_LC: the topic tree and the page browser.
class HelpScreen : public BackgroundForm {
 public:
  explicit HelpScreen(ProgramShell& shell);
  QTreeWidget* tree;
  QTextBrowser* browser;
  QLabel* title;
  // Selecting a topic, as a click on its node does.
  void SelectTopic(QTreeWidgetItem* item);
  void ShowPage();
};

// A screen of the main window that has only its background so far.
class PlainScreen : public BackgroundForm {
 public:
  PlainScreen(ProgramShell& shell, Form form, const char* background);
};

class SplashWindow : public BackgroundForm {
 public:
  explicit SplashWindow(ProgramShell& shell);
  QLabel* status;
};

// frm_Starter: the window behind the tray icon. Where the desktop has no
// notification area it stays on the screen with Restore and Exit.
class StarterWindow : public BackgroundForm {
 public:
  explicit StarterWindow(ProgramShell& shell);
  QMenu* menu;  // mnuForm: Restore, -, Exit
  QWidget* fallback;  // the Restore and Exit buttons shown without a tray
 protected:
  void contextMenuEvent(QContextMenuEvent* e) override;
};

}  // namespace talvane::ui
