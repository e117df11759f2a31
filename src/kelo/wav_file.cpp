#include "kelo/wav_file.h"

#include <cstring>

namespace talvane::kelo {

namespace {

void Put16(std::string& s, std::uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}
void Put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
std::uint32_t Get32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
  return v;
}
std::uint16_t Get16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8));
}

}  // namespace

std::string WavBytes(std::span<const std::int16_t> samples, std::uint32_t sample_rate) {
  const std::uint32_t data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
  std::string s;
  s.reserve(44 + data_bytes);
  s += "RIFF";
  Put32(s, 36 + data_bytes);
  s += "WAVEfmt ";
  Put32(s, 16);
  Put16(s, 1);  // PCM
  Put16(s, 1);  // mono
  Put32(s, sample_rate);
  Put32(s, sample_rate * 2);
  Put16(s, 2);
  Put16(s, 16);
  s += "data";
  Put32(s, data_bytes);
  for (std::int16_t v : samples) Put16(s, static_cast<std::uint16_t>(v));
  return s;
}

std::optional<WavData> ReadWav(std::string_view b) {
  if (b.size() < 12 || b.substr(0, 4) != "RIFF" || b.substr(8, 4) != "WAVE") return std::nullopt;
  WavData w;
  bool have_fmt = false;
  std::size_t at = 12;
  while (b.size() - at >= 8) {
    const std::string_view id = b.substr(at, 4);
    const std::uint32_t size = Get32(b, at + 4);
    at += 8;
    if (size > b.size() - at) return std::nullopt;
    if (id == "fmt ") {
      if (size < 16 || Get16(b, at) != 1) return std::nullopt;
      w.channels = Get16(b, at + 2);
      w.sample_rate = Get32(b, at + 4);
      w.bits = Get16(b, at + 14);
      have_fmt = true;
    } else if (id == "data") {
      if (!have_fmt || w.bits != 16) return std::nullopt;
      w.samples.resize(size / 2);
      for (std::size_t i = 0; i < w.samples.size(); ++i)
        w.samples[i] = static_cast<std::int16_t>(Get16(b, at + 2 * i));
      return w;
    }
    at += size + (size & 1);
  }
  return std::nullopt;
}

}  // namespace talvane::kelo
