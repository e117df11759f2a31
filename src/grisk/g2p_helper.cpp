// The phonemizer helper of the grammar compiler and of the recogniser's
// grapheme-to-phoneme object: espeak-ng in a process of its own, so neither
// ever shares espeak-ng's global state with the copilot voice that may be
// speaking in the host process.
//
// Usage: g2p [VOICE...] (default en-us). Reads words, one per line, from
// standard input (all of them first); writes one line per word: its IPA
// phonemes, separated by spaces, as each voice says it, the voices' fields
// separated by a TAB. The first voice is required; a later one espeak-ng
// does not have leaves its field empty (that accent is simply not offered).
#include <espeak-ng/speak_lib.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "common/split.h"

namespace {

std::string Phonemes(const std::string& word) {
  std::string line;
  const void* p = word.c_str();
  for (int pieces = 0; p && *static_cast<const char*>(p) && pieces < 1000; ++pieces) {
    const char* ph = espeak_TextToPhonemes(&p, espeakCHARS_UTF8, espeakPHONEMES_IPA | (' ' << 8));
    if (ph && *ph) {
      if (!line.empty()) line += ' ';
      line += ph;
    }
  }
  for (char& c : line)
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  // Messages name the program as it was installed (grisk-g2p, ondrix-g2p).
  const char* slash = argc > 0 ? std::strrchr(argv[0], '/') : nullptr;
  const char* self = argc > 0 ? (slash ? slash + 1 : argv[0]) : "g2p";
  std::vector<std::string> voices(argv + (argc > 1 ? 1 : argc), argv + argc);
  if (voices.empty()) voices.push_back("en-us");

  std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  std::vector<std::string> words;
  for (const std::string_view word : talvane::SplitLines(input)) words.emplace_back(word);
  if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) <= 0) {
    std::fprintf(stderr, "%s: espeak-ng could not be initialised\n", self);
    return 1;
  }
  std::vector<std::string> lines(words.size());
  for (std::size_t v = 0; v < voices.size(); ++v) {
    const bool have = espeak_SetVoiceByName(voices[v].c_str()) == EE_OK;
    if (!have && v == 0) {
      std::fprintf(stderr, "%s: espeak-ng has no %s voice\n", self, voices[v].c_str());
      return 1;
    }
    for (std::size_t i = 0; i < words.size(); ++i) {
      if (v > 0) lines[i] += '\t';
      if (have) lines[i] += Phonemes(words[i]);
    }
  }
  std::string out;
  for (const auto& line : lines) out += line + '\n';
  std::fwrite(out.data(), 1, out.size(), stdout);
  espeak_Terminate();
  return std::fflush(stdout) == 0 ? 0 : 1;
}
