// The in-flight voice module's loop, without a window: a press of the
// microphone switch starts one recognition; its command text goes to the
// command interpretation, the plan's events to the simulator, the readback
// to the copilot voice; checklist sections run through the checklist flow.
// Every step goes to the event log, and the state the window shows is kept
// here. All calls come from one thread (the window's); the speech port hands
// results back to that thread.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "quarrowr/checklist_flow.h"
#include "quarrowr/command_port.h"
#include "quarrowr/event_log.h"
#include "quarrowr/simulator_port.h"
#include "quarrowr/speech_port.h"

namespace talvane::quarrowr {

// What the window shows, one line each.
struct ModuleView {
  std::string state;     // "Ready", "Listening...", "Not ready: ..."
  std::string heard;     // the command recognised, or what was not
  std::string answered;  // the readback, or why nothing was done
  std::string checklist; // the running checklist's step, or how the last one ended
  std::string link;      // the simulator link
  std::string microphone;
};

class VoiceModule {
 public:
  using Clock = std::chrono::steady_clock;
  // How long a link that is down waits before the next try.
  static constexpr std::chrono::seconds kLinkRetry{5};

  struct Ports {
    SpeechPort& speech;
    CommandPort& commands;
    SimulatorPort& simulator;
    EventLog& log;
  };
  // `copilotVoice` 0 speaks nothing. `voiceActivation`: no switch, listen
  // continuously.
  VoiceModule(Ports ports, ChecklistFlow& flow, int copilotVoice, bool voiceActivation);

  // Starts the engine and tries the link once; with voice activation the
  // first recognition starts at once.
  void Start(Clock::time_point now);
  // A press of the switch: one recognition, unless one runs already.
  void SwitchPressed();
  // Called every second or so: retries a link that is down, updates its line.
  void Tick(Clock::time_point now);
  // The end: the engine stopped, the link closed, the log flushed. Nothing
  // is done after it, results that still arrive included.
  void Shutdown();

  bool Listening() const { return listening_; }
  const ModuleView& View() const { return view_; }
  void SetMicrophoneStatus(std::string status);
  // Called after every change of the view.
  std::function<void()> Changed;

 private:
  void Listen();
  void Recognised(const Recognition& r);
  void Act(const CommandPlan& plan);
  void RunChecklist(int section);
  void Apply(const FlowTurn& turn);
  void Answer(const std::string& shown, const std::string& spoken);
  void Say(const std::string& text);
  void SwitchResponses(const std::vector<std::string>& rules);
  void UpdateLink();
  void Ready();
  void Notify();

  Ports ports_;
  ChecklistFlow& flow_;
  int voice_;
  bool voiceActivation_;
  bool started_ = false;
  bool listening_ = false;
  bool ended_ = false;
  std::vector<std::string> rulesOn_;
  std::string linkStatus_;
  Clock::time_point nextTry_{};
  ModuleView view_;
};

}  // namespace talvane::quarrowr
