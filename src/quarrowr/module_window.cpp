#include "quarrowr/module_window.h"

#include <QCloseEvent>
#include <QFormLayout>

#include "common/text.h"

namespace talvane::quarrowr {

ModuleWindow::ModuleWindow() {
  setWindowTitle(kModuleWindowTitle);
  auto* form = new QFormLayout(this);
  const char* names[] = {"State:", "Heard:", "Answered:", "Checklist:", "Simulator:", "Microphone:"};
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    lines_[i] = new QLabel(this);
    lines_[i]->setWordWrap(true);
    lines_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(names[i], lines_[i]);
  }
  setMinimumWidth(480);
}

void ModuleWindow::Show(const ModuleView& view) {
  const std::string* texts[] = {&view.state, &view.heard, &view.answered, &view.checklist, &view.link, &view.microphone};
  for (std::size_t i = 0; i < lines_.size(); ++i)
    lines_[i]->setText(QString::fromStdString(Cp1252ToUtf8(*texts[i])));
}

QString ModuleWindow::Line(int row) const { return lines_.at(static_cast<std::size_t>(row))->text(); }

void ModuleWindow::closeEvent(QCloseEvent* event) {
  if (Closing) Closing();
  event->accept();
}

}  // namespace talvane::quarrowr
