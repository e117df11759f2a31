// The demo simulator (the demo tree's fsx.exe): a window of the simulator's
// class, so the launcher's probe finds it, showing a cockpit panel that the
// voice module changes through the add-on protocol. It listens where the
// demo's SimConnect.xml says; --port or --listen override. It ends when its
// window is closed.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "cockpit_panel.h"
#include "demo_options.h"
#include "demo_simulator.h"

namespace {

// The window class the launcher looks for, for both parts of WM_CLASS: the
// instance name comes from RESOURCE_NAME, the class from the application name.
constexpr const char* kWindowClass = "FS98MAIN";

}  // namespace

int main(int argc, char** argv) {
  using namespace talvane::demosim;
  // Ours are read before Qt sees them: its X11 platform would take --title
  // for itself.
  std::vector<std::string> args(argv + 1, argv + argc);
  DemoOptions options;
  std::string error;
  if (!ParseDemoOptions(args, options, error)) {
    std::fprintf(stderr, "fsx.exe: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }

  qputenv("RESOURCE_NAME", kWindowClass);
  int qt_argc = 1;
  QApplication app(qt_argc, argv);
  QApplication::setApplicationName(kWindowClass);

  const std::filesystem::path folder = QCoreApplication::applicationDirPath().toStdString();
  DemoSimulator simulator(options.title,
                          options.state_file.empty() ? folder / kDefaultStateFile : options.state_file);
  CockpitPanel panel;
  panel.setWindowTitle(QStringLiteral("Demo Simulator - %1").arg(QString::fromStdString(options.title)));
  simulator.Changed = [&] { panel.Show(simulator.state(), simulator.link(), simulator.last_event()); };

  const char* wineprefix = std::getenv("WINEPREFIX");
  talvane::simlink::Endpoint endpoint;
  if (FindListenEndpoint(options, FindWinePrefix(wineprefix ? wineprefix : "", folder), LoginName(), endpoint, error))
    simulator.Listen(endpoint);
  else
    simulator.NoLink(error);
  std::printf("%s\n", simulator.link().endpoint.empty() ? ("no link: " + simulator.link().message).c_str()
                                                        : ("listening on " + simulator.link().endpoint).c_str());
  std::fflush(stdout);
  if (!simulator.write_error().empty())
    std::fprintf(stderr, "fsx.exe: the state file cannot be written: %s\n", simulator.write_error().c_str());

  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] { simulator.Poll(std::chrono::milliseconds(0)); });
  poll.start(20);
  panel.show();
  const int status = app.exec();
  simulator.Shutdown();
  return status;
}
