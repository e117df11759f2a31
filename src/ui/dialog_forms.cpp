#include "ui/dialog_forms.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cmath>

#include "common/text.h"
#include "ui/media.h"

namespace talvane::ui {

namespace {

constexpr int kDialogWidth = 440, kDialogHeight = 240;
constexpr int kMargin = 20, kTextLeft = 84;
const QColor kDialogText(232, 236, 242);

const char* IconFile(int kind) {
  switch (kind) {
    case kIconInformation:
      return "\\Media\\Icons\\icon_Information.bmp";
    case kIconWarning:
      return "\\Media\\Icons\\icon_Warning.bmp";
    case kIconError:
      return "\\Media\\Icons\\icon_Error.bmp";
    default:
      return nullptr;
  }
}

QLabel* MakeLabel(QWidget* parent, const char* name, bool wrap) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setWordWrap(wrap);
  QPalette palette = l->palette();
  palette.setColor(QPalette::WindowText, kDialogText);
  l->setPalette(palette);
  l->setTextFormat(Qt::PlainText);
  return l;
}

}  // namespace

QString FromAnsi(const std::string& s) { return QString::fromStdString(Cp1252ToUtf8(s)); }
std::string ToAnsi(const QString& s) { return Utf8ToCp1252(s.toStdString()); }

QString DialogText(const std::string& ansi) {
  QString t = FromAnsi(ansi);
  t.replace("\r\n", "\n");
  t.replace('\r', '\n');
  return t;
}

DialogForm::DialogForm(ProgramShell& shell, Form form, const char* objectName)
    : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint), shell_(shell), form_(form) {
  setObjectName(objectName);
  setWindowTitle("Talvane");
  background_ = LoadMedia(shell.p.ctx.program_folder, "\\Media\\Forms\\Msg_BG.bmp", false);
  resize(kDialogWidth, kDialogHeight);
  title_ = MakeLabel(this, "lbl_Title", false);
  QFont bold = title_->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.15);
  title_->setFont(bold);
  title_->setGeometry(kMargin, 12, kDialogWidth - 2 * kMargin, 24);
  icon_ = new QLabel(this);
  icon_->setObjectName("img_Icon");
  icon_->setGeometry(kMargin, 48, 48, 48);
  shell.p.Loaded(form) = true;
}

void DialogForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (background_.isNull()) {
    painter.fillRect(rect(), QColor(38, 46, 58));
  } else {
    // The bitmap's bottom rows stretch when a long text needs a taller form.
    const int fixed = std::min(height(), background_.height() - 40);
    painter.drawPixmap(0, 0, background_, 0, 0, width(), fixed);
    painter.drawPixmap(QRect(0, fixed, width(), height() - fixed), background_,
                       QRect(0, background_.height() - 40, background_.width(), 40));
  }
}

void DialogForm::FitHeight(int contentBottom) {
  setFixedSize(kDialogWidth, std::max(kDialogHeight, contentBottom + 35 + 2 * 12));
}

SkinnedButtonWidget* DialogForm::AddButton(const char* name, const char* word, const char* picture) {
  SkinnedButton& b = shell_.buttons.Add(ButtonKind::SmallButton, form_, name);
  b.button_type = word;
  b.picture = picture;
  return new SkinnedButtonWidget(shell_, b, this);
}

void DialogForm::Centre(const QWidget* mainWindow) {
  QRect area;
  if (mainWindow && mainWindow->isVisible())
    area = mainWindow->frameGeometry();
  else if (const QScreen* screen = QGuiApplication::primaryScreen())
    area = screen->availableGeometry();
  move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

MessageForm::MessageForm(ProgramShell& shell) : DialogForm(shell, Form::frm_Message, "frm_Message") {
  text = MakeLabel(this, "lbl_Message", true);
  ok = AddButton("btn_OK", "ok", "btn_ParentOK");
  cancel = AddButton("btn_Cancel", "cancel", "btn_ParentCancel");
}

void MessageForm::SetUp(const Message& m) {
  title_->setText(FromAnsi(m.title));
  text->setText(DialogText(m.text));
  if (const char* file = IconFile(m.icon)) icon_->setPixmap(LoadMedia(shell_.p.ctx.program_folder, file));
  const int textWidth = kDialogWidth - kTextLeft - kMargin;
  const int textHeight = text->heightForWidth(textWidth);
  text->setGeometry(kTextLeft, 48, textWidth, std::max(textHeight, 48));
  FitHeight(48 + std::max(textHeight, 48));
  const int top = height() - 35 - 14;
  ok->button().visible = m.ok;
  cancel->button().visible = m.cancel;
  // OK sits at the right, or left of Cancel when both show.
  cancel->button().left = kDialogWidth - kMargin - 95;
  ok->button().left = m.cancel ? cancel->button().left - 95 - 10 : kDialogWidth - kMargin - 95;
  ok->button().top = cancel->button().top = top;
  ok->Sync();
  cancel->Sync();
  setWindowTitle(FromAnsi(m.title));
}

InputForm::InputForm(ProgramShell& shell) : DialogForm(shell, Form::frm_Input, "frm_Input") {
  prompt = MakeLabel(this, "lbl_Prompt", true);
  field = MakeLabel(this, "lbl_Field", false);
  edit = new QLineEdit(this);
  edit->setObjectName("txt_Input");
  edit->installEventFilter(this);
  ok = AddButton("btn_OK", "ok", "btn_ParentOK");
  cancel = AddButton("btn_Cancel", "cancel", "btn_ParentCancel");
  icon_->setPixmap(LoadMedia(shell.p.ctx.program_folder, "\\Media\\Icons\\icon_Question.bmp"));
  capture.setInterval(100);
}

bool InputForm::eventFilter(QObject* watched, QEvent* e) {
  if (watched == edit && e->type() == QEvent::FocusIn) QTimer::singleShot(0, edit, &QLineEdit::selectAll);
  return QWidget::eventFilter(watched, e);
}

void InputForm::SetUp(const InputRequest& r) {
  title_->setText(FromAnsi(r.title));
  prompt->setText(DialogText(r.prompt));
  field->setText(FromAnsi(r.field));
  edit->setText(FromAnsi(r.initial));
  // Selected at once, so typing replaces it even before the window has the
  // focus (the window manager may give it late).
  edit->selectAll();
  const int textWidth = kDialogWidth - kTextLeft - kMargin;
  const int promptHeight = std::max(prompt->heightForWidth(textWidth), 20);
  prompt->setGeometry(kTextLeft, 44, textWidth, promptHeight);
  int y = 44 + promptHeight + 8;
  field->setGeometry(kTextLeft, y, textWidth, 20);
  edit->setGeometry(kTextLeft, y + 22, textWidth, 26);
  FitHeight(y + 22 + 26);
  const int top = height() - 35 - 14;
  ok->button().visible = r.ok;
  cancel->button().visible = r.cancel;
  cancel->button().left = kDialogWidth - kMargin - 95;
  ok->button().left = r.cancel ? cancel->button().left - 105 : cancel->button().left;
  ok->button().top = cancel->button().top = top;
  ok->Sync();
  cancel->Sync();
  setWindowTitle(FromAnsi(r.title));
  // In the microphone mode a pressed key or button is captured, not typed.
  edit->setReadOnly(r.id == kMicSwitchId);
}

ProgressForm::ProgressForm(ProgramShell& shell) : DialogForm(shell, Form::frm_Progress, "frm_Progress") {
  text = MakeLabel(this, "lbl_Text", true);
  percent = MakeLabel(this, "lbl_Percent", false);
  percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  bar = new QProgressBar(this);
  bar->setObjectName("ProgressBar1");
  bar->setTextVisible(false);
  icon_->setPixmap(LoadMedia(shell.p.ctx.program_folder, "\\Media\\Icons\\icon_Wait.bmp"));
  const int textWidth = kDialogWidth - kTextLeft - kMargin;
  text->setGeometry(kTextLeft, 48, textWidth, 100);
  text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  bar->setGeometry(kTextLeft, 170, textWidth - 56, 18);
  percent->setGeometry(kDialogWidth - kMargin - 50, 168, 50, 22);
  cancel = AddButton("btn_Cancel", "cancel", "btn_ParentCancel");
  cancel->button().left = kDialogWidth - kMargin - 95;
  cancel->button().top = kDialogHeight - 35 - 10;
  setFixedSize(kDialogWidth, kDialogHeight);
  ShowCancel(false);
}

void ProgressForm::ShowCancel(bool shown) {
  cancel->button().visible = shown;
  cancel->button().state = kStateEnabled;
  cancel->Sync();
}

void ProgressForm::SetUp(const std::string& title, const std::string& t) {
  title_->setText(FromAnsi(title));
  text->setText(DialogText(t));
  bar->setRange(0, 100);
  bar->setValue(0);
  percent->setText("0%");
  ShowCancel(false);
}

void ProgressForm::Update(const std::string& t, double pct) {
  text->setText(DialogText(t));
  const long rounded = std::lround(std::clamp(pct, 0.0, 100.0));
  percent->setText(QString::number(std::lround(pct)) + "%");
  bar->setValue(static_cast<int>(rounded));
}

}  // namespace talvane::ui
