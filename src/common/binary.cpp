#include "common/binary.h"

namespace talvane {

void ByteReader::Need(std::size_t n) const {
  if (n > data_.size() - pos_) throw FormatError("file ends before its records do");
}

std::int16_t ByteReader::I16() {
  Need(2);
  auto lo = static_cast<unsigned char>(data_[pos_]);
  auto hi = static_cast<unsigned char>(data_[pos_ + 1]);
  pos_ += 2;
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
}

std::int32_t ByteReader::I32() {
  Need(4);
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(data_[pos_ + i]);
  pos_ += 4;
  return static_cast<std::int32_t>(v);
}

std::string ByteReader::Text(std::size_t width) {
  Need(width);
  std::string s(data_.substr(pos_, width));
  pos_ += width;
  return s;
}

std::int16_t ByteReader::LastIndex() {
  std::int16_t v = I16();
  if (v < -1) throw FormatError("negative record count");
  return v;
}

void ByteWriter::I16(std::int16_t v) {
  auto u = static_cast<std::uint16_t>(v);
  out_ += static_cast<char>(u & 0xFF);
  out_ += static_cast<char>(u >> 8);
}

void ByteWriter::I32(std::int32_t v) {
  auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) out_ += static_cast<char>((u >> (8 * i)) & 0xFF);
}

void ByteWriter::LastIndex(std::size_t count) {
  if (count > 32768) throw FormatError("too many entries for the file format");
  I16(static_cast<std::int16_t>(static_cast<int>(count) - 1));
}

void ByteWriter::Text(std::string_view s, std::size_t width) {
  std::size_t n = s.size() < width ? s.size() : width;
  out_.append(s.data(), n);
  out_.append(width - n, ' ');
}

}  // namespace talvane
