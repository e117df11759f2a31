#include "training/model_files.h"

#include <cmath>
#include <cstring>

#include "common/binary.h"

namespace talvane::training {

namespace {

// Weights are stored as -log base 1.0001 of the weight, shifted right by
// 10 bits (so one step is a factor of 1.0001^1024, about 1.108), clipped to 255.
constexpr double kLogBase = 1.0001;
constexpr int kShift = 10;

}  // namespace

float WeightOfSendumpValue(std::uint8_t v) {
  const double log_units = (static_cast<double>(v) * (1 << kShift)) + (1 << (kShift - 1));
  return static_cast<float>(std::pow(kLogBase, -log_units));
}

std::optional<SenoneDump> ParseSendump(std::string_view image, std::string* error) {
  auto fail = [&](const std::string& e) -> std::optional<SenoneDump> {
    if (error) *error = "sendump: " + e;
    return std::nullopt;
  };
  ByteReader r(image);
  SenoneDump d;
  d.features = 1;
  std::uint32_t length = 0;
  // Header strings, each with its terminating NUL, until a length of 0.
  for (int strings = 0;; ++strings) {
    if (!r.ReadU32(length)) return fail("the header is truncated");
    if (length == 0) break;
    std::string_view s;
    if (length > 4096 || strings > 1000 || !r.ReadBytes(length, s)) return fail("the header is malformed");
    const std::string text(s.substr(0, s.find('\0')));
    if (text.rfind("feature_count ", 0) == 0) {
      const long n = std::strtol(text.c_str() + 14, nullptr, 10);
      if (n < 1 || n > 16) return fail("feature_count is out of range");
      d.features = static_cast<std::uint32_t>(n);
    }
  }
  if (!r.ReadU32(d.codewords) || !r.ReadU32(d.senones)) return fail("the counts are missing");
  if (d.codewords == 0 || d.codewords > 4096 || d.senones == 0 || d.senones > 1000000)
    return fail("the counts are out of range");
  const std::size_t n = static_cast<std::size_t>(d.features) * d.codewords * d.senones;
  if (r.remaining() != n)
    return fail("expected " + std::to_string(n) + " values, found " + std::to_string(r.remaining()) + " bytes");
  std::string_view bytes;
  r.ReadBytes(n, bytes);
  d.values.assign(bytes.begin(), bytes.end());
  return d;
}

std::uint32_t ParameterChecksum(const std::vector<std::uint32_t>& words) {
  std::uint32_t sum = 0;
  for (const std::uint32_t w : words) sum = ((sum << 20) | (sum >> 12)) + w;
  return sum;
}

std::string MixtureWeightsImage(const SenoneDump& dump) {
  // Everything after the byte-order mark counts towards the checksum: the
  // dimensions, the count and the values.
  std::vector<std::uint32_t> words{dump.senones, dump.features, dump.codewords,
                                   static_cast<std::uint32_t>(dump.values.size())};
  words.reserve(words.size() + dump.values.size());
  // The file is [senone][feature][codeword]; the dump [feature][codeword][senone].
  for (std::uint32_t s = 0; s < dump.senones; ++s)
    for (std::uint32_t f = 0; f < dump.features; ++f)
      for (std::uint32_t c = 0; c < dump.codewords; ++c) {
        const float weight = WeightOfSendumpValue(dump.At(f, c, s));
        std::uint32_t bits = 0;
        std::memcpy(&bits, &weight, sizeof bits);
        words.push_back(bits);
      }
  ByteWriter w;
  w.Bytes("s3\nversion 1.0\nchksum0 yes\nendhdr\n");
  w.U32(0x11223344u);
  for (const std::uint32_t v : words) w.U32(v);
  w.U32(ParameterChecksum(words));
  return w.take();
}

}  // namespace talvane::training
