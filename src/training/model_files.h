// The acoustic model's parameter files the adaptation reads and writes.
// The packaged model keeps its mixture weights only as an 8-bit "sendump"
// (negative log weights, scaled and clipped), which the training tools
// cannot read: they are expanded once into a float mixture-weights file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvane::training {

// Per feature stream, per codeword, per senone: the 8-bit value stored.
struct SenoneDump {
  std::uint32_t features = 0, codewords = 0, senones = 0;
  std::vector<std::uint8_t> values;  // [feature][codeword][senone]
  std::uint8_t At(std::uint32_t f, std::uint32_t c, std::uint32_t s) const {
    return values[(static_cast<std::size_t>(f) * codewords + c) * senones + s];
  }
};

// Reads a sendump image: its self-describing header of length-prefixed
// strings ("feature_count N" among them), the codeword and senone counts,
// then the values. nullopt with `error` when it is truncated, inconsistent
// or implausibly large.
std::optional<SenoneDump> ParseSendump(std::string_view image, std::string* error);

// The weight a stored value stands for: the middle of the range of weights
// that store as that value, so that storing it again gives the same value.
float WeightOfSendumpValue(std::uint8_t v);

// The mixture weights as the training tools' binary parameter file: the
// "s3" text header, the byte-order mark, the three dimensions (senones,
// features, codewords), the count, the floats and the checksum.
std::string MixtureWeightsImage(const SenoneDump& dump);

// The checksum those files end with, over the 32-bit words after the
// byte-order mark.
std::uint32_t ParameterChecksum(const std::vector<std::uint32_t>& words);

}  // namespace talvane::training
