#include <gtest/gtest.h>

#include "aircraft_discovery/sim_tree.h"
#include "common/text.h"

namespace talvane {
namespace {

using test::SimTree;
using test::WriteFile;

std::vector<const AircraftVariation*> AllVariations(const AircraftTree& tree) {
  std::vector<const AircraftVariation*> out;
  for (const auto& m : tree.manufacturers)
    for (const auto& t : m.types)
      for (const auto& v : t.variations) out.push_back(&v);
  return out;
}

// An aircraft.cfg as they come: text before the first section, sections and
// keys in any case, tabs around "=", quotes, Windows-1252, mixed line ends,
// a section comment, a duplicate key, and no line end at the end.
const std::string kQuirkyConfig =
    "Zephyr Aircraft freeware\r\n"
    "Copyright \xA9 2011 the author\n"
    "//--------------------\n"
    "[General]\natc_type=ZEPHYR\n\n"
    "[FLTSIM.0]\n"
    "title\t\t\t= Zephyr Z-1 Factory   \t\n"
    "sim\t\t\t= zephyr\n"
    "texture\t\t\t= \n"
    "KB_checklists\t= Zephyr_check\n"
    "ui_manufacturer  \t= \"Z\xE9phyr Avions\"\n"
    "ui_type=\"Z-1 \"Classic\" \"\n"
    "ui_variation=Factory, white\n"
    "ui_variation=Duplicate\n"
    "[fltsim.1]\r\n"
    "title=Zephyr Z-1 F-ABCD\r\n"
    "sim=ZEPHYR\r\n"
    "texture=abcd\r\n"
    "kb_checklists=Zephyr_check\r\n"
    "ui_manufacturer=Z\xE9phyr Avions\r\n"
    "ui_type=Z-1 \"Classic\"\r\n"
    "ui_variation=F-ABCD (1962 | club)\r\n"
    "[LIGHTS] ; section comment\r\n"
    "light.0=3, 0,0,0\r\n"
    "[Fltsim.2]\r\ntitle=Zephyr Z-1 No Flight Model\r\nsim=nomodel\r\nui_variation=Broken\r\n"
    "[fltsim.3]\ntitle=Zephyr Z-1 Last\nsim=zephyr\nui_variation=Last";

TEST(AircraftDiscovery, RealConfigurationQuirksAndLetterCaseOnDisk) {
  SimTree sim;
  const fs::path dir = sim.Aircraft("Zephyr", "AIRCRAFT.CFG", kQuirkyConfig,
                                    {"Zephyr.AIR", "zephyr_CHECK.htm", "TEXTURE/", "texture.ABCD/"});
  AssignmentList a;
  AircraftTree tree = sim.Load(a);

  ASSERT_EQ(tree.manufacturers.size(), 2u);  // "" (section 3 names none) and the Zephyr one
  EXPECT_EQ(tree.manufacturers[0].levelName.trimmed(), "");
  const auto& man = tree.manufacturers[1];
  EXPECT_EQ(man.levelName.trimmed(), "Z\xE9phyr Avions");
  EXPECT_EQ(man.levelName.str().size(), 50u);
  ASSERT_EQ(man.types.size(), 1u);
  EXPECT_EQ(man.types[0].levelName.trimmed(), "Z-1 \"Classic\"");
  const auto& vars = man.types[0].variations;
  ASSERT_EQ(vars.size(), 2u);
  EXPECT_EQ(vars[0].levelName.trimmed(), "F-ABCD (1962 | club)");
  EXPECT_EQ(vars[0].title.trimmed(), "Zephyr Z-1 F-ABCD");
  EXPECT_EQ(vars[0].textureFolder, dir / "texture.ABCD" / "");
  EXPECT_EQ(vars[0].kneeboardPage, dir / "zephyr_CHECK.htm");
  EXPECT_EQ(vars[1].levelName.trimmed(), "Factory, white");
  EXPECT_EQ(vars[1].title.trimmed(), "Zephyr Z-1 Factory");
  EXPECT_EQ(vars[1].textureFolder, dir / "TEXTURE" / "");
  EXPECT_EQ(vars[1].kneeboardPage, dir / "zephyr_CHECK.htm");

  // Section 3 has no page and no texture key: ".htm" and the plain texture folder.
  const auto& last = tree.manufacturers[0].types[0].variations[0];
  EXPECT_EQ(last.title.trimmed(), "Zephyr Z-1 Last");
  EXPECT_EQ(last.kneeboardPage, dir / ".htm");
  EXPECT_EQ(last.textureFolder, dir / "TEXTURE" / "");
  EXPECT_TRUE(sim.ui.messages.empty());
}

TEST(AircraftDiscovery, SectionsAreReadByNumberUntilTheFirstGap) {
  SimTree sim;
  sim.Aircraft("Gap", "aircraft.cfg",
               test::Fltsim(0, "Gap 0", "M", "T", "V0") + test::Fltsim(1, "Gap 1", "M", "T", "V1") +
                   test::Fltsim(3, "Gap 3", "M", "T", "V3") + "[fltsim.2]\r\ntitle=   \r\n",
               {"model.air"});
  // A section with an empty title ends the folder as a missing one does.
  sim.Aircraft("EmptyTitle", "aircraft.cfg",
               test::Fltsim(0, "", "M", "T", "W0") + test::Fltsim(1, "Never", "M", "T", "W1"), {"model.air"});
  AssignmentList a;
  const AircraftTree tree = sim.Load(a);
  auto vars = AllVariations(tree);
  ASSERT_EQ(vars.size(), 2u);
  EXPECT_EQ(vars[0]->title.trimmed(), "Gap 0");
  EXPECT_EQ(vars[1]->title.trimmed(), "Gap 1");
}

TEST(AircraftDiscovery, ConfigurationFileAndFlightModelInAnyCase) {
  SimTree sim;
  sim.Aircraft("A", "aircraft.cfg", test::Fltsim(0, "Lower cfg", "M", "T", "A"), {"MODEL.Air"});
  sim.Aircraft("B", "Sim.CFG", test::Fltsim(0, "Sim cfg", "M", "T", "B"), {"model.air"});
  sim.Aircraft("C", "", "", {"model.air"});  // no configuration: skipped
  sim.Aircraft("D", "aircraft.cfg", test::Fltsim(0, "No model", "M", "T", "D"), {"other.air"});
  // The flight model may sit in a sub-folder or a neighbour folder.
  sim.Aircraft("E", "aircraft.cfg",
               test::Fltsim(0, "Shared model", "M", "T", "E", "sim=..\\Shared\\Common\r\n") +
                   test::Fltsim(1, "Sub model", "M", "T", "E2", "sim=fm\\Sub\r\n"),
               {"FM/sub.air"});
  sim.Aircraft("Shared", "", "", {"common.AIR"});
  // Both spellings on a case-sensitive disk: the exact one is read.
  sim.Aircraft("F", "aircraft.cfg", test::Fltsim(0, "Lower wins not", "M", "T", "F"), {"model.air"});
  WriteFile(sim.airplanes / "F" / "Aircraft.cfg", test::Fltsim(0, "Exact spelling", "M", "T", "F"));
  AssignmentList a;
  std::vector<std::string> titles;
  const AircraftTree tree = sim.Load(a);
  for (auto* v : AllVariations(tree)) titles.push_back(v->title.trimmed());
  EXPECT_EQ(titles, (std::vector<std::string>{"Lower cfg", "Sim cfg", "Shared model", "Sub model", "Exact spelling"}));

  EXPECT_EQ(HasFlightModel(sim.airplanes / "A", " model "), 1);
  EXPECT_EQ(HasFlightModel(sim.airplanes / "A", "missing"), 0);
  EXPECT_EQ(HasFlightModel(sim.root / "nowhere", "model"), 0);
}

TEST(AircraftDiscovery, MergingIsCaseInsensitiveAndTheFirstListedFolderWins) {
  SimTree sim;
  // The simulator lists "alpha" before "Beta" (case-insensitive), although
  // the bytes order them the other way.
  sim.Aircraft("Beta", "aircraft.cfg", test::Fltsim(0, "From Beta", "CESSNA", "c172", "RED"), {"model.air"});
  sim.Aircraft("alpha", "aircraft.cfg",
               test::Fltsim(0, "From alpha", "Cessna", "C172", "Red") +
                   test::Fltsim(1, "Alpha blue", "Cessna", "C172", "Blue"),
               {"model.air"});
  sim.Aircraft("gamma", "aircraft.cfg",
               test::Fltsim(0, "Zlin", "Zlin", "Z-526", "Std") + test::Fltsim(1, "DH", "de Havilland", "DHC-2", "Std") +
                   test::Fltsim(2, "Beech", "Beech", "Baron", "Std") +
                   test::Fltsim(3, "Long 1", std::string(50, 'L') + "one", "T", "1") +
                   test::Fltsim(4, "Long 2", std::string(50, 'L') + "two", "T", "2"),
               {"model.air"});
  AssignmentList a;
  AircraftTree tree = sim.Load(a);
  std::vector<std::string> makers;
  for (const auto& m : tree.manufacturers) makers.push_back(m.levelName.trimmed());
  // Ordinal order of the padded names: capitals first; names cut at 50 merge.
  EXPECT_EQ(makers, (std::vector<std::string>{"Beech", "Cessna", std::string(50, 'L'), "Zlin", "de Havilland"}));
  const auto& cessna = tree.manufacturers[1];
  ASSERT_EQ(cessna.types.size(), 1u);
  EXPECT_EQ(cessna.types[0].levelName.trimmed(), "C172");
  ASSERT_EQ(cessna.types[0].variations.size(), 2u);
  EXPECT_EQ(cessna.types[0].variations[0].levelName.trimmed(), "Blue");
  EXPECT_EQ(cessna.types[0].variations[1].levelName.trimmed(), "Red");
  EXPECT_EQ(cessna.types[0].variations[1].title.trimmed(), "From alpha");
  EXPECT_EQ(tree.manufacturers[2].types[0].variations.size(), 2u);
}

TEST(AircraftDiscovery, VariationsAreLinkedToTheirAssignmentRecords) {
  SimTree sim;
  sim.Aircraft("A", "aircraft.cfg",
               test::Fltsim(0, "Cessna 172 Red", "M", "T", "1") + test::Fltsim(1, "New One", "M", "T", "2") +
                   test::Fltsim(2, "Shared Title", "M", "T", "3") + test::Fltsim(3, "SHARED title  ", "M", "T", "4"),
               {"model.air"});
  AssignmentList a;
  a.records.resize(2);
  a.records[0].aircraftTitle = "Other";
  a.records[1].aircraftTitle = "  cessna 172 RED";
  a.records[1].checklistName = "Light Single";
  AircraftTree tree = sim.Load(a);
  auto vars = AllVariations(tree);
  ASSERT_EQ(vars.size(), 4u);
  EXPECT_EQ(vars[0]->assignmentIndex, 1);
  EXPECT_EQ(vars[1]->assignmentIndex, 2);  // "New One" appended
  EXPECT_EQ(vars[2]->assignmentIndex, 3);  // "Shared Title" appended once...
  EXPECT_EQ(vars[3]->assignmentIndex, 3);  // ...and shared
  ASSERT_EQ(a.records.size(), 4u);
  EXPECT_EQ(a.records[2].aircraftTitle.trimmed(), "New One");
  EXPECT_EQ(a.records[2].checklistName.trimmed(), "");
  EXPECT_EQ(a.records[2].writeToKneeboard, 0);
  EXPECT_EQ(a.records[3].aircraftTitle.trimmed(), "Shared Title");
  EXPECT_EQ(a.records[1].checklistName.trimmed(), "Light Single");
}

TEST(AircraftDiscovery, NoAircraftGivesAnEmptyTreeAndAppendsNothing) {
  SimTree sim;
  sim.Aircraft("NoConfig", "", "", {"model.air"});
  AssignmentList a;
  a.records.resize(1);
  a.records[0].aircraftTitle = "Kept";
  EXPECT_TRUE(sim.Load(a, {"SimObjects\\Airplanes", "SimObjects\\Missing"}).manufacturers.empty());
  EXPECT_TRUE(sim.Load(a, {}).manufacturers.empty());
  EXPECT_EQ(a.records.size(), 1u);
  EXPECT_EQ(sim.ui.splash.back(), "Loading FSX Aircraft, standby...");
}

TEST(AircraftDiscovery, SectionWithA115VariationStressLayout) {
  // The first section at the top, the others after every other section,
  // without blank lines, LF only, texture names with dots and spaces.
  std::string cfg = "[Fltsim.0]\ntitle=AI 0\nsim=320\ntexture=\nui_manufacturer=AI Traffic\n"
                    "ui_type=\"Airbus A320-100/200\"\nui_variation=\"Default\"\n\n[General]\natc_type=AIRBUS\n"
                    "[WEIGHT_AND_BALANCE]\nmax_gross_weight=162000\n";
  std::vector<std::string> files = {"320.air", "texture/"};
  for (int i = 1; i < 115; ++i) {
    const std::string tex = "AL" + std::to_string(i) + ".AL" + std::to_string(i) + (i % 2 ? " Old Colors" : "");
    cfg += "[fltsim." + std::to_string(i) + "]\ntitle=AI " + std::to_string(i) + "\nsim=320\ntexture=" + tex +
           "\nui_manufacturer=AI Traffic\nui_type=Airbus A320-100/200\nui_variation=Airline " + std::to_string(i) +
           "\n";
    files.push_back("texture." + tex + "/");
  }
  SimTree sim;
  const fs::path dir = sim.Aircraft("AI_A320", "Aircraft.cfg", cfg, files);
  AssignmentList a;
  AircraftTree tree = sim.Load(a);
  ASSERT_EQ(tree.manufacturers.size(), 1u);
  ASSERT_EQ(tree.manufacturers[0].types.size(), 1u);
  const auto& vars = tree.manufacturers[0].types[0].variations;
  ASSERT_EQ(vars.size(), 115u);
  EXPECT_EQ(a.records.size(), 115u);
  EXPECT_EQ(vars[0].levelName.trimmed(), "Airline 1");
  EXPECT_EQ(vars[0].textureFolder, dir / "texture.AL1.AL1 Old Colors" / "");
  EXPECT_EQ(vars.back().levelName.trimmed(), "Default");
  EXPECT_EQ(vars.back().textureFolder, dir / "texture" / "");
}

TEST(AircraftDiscovery, KneeboardPagesOutsideTheFolderAreRefused) {
  SimTree sim;
  const fs::path outside = sim.root / "outside";
  fs::create_directories(outside);
  const std::string sims = "sim=model\r\n";
  const fs::path dir = sim.Aircraft(
      "Bad", "aircraft.cfg",
      test::Fltsim(0, "Parent", "M", "T", "0", sims + "kb_checklists=..\\..\\..\\Brevantix\\evil\r\n") +
          test::Fltsim(1, "Absolute", "M", "T", "1", sims + "kb_checklists=/etc/passwd\r\n") +
          test::Fltsim(2, "Drive", "M", "T", "2", sims + "kb_checklists=C:\\Windows\\win\r\n") +
          test::Fltsim(3, "Sneaky", "M", "T", "3", sims + "kb_checklists=docs/../../x\r\n") +
          test::Fltsim(4, "Linked", "M", "T", "4", sims + "kb_checklists=link\\page\r\n") +
          test::Fltsim(5, "Sub folder", "M", "T", "5", sims + "kb_checklists=docs\\Check\r\n") +
          test::Fltsim(6, "Dots in name", "M", "T", "6", sims + "kb_checklists=..check\r\n"),
      {"model.air", "Docs/check.HTM"});
  fs::create_directory_symlink(outside, dir / "link");
  AssignmentList a;
  const AircraftTree tree = sim.Load(a);
  auto vars = AllVariations(tree);
  ASSERT_EQ(vars.size(), 2u);
  EXPECT_EQ(vars[0]->title.trimmed(), "Sub folder");
  EXPECT_EQ(vars[0]->kneeboardPage, dir / "Docs" / "check.HTM");
  EXPECT_EQ(vars[1]->kneeboardPage, dir / "..check.htm");
  EXPECT_EQ(a.records.size(), 2u);  // refused aircraft get no record

  ASSERT_EQ(sim.ui.messages.size(), 1u);
  const Message& m = sim.ui.messages[0];
  EXPECT_EQ(m.title, "Kneeboard Page Refused");
  EXPECT_EQ(m.icon, kIconWarning);
  for (const char* t : {"Parent", "Absolute", "Drive", "Sneaky", "Linked"})
    EXPECT_NE(m.text.find(std::string(t) + " (kb_checklists="), std::string::npos) << t;
}

TEST(SimObjectPaths, KeysInAnyCaseUpToTheFirstEmptyOne) {
  SimTree sim;
  Settings s;
  s.PathFSXConfig = (sim.root / "fsx.CFG").string();
  WriteFile(sim.root / "fsx.CFG",
            "[GRAPHICS]\r\nTEXT_SCROLL=1\r\n[main]\r\nUser Objects=Airplane, Helicopter\r\n"
            "simobjectpaths.0 = SimObjects\\Airplanes \r\nSIMOBJECTPATHS.1=\"SimObjects\\Rotorcraft\"\r\n"
            "SimObjectPaths.2=\r\nSimObjectPaths.3=Ignored\r\n");
  std::vector<std::string> paths;
  ASSERT_TRUE(LoadSimObjectPaths(sim.ctx, s, paths));
  EXPECT_EQ(paths, (std::vector<std::string>{"SimObjects\\Airplanes", "SimObjects\\Rotorcraft"}));

  // UTF-16 with a byte-order mark, and no paths at all.
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("\r\n[MAIN]\r\nSimObjectPaths.0=Planes\r\n")) utf16 += {c, '\0'};
  WriteFile(sim.root / "fsx.CFG", utf16);
  ASSERT_TRUE(LoadSimObjectPaths(sim.ctx, s, paths));
  EXPECT_EQ(paths, (std::vector<std::string>{"Planes"}));
  WriteFile(sim.root / "fsx.CFG", "[MAIN]\r\n");
  ASSERT_TRUE(LoadSimObjectPaths(sim.ctx, s, paths));
  EXPECT_TRUE(paths.empty());
  EXPECT_TRUE(sim.ui.messages.empty());

  fs::remove(sim.root / "fsx.CFG");
  EXPECT_FALSE(LoadSimObjectPaths(sim.ctx, s, paths));
  ASSERT_EQ(sim.ui.messages.size(), 1u);
  EXPECT_EQ(sim.ui.messages[0].title, "FSX.cfg Read Error");
  EXPECT_EQ(sim.ui.messages[0].text,
            "Talvane encountered an error while attempting to read your FSX.cfg file.\r\rTalvane must now shut "
            "down.\r\rPlease press OK to continue...");
  EXPECT_TRUE(sim.ui.exit_requested);
}

TEST(SimObjectPaths, EntriesResolveRelativeAbsoluteAndThroughTheWinePrefix) {
  SimTree sim;
  test::TempFolder prefix;
  test::ScopedEnv env("WINEPREFIX", prefix.path().string());
  const fs::path addons = sim.root / "Addons" / "My Planes";
  fs::create_directories(addons);
  fs::create_directories(prefix / "dosdevices");
  fs::create_directory_symlink(sim.root.path(), prefix / "dosdevices" / "d:");
  fs::create_directories(prefix / "drive_c" / "Shared" / "SimObjects");

  EXPECT_EQ(ResolveSimObjectPath(sim.fsx, "simobjects\\AIRPLANES"), sim.airplanes);
  EXPECT_EQ(ResolveSimObjectPath(sim.fsx, "D:\\ADDONS\\my planes"), prefix / "dosdevices" / "d:" / "Addons" / "My Planes");
  EXPECT_EQ(ResolveSimObjectPath(sim.fsx, "c:\\shared\\simobjects\\"), prefix / "drive_c" / "Shared" / "SimObjects");
  EXPECT_EQ(ResolveSimObjectPath(sim.fsx, addons.string()), addons);
  EXPECT_EQ(ResolveSimObjectPath(sim.fsx, "..\\Addons\\My Planes"), addons);
  EXPECT_EQ(ResolveSimObjectPath(sim.fsx, "SimObjects\\Nowhere"), fs::path());
  EXPECT_EQ(ResolveSimObjectPath(sim.fsx, "fsx.exe"), fs::path());  // a file is no folder

  EXPECT_EQ(FSXFolder(sim.ctx), sim.fsx);
}

}  // namespace
}  // namespace talvane
