// quarrowr.exe: the in-flight voice module. Run from the program folder by
// the program's launch button; one copy at a time; ends when its window is
// closed.
#include <QApplication>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>

#include "aircraft/assignments.h"
#include "catalogue/command_catalogue.h"
#include "catalogue/settings.h"
#include "common/files.h"
#include "common/ini.h"
#include "inflight/event_map.h"
#include "outside/outside_libraries.h"
#include "platform/instance_lock.h"
#include "platform/shell_folders.h"
#include "quarrowr/catalogue_commands.h"
#include "quarrowr/checklist_flow.h"
#include "quarrowr/engine_speech.h"
#include "quarrowr/event_log.h"
#include "quarrowr/microphone_switch.h"
#include "quarrowr/module_window.h"
#include "quarrowr/simconnect_simulator.h"
#include "quarrowr/voice_module.h"

namespace {

using namespace talvane;
using namespace talvane::quarrowr;

// The module shows no dialogs over the simulator: what the shared loaders
// would report goes to the log, and the last of it to the window.
class LoggedUserInterface : public UserInterface {
 public:
  explicit LoggedUserInterface(EventLog& log) : log_(log) {}
  void ShowMessage(const Message& m) override {
    last = m.title + ": " + m.text;
    log_.Write("message", {{"title", m.title}, {"text", m.text}});
  }
  std::optional<std::string> BrowseForFile(const FileDialog&) override { return std::nullopt; }
  void ShowProgress(const std::string&, const std::string&) override {}
  void UpdateProgress(const std::string&, double) override {}
  void HideProgress() override {}
  void SetSplashStatus(const std::string&) override {}
  void ExitProgram() override { ended = true; }

  std::string last;
  bool ended = false;

 private:
  EventLog& log_;
};

constexpr const char* kLockFile = "quarrowr.lock";
// The module's own settings: [SimConnect] address=host:port overrides the
// simulator's SimConnect.xml (a simulator on another machine).
constexpr const char* kModuleSettings = "quarrowr.cfg";

// Every event the mapping can send, once each, to map as the link opens.
std::vector<std::string> EventNames(const EventMap& map) {
  std::vector<std::string> names;
  for (const auto& rule : map.rules)
    for (const auto& e : rule.events)
      if (std::find(names.begin(), names.end(), e.event) == names.end()) names.push_back(e.event);
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quarrow");
  const std::filesystem::path folder = QCoreApplication::applicationDirPath().toStdString();
  platform::FileInstanceLock lock(folder, kLockFile);
  if (!lock.Acquire()) return 0;

  EventLog log(folder / kEventLogFile);
  LoggedUserInterface ui(log);
  Context ctx{folder, ui};
  Settings settings;
  const bool settingsRead = ReadSettingsFile(ctx, settings);
  AssignmentList assignments;
  LoadChecklistAssignments(ctx, assignments);

  ModuleWindow window;
  OutsideLibraries libraries(ctx);
  EngineSpeech speech(libraries, [&window](std::function<void()> job) {
    QMetaObject::invokeMethod(&window, std::move(job), Qt::QueuedConnection);
  });
  CommandCatalogue catalogue;
  LoadCommandList(ctx, catalogue);
  EventMap events;
  std::string mapError;
  try {
    events = LoadEventMap(ctx.File(kEventMapFile));
  } catch (const std::exception& e) {
    mapError = e.what();
    log.Write("message", {{"title", "Simulator events"}, {"text", mapError}});
  }
  CatalogueCommands commands(catalogue, events, mapError);
  const std::filesystem::path moduleSettings = folder / kModuleSettings;
  SimConnectSimulator simulator(
      [moduleSettings](simlink::Endpoint& endpoint, std::string& why) {
        const std::string setting =
            std::filesystem::exists(moduleSettings) ? ReadIniString("SimConnect", "address", moduleSettings) : "";
        return simlink::LocateSimulator(setting, WinePrefix(), platform::LoginName(), endpoint, why);
      },
      EventNames(events), [&log](const std::string& line) { log.Write("simulator", {{"text", line}}); });
  ChecklistFlow flow(assignments, settings.ChecklistResponses, ChecklistFiles(ctx));

  const SwitchSetting setting = ParseMicrophoneSwitch(settings.microphone);
  MicrophoneSwitch microphone(
      setting,
      setting.kind == SwitchSetting::Kind::kKey ? platform::WatchKey(setting.key) : nullptr,
      setting.kind == SwitchSetting::Kind::kJoystick ? std::make_unique<platform::LinuxJoysticks>() : nullptr);
  VoiceModule module({speech, commands, simulator, log}, flow, settings.copilotVoice, microphone.VoiceActivation());
  module.Changed = [&] { window.Show(module.View()); };
  module.SetMicrophoneStatus(microphone.Status());

  window.Closing = [&] {
    module.Shutdown();
    app.quit();
  };

  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    simulator.Poll();
    for (int n = microphone.TakePresses(); n > 0; --n) module.SwitchPressed();
    module.SetMicrophoneStatus(microphone.Status());
  });
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] { module.Tick(VoiceModule::Clock::now()); });

  window.show();
  // The engine starts once the window has been drawn (loading the grammars
  // takes a second or two).
  QTimer::singleShot(50, &window, [&] {
    if (!settingsRead) {
      ModuleView view = module.View();
      view.state = "Not ready: " + ui.last;
      window.Show(view);
      return;
    }
    module.Start(VoiceModule::Clock::now());
    if (!ui.last.empty() && module.View().state.starts_with("Not ready")) {
      ModuleView view = module.View();
      view.state += " - " + ui.last;
      window.Show(view);
    }
    poll.start(20);
    tick.start(1000);
  });
  const int status = app.exec();
  module.Shutdown();
  return status;
}
