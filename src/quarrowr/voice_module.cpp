#include "quarrowr/voice_module.h"

#include "common/text.h"

namespace talvane::quarrowr {

namespace {

constexpr const char* kNoLink = "No simulator connection";

const char* TurnName(FlowTurn::What w) {
  switch (w) {
    case FlowTurn::What::kStarted: return "started";
    case FlowTurn::What::kNext: return "next";
    case FlowTurn::What::kInvalid: return "invalid";
    case FlowTurn::What::kNothingHeard: return "nothing heard";
    case FlowTurn::What::kNotAResponse: return "command";
    case FlowTurn::What::kComplete: return "complete";
    case FlowTurn::What::kIgnored: return "ignored";
    default: return "refused";
  }
}

}  // namespace

VoiceModule::VoiceModule(Ports ports, ChecklistFlow& flow, int copilotVoice, bool voiceActivation)
    : ports_(ports), flow_(flow), voice_(copilotVoice), voiceActivation_(voiceActivation) {}

void VoiceModule::Notify() {
  if (Changed) Changed();
}

void VoiceModule::Ready() {
  view_.state = voiceActivation_ ? "Ready: voice activation, listening continuously" : "Ready: press the microphone switch";
}

void VoiceModule::SetMicrophoneStatus(std::string status) {
  if (status == view_.microphone) return;
  view_.microphone = std::move(status);
  Notify();
}

void VoiceModule::Start(Clock::time_point now) {
  std::string why;
  started_ = ports_.speech.Start(why);
  ports_.log.Write("start", {{"engine", started_}, {"reason", why}, {"voiceActivation", voiceActivation_}});
  if (started_)
    Ready();
  else
    view_.state = "Not ready: " + why;
  Tick(now);
  if (started_ && voiceActivation_) Listen();
  Notify();
}

void VoiceModule::Tick(Clock::time_point now) {
  if (ended_) return;
  if (!ports_.simulator.Connected() && now >= nextTry_) {
    ports_.simulator.Connect();
    nextTry_ = now + kLinkRetry;
  }
  UpdateLink();
}

void VoiceModule::UpdateLink() {
  const std::string status = ports_.simulator.Status();
  if (status == linkStatus_) return;
  linkStatus_ = status;
  view_.link = (ports_.simulator.Connected() ? "" : "Link down: ") + status;
  ports_.log.Write("link", {{"connected", ports_.simulator.Connected()}, {"status", status}});
  Notify();
}

void VoiceModule::SwitchPressed() {
  if (ended_) return;
  if (listening_) {
    ports_.log.Write("switch", {{"ignored", true}});
    return;
  }
  ports_.log.Write("switch", {{"ignored", false}});
  Listen();
}

void VoiceModule::Listen() {
  if (ended_ || listening_) return;
  if (!started_) {
    // A failed recognition tore the engine down: start it again first.
    std::string why;
    started_ = ports_.speech.Start(why);
    if (!started_) {
      view_.state = "Not ready: " + why;
      Notify();
      return;
    }
  }
  listening_ = true;
  view_.state = "Listening...";
  Notify();
  ports_.speech.Recognize([this](Recognition r) { Recognised(r); });
}

void VoiceModule::Recognised(const Recognition& r) {
  if (ended_) return;
  listening_ = false;
  ports_.log.Write("recognition", {{"result", static_cast<long long>(r.result)},
                                   {"confidence", static_cast<long long>(r.confidence)},
                                   {"text", r.text}});
  if (r.result != 0) {
    started_ = false;
    view_.state = "Not ready: the recognition failed (" + std::to_string(r.result) + ")";
    Notify();
    return;
  }
  Ready();
  if (flow_.Running()) {
    const FlowTurn turn = flow_.Heard(r.text);
    if (turn.what != FlowTurn::What::kNotAResponse) {
      view_.heard = turn.what == FlowTurn::What::kNothingHeard ? "(nothing recognised)"
                    : turn.heard.empty()                          ? Trim(r.text)
                                                                  : turn.heard;
      Apply(turn);
      if (voiceActivation_ && !listening_) Listen();
      Notify();
      return;
    }
  }
  Act(ports_.commands.Interpret(r.text));
  if (voiceActivation_) Listen();
  Notify();
}

void VoiceModule::Act(const CommandPlan& plan) {
  for (const auto& v : plan.values)
    ports_.log.Write("value", {{"function", plan.functionNumber}, {"list", v.list}, {"tags", v.tags}, {"value", v.value},
                                {"spoken", v.spoken}});
  view_.heard = plan.kind == CommandPlan::Kind::kNothing ? "(nothing recognised)" : plan.command;
  switch (plan.kind) {
    case CommandPlan::Kind::kNothing:
      return;
    case CommandPlan::Kind::kUnable:
      ports_.log.Write("unable", {{"function", plan.functionNumber}, {"command", plan.command}, {"reason", plan.reason}});
      Answer("Unable: " + plan.reason, plan.readback.empty() ? "Unable" : plan.readback);
      return;
    case CommandPlan::Kind::kChecklist:
      RunChecklist(plan.checklistSection);
      return;
    case CommandPlan::Kind::kAct:
      break;
  }
  // A link that is down is said so at once: a command carried out minutes
  // later, when it comes back, would surprise the pilot.
  if (!ports_.simulator.Connected()) {
    ports_.log.Write("unable", {{"function", plan.functionNumber}, {"command", plan.command}, {"reason", kNoLink}});
    Answer(kNoLink, kNoLink);
    UpdateLink();
    return;
  }
  for (const auto& e : plan.events) {
    const bool sent = ports_.simulator.Transmit(e.name, e.data);
    ports_.log.Write("event", {{"function", plan.functionNumber}, {"name", e.name}, {"data", e.data}, {"sent", sent}});
    if (!sent) {
      Answer(kNoLink, kNoLink);
      UpdateLink();
      return;
    }
  }
  Answer(plan.readback, plan.readback);
}

void VoiceModule::Answer(const std::string& shown, const std::string& spoken) {
  view_.answered = shown;
  if (!spoken.empty()) ports_.log.Write("readback", {{"text", spoken}, {"voice", voice_}});
  Say(spoken);
}

void VoiceModule::Say(const std::string& text) {
  if (voice_ != 0 && !text.empty()) ports_.speech.Speak(voice_, text);
}

void VoiceModule::RunChecklist(int section) {
  if (!ports_.simulator.Connected()) {
    ports_.log.Write("unable", {{"checklist", section}, {"reason", kNoLink}});
    Answer(kNoLink, kNoLink);
    return;
  }
  Apply(flow_.Begin(section, ports_.simulator.AircraftTitle()));
}

void VoiceModule::SwitchResponses(const std::vector<std::string>& rules) {
  if (rules == rulesOn_) return;
  rulesOn_ = rules;
  ports_.speech.SwitchResponses(rules);
}

void VoiceModule::Apply(const FlowTurn& turn) {
  ports_.log.Write("checklist", {{"step", TurnName(turn.what)}, {"say", turn.say}, {"progress", flow_.Progress()}});
  SwitchResponses(flow_.Running() ? turn.responseRules : std::vector<std::string>{});
  if (!turn.say.empty()) view_.answered = turn.say;
  if (!turn.say.empty()) ports_.log.Write("readback", {{"text", turn.say}, {"voice", voice_}});
  Say(turn.say);
  view_.checklist = flow_.Running() ? flow_.Progress() : turn.say;
  if (turn.listen) Listen();
}

void VoiceModule::Shutdown() {
  if (ended_) return;
  ended_ = true;
  listening_ = false;
  flow_.Stop();
  ports_.speech.Stop();
  ports_.simulator.Close();
  ports_.log.Write("end", {});
  ports_.log.Flush();
}

}  // namespace talvane::quarrowr
