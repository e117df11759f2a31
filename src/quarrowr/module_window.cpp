#include "quarrowr/module_window.h"

#include <QCloseEvent>
#include <QFormLayout>

#include "common/text.h"

namespace talvane::quarrowr {

ModuleWindow::ModuleWindow() {
  setWindowTitle(kModuleWindowTitle);
  // The cockpit-panel look of the program's own screens: captions in grey
  // capitals, what changes in amber, readable at a glance beside the
  // simulator.
  setObjectName("quarrow");
  setStyleSheet(
      "#quarrow { background: #1d242c; }"
      "QLabel { color: #f0b040; font-size: 13px; }"
      "QLabel[caption=\"true\"] { color: #8a97a6; font-size: 11px; font-weight: bold; letter-spacing: 1px; }");
  auto* form = new QFormLayout(this);
  form->setContentsMargins(14, 12, 14, 12);
  form->setHorizontalSpacing(14);
  form->setVerticalSpacing(8);
  const char* names[] = {"STATE", "HEARD", "ANSWERED", "CHECKLIST", "SIMULATOR", "MICROPHONE"};
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    auto* caption = new QLabel(names[i], this);
    caption->setProperty("caption", true);
    lines_[i] = new QLabel(this);
    lines_[i]->setWordWrap(true);
    lines_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(caption, lines_[i]);
  }
  setMinimumWidth(560);
}

void ModuleWindow::Show(const ModuleView& view) {
  const std::string* texts[] = {&view.state, &view.heard, &view.answered, &view.checklist, &view.link, &view.microphone};
  for (std::size_t i = 0; i < lines_.size(); ++i)
    lines_[i]->setText(QString::fromStdString(Cp1252ToUtf8(*texts[i])));
  // A line that now wraps needs the room: the window grows, never clips.
  if (sizeHint().height() > height()) resize(width(), sizeHint().height());
}

QString ModuleWindow::Line(int row) const { return lines_.at(static_cast<std::size_t>(row))->text(); }

void ModuleWindow::closeEvent(QCloseEvent* event) {
  if (Closing) Closing();
  event->accept();
}

}  // namespace talvane::quarrowr
