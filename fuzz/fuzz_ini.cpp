// The INI reader and the one-key writer on arbitrary text: a written key must
// read back as written, and no other key may change.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/ini.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto doc = talvane::IniDocument::Parse(bytes);
  const std::string before_other = doc.ReadString("Other", "key");
  (void)doc.ReadInt("Main", "numLists");
  std::string edited = talvane::SetIniValue(bytes, "Main", "copilotVoice", "1234");
  auto after = talvane::IniDocument::Parse(edited);
  if (after.ReadString("Main", "copilotVoice") != "1234") std::abort();
  if (after.ReadString("Other", "key") != before_other) std::abort();
  return 0;
}
