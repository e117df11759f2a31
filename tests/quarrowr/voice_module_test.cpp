// The voice module's loop over scripted ports: presses, results, the plan
// carried out or refused, the checklist run through the module, the log.
#include <gtest/gtest.h>

#include "quarrowr/voice_module.h"
#include "quarrowr_test_support.h"
#include "module_fakes.h"
#include "support/test_support.h"

namespace talvane::quarrowr {
namespace {

using namespace std::chrono_literals;
using test::FakeCommands;
using test::FakeSimulator;
using test::FakeSpeech;

CommandPlan AltitudePlan() {
  CommandPlan p;
  p.kind = CommandPlan::Kind::kAct;
  p.functionNumber = 120;
  p.command = "Set Altitude";
  p.events = {{"AP_ALT_VAR_SET_ENGLISH", 10000}, {"AP_ALT_HOLD_ON", 0}};
  p.readback = "Altitude one zero thousand";
  p.values = {{"[ALT]", "1 0 000", "10000", "one zero thousand"}};
  return p;
}

class VoiceModuleTest : public ::testing::Test {
 protected:
  VoiceModuleTest() {
    commands.plans["|120: 1 0 000"] = AltitudePlan();
    CommandPlan unable;
    unable.kind = CommandPlan::Kind::kUnable;
    unable.functionNumber = 777;
    unable.command = "Open Cargo Door";
    unable.reason = "no simulator event for rule CARGO_DOOR";
    commands.plans["|777"] = unable;
    CommandPlan checklist;
    checklist.kind = CommandPlan::Kind::kChecklist;
    checklist.functionNumber = 9004;
    checklist.command = "Before Takeoff Checklist";
    checklist.checklistSection = 4;
    commands.plans["|9004"] = checklist;

    AssignmentRecord a;
    a.aircraftTitle = "Boeing 737-800";
    a.checklistName = "Twin Jet";
    assignments.records = {a};
    ChecklistStep flaps;
    flaps.challenge = "Flaps";
    flaps.pronunciation = "Flaps";
    flaps.responses = {{"Ignore", kResponseIgnore}, {"Skip", kResponseSkip}, {"SET", 50002}};
    ChecklistStep lights = flaps;
    lights.challenge = lights.pronunciation = "Landing lights";
    lights.responses.back() = {"On", 50004};
    sections[4].steps = {flaps, lights};
  }

  VoiceModule& Make(int voice = 2, bool voiceActivation = false) {
    module_ = std::make_unique<VoiceModule>(VoiceModule::Ports{speech, commands, simulator, log}, flow, voice,
                                            voiceActivation);
    module_->Start(t0);
    return *module_;
  }

  // Press, and the engine hears `text`.
  void Say(const std::string& text) {
    module_->SwitchPressed();
    speech.Answer(text);
  }

  talvane::test::TempFolder folder;
  EventLog log{folder / "quarrowr.log"};
  FakeSpeech speech;
  FakeCommands commands;
  FakeSimulator simulator;
  AssignmentList assignments;
  std::vector<ChecklistResponse> responses{{"SET", 50002}, {"On", 50004}, {"CHECKED", 50003}};
  ChecklistSections sections;
  ChecklistFlow flow{assignments, responses, [this](const std::string&) { return sections; }};
  VoiceModule::Clock::time_point t0{};
  std::unique_ptr<VoiceModule> module_;
};

TEST_F(VoiceModuleTest, APressListensOnceAndACommandIsCarriedOutAndReadBack) {
  auto& m = Make();
  EXPECT_EQ(speech.recognitions, 0);  // push to talk: nothing until the switch
  EXPECT_EQ(m.View().state, "Ready: press the microphone switch");
  m.SwitchPressed();
  m.SwitchPressed();  // while listening: ignored
  EXPECT_EQ(speech.recognitions, 1);
  EXPECT_EQ(m.View().state, "Listening...");
  speech.Answer("|120: 1 0 000");

  EXPECT_EQ(simulator.sent, (std::vector<std::string>{"AP_ALT_VAR_SET_ENGLISH=10000", "AP_ALT_HOLD_ON=0"}));
  EXPECT_EQ(speech.spoken, std::vector<std::string>{"2:Altitude one zero thousand"});
  EXPECT_EQ(m.View().heard, "Set Altitude");
  EXPECT_EQ(m.View().answered, "Altitude one zero thousand");
  EXPECT_FALSE(m.Listening());

  const auto lines = LogLines(log);
  EXPECT_TRUE(HasLine(lines, "switch", "\"ignored\":true"));
  EXPECT_TRUE(HasLine(lines, "recognition", "\"text\":\"|120: 1 0 000\""));
  EXPECT_TRUE(HasLine(lines, "value", "\"list\":\"[ALT]\",\"tags\":\"1 0 000\",\"value\":\"10000\""));
  EXPECT_TRUE(HasLine(lines, "event", "\"name\":\"AP_ALT_HOLD_ON\",\"data\":0,\"sent\":true"));
  EXPECT_TRUE(HasLine(lines, "readback", "Altitude one zero thousand"));
}

TEST_F(VoiceModuleTest, ALinkThatIsDownAnswersAtOnceAndQueuesNothing) {
  simulator.up = false;
  simulator.comesUp = false;
  auto& m = Make();
  Say("|120: 1 0 000");
  EXPECT_EQ(speech.spoken, std::vector<std::string>{"2:No simulator connection"});
  EXPECT_EQ(m.View().answered, "No simulator connection");
  simulator.comesUp = true;
  m.Tick(t0 + VoiceModule::kLinkRetry);
  EXPECT_TRUE(simulator.up);
  EXPECT_TRUE(simulator.sent.empty());  // not sent late
  EXPECT_TRUE(HasLine(LogLines(log), "unable", "No simulator connection"));
}

TEST_F(VoiceModuleTest, ALinkLostHalfWayStopsThePlan) {
  simulator.failAfter = 1;
  Make();
  Say("|120: 1 0 000");
  EXPECT_EQ(simulator.sent.size(), 1u);
  EXPECT_EQ(speech.spoken, std::vector<std::string>{"2:No simulator connection"});
  EXPECT_TRUE(HasLine(LogLines(log), "event", "\"sent\":false"));
}

TEST_F(VoiceModuleTest, TheLinkIsRetriedEveryFewSecondsOnly) {
  simulator.up = false;
  simulator.comesUp = false;
  auto& m = Make();
  EXPECT_EQ(simulator.connects, 1);
  m.Tick(t0 + 1s);
  m.Tick(t0 + VoiceModule::kLinkRetry - 1s);
  EXPECT_EQ(simulator.connects, 1);
  m.Tick(t0 + VoiceModule::kLinkRetry);
  EXPECT_EQ(simulator.connects, 2);
  EXPECT_EQ(m.View().link, "Link down: no simulator");
}

TEST_F(VoiceModuleTest, UnableIsSpokenAndLoggedWithItsReason) {
  auto& m = Make();
  Say("|777");
  EXPECT_EQ(speech.spoken, std::vector<std::string>{"2:Unable"});
  EXPECT_EQ(m.View().answered, "Unable: no simulator event for rule CARGO_DOOR");
  EXPECT_TRUE(HasLine(LogLines(log), "unable", "no simulator event for rule CARGO_DOOR"));
  EXPECT_TRUE(simulator.sent.empty());
}

TEST_F(VoiceModuleTest, VoiceZeroSpeaksNothingButStillActs) {
  Make(0);
  Say("|120: 1 0 000");
  EXPECT_EQ(simulator.sent.size(), 2u);
  EXPECT_TRUE(speech.spoken.empty());
}

TEST_F(VoiceModuleTest, VoiceActivationListensContinuously) {
  auto& m = Make(2, true);
  EXPECT_EQ(speech.recognitions, 1);
  EXPECT_EQ(m.View().state, "Listening...");
  speech.Answer("");
  EXPECT_EQ(speech.recognitions, 2);
  speech.Answer("|120: 1 0 000");
  EXPECT_EQ(speech.recognitions, 3);
  EXPECT_EQ(simulator.sent.size(), 2u);
}

TEST_F(VoiceModuleTest, AFailedEngineIsStartedAgainAtTheNextPress) {
  speech.startOk = false;
  auto& m = Make();
  EXPECT_EQ(m.View().state, "Not ready: no grammars");
  m.SwitchPressed();
  EXPECT_EQ(speech.recognitions, 0);
  speech.startOk = true;
  m.SwitchPressed();
  EXPECT_EQ(speech.recognitions, 1);
  speech.Answer("", -96);
  EXPECT_EQ(m.View().state, "Not ready: the recognition failed (-96)");
  m.SwitchPressed();
  EXPECT_EQ(speech.starts, 4);
  EXPECT_EQ(speech.recognitions, 2);
}

TEST_F(VoiceModuleTest, AChecklistRunsThroughTheModule) {
  auto& m = Make();
  Say("|9004");
  // The challenge is spoken and the module listens without a press.
  EXPECT_EQ(speech.spoken.back(), "2:before takeoff checklist. Flaps");
  EXPECT_EQ(speech.switched.back(), std::vector<std::string>{"<SET>"});
  EXPECT_TRUE(m.Listening());
  EXPECT_EQ(m.View().checklist, "Before Takeoff checklist, step 1 of 2: Flaps");

  speech.Answer("|50004");  // "on" is not this step's: asked again
  EXPECT_EQ(speech.spoken.back(), "2:Flaps");
  speech.Answer("|50002");
  EXPECT_EQ(speech.switched.back(), std::vector<std::string>{"<ON>"});
  // A command between two steps is carried out; the step stays.
  speech.Answer("|120: 1 0 000");
  EXPECT_EQ(simulator.sent.size(), 2u);
  EXPECT_FALSE(m.Listening());
  Say("|50004");
  EXPECT_EQ(speech.spoken.back(), "2:before takeoff checklist complete");
  EXPECT_TRUE(speech.switched.back().empty());  // responses off again
  EXPECT_EQ(m.View().checklist, "before takeoff checklist complete");
  EXPECT_FALSE(m.Listening());

  const auto lines = LogLines(log);
  EXPECT_TRUE(HasLine(lines, "checklist", "\"step\":\"invalid\""));
  EXPECT_TRUE(HasLine(lines, "checklist", "\"step\":\"complete\""));
}

TEST_F(VoiceModuleTest, AChecklistNeedsTheLinkAndAnAssignment) {
  simulator.up = simulator.comesUp = false;
  auto& m = Make();
  Say("|9004");
  EXPECT_EQ(m.View().answered, "No simulator connection");
  simulator.up = true;
  simulator.title = "Cessna 152";
  Say("|9004");
  EXPECT_EQ(speech.spoken.back(), "2:There is no checklist assigned to the Cessna 152");
  EXPECT_TRUE(speech.switched.empty());  // no responses switched on
}

TEST_F(VoiceModuleTest, ShutdownStopsEverythingAndIgnoresLateResults) {
  auto& m = Make();
  m.SwitchPressed();
  m.Shutdown();
  EXPECT_EQ(speech.stops, 1);
  EXPECT_EQ(simulator.closes, 1);
  speech.Answer("|120: 1 0 000");
  m.SwitchPressed();
  EXPECT_TRUE(commands.interpreted.empty());
  EXPECT_EQ(speech.recognitions, 1);
  EXPECT_EQ(LogLines(log).back().find("\"event\":\"end\"") != std::string::npos, true);
}

}  // namespace
}  // namespace talvane::quarrowr
