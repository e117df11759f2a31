#include "vocon/wav_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace talvane::vocon {

namespace {

std::uint32_t U32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

constexpr std::uint16_t kPcm = 1, kFloat = 3, kExtensible = 0xFFFE;

// One sample as a value in [-1, 1].
double Sample(const unsigned char* p, std::uint16_t format, std::uint16_t bits) {
  if (format == kFloat) {
    if (bits == 32) {
      float f;
      std::uint32_t u = U32(p);
      std::memcpy(&f, &u, 4);
      return std::isfinite(f) ? f : 0.0;
    }
    double d;
    std::uint64_t u = U32(p) | (static_cast<std::uint64_t>(U32(p + 4)) << 32);
    std::memcpy(&d, &u, 8);
    return std::isfinite(d) ? d : 0.0;
  }
  switch (bits) {
    case 8:
      return (static_cast<int>(p[0]) - 128) / 128.0;
    case 16:
      return static_cast<std::int16_t>(U16(p)) / 32768.0;
    case 24: {
      std::int32_t v = static_cast<std::int32_t>((p[0] << 8) | (p[1] << 16) | (static_cast<std::uint32_t>(p[2]) << 24));
      return (v >> 8) / 8388608.0;
    }
    default:
      return static_cast<std::int32_t>(U32(p)) / 2147483648.0;
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
  const auto* b = reinterpret_cast<const unsigned char*>(image.data());
  const std::size_t n = image.size();
  if (n < 12 || std::memcmp(b, "RIFF", 4) != 0 || std::memcmp(b + 8, "WAVE", 4) != 0)
    return fail("not a RIFF/WAVE file");
  std::uint16_t format = 0, channels = 0, bits = 0, block = 0;
  std::uint32_t rate = 0;
  bool have_fmt = false;
  std::size_t at = 12;
  while (at + 8 <= n) {
    const std::uint32_t size = U32(b + at + 4);
    const std::size_t body = at + 8;
    const std::size_t avail = n - body;
    if (std::memcmp(b + at, "fmt ", 4) == 0) {
      if (size < 16 || size > avail) return fail("the format chunk is cut short");
      format = U16(b + body);
      channels = U16(b + body + 2);
      rate = U32(b + body + 4);
      block = U16(b + body + 12);
      bits = U16(b + body + 14);
      if (format == kExtensible) {
        if (size < 40) return fail("the extensible format chunk is cut short");
        format = U16(b + body + 24);  // the first two bytes of the sub-format GUID
      }
      have_fmt = true;
    } else if (std::memcmp(b + at, "data", 4) == 0) {
      if (!have_fmt) return fail("the data chunk comes before the format chunk");
      if (format != kPcm && format != kFloat) return fail("only PCM and floating-point samples are read");
      const bool bits_ok = format == kPcm ? (bits == 8 || bits == 16 || bits == 24 || bits == 32)
                                          : (bits == 32 || bits == 64);
      if (!bits_ok) return fail("unsupported sample size");
      if (channels == 0 || channels > 64) return fail("unsupported channel count");
      if (rate < 1000 || rate > 384000) return fail("unsupported sample rate");
      if (block != channels * (bits / 8)) return fail("the block size does not match the format");
      const std::size_t len = std::min<std::size_t>(size, avail);
      const std::size_t frames = len / block;
      MonoAudio out;
      out.sample_rate = rate;
      out.samples.reserve(frames);
      for (std::size_t f = 0; f < frames; ++f) {
        double sum = 0;
        for (std::uint16_t c = 0; c < channels; ++c) sum += Sample(b + body + f * block + c * (bits / 8), format, bits);
        out.samples.push_back(ToPcm16(sum / channels));
      }
      return out;
    }
    if (size > avail) break;
    at = body + size + (size & 1);  // chunks are padded to even sizes
  }
  return fail(have_fmt ? "no data chunk" : "no format chunk");
}

std::vector<std::int16_t> Resample(const std::vector<std::int16_t>& in, std::uint32_t from, std::uint32_t to) {
  if (from == to || in.empty() || from == 0 || to == 0) return in;
  const double ratio = static_cast<double>(to) / from;
  // Cut-off just below the lower Nyquist frequency, as a fraction of the input rate.
  const double cutoff = 0.5 * std::min(1.0, ratio) * 0.94;
  const int half = static_cast<int>(std::ceil(12 / std::min(1.0, ratio)));
  constexpr int kPhases = 256;
  const int taps = 2 * half;
  // Kaiser window, beta 8.
  auto bessel0 = [](double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 30; ++k) {
      term *= (x / (2 * k)) * (x / (2 * k));
      sum += term;
    }
    return sum;
  };
  const double beta = 8.0, norm = bessel0(beta);
  std::vector<float> table(static_cast<std::size_t>(kPhases + 1) * taps);
  for (int p = 0; p <= kPhases; ++p) {
    const double frac = static_cast<double>(p) / kPhases;
    for (int k = 0; k < taps; ++k) {
      const double x = (k - half + 1) - frac;  // distance from the output instant, in input samples
      const double w = std::abs(x) >= half ? 0.0 : bessel0(beta * std::sqrt(1 - (x / half) * (x / half))) / norm;
      const double s = x == 0 ? 2 * cutoff : std::sin(2 * std::numbers::pi * cutoff * x) / (std::numbers::pi * x);
      table[static_cast<std::size_t>(p) * taps + k] = static_cast<float>(s * w);
    }
  }
  const std::size_t out_len = static_cast<std::size_t>(static_cast<double>(in.size()) * ratio);
  std::vector<std::int16_t> out(out_len);
  const long long n = static_cast<long long>(in.size());
  for (std::size_t i = 0; i < out_len; ++i) {
    const double t = static_cast<double>(i) / ratio;
    const long long base = static_cast<long long>(std::floor(t));
    const double frac = (t - static_cast<double>(base)) * kPhases;
    const int p = static_cast<int>(frac);
    const float mix = static_cast<float>(frac - p);
    const float* h0 = &table[static_cast<std::size_t>(p) * taps];
    const float* h1 = h0 + taps;
    double acc = 0;
    for (int k = 0; k < taps; ++k) {
      const long long j = base + k - half + 1;
      if (j < 0 || j >= n) continue;
      acc += in[static_cast<std::size_t>(j)] * (h0[k] + mix * (h1[k] - h0[k]));
    }
    out[i] = static_cast<std::int16_t>(std::clamp(std::round(acc), -32768.0, 32767.0));
  }
  return out;
}

}  // namespace talvane::vocon
