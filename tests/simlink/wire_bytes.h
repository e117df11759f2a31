// Expected wire bytes written out by hand: little-endian DWORDs and fixed
// 256-byte text fields.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace talvane::simlink::test {

inline std::string Dwords(std::initializer_list<std::uint32_t> values) {
  std::string out;
  for (auto v : values)
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  return out;
}

inline std::string Text256(std::string_view s) {
  std::string out(s);
  out.resize(256, '\0');
  return out;
}

}  // namespace talvane::simlink::test
