// grisk-g2p: espeak-ng's phonemizer in a process of its own, so the compiler
// never shares espeak-ng's global state with the voice that may be speaking
// in the program. Reads words, one per line, from standard input (all of it
// first), then writes one line of IPA phonemes per word, separated by spaces.
#include <espeak-ng/speak_lib.h>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

int main() {
  std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) <= 0) {
    std::fprintf(stderr, "grisk-g2p: espeak-ng could not be initialised\n");
    return 1;
  }
  if (espeak_SetVoiceByName("en-us") != EE_OK) {
    std::fprintf(stderr, "grisk-g2p: espeak-ng has no en-us voice\n");
    return 1;
  }
  std::string out;
  std::size_t at = 0;
  while (at < input.size()) {
    std::size_t end = input.find('\n', at);
    if (end == std::string::npos) end = input.size();
    const std::string word = input.substr(at, end - at);
    at = end + 1;
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
      if (c == '\n' || c == '\r') c = ' ';
    out += line;
    out += '\n';
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  espeak_Terminate();
  return std::fflush(stdout) == 0 ? 0 : 1;
}
