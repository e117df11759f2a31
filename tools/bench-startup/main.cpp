// bench-startup PROGRAM_FOLDER: starts the program from its folder as the
// user does (window probes, instance lock, splash, every loader) and reports
// the time until the home screen has been painted, with the time of each
// start-up stage. Run it on a simulator tree with many aircraft
// (scripts/bench-startup.sh makes one).
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "platform/instance_lock.h"
#include "platform/window_probe.h"
#include "ui/program_main.h"

namespace {

// Notes when a watched window paints for the first time.
class FirstPaint : public QObject {
 public:
  qint64 at = -1;
  const QElapsedTimer* clock = nullptr;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint && at < 0) at = clock->nsecsElapsed();
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench-startup PROGRAM_FOLDER\n");
    return 2;
  }
  QElapsedTimer clock;
  clock.start();
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  const qint64 qtReady = clock.nsecsElapsed();

  const std::filesystem::path folder = argv[1];
  talvane::platform::X11WindowProbe probe;
  bool ended = false;
  talvane::ui::ProgramMain program(folder, probe, nullptr, [&ended] { ended = true; });
  talvane::platform::FileInstanceLock lock(folder);
  const qint64 before = clock.nsecsElapsed();
  const talvane::StartOutcome outcome = program.Start("", lock);
  const qint64 started = clock.nsecsElapsed();
  if (ended || outcome != talvane::StartOutcome::kMainWindow) {
    std::fprintf(stderr, "bench-startup: the program did not come up with its main window\n");
    return 1;
  }
  QWidget* home = program.windows.Screen(talvane::Form::frm_Home);
  FirstPaint painted;
  painted.clock = &clock;
  home->installEventFilter(&painted);
  home->update();
  while (painted.at < 0 && clock.elapsed() < 30000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  const std::size_t variations = program.program.assignments.records.size();
  std::printf(
      "bench-startup: %zu aircraft variations, %zu manufacturers: start to home screen painted %.0f ms "
      "(Qt set-up %.0f ms, start-up and loaders %.0f ms, first paint %.0f ms)\n",
      variations, program.program.aircraft.manufacturers.size(), painted.at / 1e6, qtReady / 1e6,
      (started - before) / 1e6, (painted.at - started) / 1e6);
  return painted.at < 0 ? 1 : 0;
}
