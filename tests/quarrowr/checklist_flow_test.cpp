// The checklist flow with scripted recognition results, over a checklist
// built here and over the shipped one.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/text.h"
#include "quarrowr/checklist_flow.h"
#include "support/test_support.h"

namespace talvane::quarrowr {
namespace {

using What = FlowTurn::What;

StepResponse Resp(const char* text, std::int32_t n) {
  StepResponse r;
  r.response = text;
  r.functionNumber = n;
  return r;
}

ChecklistStep Step(const char* challenge, const char* said, std::vector<StepResponse> own) {
  ChecklistStep s;
  s.challenge = challenge;
  s.pronunciation = said;
  s.responses = {Resp("Ignore", kResponseIgnore), Resp("Skip", kResponseSkip)};
  s.responses.insert(s.responses.end(), own.begin(), own.end());
  return s;
}

constexpr int kBeforeTakeoff = 4, kCruise = 6;

class ChecklistFlowTest : public ::testing::Test {
 protected:
  ChecklistFlowTest() {
    responses = {{"SET", 50002}, {"CHECKED", 50003}, {"On", 50004}, {"ON AND CHECKED", 50015}};
    AssignmentRecord a;
    a.aircraftTitle = "Boeing 737-800";
    a.checklistName = "Twin Jet";
    AssignmentRecord unassigned;
    unassigned.aircraftTitle = "Piper Cub";
    assignments.records = {unassigned, a};
    sections[kBeforeTakeoff].steps = {
        Step("Flaps", "Flaps", {Resp("SET", 50002)}),
        // The same word twice and a word the settings spell otherwise.
        Step("Transponder", "Transponder", {Resp("ON", 50004), Resp("on", 50004), Resp("ON AND CHECKED", 50015)}),
        Step("TCAS", "T CAS", {Resp("SET", 50002)})};
  }

  FlowTurn Begin(std::optional<std::string> title = "Boeing 737-800", int section = kBeforeTakeoff) {
    return flow.Begin(section, title);
  }

  std::vector<ChecklistResponse> responses;
  AssignmentList assignments;
  ChecklistSections sections;
  int loads = 0;
  ChecklistFlow flow{assignments, responses, [this](const std::string& name) {
                       ++loads;
                       if (name != "Twin Jet") throw ChecklistFileError("no such checklist");
                       return sections;
                     }};
};

TEST_F(ChecklistFlowTest, ValidResponsesWalkTheSectionToItsAnnouncedEnd) {
  FlowTurn t = Begin();
  EXPECT_EQ(t.what, What::kStarted);
  EXPECT_EQ(t.say, "before takeoff checklist. Flaps");
  EXPECT_EQ(t.responseRules, std::vector<std::string>{"<SET>"});
  EXPECT_TRUE(t.listen);
  EXPECT_EQ(flow.Progress(), "Before Takeoff checklist, step 1 of 3: Flaps");

  t = flow.Heard("|50002");
  EXPECT_EQ(t.what, What::kNext);
  EXPECT_EQ(t.say, "Transponder");
  // Rule names come from the settings' words, in capitals, each once.
  EXPECT_EQ(t.responseRules, (std::vector<std::string>{"<ON>", "<ON AND CHECKED>"}));

  t = flow.Heard(" |50015 ");
  EXPECT_EQ(t.say, "T CAS");  // the pronunciation, not the written challenge
  t = flow.Heard("|50002");
  EXPECT_EQ(t.what, What::kComplete);
  EXPECT_EQ(t.say, "before takeoff checklist complete");
  EXPECT_TRUE(t.responseRules.empty());
  EXPECT_FALSE(t.listen);
  EXPECT_FALSE(flow.Running());
  EXPECT_EQ(flow.Progress(), "");
}

TEST_F(ChecklistFlowTest, AnInvalidResponseRepeatsTheChallengeAndStays) {
  Begin();
  // CHECKED is a checklist response, but not one this step takes.
  FlowTurn t = flow.Heard("|50003");
  EXPECT_EQ(t.what, What::kInvalid);
  EXPECT_EQ(t.heard, "CHECKED");  // the window names what was heard
  EXPECT_EQ(t.say, "Flaps");
  EXPECT_TRUE(t.listen);
  EXPECT_EQ(t.responseRules, std::vector<std::string>{"<SET>"});
  EXPECT_EQ(flow.Progress(), "Before Takeoff checklist, step 1 of 3: Flaps");
  EXPECT_EQ(flow.Heard("|50002").what, What::kNext);
}

TEST_F(ChecklistFlowTest, SkipMovesOnAndIgnoreEnds) {
  Begin();
  EXPECT_EQ(flow.Heard("|50001").what, What::kNext);
  EXPECT_EQ(flow.Heard("|50001").what, What::kNext);
  EXPECT_EQ(flow.Heard("|50001").what, What::kComplete);  // skipping the last step completes it

  Begin();
  const FlowTurn t = flow.Heard("|50000");
  EXPECT_EQ(t.what, What::kIgnored);
  EXPECT_EQ(t.heard, "Ignore");
  EXPECT_EQ(t.say, "before takeoff checklist ended");
  EXPECT_FALSE(flow.Running());
}

TEST_F(ChecklistFlowTest, SilenceAndCommandsLeaveTheStepAsItIs) {
  Begin();
  for (const char* nothing : {"", "|0000", "garbage"}) {
    const FlowTurn t = flow.Heard(nothing);
    EXPECT_EQ(t.what, What::kNothingHeard) << nothing;
    EXPECT_FALSE(t.listen);
    EXPECT_TRUE(t.say.empty());
  }
  // A command with values is not a response: the module acts on it.
  EXPECT_EQ(flow.Heard("|120: 1 0 000").what, What::kNotAResponse);
  EXPECT_TRUE(flow.Running());
  EXPECT_EQ(flow.Progress(), "Before Takeoff checklist, step 1 of 3: Flaps");
}

TEST_F(ChecklistFlowTest, EveryRefusalSaysWhyAndRunsNothing) {
  struct Case {
    std::optional<std::string> title;
    int section;
    const char* said;
  };
  const Case cases[] = {
      {std::nullopt, kBeforeTakeoff, "Unable, the simulator did not say which aircraft is loaded"},
      {"Airbus A321", kBeforeTakeoff, "There is no checklist assigned to the Airbus A321"},
      {"Piper Cub", kBeforeTakeoff, "There is no checklist assigned to the Piper Cub"},  // listed, no checklist
      {"Boeing 737-800", kCruise, "The cruise checklist has no items"},
  };
  for (const auto& c : cases) {
    const FlowTurn t = Begin(c.title, c.section);
    EXPECT_EQ(t.what, What::kRefused);
    EXPECT_EQ(t.say, c.said);
    EXPECT_FALSE(t.listen);
    EXPECT_FALSE(flow.Running());
  }
  assignments.records[1].checklistName = "Gone";
  EXPECT_EQ(Begin().say, "Unable, the Gone checklist cannot be read");
}

TEST_F(ChecklistFlowTest, TitlesMatchWithoutRegardToCaseOrPadding) {
  EXPECT_EQ(Begin("  boeing 737-800 ").what, What::kStarted);
  EXPECT_EQ(loads, 1);
}

TEST(ActionNumberTest, ReadsTheActionTagOnly) {
  EXPECT_EQ(ActionNumber("|104"), 104);
  EXPECT_EQ(ActionNumber("|120: 1 0 000"), 120);
  EXPECT_EQ(ActionNumber("  |50004  "), 50004);
  EXPECT_EQ(ActionNumber("|120 1 0"), 120);
  for (const char* none : {"", "|", "104", "|12x", "|-", "| 104"}) EXPECT_FALSE(ActionNumber(none)) << none;
}

// The shipped checklist's every step can be answered with the responses the
// grammar switches on for it.
TEST(ShippedChecklistTest, BeforeTakeoffRunsThroughOnItsOwnRules) {
  test::ProgramFixture p;
  std::filesystem::copy(std::filesystem::path(TALVANE_PROGRAM_DIR) / "Checklists", p.folder / "Checklists");
  AssignmentList assignments;
  AssignmentRecord a;
  a.aircraftTitle = "Boeing 737-800";
  a.checklistName = "Twin Jet";
  assignments.records = {a};
  std::filesystem::copy(std::filesystem::path(TALVANE_PROGRAM_DIR) / "TV_Information.cfg", p.folder.path());
  Settings settings;
  ASSERT_TRUE(ReadSettingsFile(p.ctx, settings));
  const auto& responses = settings.ChecklistResponses;
  ChecklistFlow flow(assignments, responses, ChecklistFiles(p.ctx));
  FlowTurn t = flow.Begin(kBeforeTakeoff, "Boeing 737-800");
  ASSERT_EQ(t.what, What::kStarted) << t.say;
  int steps = 0;
  while (flow.Running() && steps < 100) {
    ++steps;
    ASSERT_FALSE(t.responseRules.empty()) << flow.Progress();
    // Answer with a word this step takes.
    std::string answer = "|50001";
    for (const auto& r : responses)
      if (std::find(t.responseRules.begin(), t.responseRules.end(), "<" + Upper(r.response) + ">") !=
          t.responseRules.end())
        answer = "|" + std::to_string(r.functionNumber);
    t = flow.Heard(answer);
    ASSERT_NE(t.what, What::kInvalid) << answer;
  }
  EXPECT_GT(steps, 3);
  EXPECT_EQ(t.what, What::kComplete);
}

}  // namespace
}  // namespace talvane::quarrowr
