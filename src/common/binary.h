// Little-endian readers and writers: the one codec for every binary file the
// program and its speech libraries read or write (data records, compiled
// grammars, WAV audio).
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

// The value stored little-endian in the first bytes at `p` (2 or 4 of them,
// which the caller has checked are there).
std::uint16_t LoadU16(const char* p);
std::uint32_t LoadU32(const char* p);

class ByteReader {
 public:
  explicit ByteReader(std::string_view data) : data_(data) {}

  // For formats whose readers name what is missing: false, with nothing
  // consumed, when the data ends first.
  bool ReadU8(std::uint8_t& v);
  bool ReadU16(std::uint16_t& v);
  bool ReadU32(std::uint32_t& v);
  bool ReadBytes(std::size_t n, std::string_view& bytes);

  // For the fixed-layout data records: FormatError when the data ends first.
  std::int16_t I16();
  std::int32_t I32();
  // Exactly `width` bytes of text, as stored (with its padding).
  std::string Text(std::size_t width);
  // A 16-bit last index: -1 for an empty list, never below.
  std::int16_t LastIndex();

  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return data_.size() - pos_; }
  bool AtEnd() const { return pos_ == data_.size(); }

 private:
  void Need(std::size_t n) const;
  std::string_view data_;
  std::size_t pos_ = 0;
};

class ByteWriter {
 public:
  void U8(std::uint8_t v) { out_ += static_cast<char>(v); }
  void U16(std::uint16_t v);
  void U32(std::uint32_t v);
  void Bytes(std::string_view b) { out_ += b; }
  void I16(std::int16_t v) { U16(static_cast<std::uint16_t>(v)); }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  // The 16-bit last index (count minus one) written before a list; throws
  // FormatError when the list is longer than the format can count.
  void LastIndex(std::size_t count);
  // The text cut or space-padded to `width` bytes.
  void Text(std::string_view s, std::size_t width);
  void Reserve(std::size_t n) { out_.reserve(n); }
  const std::string& bytes() const { return out_; }
  std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

}  // namespace talvane
