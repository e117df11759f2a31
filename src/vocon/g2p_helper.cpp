// ondrix-g2p: the recogniser's grapheme-to-phoneme helper. espeak-ng runs in
// a process of its own, because the copilot voice may be using espeak-ng's
// global state in the host process at the same time. Reads words, one per
// line (all of them first); writes one line per word: its IPA phonemes as
// an American speaker says it, a TAB, and as a British speaker says it.
#include <espeak-ng/speak_lib.h>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

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

int main() {
  std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  std::vector<std::string> words;
  for (std::size_t at = 0; at < input.size();) {
    std::size_t end = input.find('\n', at);
    if (end == std::string::npos) end = input.size();
    words.push_back(input.substr(at, end - at));
    at = end + 1;
  }
  if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) <= 0) {
    std::fprintf(stderr, "ondrix-g2p: espeak-ng could not be initialised\n");
    return 1;
  }
  std::vector<std::string> us(words.size()), gb(words.size());
  for (auto [voice, out] : {std::pair{"en-us", &us}, std::pair{"en", &gb}}) {
    if (espeak_SetVoiceByName(voice) != EE_OK) continue;  // that accent is simply not offered
    for (std::size_t i = 0; i < words.size(); ++i) (*out)[i] = Phonemes(words[i]);
  }
  std::string out;
  for (std::size_t i = 0; i < words.size(); ++i) out += us[i] + '\t' + gb[i] + '\n';
  std::fwrite(out.data(), 1, out.size(), stdout);
  espeak_Terminate();
  return std::fflush(stdout) == 0 ? 0 : 1;
}
