// The demo simulator's window: one cockpit status panel drawn in the
// program's panel style (graphite surface, lit and unlit annunciators, bugs
// and radios as digits in recessed windows), redrawn as events arrive.
#pragma once

#include <QImage>
#include <QWidget>
#include <string>

#include "cockpit_state.h"
#include "state_json.h"

namespace talvane::demosim {

class CockpitPanel : public QWidget {
 public:
  CockpitPanel();

  void Show(const CockpitState& state, const LinkStatus& link, const std::string& last_event);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  CockpitState state_;
  LinkStatus link_;
  std::string last_event_;
  QImage surface_;  // the panel's background at the current size
};

}  // namespace talvane::demosim
