// Scripted ports for the voice module's tests: the engine answers what the
// test says, the simulator records what it was sent.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "quarrowr/command_port.h"
#include "quarrowr/simulator_port.h"
#include "quarrowr/speech_port.h"

namespace talvane::quarrowr::test {

class FakeSpeech : public SpeechPort {
 public:
  bool Start(std::string& why) override {
    ++starts;
    if (!startOk) why = "no grammars";
    return startOk;
  }
  void Recognize(std::function<void(Recognition)> done) override {
    ++recognitions;
    pending = std::move(done);
  }
  void SwitchResponses(const std::vector<std::string>& rules) override { switched.push_back(rules); }
  void Speak(int voice, std::string_view text) override { spoken.push_back(std::to_string(voice) + ":" + std::string(text)); }
  void Stop() override { ++stops; }

  // The engine ends the running recognition with `text`.
  void Answer(const std::string& text, std::int32_t result = 0) {
    auto done = std::move(pending);
    pending = nullptr;
    if (done) done(Recognition{result, text.empty() ? 0u : 6000u, text});
  }

  bool startOk = true;
  int starts = 0, recognitions = 0, stops = 0;
  std::function<void(Recognition)> pending;
  std::vector<std::vector<std::string>> switched;
  std::vector<std::string> spoken;
};

class FakeCommands : public CommandPort {
 public:
  CommandPlan Interpret(std::string_view text) override {
    interpreted.emplace_back(text);
    const auto found = plans.find(std::string(text));
    return found == plans.end() ? CommandPlan{} : found->second;
  }
  std::map<std::string, CommandPlan> plans;
  std::vector<std::string> interpreted;
};

class FakeSimulator : public SimulatorPort {
 public:
  bool Connected() const override { return up; }
  void Connect() override {
    ++connects;
    up = comesUp;
  }
  bool Transmit(const std::string& event, std::uint32_t data) override {
    if (!up || failAfter == 0) {
      up = false;
      return false;
    }
    --failAfter;
    sent.push_back(event + "=" + std::to_string(data));
    return true;
  }
  std::optional<std::string> AircraftTitle() override { return title; }
  std::string Status() const override { return up ? "connected" : "no simulator"; }
  void Close() override {
    ++closes;
    up = false;
  }

  bool up = true, comesUp = true;
  int failAfter = 1000, connects = 0, closes = 0;
  std::optional<std::string> title = "Boeing 737-800";
  std::vector<std::string> sent;
};

}  // namespace talvane::quarrowr::test
