#include "common/binary.h"

namespace talvane {

std::uint16_t LoadU16(const char* p) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8));
}

std::uint32_t LoadU32(const char* p) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}

void ByteReader::Need(std::size_t n) const {
  if (n > remaining()) throw FormatError("file ends before its records do");
}

bool ByteReader::ReadU8(std::uint8_t& v) {
  if (remaining() < 1) return false;
  v = static_cast<std::uint8_t>(data_[pos_++]);
  return true;
}

bool ByteReader::ReadU16(std::uint16_t& v) {
  if (remaining() < 2) return false;
  v = LoadU16(data_.data() + pos_);
  pos_ += 2;
  return true;
}

bool ByteReader::ReadU32(std::uint32_t& v) {
  if (remaining() < 4) return false;
  v = LoadU32(data_.data() + pos_);
  pos_ += 4;
  return true;
}

bool ByteReader::ReadBytes(std::size_t n, std::string_view& bytes) {
  if (remaining() < n) return false;
  bytes = data_.substr(pos_, n);
  pos_ += n;
  return true;
}

std::int16_t ByteReader::I16() {
  std::uint16_t v = 0;
  if (!ReadU16(v)) Need(2);
  return static_cast<std::int16_t>(v);
}

std::int32_t ByteReader::I32() {
  std::uint32_t v = 0;
  if (!ReadU32(v)) Need(4);
  return static_cast<std::int32_t>(v);
}

std::string ByteReader::Text(std::size_t width) {
  std::string_view s;
  if (!ReadBytes(width, s)) Need(width);
  return std::string(s);
}

std::int16_t ByteReader::LastIndex() {
  std::int16_t v = I16();
  if (v < -1) throw FormatError("negative record count");
  return v;
}

void ByteWriter::U16(std::uint16_t v) {
  out_ += static_cast<char>(v & 0xFF);
  out_ += static_cast<char>(v >> 8);
}

void ByteWriter::U32(std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out_ += static_cast<char>((v >> (8 * i)) & 0xFF);
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
