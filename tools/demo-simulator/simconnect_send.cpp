// simconnect-send HOST:PORT EVENT[=DATA]...: connects to a simulator as an
// add-on client and transmits the events in order (DATA decimal, negative,
// or 0x hex; 0 without). For scripts that drive the demo simulator without
// the voice module. Ends with status 1 when the link fails or an event is
// refused.
#include <cstdio>
#include <string>

#include "simlink/simconnect_client.h"

int main(int argc, char** argv) {
  using namespace talvane::simlink;
  using namespace std::chrono_literals;
  Endpoint endpoint;
  std::string error;
  if (argc < 3 || !ParseEndpointSetting(argv[1], endpoint, error)) {
    std::fprintf(stderr, "usage: simconnect-send HOST:PORT EVENT[=DATA]...\n%s%s", error.c_str(), error.empty() ? "" : "\n");
    return 2;
  }
  int refused = 0;
  ClientHandlers handlers;
  handlers.on_exception = [&](const std::string& exception, const std::string& request) {
    std::fprintf(stderr, "simconnect-send: refused: %s %s\n", exception.c_str(), request.c_str());
    ++refused;
  };
  SimConnectClient client("simconnect-send", handlers);
  if (!client.Connect(endpoint, 5s)) {
    std::fprintf(stderr, "simconnect-send: %s\n", client.close_reason().c_str());
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto eq = arg.find('=');
    std::uint32_t data = 0;
    if (eq != std::string::npos) {
      try {
        std::size_t used = 0;
        data = static_cast<std::uint32_t>(std::stoll(arg.substr(eq + 1), &used, 0));
        if (used != arg.size() - eq - 1) throw std::invalid_argument("trailing text");
      } catch (const std::exception&) {
        std::fprintf(stderr, "simconnect-send: %s: the data is not a number\n", arg.c_str());
        return 2;
      }
    }
    if (!client.Transmit(arg.substr(0, eq), data)) {
      std::fprintf(stderr, "simconnect-send: %s\n", client.close_reason().c_str());
      return 1;
    }
  }
  // Refusals come back asynchronously; give them a moment.
  client.Poll(300ms);
  return refused ? 1 : 0;
}
