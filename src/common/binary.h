// Little-endian readers and writers for the fixed-layout data files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace talvane {

// Raised when a data file is shorter than its counts announce, or a count is
// out of range. Readers catch it and report the file's own message.
class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ByteReader {
 public:
  explicit ByteReader(std::string_view data) : data_(data) {}

  std::int16_t I16();
  std::int32_t I32();
  // Exactly `width` bytes of text, as stored (with its padding).
  std::string Text(std::size_t width);
  // A 16-bit last index: -1 for an empty list, never below.
  std::int16_t LastIndex();

  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return data_.size() - pos_; }

 private:
  void Need(std::size_t n) const;
  std::string_view data_;
  std::size_t pos_ = 0;
};

class ByteWriter {
 public:
  void I16(std::int16_t v);
  void I32(std::int32_t v);
  // The 16-bit last index (count minus one) written before a list; throws
  // FormatError when the list is longer than the format can count.
  void LastIndex(std::size_t count);
  // The text cut or space-padded to `width` bytes.
  void Text(std::string_view s, std::size_t width);
  const std::string& bytes() const { return out_; }
  std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

}  // namespace talvane
