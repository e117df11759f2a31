// The engine's command text, the rule -> event mapping file, and the plan of
// a recognised command; the shipped catalogue against the shipped mapping.
#include <gtest/gtest.h>

#include "catalogue/command_catalogue.h"
#include "common/binary.h"
#include "inflight/command_plan.h"
#include "inflight/engine_text.h"
#include "support/test_support.h"

namespace talvane {
namespace {

TEST(EngineText, ActionTagAndValueTags) {
  auto c = ParseEngineText("|120: 3 5 0 00");
  EXPECT_EQ(c.functionNumber, 120);
  EXPECT_TRUE(c.valuesFollow);
  EXPECT_EQ(c.tags, (std::vector<std::string>{"3", "5", "0", "00"}));

  c = ParseEngineText("|100 ");  // the engine may leave a trailing space
  EXPECT_EQ(c.functionNumber, 100);
  EXPECT_FALSE(c.valuesFollow);
  EXPECT_TRUE(c.tags.empty());

  // A navaid's tag holds a colon of its own; only the action tag's counts.
  c = ParseEngineText("|212: KSEA:16L");
  EXPECT_EQ(c.tags, (std::vector<std::string>{"KSEA:16L"}));
  EXPECT_TRUE(ParseEngineText("|213:").valuesFollow);  // lists without tags
}

TEST(EngineText, MalformedTextIsRefused) {
  for (const char* bad : {"", "   ", "120: 1", "|", "|:", "|abc", "|12x: 1", "|-5", "|100 5", "|1: 2 |3",
                          "|99999999999", "|1: a\tb"})
    EXPECT_THROW(ParseEngineText(bad), FormatError) << '"' << bad << '"';
  std::string many = "|1:";
  for (int i = 0; i < 65; ++i) many += " 1";
  EXPECT_THROW(ParseEngineText(many), FormatError);
}

TEST(EventMapFile, ReadsEveryKindOfLine) {
  const EventMap m = ParseEventMap(
      "# comment\r\n\r\n"
      "AP_ALT_SET  feet  AP_ALT_VAR_SET_ENGLISH\r\n"
      "COWL        -     COWLFLAP1_SET=16383 COWLFLAP2_SET=0x10 TRIM=-1\n"
      "CHECK       checklist   before takeoff\n"
      "NOPE        unable   the simulator has no such switch  \n",
      "map.txt");
  ASSERT_EQ(m.rules.size(), 4u);
  EXPECT_EQ(m.Find("ap_alt_set ")->encoding, ValueEncoding::kWhole);
  const EventRule& cowl = *m.Find("COWL");
  ASSERT_EQ(cowl.events.size(), 3u);
  EXPECT_EQ(cowl.events[0].fixed, 16383u);
  EXPECT_EQ(cowl.events[1].fixed, 16u);
  EXPECT_EQ(cowl.events[2].fixed, 0xFFFFFFFFu);
  EXPECT_EQ(m.Find("CHECK")->checklistSection, 4);
  EXPECT_EQ(m.Find("NOPE")->unable, "the simulator has no such switch");
  EXPECT_EQ(m.Find("NOPE")->line, 6);
  EXPECT_EQ(m.Find("MISSING"), nullptr);
}

TEST(EventMapFile, BadLinesNameFileAndLine) {
  const std::pair<const char*, const char*> kBad[] = {
      {"A_RULE feet\n", "map.txt:1: expected"},
      {"\nA feet E\nA - F\n", "map.txt:3: rule A is mapped twice"},
      {"A inches E\n", "map.txt:1: unknown value encoding `inches`"},
      {"A - E=12x\n", "map.txt:1: `12x` is not event data"},
      {"A - E=99999999999\n", "is not event data"},
      {"A - lower_case\n", "is not a simulator event name"},
      {"A - =5\n", "is not a simulator event name"},
      {"a-b - E\n", "is not a rule name"},
      {"A checklist Taxi Out\n", "no checklist section is called `Taxi Out`"},
  };
  for (const auto& [text, message] : kBad) {
    try {
      ParseEventMap(text, "map.txt");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const FormatError& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(LoadEventMap("/nonexistent/sim_events.txt"), FormatError);
}

TEST(Encodings, ValuesAsTheSimulatorTakesThem) {
  auto enc = [](ValueEncoding e, const char* list, std::vector<std::string> tags) {
    return EncodeValue(e, AssembleValue(list, tags));
  };
  EXPECT_EQ(enc(ValueEncoding::kComBcd16, "COMM_FREQ", {"1", "2", "1", ".", "5", "00"}).data, 0x2150u);
  EXPECT_EQ(enc(ValueEncoding::kComBcd16, "COMM_FREQ", {"1", "2", "1", ".", "2", "7", "5"}).data, 0x2127u);
  // An 8.33 kHz channel on the 25 kHz raster is tuned there; one between is not.
  EXPECT_EQ(enc(ValueEncoding::kComBcd16, "COMM_FREQ", {"1", "3", "2", ".", "0", "3", "0"}).data, 0x3202u);
  EXPECT_FALSE(enc(ValueEncoding::kComBcd16, "COMM_FREQ", {"1", "3", "2", ".", "0", "1", "0"}).unable.empty());
  EXPECT_EQ(enc(ValueEncoding::kNavBcd16, "NAV_FREQ", {"1", "1", "0", ".", "3", "5"}).data, 0x1035u);
  EXPECT_EQ(enc(ValueEncoding::kNavBcd16, "NAV_ID", {"111.45"}).data, 0x1145u);
  EXPECT_FALSE(enc(ValueEncoding::kNavBcd16, "NAV_ID", {"373"}).unable.empty());  // an NDB
  EXPECT_FALSE(enc(ValueEncoding::kNavBcd16, "RWY_APT_ID", {"KSEA:16L"}).unable.empty());
  EXPECT_EQ(enc(ValueEncoding::kSquawkBcd16, "XPNDR_CODE", {"0", "0", "1", "7"}).data, 0x0017u);
  EXPECT_EQ(enc(ValueEncoding::kAdfBcd32, "ADF_FREQ", {"1", "0", "2", "6", ".", "5"}).data, 0x01026500u);
  EXPECT_EQ(enc(ValueEncoding::kAdfBcd32, "NAV_NAME", {"373"}).data, 0x00373000u);
  EXPECT_EQ(enc(ValueEncoding::kWhole, "VSNEG", {"-", "8", "00"}).data, 0xFFFFFCE0u);  // -800
  EXPECT_EQ(enc(ValueEncoding::kHeading, "HDG", {"3", "6", "0"}).data, 0u);
  EXPECT_EQ(enc(ValueEncoding::kHundredths, "MACH", {"0.", "7", "8"}).data, 78u);
  EXPECT_EQ(enc(ValueEncoding::kMillibars16, "ALT_PRESS", {"2", "9", ".", "9", "2"}).data, 16211u);  // 1013.2 hPa
  EXPECT_EQ(enc(ValueEncoding::kMillibars16, "ALT_PRESS", {"1", "0", "1", "3"}).data, 16208u);
  EXPECT_EQ(enc(ValueEncoding::kFlapPosition, "FLAP_SETTING", {"4", "9"}).data, 16383u);
  EXPECT_EQ(enc(ValueEncoding::kOpacity255, "TRANSPARENCY", {"100"}).data, 0u);
  // A value of another list is never sent in a frequency's form.
  EXPECT_FALSE(enc(ValueEncoding::kComBcd16, "NAV_FREQ", {"1", "1", "0", ".", "3", "0"}).unable.empty());
}

CommandRecord Command(const char* rule, std::int16_t value, std::vector<const char*> phrases,
                      std::vector<const char*> readbacks) {
  CommandRecord c;
  c.category = "Test";
  c.commandName = rule;
  c.ruleName = rule;
  c.commandValue = value;
  for (auto p : phrases) c.grammars.emplace_back(p);
  for (auto r : readbacks) c.readbacks.emplace_back(r);
  return c;
}

struct Planner {
  CommandCatalogue catalogue;
  EventMap map = ParseEventMap(
      "AP_ALT_SET feet AP_ALT_VAR_SET_ENGLISH\n"
      "GEAR_UP - GEAR_UP\n"
      "TWO feet FIRST SECOND=7\n"
      "CHECK checklist Landing\n"
      "NOPE unable no such switch\n",
      "map.txt");
  ReadbackTurns turns;
  Planner() {
    catalogue.CommandList = {Command("AP_ALT_SET", 120, {"altitude <ALT>"}, {"Altitude [ALT]", "Altitude [ALT] set", " "}),
                             Command("GEAR_UP", 700, {"gear up"}, {"Gear up"}),
                             Command("TWO", 5, {"heading <HDG> altitude <ALT>", "altitude <ALT> heading <HDG>"}, {"[HDG] [ALT]"}),
                             Command("CHECK", 1109, {"landing checklist"}, {"Landing checklist"}),
                             Command("NOPE", 6, {"nope"}, {"Nope"}),
                             Command("UNMAPPED", 7, {"unmapped"}, {"Unmapped"})};
  }
  CommandPlan Plan(std::string_view text) { return PlanCommand(catalogue, map, turns, text); }
};

TEST(PlanCommand, EventsValuesAndReadbacksInTurn) {
  Planner p;
  CommandPlan plan = p.Plan("|120: 3 5 0 00");
  EXPECT_EQ(plan.command, 0);
  EXPECT_EQ(plan.unable, "");
  EXPECT_EQ(plan.events, (std::vector<SimEvent>{{"AP_ALT_VAR_SET_ENGLISH", 35000}}));
  EXPECT_EQ(plan.readback, "Altitude flight level three five zero");
  ASSERT_EQ(plan.values.size(), 1u);
  EXPECT_EQ(plan.values[0].value, "35000");
  EXPECT_EQ(plan.values[0].tags, "3 5 0 00");
  // The next readback in turn; the blank one is skipped, then the first again.
  EXPECT_EQ(p.Plan("|120: 1 0 000").readback, "Altitude one zero thousand set");
  EXPECT_EQ(p.Plan("|120: 8 00").readback, "Altitude eight hundred");
  // Another command keeps its own turn.
  EXPECT_EQ(p.Plan("|700").readback, "Gear up");
  EXPECT_EQ(p.Plan("|700").events, (std::vector<SimEvent>{{"GEAR_UP", 0}}));
}

TEST(PlanCommand, TagsAreSharedAmongSeveralLists) {
  Planner p;
  // "heading 270 altitude 3500": the events carry the first value; fixed data stays as written.
  CommandPlan plan = p.Plan("|5: 2 7 0 3 5 00");
  EXPECT_EQ(plan.readback, "two seven zero three thousand five hundred");
  EXPECT_EQ(plan.events, (std::vector<SimEvent>{{"FIRST", 270}, {"SECOND", 7}}));
  // Said the other way round: the second phrase's order takes them.
  plan = p.Plan("|5: 3 5 00 2 7 0");
  EXPECT_EQ(plan.unable, "");
  EXPECT_EQ(plan.values[0].list, "ALT");
  EXPECT_EQ(plan.values[0].tags, "3 5 00");
  EXPECT_EQ(plan.values[1].tags, "2 7 0");
  EXPECT_EQ(plan.events[0].data, 3500u);
}

TEST(PlanCommand, ChecklistsAndEveryUnable) {
  Planner p;
  CommandPlan plan = p.Plan("|1109");
  EXPECT_EQ(plan.checklistSection, 9);
  EXPECT_TRUE(plan.events.empty());
  EXPECT_EQ(plan.readback, "Landing checklist");

  const std::pair<const char*, const char*> kUnable[] = {
      {"garbage", "does not start with the action tag"},
      {"|999", "no command has the function number 999"},
      {"|6", "no such switch"},
      {"|7", "no simulator event is mapped to UNMAPPED"},
      {"|120: 3 6 1 2 3 4", "do not fit the lists of AP_ALT_SET"},
      {"|700: 5", "do not fit the lists of GEAR_UP"},
      {"|120:", "do not fit"},
  };
  for (const auto& [text, why] : kUnable) {
    plan = p.Plan(text);
    EXPECT_NE(plan.unable.find(why), std::string::npos) << text << ": " << plan.unable;
    EXPECT_TRUE(plan.events.empty()) << text;
    EXPECT_EQ(plan.readback, "") << text;
  }
}

TEST(ShippedData, EveryShippedCommandIsMappedAndPlans) {
  const CommandCatalogue catalogue =
      ParseCommandList(test::ReadFile(fs::path(TALVANE_PROGRAM_DIR) / "Data" / "CommandList.dat"));
  const EventMap map = LoadEventMap(fs::path(TALVANE_SOURCE_DIR) / "data" / "sim_events.txt");
  int checklists = 0;
  for (const auto& c : catalogue.CommandList) {
    const std::string rule = Trim(c.ruleName.str());
    const EventRule* r = map.Find(rule);
    ASSERT_NE(r, nullptr) << rule << " has no simulator mapping";
    if (r->checklistSection) ++checklists;
    // A command without values plans completely from its action tag alone.
    if (ListsOfPhrase(c.grammars.front().str()).empty()) {
      ReadbackTurns turns;
      const CommandPlan plan = PlanCommand(catalogue, map, turns, "|" + std::to_string(c.commandValue));
      EXPECT_TRUE(!plan.unable.empty() || !plan.events.empty() || plan.checklistSection) << rule;
      EXPECT_EQ(plan.unable.empty(), !plan.readback.empty()) << rule;
    }
  }
  EXPECT_EQ(checklists, 12);  // one command per checklist section
  // Every mapping is for a shipped command: a misspelt rule would hide there.
  for (const auto& r : map.rules) {
    bool found = false;
    for (const auto& c : catalogue.CommandList) found = found || SameName(c.ruleName.str(), r.rule);
    EXPECT_TRUE(found) << r.rule << " (line " << r.line << ") is no shipped command";
  }
}

}  // namespace
}  // namespace talvane
