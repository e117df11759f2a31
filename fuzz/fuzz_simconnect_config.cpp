// The SimConnect.xml reader and the host:port setting on arbitrary text: no
// crash, an error message whenever it refuses, and a usable endpoint
// whenever it accepts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "simlink/simconnect_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (bool xml : {true, false}) {
    talvane::simlink::Endpoint endpoint;
    std::string error;
    const bool ok = xml ? talvane::simlink::ParseSimConnectXml(text, endpoint, error)
                        : talvane::simlink::ParseEndpointSetting(text, endpoint, error);
    if (ok ? (endpoint.host.empty() || endpoint.port == 0) : error.empty()) __builtin_trap();
  }
  return 0;
}
