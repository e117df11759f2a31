// The demo simulator's command line, and where its server listens: where the
// simulator's own SimConnect.xml says (in the Wine prefix holding the
// executable, for the login user), unless --port or --listen says otherwise.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "simlink/simconnect_config.h"

namespace talvane::demosim {

// The aircraft the demo's checklist assignments know.
inline constexpr const char* kDefaultTitle = "Cessna Skyhawk 172SP Paint1";
inline constexpr const char* kDefaultStateFile = "fsx_state.json";
inline constexpr const char* kEventLogFile = "fsx_events.log";

struct DemoOptions {
  std::string title = kDefaultTitle;
  std::filesystem::path state_file;              // empty: beside the executable
  std::optional<simlink::Endpoint> listen;       // --port / --listen; port 0 picks a free one
  bool help = false;
};

inline constexpr const char* kUsage =
    "usage: fsx.exe [--title TITLE] [--state FILE] [--port N | --listen HOST:PORT]\n";

// False with `error` set on an unknown option or a missing or bad value.
bool ParseDemoOptions(const std::vector<std::string>& args, DemoOptions& options, std::string& error);

// The Wine prefix: `wineprefix` (the WINEPREFIX variable) when not empty,
// else the nearest folder at or above `start` that holds drive_c. nullopt
// when there is none.
std::optional<std::filesystem::path> FindWinePrefix(const std::string& wineprefix, const std::filesystem::path& start);

// The login name of the effective user.
std::string LoginName();

// Where to listen: the override, else the user's SimConnect.xml in the
// prefix. False with `error` saying what is missing.
bool FindListenEndpoint(const DemoOptions& options, const std::optional<std::filesystem::path>& prefix,
                        const std::string& user, simlink::Endpoint& endpoint, std::string& error);

}  // namespace talvane::demosim
