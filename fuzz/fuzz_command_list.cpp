// The command catalogue reader on arbitrary bytes; a good file must survive a
// write and read back unchanged.
#include <cstdint>
#include <cstdlib>

#include "catalogue/command_catalogue.h"
#include "common/binary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    talvane::CommandCatalogue c = talvane::ParseCommandList(bytes);
    std::string again = talvane::SerializeCommandList(c);
    if (again != bytes.substr(0, again.size())) std::abort();
  } catch (const talvane::FormatError&) {
  }
  return 0;
}
