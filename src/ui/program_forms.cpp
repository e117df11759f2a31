#include "ui/program_forms.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QWindow>

#include "app/help_centre.h"
#include "ui/dialog_forms.h"
#include "ui/media.h"

namespace talvane::ui {

namespace {

}  // namespace

QLabel* Label(QWidget* parent, const char* name, QRect where, QColor colour, bool wrap, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  l->setGeometry(where);
  l->setWordWrap(wrap);
  l->setTextFormat(Qt::PlainText);
  QPalette palette = l->palette();
  palette.setColor(QPalette::WindowText, colour);
  l->setPalette(palette);
  return l;
}

ClickableLabel::ClickableLabel(QWidget* parent, const char* name, QRect where, const QString& text)
    : QLabel(text, parent) {
  setObjectName(name);
  setGeometry(where);
  setCursor(Qt::PointingHandCursor);
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, kLinkText);
  setPalette(palette);
  QFont f = font();
  f.setUnderline(true);
  setFont(f);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && on_click) on_click();
}

QString VersionText() { return QStringLiteral("Version: ") + TALVANE_VERSION_TEXT; }

BackgroundForm::BackgroundForm(ProgramShell& shell, Form form, const char* background, QSize size,
                               Qt::WindowFlags flags)
    : QWidget(nullptr, flags), shell_(shell), form_(form) {
  setObjectName(FormName(form));
  // Only the main window is called "Talvane": scripts and screen readers
  // find it by that name.
  setWindowTitle(form == Form::frm_Parent ? QString("Talvane") : QString("Talvane ") + FormName(form));
  background_ = LoadMedia(shell.p.ctx.program_folder, background, false);
  setFixedSize(size);
  shell.p.Loaded(form) = true;
}

void BackgroundForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (background_.isNull())
    painter.fillRect(rect(), QColor(31, 38, 48));
  else
    painter.drawPixmap(0, 0, background_);
}

MainWindow::MainWindow(ProgramShell& shell)
    : BackgroundForm(shell, Form::frm_Parent, "\\Media\\Forms\\Main_BG.bmp", QSize(800, 640),
                     Qt::Window | Qt::FramelessWindowHint) {
  tip_ = Label(this, "lbl_Tip", QRect(312, 16, 388, 72), kLinkText, true);
  tip_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  version_ = Label(this, "lbl_Version", QRect(18, 606, 280, 22), kPanelText);
  version_->setText(VersionText());
  shell.nav.SetUpMainWindowButtons();
  for (SkinnedButton* b : shell.buttons.OnForm(Form::frm_Parent)) AddButtonWidget(*b);
}

void MainWindow::SetTip(const QString& tip) {
  QFont font = tip_->font();
  const qreal full = QWidget::font().pointSizeF();
  font.setPointSizeF(full);
  for (qreal size = full; size >= 6.0; size -= 0.5) {
    font.setPointSizeF(size);
    const QRect needed = QFontMetrics(font).boundingRect(QRect(0, 0, tip_->width(), 10000),
                                                         Qt::TextWordWrap, tip);
    if (needed.height() <= tip_->height()) break;
  }
  tip_->setFont(font);
  tip_->setText(tip);
}

void MainWindow::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  // The window manager moves the window where it can; otherwise we do.
  if (windowHandle() && windowHandle()->startSystemMove()) return;
  dragging_ = true;
  drag_from_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
}

void MainWindow::mouseMoveEvent(QMouseEvent* e) {
  if (dragging_ && (e->buttons() & Qt::LeftButton)) move(e->globalPosition().toPoint() - drag_from_);
}

void MainWindow::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

HomeScreen::HomeScreen(ProgramShell& shell)
    : BackgroundForm(shell, Form::frm_Home, "\\Media\\Forms\\Home_BG.bmp", QSize(790, 447)) {
  shell.nav.SetUpHomeButtons();
  for (SkinnedButton* b : shell.buttons.OnForm(Form::frm_Home)) AddButtonWidget(*b);
}

HelpScreen::HelpScreen(ProgramShell& shell)
    : BackgroundForm(shell, Form::frm_LC, "\\Media\\Forms\\Sub_BG.bmp", QSize(790, 447)) {
  title = Label(this, "lbl_Title", QRect(262, 40, 510, 26), kPanelText);
  QFont bold = title->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.2);
  title->setFont(bold);
  tree = new QTreeWidget(this);
  tree->setObjectName("helpTV");
  tree->setGeometry(14, 40, 236, 392);
  tree->header()->hide();
  browser = new QTextBrowser(this);
  browser->setObjectName("helpBrowser");
  browser->setGeometry(262, 70, 514, 362);
  browser->setOpenLinks(true);
  browser->setSearchPaths({QString::fromStdString((shell.p.ctx.program_folder / kHelpFolder).string())});

  const auto& folder = shell.p.ctx.program_folder;
  const QIcon closed(LoadMedia(folder, "\\Media\\Tree\\help_Closed.bmp"));
  const QIcon open(LoadMedia(folder, "\\Media\\Tree\\help_Open.bmp"));
  const QIcon page(LoadMedia(folder, "\\Media\\Tree\\help_Page.bmp"));
  std::vector<QTreeWidgetItem*> parents;
  for (const HelpTopic& t : HelpTopics()) {
    parents.resize(static_cast<std::size_t>(t.level - 1));
    auto* item = parents.empty() ? new QTreeWidgetItem(tree) : new QTreeWidgetItem(parents.back());
    item->setText(0, QString::fromUtf8(t.text));
    item->setData(0, Qt::UserRole, QString::fromUtf8(t.key));
    item->setIcon(0, page);
    parents.push_back(item);
  }
  // Topics with children show a book, closed or open.
  for (QTreeWidgetItemIterator it(tree); *it; ++it)
    if ((*it)->childCount() > 0) (*it)->setIcon(0, closed);
  connect(tree, &QTreeWidget::itemCollapsed, this, [closed](QTreeWidgetItem* i) { i->setIcon(0, closed); });
  connect(tree, &QTreeWidget::itemExpanded, this, [open](QTreeWidgetItem* i) { i->setIcon(0, open); });
  connect(tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* i) { SelectTopic(i); });
  connect(tree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* i) { SelectTopic(i); });

  shell.help.Load();
  ShowPage();
}

void HelpScreen::SelectTopic(QTreeWidgetItem* item) {
  if (!item) return;
  if (shell_.help.Select(item->data(0, Qt::UserRole).toString().toStdString(), item->text(0).toStdString()))
    ShowPage();
}

void HelpScreen::ShowPage() {
  title->setText(QString::fromStdString(shell_.help.title));
  if (!shell_.help.page.empty()) browser->setSource(QUrl::fromLocalFile(QString::fromStdString(shell_.help.page.string())));
}

PlainScreen::PlainScreen(ProgramShell& shell, Form form, const char* background)
    : BackgroundForm(shell, form, background, QSize(790, 447)) {}

SplashWindow::SplashWindow(ProgramShell& shell)
    : BackgroundForm(shell, Form::frm_Splash, "\\Media\\Forms\\Splash_BG.bmp", QSize(480, 300),
                     Qt::SplashScreen | Qt::FramelessWindowHint) {
  auto* version = Label(this, "lbl_Version", QRect(300, 202, 166, 20), kPanelText);
  version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  version->setText(VersionText());
  status = Label(this, "lbl_Status", QRect(20, 236, 440, 44), kLinkText, true);
}

StarterWindow::StarterWindow(ProgramShell& shell)
    : BackgroundForm(shell, Form::frm_Starter, "\\Media\\Forms\\Splash_BG.bmp", QSize(480, 300),
                     Qt::Window | Qt::FramelessWindowHint) {
  setWindowTitle("Talvane (in flight)");
  auto* version = Label(this, "lbl_Version", QRect(300, 202, 166, 20), kPanelText);
  version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  version->setText(VersionText());
  menu = new QMenu("File", this);
  menu->setObjectName("mnuForm");
  QAction* restore = menu->addAction("Restore");
  restore->setObjectName("mnuRestore");
  menu->addSeparator()->setObjectName("mnuSep1");
  QAction* exit = menu->addAction("Exit");
  exit->setObjectName("mnuClose");
  connect(restore, &QAction::triggered, this, [&shell] { shell.launcher.MenuRestore(); });
  connect(exit, &QAction::triggered, this, [&shell] { shell.launcher.MenuClose(); });

  fallback = new QWidget(this);
  fallback->setGeometry(20, 240, 440, 44);
  auto* row = new QHBoxLayout(fallback);
  auto* restoreButton = new QPushButton("Restore", fallback);
  restoreButton->setObjectName("btn_Restore");
  auto* exitButton = new QPushButton("Exit", fallback);
  exitButton->setObjectName("btn_Exit");
  row->addStretch();
  row->addWidget(restoreButton);
  row->addWidget(exitButton);
  connect(restoreButton, &QPushButton::clicked, restore, &QAction::trigger);
  connect(exitButton, &QPushButton::clicked, exit, &QAction::trigger);
  fallback->hide();
}

void StarterWindow::contextMenuEvent(QContextMenuEvent* e) { menu->popup(e->globalPos()); }

}  // namespace talvane::ui
