#include "common/resample.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace talvane {

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

}  // namespace talvane
