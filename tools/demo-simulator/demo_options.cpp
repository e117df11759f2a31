#include "demo_options.h"

#include <pwd.h>
#include <unistd.h>

#include <charconv>

namespace talvane::demosim {

namespace fs = std::filesystem;

namespace {

bool ParsePortNumber(const std::string& text, std::uint16_t& port) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

}  // namespace

bool ParseDemoOptions(const std::vector<std::string>& args, DemoOptions& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      options.help = true;
      continue;
    }
    if (a != "--title" && a != "--state" && a != "--port" && a != "--listen") {
      error = "unknown option " + a;
      return false;
    }
    if (i + 1 == args.size()) {
      error = a + " needs a value";
      return false;
    }
    const std::string& value = args[++i];
    if (a == "--title") {
      options.title = value;
    } else if (a == "--state") {
      if (value.empty()) {
        error = "--state needs a file name";
        return false;
      }
      options.state_file = value;
    } else if (a == "--port") {
      simlink::Endpoint e{"127.0.0.1", 0};
      if (!ParsePortNumber(value, e.port)) {
        error = "--port " + value + " is not a port number";
        return false;
      }
      options.listen = e;
    } else {
      simlink::Endpoint e;
      if (!simlink::ParseEndpointSetting(value, e, error)) {
        error = "--listen: " + error;
        return false;
      }
      options.listen = e;
    }
  }
  return true;
}

std::optional<fs::path> FindWinePrefix(const std::string& wineprefix, const fs::path& start) {
  if (!wineprefix.empty()) return fs::path(wineprefix);
  std::error_code ec;
  for (fs::path p = start; !p.empty(); p = p.parent_path()) {
    if (fs::is_directory(p / "drive_c", ec)) return p;
    if (p == p.parent_path()) break;
  }
  return std::nullopt;
}

std::string LoginName() {
  if (const passwd* pw = ::getpwuid(::geteuid())) return pw->pw_name;
  return {};
}

bool FindListenEndpoint(const DemoOptions& options, const std::optional<fs::path>& prefix, const std::string& user,
                        simlink::Endpoint& endpoint, std::string& error) {
  if (options.listen) {
    endpoint = *options.listen;
    return true;
  }
  if (!prefix) {
    error = "no Wine prefix (no WINEPREFIX, and no folder holding drive_c above the program)";
    return false;
  }
  return simlink::LocateSimulator({}, *prefix, user, endpoint, error);
}

}  // namespace talvane::demosim
