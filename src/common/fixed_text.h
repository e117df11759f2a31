// A text field of fixed width, as the data files and records hold it:
// Windows-1252 bytes, padded with spaces on the right, cut at the width.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/text.h"

namespace talvane {

template <std::size_t N>
class FixedText {
 public:
  static constexpr std::size_t kWidth = N;

  FixedText() : s_(N, ' ') {}
  FixedText(std::string_view v) { assign(v); }  // NOLINT: texts convert implicitly
  FixedText(const char* v) { assign(v); }       // NOLINT
  FixedText(const std::string& v) { assign(v); }  // NOLINT

  void assign(std::string_view v) { s_ = FixedField(v, N); }

  // The padded text, exactly N characters.
  const std::string& str() const { return s_; }
  std::string trimmed() const { return Trim(s_); }

  bool operator==(const FixedText&) const = default;

 private:
  std::string s_;
};

}  // namespace talvane
