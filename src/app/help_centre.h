// The help centre: a fixed tree of topics, each shown as an HTML page of the
// program's Help folder named after the topic's key.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace talvane {

struct HelpTopic {
  int level;  // 1 = root; a topic's parent is the nearest earlier topic one level up
  const char* text;
  const char* key;
};

std::span<const HelpTopic> HelpTopics();

inline constexpr const char* kHelpFolder = "Help";
inline constexpr const char* kWelcomeKey = "KEY_Welcome";

// The page of a topic: the key with every "KEY_" removed (in any letter
// case) and ".htm", found in the Help folder without regard to case.
// nullopt when there is no such file.
std::optional<std::filesystem::path> HelpPage(const std::filesystem::path& programFolder, std::string_view key);

// What the help centre shows: the page and its title. Selecting a topic
// whose page is missing keeps what was shown.
class HelpCentre {
 public:
  explicit HelpCentre(std::filesystem::path programFolder) : folder_(std::move(programFolder)) {}
  // Opens the welcome page; the title reads "Welcome".
  void Load();
  // True when the page changed.
  bool Select(std::string_view key, std::string_view text);

  std::filesystem::path page;
  std::string title;

 private:
  std::filesystem::path folder_;
};

}  // namespace talvane
