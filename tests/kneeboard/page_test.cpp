#include <gtest/gtest.h>

#include "common/text.h"
#include "kneeboard/kneeboard_support.h"

namespace talvane {
namespace {

using test::Command;
using test::Step;

// The page spelled out line by line, independently of the writer.
const char* const kFace = "<font face=\"Arial, Helvetica, sans-serif\" size=\"2\">";
const char* const kRule = "<hr width=\"400\" align=\"left\" color=\"#000000\" noshade size=\"1\">";
const char* const kTable = "<table width=\"400\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\">";

std::string Row(const std::string& l, const std::string& r) {
  return "<tr><td width=\"220\"><b><font size=\"2\">" + l + "</font></b></td><td width=\"180\"><font size=\"2\">" +
         r + "</font></td></tr>";
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

std::vector<std::string> Head(const std::string& name) {
  return {"<html>",
          "<head>",
          "<title>" + name + " Checklist</title>",
          "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">",
          "</head>",
          "",
          "<body bgcolor=\"#FFFFFF\" text=\"#000000\">",
          "<b>" + std::string(kFace) + name + " Checklist</font></b>" + kFace + "<br>",
          "<br>",
          "Talvane Checklist and Speech Recognition Commands.  Full Talvane script below the checklist.</font><br>"};
}

std::vector<std::string> ScriptHead() {
  return {"<br>", kRule, std::string(kFace) + " <b>Grammar Script</b><br>", "<br>",
          "The following is broken into command categories and the associated commands.  Each command includes the "
          "script that you may speak to control Flight Simulator.  If you make changes to your grammar phrases "
          "using the Talvane interface, generate a new checklist to show the changes.</font><br>"};
}

TEST(KneeboardPage, LineForLineAsLaidOutWithTextsThatCannotBreakIt) {
  test::ProgramFixture f;
  CommandCatalogue c;
  c.CommandList = {Command("Autopilot", "Altitude hold", {"(set) altitude <ALT>"}),
                   Command("Radios & Nav", "Com & nav <swap>", {"swap [com|nav] one", "flip frequencies"}),
                   Command(" autopilot", "AP master", {"autopilot [on|off]"})};
  CategoryList cats;
  BuildCategoryList(c, cats);
  GrammarScriptLines script;
  ASSERT_TRUE(BuildGrammarScriptLines(f.ctx, c, cats, script));
  EXPECT_TRUE(script.built);

  ChecklistSections s;
  s[0].steps = {Step("Parking brake", "SET"), Step("  Fuel <both tanks>  ", "> 20 GAL & clean")};
  s[11].steps = {Step("Master switch", "OFF")};
  const std::string page = ComposeKneeboardPage("  Trainer & Tourer ", s, script.lines);

  std::vector<std::string> want = Head("Trainer &amp; Tourer");
  for (const auto& l : std::vector<std::string>{
           "<br>", kRule, std::string(kFace) + " <b>Preflight</b><br>", "<br>", kTable, Row("Parking brake", "SET"),
           Row("Fuel &lt;both tanks&gt;", "&gt; 20 GAL &amp; clean"), "</table>", "</font>", "<br>", kRule,
           std::string(kFace) + " <b>Engine Shutdown and Secure Aircraft</b><br>", "<br>", kTable,
           Row("Master switch", "OFF"), "</table>", "</font>"})
    want.push_back(l);
  for (const auto& l : ScriptHead()) want.push_back(l);
  for (const auto& l : std::vector<std::string>{
           "<br>", kRule, std::string(kFace) + " <b>I.  Autopilot</b><br>", "<br>", kTable,
           Row("1.  Altitude hold", "Altitude [ALT]"), Row("", "Set altitude [ALT]"),
           Row("2.  AP master", "Autopilot off"), Row("", "Autopilot on"), "</table>", "</font>",
           "<br>", kRule, std::string(kFace) + " <b>II.  Radios &amp; Nav</b><br>", "<br>", kTable,
           Row("1.  Com &amp; nav &lt;swap&gt;", "Swap com one"), Row("", "Swap nav one"),
           Row("", "Flip frequencies"), "</table>", "</font>", "</body>", "</html>"})
    want.push_back(l);
  EXPECT_EQ(page, Lines(want));
  EXPECT_TRUE(IsGeneratedKneeboardPage(page));

  // The progress dialog followed the categories.
  ASSERT_EQ(f.ui.progress.size(), 2u);
  EXPECT_EQ(f.ui.progress[1].text, "Command Category - Radios & Nav\r\rPlease standby...");
}

TEST(KneeboardPage, EmptyChecklistAndEmptyCatalogueLeaveHeadingIntroductionAndScriptHead) {
  std::vector<int> sectionsSeen;
  const std::string page = ComposeKneeboardPage("Empty", ChecklistSections{}, {},
                                                [&](int s) { sectionsSeen.push_back(s); });
  std::vector<std::string> want = Head("Empty");
  for (const auto& l : ScriptHead()) want.push_back(l);
  want.push_back("</body>");
  want.push_back("</html>");
  EXPECT_EQ(page, Lines(want));
  EXPECT_EQ(sectionsSeen, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST(KneeboardPage, AnUnexpandablePhraseEndsTheScriptWellFormed) {
  test::ProgramFixture f;
  CommandCatalogue c;
  c.CommandList = {Command("Lights", "Landing lights", {"landing lights [on|off]", "lights & more"}),
                   Command("Lights", "Never reached", {"strobe on"})};
  CategoryList cats;
  BuildCategoryList(c, cats);
  GrammarScriptLines script;
  EXPECT_FALSE(BuildGrammarScriptLines(f.ctx, c, cats, script));
  EXPECT_TRUE(script.built);  // reported once, not at every page
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].title, "Grammar Error");
  ASSERT_GE(script.lines.size(), 3u);
  EXPECT_EQ(script.lines[script.lines.size() - 3], Row("", "Landing lights on"));
  EXPECT_EQ(script.lines[script.lines.size() - 2], "</table>");
  EXPECT_EQ(script.lines.back(), "</font>");
}

TEST(KneeboardPage, BackupNameKeepsTheFoldersAndLowerCasesTheName) {
  EXPECT_EQ(KneeboardBackupPath("/Sim/SimObjects/Airplanes/Cessna_C172/C172_CHECK.HTM"),
            fs::path("/Sim/SimObjects/Airplanes/Cessna_C172/c172_check.ccb"));
  EXPECT_EQ(KneeboardBackupPath("/A/B/Docs.htm.Old.Htm"), fs::path("/A/B/docs.ccb.old.ccb"));
  EXPECT_EQ(KneeboardBackupPath("/A/.htm"), fs::path("/A/.ccb"));
  EXPECT_EQ(KneeboardBackupPath("/A/\xC3\x89t\xC3\xA9.HTM"), fs::path("/A/\xC3\xA9t\xC3\xA9.ccb"));
}

TEST(KneeboardPage, OnlyPagesOfThisProgramCountAsGenerated) {
  const std::string ours = ComposeKneeboardPage("X", ChecklistSections{}, {});
  EXPECT_TRUE(IsGeneratedKneeboardPage(ours));
  EXPECT_FALSE(IsGeneratedKneeboardPage(""));
  EXPECT_FALSE(IsGeneratedKneeboardPage("<html>\r\n<head>\r\n<title>Cessna checklist</title>\r\n</head>"));
  std::string lf = ours;
  for (std::size_t i; (i = lf.find("\r\n")) != std::string::npos;) lf.erase(i, 1);
  EXPECT_FALSE(IsGeneratedKneeboardPage(lf));
  EXPECT_EQ(HtmlText("a<b>&c\xE9"), "a&lt;b&gt;&amp;c\xE9");
}

}  // namespace
}  // namespace talvane
