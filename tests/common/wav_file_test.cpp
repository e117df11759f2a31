// The one WAV reader and writer: the sample formats the recogniser's file
// input meets, the copilot voice's output read back, and images cut or
// malformed anywhere in their headers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/binary.h"
#include "common/wav_file.h"

namespace talvane {
namespace {

// A WAV image with an odd-sized chunk to skip before the format chunk.
std::string Wav(std::uint16_t format, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                const std::string& data, bool extensible = false, std::uint32_t data_size = 0xFFFFFFFEu) {
  ByteWriter w;
  w.Bytes("RIFF");
  w.U32(0);
  w.Bytes("WAVE");
  w.Bytes("LIST");
  w.U32(3);
  w.Bytes(std::string("abc\0", 4));
  w.Bytes("fmt ");
  w.U32(extensible ? 40 : 16);
  w.U16(extensible ? 0xFFFE : format);
  w.U16(channels);
  w.U32(rate);
  w.U32(rate * channels * bits / 8);
  w.U16(static_cast<std::uint16_t>(channels * bits / 8));
  w.U16(bits);
  if (extensible) {
    w.U16(22);
    w.U16(bits);
    w.U32(0);
    w.U16(format);
    w.Bytes(std::string(14, '\0'));
  }
  w.Bytes("data");
  w.U32(data_size == 0xFFFFFFFEu ? static_cast<std::uint32_t>(data.size()) : data_size);
  w.Bytes(data);
  return w.take();
}

TEST(Wav, ReadsTheSampleFormats) {
  std::string e;
  auto a = ReadWav(Wav(1, 1, 16000, 16, std::string("\x00\x40\x00\xC0", 4)), &e);
  ASSERT_TRUE(a) << e;
  EXPECT_EQ(a->sample_rate, 16000u);
  EXPECT_EQ(a->samples, (std::vector<std::int16_t>{16384, -16384}));
  // Stereo mixed down; 8-bit unsigned; 24-bit; float; extensible.
  a = ReadWav(Wav(1, 2, 8000, 16, std::string("\x00\x40\x00\x00", 4)), &e);
  ASSERT_TRUE(a) << e;
  EXPECT_EQ(a->samples, (std::vector<std::int16_t>{8192}));
  a = ReadWav(Wav(1, 1, 8000, 8, std::string("\xC0\x80", 2)), &e);
  ASSERT_TRUE(a) << e;
  EXPECT_EQ(a->samples, (std::vector<std::int16_t>{16384, 0}));
  a = ReadWav(Wav(1, 1, 8000, 24, std::string("\x00\x00\xC0", 3)), &e);
  ASSERT_TRUE(a) << e;
  EXPECT_EQ(a->samples, (std::vector<std::int16_t>{-16384}));
  const float half = 0.5f;
  a = ReadWav(Wav(3, 1, 8000, 32, std::string(reinterpret_cast<const char*>(&half), 4), true), &e);
  ASSERT_TRUE(a) << e;
  EXPECT_EQ(a->samples, (std::vector<std::int16_t>{16384}));
  // A data size left unfinished by a streaming writer: up to the end.
  a = ReadWav(Wav(1, 1, 16000, 16, std::string(6, '\0'), false, 0xFFFFFFFFu), &e);
  ASSERT_TRUE(a) << e;
  EXPECT_EQ(a->samples.size(), 3u);
}

TEST(Wav, RefusesWhatItCannotRead) {
  std::string e;
  EXPECT_FALSE(ReadWav("", &e));
  EXPECT_FALSE(ReadWav("RIFF\0\0\0\0WAVE", &e));                         // no chunks
  EXPECT_FALSE(ReadWav(Wav(2, 1, 16000, 16, "xx"), &e));                  // ADPCM
  EXPECT_FALSE(ReadWav(Wav(1, 0, 16000, 16, "xx"), &e));                  // no channels
  EXPECT_FALSE(ReadWav(Wav(1, 1, 16000, 12, "xx"), &e));                  // odd sample size
  EXPECT_FALSE(ReadWav(Wav(1, 1, 0, 16, "xx"), &e));                      // no rate
  EXPECT_FALSE(ReadWav(Wav(1, 1, 16000, 16, "xx").substr(0, 30), &e));   // cut in its format chunk
}

TEST(Wav, WrittenImagesReadBack) {
  std::vector<std::int16_t> s = {0, 1, -1, 32767, -32768, 1234};
  const std::string bytes = WavBytes(s, 22050);
  ASSERT_EQ(bytes.size(), 44 + s.size() * 2);
  auto w = ReadWav(bytes);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->sample_rate, 22050u);
  EXPECT_EQ(w->channels, 1);
  EXPECT_EQ(w->samples, s);
  EXPECT_FALSE(ReadWav(bytes.substr(0, 43)));  // data chunk cut short
  EXPECT_FALSE(ReadWav("RIFF"));
  std::string bad = bytes;
  bad[20] = 3;  // not PCM
  EXPECT_FALSE(ReadWav(bad));
}

TEST(Wav, CutOrOddHeadersAreRefusedOrReadUpToTheirEnd) {
  const std::vector<std::int16_t> s = {100, -200, 300, -400, 500};
  const std::string whole = WavBytes(s, 16000);
  // Cut anywhere: refused while the data chunk's header is incomplete, then
  // read up to the last whole sample (a recording stopped mid-write).
  for (std::size_t n = 0; n < whole.size(); ++n) {
    std::string e;
    auto a = ReadWav(whole.substr(0, n), &e);
    if (n < 44) {
      EXPECT_FALSE(a) << n;
      EXPECT_FALSE(e.empty()) << n;
    } else {
      ASSERT_TRUE(a) << n << ": " << e;
      EXPECT_EQ(a->samples, std::vector<std::int16_t>(s.begin(), s.begin() + static_cast<long>((n - 44) / 2))) << n;
    }
  }
  std::string e;
  // An odd-sized chunk whose pad byte is missing at the end of the image.
  EXPECT_FALSE(ReadWav(std::string("RIFF\0\0\0\0WAVEjunk\3\0\0\0abc", 23), &e));
  EXPECT_EQ(e, "no format chunk");
  // A chunk that claims more than the image holds, before any format.
  EXPECT_FALSE(ReadWav(std::string("RIFF\0\0\0\0WAVEjunk\xFF\xFF\xFF\xFF", 20), &e));
  // Data before the format; the extensible format chunk cut to 16 bytes;
  // a block size that disagrees with the channels and sample size.
  EXPECT_FALSE(ReadWav(std::string("RIFF\0\0\0\0WAVEdata\2\0\0\0xx", 22), &e));
  EXPECT_EQ(e, "the data chunk comes before the format chunk");
  std::string ext = whole;
  ext[20] = '\xFE';
  ext[21] = '\xFF';
  EXPECT_FALSE(ReadWav(ext, &e));
  EXPECT_EQ(e, "the extensible format chunk is cut short");
  std::string block = whole;
  block[32] = 4;
  EXPECT_FALSE(ReadWav(block, &e));
  EXPECT_EQ(e, "the block size does not match the format");
}

}  // namespace
}  // namespace talvane
