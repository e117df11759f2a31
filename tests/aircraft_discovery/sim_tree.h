// A simulator folder in a temporary folder, with the program installed at
// Brevantix/Talvane below it, for the aircraft and kneeboard tests.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "aircraft/aircraft_tree.h"
#include "aircraft/assignments.h"
#include "catalogue/settings.h"
#include "support/test_support.h"

namespace talvane::test {

struct SimTree {
  TempFolder root;
  fs::path fsx = root / "FSX";
  fs::path program = fsx / "Brevantix" / "Talvane";
  fs::path airplanes = fsx / "SimObjects" / "Airplanes";
  RecordingUserInterface ui;
  Context ctx{program, ui};

  SimTree() {
    fs::create_directories(program / "Data");
    fs::create_directories(program / "Checklists");
    fs::create_directories(airplanes);
    WriteFile(fsx / "fsx.exe", "stand-in");
  }

  // An aircraft folder below SimObjects/Airplanes with its configuration
  // file and further (empty) files; names ending in '/' are folders.
  fs::path Aircraft(const std::string& folder, const std::string& cfgName, const std::string& cfg,
                    const std::vector<std::string>& files = {}) {
    const fs::path dir = airplanes / folder;
    fs::create_directories(dir);
    if (!cfgName.empty()) WriteFile(dir / cfgName, cfg);
    for (const auto& f : files) {
      if (f.ends_with('/'))
        fs::create_directories(dir / f);
      else
        WriteFile(dir / f, "stand-in " + f);
    }
    return dir;
  }

  AircraftTree Load(AssignmentList& assignments, std::vector<std::string> paths = {"SimObjects\\Airplanes"}) {
    AircraftTree tree;
    LoadFSXAircraft(ctx, paths, assignments, tree);
    return tree;
  }
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_.empty())
      ::unsetenv(name_);
    else
      ::setenv(name_, old_.c_str(), 1);
  }

 private:
  const char* name_;
  std::string old_;
};

// "fltsim.N" section text of an aircraft configuration.
inline std::string Fltsim(int n, const std::string& title, const std::string& manufacturer, const std::string& type,
                          const std::string& variation, const std::string& extra = "sim=model\r\n") {
  return "[fltsim." + std::to_string(n) + "]\r\ntitle=" + title + "\r\n" + extra + "ui_manufacturer=" + manufacturer +
         "\r\nui_type=" + type + "\r\nui_variation=" + variation + "\r\n\r\n";
}

}  // namespace talvane::test
