#include "grisk/language_model.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "common/files.h"
#include "common/split.h"

namespace talvane::bgm {

namespace {

std::string_view Strip(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

}  // namespace

LanguageModel DefaultLanguageModel() {
  LanguageModel m;
  m.acoustic_model = "/usr/share/pocketsphinx/model/en-us/en-us";
  m.dictionary = "/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict";
  m.phone_set = SplitAt(
      "AA AE AH AO AW AY B CH D DH EH ER EY F G HH IH IY JH K L M N NG OW OY P R S SH T TH UH UW V W Y Z ZH",
      " ");
  return m;
}

std::optional<LanguageModel> ParseLanguageModel(std::string_view text, const std::filesystem::path& folder,
                                                std::string* error) {
  LanguageModel m;
  bool have_format = false, have_model = false, have_dict = false, have_phones = false;
  int line_no = 0;
  auto fail = [&](const std::string& e) -> std::optional<LanguageModel> {
    if (error) *error = "line " + std::to_string(line_no) + ": " + e;
    return std::nullopt;
  };
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Strip(text.substr(at, end - at));
    at = end + 1;
    ++line_no;
    if (line.empty() || line.front() == '#') continue;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return fail("expected key = value");
    const std::string key(Strip(line.substr(0, eq)));
    const std::string value(Strip(line.substr(eq + 1)));
    auto path = [&](const std::string& v) {
      std::filesystem::path p(v);
      return p.is_absolute() ? p : folder / p;
    };
    if (key == "format") {
      if (value != kManifestFormat) return fail("unknown format \"" + value + "\"");
      have_format = true;
    } else if (key == "acoustic_model") {
      m.acoustic_model = path(value);
      have_model = !value.empty();
    } else if (key == "dictionary") {
      m.dictionary = path(value);
      have_dict = !value.empty();
    } else if (key == "phone_set") {
      m.phone_set = SplitAt(value, " \t");
      have_phones = !m.phone_set.empty();
    } else if (key == "sample_rate") {
      auto [p, ec] = std::from_chars(value.data(), value.data() + value.size(), m.sample_rate);
      if (ec != std::errc() || p != value.data() + value.size() || m.sample_rate < 8000 || m.sample_rate > 48000)
        return fail("sample_rate must be a number of hertz from 8000 to 48000");
    } else if (key.rfind("decoder.", 0) == 0 && key.size() > 8) {
      m.decoder.emplace_back(key.substr(8), value);
    } else if (key == "profile") {
      if (!value.empty() && !IsValidProfileName(value)) return fail("profile must be a plain folder name");
      m.profile = value;
    } else if (key == "antonyms") {
      m.antonyms.clear();
      if (!value.empty()) {
        m.antonyms = path(value);
        std::error_code ec;
        for (const auto& data : {folder.parent_path() / "Data", folder.parent_path().parent_path() / "Data"})
          if (!std::filesystem::exists(m.antonyms, ec) && std::filesystem::path(value).is_relative() &&
              std::filesystem::exists(data / value, ec))
            m.antonyms = data / value;
      }
    } else if (key == "antonym_margin") {
      char* end = nullptr;
      const double v = std::strtod(value.c_str(), &end);
      // Below zero: only a swap that fits better by more than that rejects.
      if (value.empty() || !end || *end || !std::isfinite(v) || std::fabs(v) >= 1)
        return fail("antonym_margin must be a score per frame between -1 and 1");
      m.antonym_margin = v;
    } else if (key == "language") {
      // Informative only.
    } else {
      return fail("unknown key \"" + key + "\"");
    }
    if (end == text.size()) break;
  }
  if (!have_format) return fail("the format line is missing");
  if (!have_model || !have_dict || !have_phones) return fail("acoustic_model, dictionary and phone_set are required");
  if (!m.profile.empty()) {
    // Grammars/ or Grammars/Test/ (the test screen's copy): the program
    // folder is one or two levels up. A profile whose model is gone names a
    // folder that does not exist, and the recogniser refuses to start.
    m.acoustic_model = folder.parent_path() / kModelsFolder / m.profile;
    std::error_code ec;
    for (auto dir = folder; !dir.empty(); dir = dir.parent_path()) {
      if (std::filesystem::exists(dir / kModelsFolder / m.profile / "mdef", ec)) {
        m.acoustic_model = dir / kModelsFolder / m.profile;
        break;
      }
      if (dir == folder.parent_path().parent_path() || dir == dir.parent_path()) break;
    }
    m.confidence_shift = ReadConfidenceShift(m.acoustic_model);
  }
  return m;
}

bool IsValidProfileName(std::string_view name) {
  if (name.empty() || name.size() > 40 || name.front() == '.' || name.front() == ' ' || name.back() == ' ')
    return false;
  for (const char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
                    c == '-' || c == '_' || c == '.';
    if (!ok) return false;
  }
  return name != "..";
}

std::pair<std::string_view, std::string_view> SplitSettingLine(std::string_view line) {
  line = Strip(line);
  const auto eq = line.find('=');
  if (line.empty() || line.front() == '#' || eq == std::string_view::npos) return {};
  return {Strip(line.substr(0, eq)), Strip(line.substr(eq + 1))};
}

double ReadConfidenceShift(const std::filesystem::path& model_folder) {
  const std::optional<std::string> text = ReadWholeFile(model_folder / kCalibrationFile);
  if (!text) return 0;
  for (const std::string& raw : SplitAt(*text, "\n")) {
    const auto [key, text_value] = SplitSettingLine(raw);
    if (key != "confidence_shift") continue;
    const std::string value(text_value);
    char* end = nullptr;
    const double v = std::strtod(value.c_str(), &end);
    // A shift beyond a few thousandths per frame is no calibration.
    if (end && *end == 0 && !value.empty() && std::isfinite(v) && std::fabs(v) < 0.02) return v;
  }
  return 0;
}

std::optional<LanguageModel> ReadLanguageModel(const std::filesystem::path& file, std::string* error) {
  const std::optional<std::string> text = ReadWholeFile(file);
  if (!text) {
    if (error) *error = "cannot open " + file.string();
    return std::nullopt;
  }
  std::string e;
  auto m = ParseLanguageModel(*text, file.parent_path(), &e);
  if (!m && error) *error = file.filename().string() + " " + e;
  return m;
}

}  // namespace talvane::bgm
