// Where the simulator listens for add-on clients: its SimConnect.xml in the
// user's application-data folder of the Wine prefix, or the voice module's
// own setting ("host:port").
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace talvane::simlink {

struct Endpoint {
  std::string host;  // an IPv4 address or a host name
  std::uint16_t port = 0;
};

// The first SimConnect.Comm entry of the file's text that is not disabled,
// has Protocol IPv4, an Address and a Port. An address of 0.0.0.0 (listen
// everywhere) becomes 127.0.0.1, where a local client reaches it. False with
// `error` set when the text is not well-formed or has no such entry, or when
// the whole server is disabled.
bool ParseSimConnectXml(std::string_view text, Endpoint& endpoint, std::string& error);

// "host:port" from the settings; false with `error` set when it is not one.
bool ParseEndpointSetting(std::string_view text, Endpoint& endpoint, std::string& error);

// SimConnect.xml of `user` inside the Wine prefix: below
// drive_c/users/<user>/AppData/Roaming/Microsoft/FSX/ or the older
// .../Application Data/Microsoft/FSX/, any letter case. nullopt when neither
// holds the file.
std::optional<std::filesystem::path> FindSimConnectXml(const std::filesystem::path& wine_prefix, std::string_view user);

// The setting when it is not empty, otherwise the user's SimConnect.xml.
// False with `error` saying what is missing or wrong.
bool LocateSimulator(std::string_view setting, const std::filesystem::path& wine_prefix, std::string_view user,
                     Endpoint& endpoint, std::string& error);

}  // namespace talvane::simlink
