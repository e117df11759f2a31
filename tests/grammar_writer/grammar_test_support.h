// Helpers shared by the grammar writer tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/command_catalogue.h"
#include "catalogue/settings.h"
#include "common/text.h"
#include "grammar/category_list.h"
#include "grammar/navaid_lists.h"
#include "support/test_support.h"

namespace talvane::test {

inline CommandRecord Command(const std::string& category, const std::string& rule, std::int16_t value,
                             const std::vector<std::string>& phrases) {
  CommandRecord c;
  c.category = category;
  c.commandName = rule;
  c.ruleName = rule;
  c.commandValue = value;
  for (const auto& p : phrases) c.grammars.emplace_back(p);
  c.readbacks.emplace_back("Roger");
  return c;
}

inline Settings SettingsWith(std::vector<std::pair<std::string, int>> responses, std::int16_t navaids = 0) {
  Settings s;
  s.compileNavaids = navaids;
  for (auto& [word, fn] : responses) s.ChecklistResponses.push_back({word, fn});
  s.numChecklistResponse = static_cast<std::int16_t>(s.ChecklistResponses.size() - 1);
  return s;
}

// A grammar file read back as Windows-1252 text, after checking its frame:
// the byte-order mark, whole code units, and a final CR LF.
inline std::string ReadGrammar(const fs::path& p) {
  const std::string bytes = ReadFile(p);
  EXPECT_GE(bytes.size(), 2u) << p;
  if (bytes.size() < 2) return {};
  EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE")) << p;
  EXPECT_EQ(bytes.size() % 2, 0u) << p;
  EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\r\0\n\0", 4)) << p;
  std::u16string units;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   (static_cast<unsigned char>(bytes[i + 1]) << 8));
  return Utf16ToCp1252(units);
}

// Lines of a CR LF text; the text must end with a line end.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) {
      ADD_FAILURE() << "text does not end with CR LF";
      out.push_back(text.substr(pos));
      break;
    }
    out.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return out;
}

inline std::vector<std::string> GenericImportLines() {
  std::vector<std::string> v;
  for (const char* n : {"SPD", "ALT", "CRS", "HDG", "MACH", "DEGREES", "N1REF", "VS", "VSNEG", "TRANSPARENCY",
                        "ALT_PRESS", "DH_ALT", "EGT_VAL", "ADF_FREQ", "COMM_FREQ", "NAV_FREQ", "XPNDR_CODE",
                        "SIM_RATE"})
    v.push_back(std::string("!import<") + n + ">;");
  for (int d = 0; d <= 9; ++d) v.push_back("!import<NUM_" + std::to_string(d) + ">;");
  v.push_back("!import<WORD_ON>;");
  for (char c = 'A'; c <= 'Z'; ++c) v.push_back(std::string("!import<PHONETIC_") + c + ">;");
  v.push_back("!import<FLAP_SETTING>;");
  return v;
}

// A program folder with the shipped generic lists in Data.
struct GrammarFixture : ProgramFixture {
  static constexpr const char* kLists = "!grammar \"Generic Lists\";\r\n";
  GrammarFixture() { WriteFile(folder / "Data" / "Generic Lists.bnf", kLists); }
  fs::path Grammars(const std::string& name) const { return folder / "Grammars" / name; }
};

}  // namespace talvane::test
