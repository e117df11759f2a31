// The build's layer rule holds on the tree, and the check really catches a
// source that reaches across it.
#include <gtest/gtest.h>

#include "common/files.h"
#include "layers/layer_check.h"
#include "support/test_support.h"

namespace talvane::layers {
namespace {

std::string Describe(const std::vector<Violation>& v) {
  std::string out;
  for (const auto& x : v) out += x.file + ":" + std::to_string(x.line) + ": " + x.what + "\n";
  return out;
}

void Put(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  test::WriteFile(file, text);
}

TEST(Layers, TheSourceTreeKeepsItsLayers) {
  const auto table = ParseLayerTable(*ReadWholeFile(TALVANE_LAYERS_FILE));
  ASSERT_TRUE(table.count("common"));
  ASSERT_TRUE(table.count("tools/talvane-tool"));
  // The bottom layer reaches nothing else; the core never reaches the hosts.
  EXPECT_EQ(table.at("common"), std::set<std::string>{"common"});
  EXPECT_FALSE(table.at("catalogue").count("aircraft"));
  EXPECT_FALSE(table.at("aircraft").count("grammar"));
  const auto found = CheckLayers(TALVANE_SOURCE_DIR, table);
  EXPECT_TRUE(found.empty()) << Describe(found);
}

TEST(Layers, PlantedViolationsAreReported) {
  test::TempFolder dir;
  const fs::path root = dir.path();
  Put(root / "src/common/text.h", "#pragma once\n");
  Put(root / "src/catalogue/settings.h", "#pragma once\n#include \"common/text.h\"\n");
  Put(root / "src/aircraft/tree.cpp", "#include <vector>\n#include \"catalogue/settings.h\"\n#include \"support/x.h\"\n");
  const auto table = ParseLayerTable("common: common\ncatalogue: catalogue common\naircraft: aircraft catalogue common\n");
  EXPECT_TRUE(CheckLayers(root, table).empty());

  // A lower layer including from a higher one, and a folder nobody declared.
  Put(root / "src/common/files.cpp", "#include \"common/text.h\"\n  #  include \"aircraft/tree.h\"\n");
  Put(root / "src/extra/thing.cpp", "#include \"common/text.h\"\n");
  const auto found = CheckLayers(root, table);
  ASSERT_EQ(found.size(), 2u) << Describe(found);
  EXPECT_EQ(found[0].file, "src/extra");
  EXPECT_EQ(found[1].file, "src/common/files.cpp");
  EXPECT_EQ(found[1].line, 2);
  EXPECT_NE(found[1].what.find("includes from aircraft"), std::string::npos);
}

}  // namespace
}  // namespace talvane::layers
