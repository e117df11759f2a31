#include "engine/engine_support.h"

#include <dlfcn.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>

#include "common/files.h"
#include "common/wav_file.h"

namespace talvane::test {

OndrixFn Ondrix() {
  static OndrixFn fn = [] {
    void* lib = dlopen((fs::path(TALVANE_PROGRAM_DIR) / "libondrix.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) throw std::runtime_error(std::string("libondrix.so: ") + dlerror());
    auto* f = reinterpret_cast<OndrixFn>(dlsym(lib, "fnOndrixDLL_Call"));
    if (!f) throw std::runtime_error("libondrix.so has no fnOndrixDLL_Call");
    return f;
  }();
  return fn;
}

std::int32_t Send(std::int32_t code) {
  SREC_COMMAND_OBJECT r{code, 0, nullptr};
  return Ondrix()(&r);
}

EngineResult Recognize() {
  std::vector<char16_t> buffer(SR_AGGREGATE_SIZE, u'\0');
  SREC_COMMAND_OBJECT r{SR_RECOGNIZE, 12345, buffer.data()};
  EngineResult out;
  out.rc = Ondrix()(&r);
  out.confidence = r.CmdConfidence;
  for (const char16_t* p = buffer.data(); *p; ++p) out.text += static_cast<char>(*p < 0x80 ? *p : '?');
  return out;
}

const fs::path& WinePrefix() {
  // Static objects, so that the folders go when the test program ends.
  static const TempFolder prefix;
  static const bool written = [] {
    WriteFile(prefix / "drive_c/ProgramData/Microsoft/FSX/fsx.cfg", "[Main]\r\n");
    return true;
  }();
  (void)written;
  return prefix.path();
}

const fs::path& CompiledProgram() {
  static const TempFolder folder;
  static const bool compiled = [] {
    const TempFolder* f = &folder;
    fs::copy(TALVANE_PROGRAM_DIR, f->path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::string cfg = ReadFile(f->path() / "TV_Information.cfg");
    const auto at = cfg.find("compileNavaids=1");
    if (at != std::string::npos) cfg.replace(at, 16, "compileNavaids=0");
    WriteFile(f->path() / "TV_Information.cfg", cfg);
    auto r = RunTool({"--program-folder", f->path().string(), "compile"}, {"WINEPREFIX=" + WinePrefix().string()});
    if (r.status != 0) throw std::runtime_error("the shipped grammars do not compile: " + r.out + r.err);
    return true;
  }();
  (void)compiled;
  return folder.path();
}

void CopyProgram(const fs::path& to) {
  fs::copy(CompiledProgram(), to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

namespace {

fs::path SpeechFolder() {
  static const TempFolder f;
  return f.path();
}

}  // namespace

fs::path Speech(const std::string& text, int voice, int rate) {
  const fs::path wav = SpeechFolder() / (std::to_string(std::hash<std::string>()(text)) + "-" + std::to_string(voice) +
                                         "-" + std::to_string(rate) + ".wav");
  if (FileExists(wav)) return wav;
  auto r = RunTool({"--program-folder", CompiledProgram().string(), "speak", "--voice", std::to_string(voice),
                    "--rate", std::to_string(rate), text},
                   {"KELO_WAV=" + wav.string()});
  if (r.status != 0 || !FileExists(wav)) throw std::runtime_error("speaking failed: " + r.err);
  return wav;
}

fs::path HeldOutSpeech(const std::string& text, const std::string& voice, int wpm) {
  const fs::path wav = SpeechFolder() / ("held-" + std::to_string(std::hash<std::string>()(text + voice)) + ".wav");
  const std::string cmd = "espeak-ng -v '" + voice + "' -s " + std::to_string(wpm) + " -w '" + wav.string() + "' '" +
                          text + "'";
  if (std::system(cmd.c_str()) != 0 || !FileExists(wav)) throw std::runtime_error("espeak-ng failed: " + cmd);
  return wav;
}

fs::path Silence(double seconds) {
  const fs::path wav = SpeechFolder() / ("silence-" + std::to_string(static_cast<int>(seconds * 1000)) + ".wav");
  if (FileExists(wav)) return wav;
  const std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * 16000), 0);
  WriteFile(wav, WavBytes(samples, 16000));
  return wav;
}

void UseWav(const fs::path* wav) {
  if (wav)
    ::setenv("AUDIOIN_WAV", wav->c_str(), 1);
  else
    ::unsetenv("AUDIOIN_WAV");
}

InDirectory::InDirectory(const fs::path& p) {
  old_ = fs::current_path();
  fs::current_path(p);
}

InDirectory::~InDirectory() {
  std::error_code ec;
  fs::current_path(old_, ec);
}

}  // namespace talvane::test
