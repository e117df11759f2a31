#include <gtest/gtest.h>
#include <set>

#include "aircraft/tree_keys.h"
#include "aircraft_discovery/sim_tree.h"
#include "common/text.h"

namespace talvane {
namespace {

using test::WriteFile;

TEST(TreeKeys, NumbersFromOneBasedPositions) {
  EXPECT_EQ(TreeNodeKey(0, 2, 4), "KEY_1003005");
  EXPECT_EQ(TreeNodeKey(0), "KEY_1000000");
  EXPECT_EQ(TreeNodeKey(11, 0), "KEY_12001000");
  EXPECT_EQ(TreeNodeKey(4999, 998, 998), "KEY_5000999999");

  EXPECT_EQ(DecodeTreeNodeKey("KEY_1003005"), (TreeSelection{0, 2, 4}));
  EXPECT_EQ(DecodeTreeNodeKey("KEY_1000000"), (TreeSelection{0, -1, -1}));
  EXPECT_EQ(DecodeTreeNodeKey("KEY_12001000"), (TreeSelection{11, 0, -1}));
  EXPECT_FALSE(DecodeTreeNodeKey("KEY_12001000").IsVariation());
  EXPECT_TRUE(DecodeTreeNodeKey("KEY_1003005").IsVariation());
}

TEST(TreeKeys, EveryNodeKeyDecodesBackAndNoTwoNodesShareOne) {
  // Past 999 types or variations the number cannot tell nodes apart, so such
  // nodes get a dotted key.
  EXPECT_EQ(TreeNodeKey(0, 0, 999), "KEY_1.1.1000");
  EXPECT_EQ(TreeNodeKey(2, 999), "KEY_3.1000");
  std::set<std::string> seen;
  for (int m : {0, 1, 40})
    for (int t : {-1, 0, 1, 998, 999, 1500})
      for (int v : {-1, 0, 998, 999, 2000}) {
        if (t < 0 && v >= 0) continue;
        const std::string key = TreeNodeKey(m, t, v);
        EXPECT_TRUE(seen.insert(key).second) << key;
        EXPECT_EQ(DecodeTreeNodeKey(key), (TreeSelection{m, t, t < 0 ? -1 : v})) << key;
      }
}

TEST(TreeKeys, TextThatIsNoKeySelectsNothing) {
  for (const char* bad : {"", "KEY_", "KEY_abc", "key_1000000", "KEY_-1003005", "KEY_999", "KEY_1000005",
                          "KEY_1.", "KEY_1..2", "KEY_1.2.3.4", "KEY_0.1", "KEY_1003005x", "1003005",
                          "KEY_99999999999999999999999"})
    EXPECT_EQ(DecodeTreeNodeKey(bad), TreeSelection{}) << bad;
}

// talvane-tool aircraft: the start-up loaders and one line per variation.
TEST(AircraftTool, ListsEveryVariationInTreeOrderWithItsKey) {
  test::SimTree sim;
  test::TempFolder prefix;
  WriteFile(prefix / "drive_c/ProgramData/Microsoft/FSX/fsx.cfg",
            "[Main]\r\nSimObjectPaths.0=SimObjects\\Airplanes\r\nSimObjectPaths.1=SimObjects\\Rotorcraft\r\n");
  WriteFile(sim.program / "TV_Information.cfg", "[Main]\r\nchecklistBackups=0\r\nPathFSXConfig=\r\n");
  AssignmentList a;
  a.records.resize(1);
  a.records[0].aircraftTitle = "Robin DR400 White";
  a.records[0].checklistName = "Light Single";
  WriteFile(sim.program / "Data/Checklist_Assignments.dat", SerializeAssignments(a));

  const fs::path robin = sim.Aircraft(
      "Robin", "aircraft.cfg",
      test::Fltsim(0, "Robin DR400 White", "Robin", "DR400", "White\tTabbed",
                   "sim=dr400\r\ntexture=\r\nkb_checklists=DR400_check\r\n") +
          test::Fltsim(1, "Robin DR400 Blue", "Robin", "DR400", "Blue", "sim=dr400\r\ntexture=Blue\r\n"),
      {"dr400.air", "Texture/", "Texture.Blue/", "DR400_check.htm"});
  const fs::path heli = sim.fsx / "SimObjects" / "Rotorcraft" / "Bell";
  WriteFile(heli / "Aircraft.cfg", test::Fltsim(0, "Bell 206 caf\xE9", "Bell", "206B", "Std", "sim=b206\r\n"));
  WriteFile(heli / "b206.air", "x");

  auto r = test::RunTool({"--program-folder", sim.program.string(), "aircraft"},
                         {"WINEPREFIX=" + prefix.path().string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string texture = (heli / "Texture").string() + "/";
  EXPECT_EQ(r.out, "KEY_1001001\tBell\t206B\tStd\tBell 206 caf\xC3\xA9\t1\t" + texture + "\t" +
                       (heli / ".htm").string() + "\n" +
                       "KEY_2001001\tRobin\tDR400\tBlue\tRobin DR400 Blue\t2\t" + (robin / "Texture.Blue").string() +
                       "/\t" + (robin / ".htm").string() + "\n" +
                       "KEY_2001002\tRobin\tDR400\tWhite Tabbed\tRobin DR400 White\t0\t" +
                       (robin / "Texture").string() + "/\t" + (robin / "DR400_check.htm").string() + "\n");
}

}  // namespace
}  // namespace talvane
