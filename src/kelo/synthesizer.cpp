#include "kelo/synthesizer.h"

#include <espeak-ng/speak_lib.h>

#include <cctype>
#include <string_view>

namespace talvane::kelo {

namespace {

struct SynthTarget {
  Speech* out;
  const std::atomic<bool>* cancel;
};

int OnSamples(short* wav, int count, espeak_EVENT* events) {
  auto* target = events ? static_cast<SynthTarget*>(events->user_data) : nullptr;
  if (!target) return 0;
  if (wav && count > 0) target->out->samples.insert(target->out->samples.end(), wav, wav + count);
  return target->cancel->load() ? 1 : 0;
}

bool ListHas(const espeak_VOICE** list, std::string_view file) {
  for (; list && *list; ++list) {
    const char* id = (*list)->identifier;
    if (!id) continue;
    std::string_view ident(id);
    const auto slash = ident.rfind('/');
    std::string_view name = slash == std::string_view::npos ? ident : ident.substr(slash + 1);
    if (name.size() != file.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(name[i])) == std::tolower(static_cast<unsigned char>(file[i]));
    if (same) return true;
  }
  return false;
}

}  // namespace

bool Synthesizer::Start(std::string* error) {
  std::lock_guard lock(mutex_);
  if (started_) return true;
  const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
  if (rate <= 0) {
    if (error) *error = "espeak-ng could not be initialised (is espeak-ng-data installed?)";
    return false;
  }
  espeak_SetSynthCallback(OnSamples);
  sample_rate_ = rate;
  started_ = true;
  return true;
}

bool Synthesizer::HasVoice(const Voice& v) {
  if (!Start(nullptr)) return false;
  std::lock_guard lock(mutex_);
  if (!ListHas(espeak_ListVoices(nullptr), v.language)) return false;
  if (v.variant.empty()) return true;
  espeak_VOICE spec{};
  spec.languages = "variant";
  return ListHas(espeak_ListVoices(&spec), v.variant);
}

bool Synthesizer::Synthesize(const std::string& utf8, const Voice& v, int volume_percent, int rate_scale,
                             const std::atomic<bool>& cancel, Speech& out, std::string* error) {
  if (!Start(error)) return false;
  std::lock_guard lock(mutex_);
  out.samples.clear();
  out.sample_rate = static_cast<std::uint32_t>(sample_rate_);
  const std::string name = EspeakVoiceName(v);
  if (espeak_SetVoiceByName(name.c_str()) != EE_OK) {
    if (error) *error = "espeak-ng has no voice " + name;
    return false;
  }
  espeak_SetParameter(espeakVOLUME, EspeakVolume(volume_percent), 0);
  espeak_SetParameter(espeakRATE, EspeakRate(rate_scale), 0);
  SynthTarget target{&out, &cancel};
  // Plain text: no SSML and no phoneme input, whatever the text holds.
  const espeak_ERROR r = espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                                      nullptr, &target);
  if (r != EE_OK) {
    if (error) *error = "espeak-ng could not synthesise the text (error " + std::to_string(r) + ")";
    return false;
  }
  return true;
}

std::string Synthesizer::Version() {
  const char* path = nullptr;
  const char* v = espeak_Info(&path);
  return v ? v : "?";
}

Synthesizer::~Synthesizer() {
  std::lock_guard lock(mutex_);
  if (started_) espeak_Terminate();
}

Synthesizer& TheSynthesizer() {
  static Synthesizer s;
  return s;
}

}  // namespace talvane::kelo
