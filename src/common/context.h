// What every routine of the program needs besides its own data: the program
// folder and the user interface.
#pragma once

#include <filesystem>
#include <string_view>

#include "common/files.h"
#include "common/user_interface.h"

namespace talvane {

struct Context {
  std::filesystem::path program_folder;
  UserInterface& ui;

  // A file of the program folder named the way the program names it
  // ("\Data\CommandList.dat"): backslashes are folder separators.
  std::filesystem::path File(std::string_view relative) const;
  // Shows a message with OK only.
  void Tell(std::string_view title, std::string_view text, int icon, std::string_view id = {}) const;
  // Shows a question with OK and Cancel; the answer comes back under `id`.
  void Ask(std::string_view title, std::string_view text, int icon, std::string_view id) const;
};

}  // namespace talvane
