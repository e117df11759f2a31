// The little-endian codec every binary format goes through: values written
// come back unchanged, bytes land in little-endian order, and a read past
// the end never yields a value.
#include <gtest/gtest.h>

#include <random>

#include "common/binary.h"

namespace talvane {
namespace {

TEST(Binary, RandomValuesRoundTripInLittleEndianOrder) {
  ByteWriter order;
  order.U32(0x04030201u);
  order.U16(0x0605);
  EXPECT_EQ(order.bytes(), "\x01\x02\x03\x04\x05\x06");

  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    const auto u8 = static_cast<std::uint8_t>(rng());
    const auto u16 = static_cast<std::uint16_t>(rng());
    const auto u32 = static_cast<std::uint32_t>(rng());
    const auto i16 = static_cast<std::int16_t>(rng());
    const auto i32 = static_cast<std::int32_t>(rng());
    ByteWriter w;
    w.U8(u8);
    w.U16(u16);
    w.U32(u32);
    w.I16(i16);
    w.I32(i32);
    w.Text("ab", 4);
    ASSERT_EQ(w.bytes().size(), 17u);
    ByteReader r(w.bytes());
    std::uint8_t a = 0;
    std::uint16_t b = 0;
    std::uint32_t c = 0;
    ASSERT_TRUE(r.ReadU8(a) && r.ReadU16(b) && r.ReadU32(c));
    EXPECT_EQ(a, u8);
    EXPECT_EQ(b, u16);
    EXPECT_EQ(c, u32);
    EXPECT_EQ(r.I16(), i16);
    EXPECT_EQ(r.I32(), i32);
    EXPECT_EQ(r.Text(4), "ab  ");
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(LoadU32(w.bytes().data() + 3), u32);
  }
}

TEST(Binary, ReadsPastTheEndFailWithoutConsuming) {
  ByteReader r(std::string_view("\x01\x02\x03", 3));
  std::uint32_t v = 0;
  std::string_view bytes;
  EXPECT_FALSE(r.ReadU32(v));
  EXPECT_FALSE(r.ReadBytes(4, bytes));
  EXPECT_EQ(r.position(), 0u);
  EXPECT_THROW(r.I32(), FormatError);
  std::uint16_t u = 0;
  EXPECT_TRUE(r.ReadU16(u));
  EXPECT_THROW(r.I16(), FormatError);
  EXPECT_THROW(r.Text(2), FormatError);
  EXPECT_EQ(r.remaining(), 1u);

  // List counts: -1 is an empty list, anything lower is refused; a list
  // longer than 16 bits can count is refused when written.
  ByteWriter w;
  w.LastIndex(0);
  w.I16(-2);
  ByteReader counts(w.bytes());
  EXPECT_EQ(counts.LastIndex(), -1);
  EXPECT_THROW(counts.LastIndex(), FormatError);
  EXPECT_NO_THROW(w.LastIndex(32768));
  EXPECT_THROW(w.LastIndex(32769), FormatError);
}

}  // namespace
}  // namespace talvane
