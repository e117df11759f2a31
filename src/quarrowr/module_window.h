// The voice module's window, "BX Quarrow": one line each for its state,
// what was heard, what was answered, the checklist, the simulator link and
// the microphone switch. Closing it (the close message included) ends the
// module.
#pragma once

#include <QLabel>
#include <QWidget>
#include <array>
#include <functional>

#include "quarrowr/voice_module.h"

namespace talvane::quarrowr {

inline constexpr const char* kModuleWindowTitle = "BX Quarrow";

class ModuleWindow : public QWidget {
  Q_OBJECT
 public:
  ModuleWindow();
  void Show(const ModuleView& view);
  // The text of line `row` (0: state ... 5: microphone), for tests.
  QString Line(int row) const;
  std::function<void()> Closing;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::array<QLabel*, 6> lines_{};
};

}  // namespace talvane::quarrowr
