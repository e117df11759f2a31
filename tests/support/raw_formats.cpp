#include "support/raw_formats.h"

#include <algorithm>

#include "support/test_support.h"

namespace talvane::test {

namespace {

void Put16(std::string& out, int v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& o, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) o += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutText(std::string& out, const std::string& s, std::size_t width) {
  std::string f = s.substr(0, std::min(s.size(), width));
  f.append(width - f.size(), ' ');
  out += f;
}

std::string Random(std::mt19937& rng, std::size_t width) {
  return RandomAnsi(rng, rng() % (width + width / 4 + 1));
}

}  // namespace

std::string RawCommandList(const std::vector<RawCommand>& cmds) {
  std::string out;
  Put16(out, static_cast<int>(cmds.size()) - 1);
  for (const auto& c : cmds) {
    PutText(out, c.category, 32);
    PutText(out, c.name, 128);
    PutText(out, c.rule, 128);
    PutText(out, c.text, 256);
    Put16(out, c.value);
    Put16(out, static_cast<int>(c.phrases.size()) - 1);
    Put16(out, static_cast<int>(c.readbacks.size()) - 1);
    for (const auto& p : c.phrases) PutText(out, p, 256);
    for (const auto& r : c.readbacks) PutText(out, r, 256);
  }
  return out;
}

std::vector<RawCommand> RandomRawCommands(std::mt19937& rng, int count) {
  std::vector<RawCommand> cmds;
  for (int i = 0; i < count; ++i) {
    RawCommand c{Random(rng, 32), Random(rng, 128), Random(rng, 128), Random(rng, 256),
                 static_cast<int>(rng() % 65536) - 32768, {}, {}};
    for (int n = static_cast<int>(rng() % 5); n > 0; --n) c.phrases.push_back(Random(rng, 256));
    for (int n = static_cast<int>(rng() % 4); n > 0; --n) c.readbacks.push_back(Random(rng, 256));
    cmds.push_back(std::move(c));
  }
  return cmds;
}

std::string RandomRawChecklist(std::mt19937& rng) {
  std::string counts, body;
  for (int s = 0; s < 12; ++s) {
    const int steps = static_cast<int>(rng() % 4);
    Put16(counts, steps - 1);
    for (int i = 0; i < steps; ++i) {
      PutText(body, Random(rng, 256), 256);
      PutText(body, Random(rng, 256), 256);
      PutText(body, Random(rng, 128), 128);
      const int responses = 2 + static_cast<int>(rng() % 3);
      Put16(body, responses - 1);
      for (int r = 0; r < responses; ++r) {
        PutText(body, Random(rng, 128), 128);
        Put32(body, static_cast<std::uint32_t>(rng()));
      }
    }
  }
  return counts + body;
}

std::string RandomRawAssignments(std::mt19937& rng, int count) {
  std::string out;
  Put16(out, count - 1);
  for (int i = 0; i < count; ++i) {
    PutText(out, Random(rng, 256), 256);
    PutText(out, Random(rng, 256), 256);
    Put16(out, static_cast<int>(rng() % 3) - 1);
  }
  return out;
}

}  // namespace talvane::test
