#include "common/wav_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/binary.h"

namespace talvane {

namespace {

constexpr std::uint16_t kPcm = 1, kFloat = 3, kExtensible = 0xFFFE;

// One sample as a value in [-1, 1].
double Sample(const char* p, std::uint16_t format, std::uint16_t bits) {
  if (format == kFloat) {
    if (bits == 32) {
      float f;
      const std::uint32_t u = LoadU32(p);
      std::memcpy(&f, &u, 4);
      return std::isfinite(f) ? f : 0.0;
    }
    double d;
    const std::uint64_t u = LoadU32(p) | (static_cast<std::uint64_t>(LoadU32(p + 4)) << 32);
    std::memcpy(&d, &u, 8);
    return std::isfinite(d) ? d : 0.0;
  }
  switch (bits) {
    case 8:
      return (static_cast<unsigned char>(p[0]) - 128) / 128.0;
    case 16:
      return static_cast<std::int16_t>(LoadU16(p)) / 32768.0;
    case 24: {
      // The three bytes in the top of a 32-bit value keep the sign.
      const auto v = static_cast<std::int32_t>((static_cast<std::uint32_t>(LoadU16(p)) << 8) |
                                               (static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 24));
      return (v >> 8) / 8388608.0;
    }
    default:
      return static_cast<std::int32_t>(LoadU32(p)) / 2147483648.0;
  }
}

std::int16_t ToPcm16(double v) {
  const double s = std::round(v * 32768.0);
  return static_cast<std::int16_t>(std::clamp(s, -32768.0, 32767.0));
}

}  // namespace

std::optional<MonoAudio> ReadWav(std::string_view image, std::string* error) {
  auto fail = [&](const char* why) -> std::optional<MonoAudio> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (image.size() < 12 || image.substr(0, 4) != "RIFF" || image.substr(8, 4) != "WAVE")
    return fail("not a RIFF/WAVE file");
  std::uint16_t format = 0, channels = 0, bits = 0, block = 0;
  std::uint32_t rate = 0;
  bool have_fmt = false;
  ByteReader in(image.substr(12));
  std::string_view id;
  std::uint32_t size = 0;
  while (in.ReadBytes(4, id) && in.ReadU32(size)) {
    const std::size_t avail = in.remaining();
    std::string_view body;
    in.ReadBytes(std::min<std::size_t>(size, avail), body);
    if (id == "fmt ") {
      if (size < 16 || size > avail) return fail("the format chunk is cut short");
      format = LoadU16(body.data());
      channels = LoadU16(body.data() + 2);
      rate = LoadU32(body.data() + 4);
      block = LoadU16(body.data() + 12);
      bits = LoadU16(body.data() + 14);
      if (format == kExtensible) {
        if (size < 40) return fail("the extensible format chunk is cut short");
        format = LoadU16(body.data() + 24);  // the first two bytes of the sub-format GUID
      }
      have_fmt = true;
    } else if (id == "data") {
      if (!have_fmt) return fail("the data chunk comes before the format chunk");
      if (format != kPcm && format != kFloat) return fail("only PCM and floating-point samples are read");
      const bool bits_ok = format == kPcm ? (bits == 8 || bits == 16 || bits == 24 || bits == 32)
                                          : (bits == 32 || bits == 64);
      if (!bits_ok) return fail("unsupported sample size");
      if (channels == 0 || channels > 64) return fail("unsupported channel count");
      if (rate < 1000 || rate > 384000) return fail("unsupported sample rate");
      if (block != channels * (bits / 8)) return fail("the block size does not match the format");
      const std::size_t frames = body.size() / block;
      MonoAudio out;
      out.sample_rate = rate;
      out.channels = channels;
      out.samples.reserve(frames);
      for (std::size_t f = 0; f < frames; ++f) {
        double sum = 0;
        for (std::uint16_t c = 0; c < channels; ++c)
          sum += Sample(body.data() + f * block + c * (bits / 8), format, bits);
        out.samples.push_back(ToPcm16(sum / channels));
      }
      return out;
    }
    std::string_view pad;
    if ((size & 1) && !in.ReadBytes(1, pad)) break;  // chunks are padded to even sizes
  }
  return fail(have_fmt ? "no data chunk" : "no format chunk");
}

std::string WavBytes(std::span<const std::int16_t> samples, std::uint32_t sample_rate) {
  const auto data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
  ByteWriter w;
  w.Reserve(44 + data_bytes);
  w.Bytes("RIFF");
  w.U32(36 + data_bytes);
  w.Bytes("WAVEfmt ");
  w.U32(16);
  w.U16(kPcm);
  w.U16(1);  // mono
  w.U32(sample_rate);
  w.U32(sample_rate * 2);
  w.U16(2);
  w.U16(16);
  w.Bytes("data");
  w.U32(data_bytes);
  for (std::int16_t v : samples) w.I16(v);
  return w.take();
}

}  // namespace talvane
