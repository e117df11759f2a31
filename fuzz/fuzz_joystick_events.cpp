// The joystick reader on arbitrary recorded event streams (whole records,
// a torn last record, any type and button number): no crash, a button
// above 31 never lands on a lower bit, and a second read with nothing new
// queued keeps what is held.
#include <linux/joystick.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/joystick.h"

namespace {

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::string templ = (std::filesystem::temp_directory_path() / "fuzz-joystick-XXXXXX").string();
    if (!::mkdtemp(templ.data())) std::abort();
    return std::filesystem::path(templ);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(Folder() / "js0", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  // Only buttons 0 to 31 can be held; the reference says which bits the
  // whole records may set at all.
  std::uint32_t possible = 0;
  for (std::size_t at = 0; at + sizeof(js_event) <= size; at += sizeof(js_event)) {
    js_event e;
    __builtin_memcpy(&e, data + at, sizeof e);
    if ((e.type & ~JS_EVENT_INIT) == JS_EVENT_BUTTON && e.number < 32) possible |= 1u << e.number;
  }
  talvane::platform::LinuxJoysticks sticks(Folder());
  const auto held = sticks.HeldButtons(0);
  if (!held || (*held & ~possible) != 0) __builtin_trap();
  if (sticks.HeldButtons(0) != held) __builtin_trap();
  if (sticks.HeldButtons(1).has_value()) __builtin_trap();  // no js1 there
  return 0;
}
