#include "training/enrolment.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <system_error>

#include "common/files.h"
#include "common/split.h"
#include "common/wav_file.h"
#include "platform/audio_capture.h"
#include "training/voice_profiles.h"

namespace talvane::training {

namespace {

constexpr int kFullScale = 32700;         // a sample this loud has hit the converter's limit
constexpr std::size_t kClipRun = 20;      // more in a row than this: clipped
constexpr double kQuietPeakDbfs = -30;    // the loudest sample must be louder than this
constexpr double kMinimumSnrDb = 12;      // speech this far above the background at least
constexpr double kMinimumSpeechSeconds = 0.5;
constexpr double kNoSignalDbfs = -80;     // a few steps of the converter: nothing there

std::string TrimLine(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return std::string(s);
}

// The level below which `fraction` of the sorted values lie.
double Percentile(const std::vector<double>& sorted, double fraction) {
  const auto i = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
  return sorted[std::min(i, sorted.size() - 1)];
}

bool IsRecordingName(std::string_view name) {
  return name.size() == 7 && name.ends_with(".wav") &&
         std::all_of(name.begin(), name.begin() + 3, [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

fs::path PromptsFile(const fs::path& program_folder) { return program_folder / "Data" / "training_prompts.txt"; }

std::vector<std::string> ParsePrompts(std::string_view text) {
  std::vector<std::string> prompts;
  for (std::string_view line : SplitLines(text)) {
    std::string prompt = TrimLine(line);
    if (!prompt.empty() && prompt.front() != '#') prompts.push_back(std::move(prompt));
  }
  return prompts;
}

std::vector<std::string> ReadPrompts(const fs::path& file, std::string* error) {
  const auto text = ReadWholeFile(file);
  if (!text) {
    if (error) *error = "The training prompts " + file.string() + " cannot be read.  Please reinstall Talvane.";
    return {};
  }
  std::vector<std::string> prompts = ParsePrompts(*text);
  if (prompts.empty() && error)
    *error = "The training prompts " + file.string() + " hold no prompt to read.  Please reinstall Talvane.";
  return prompts;
}

std::string RecordingName(std::size_t prompt) {
  char name[32];
  std::snprintf(name, sizeof name, "%03zu.wav", prompt + 1);
  return name;
}

std::vector<std::string> KnownProfiles(const fs::path& program_folder) {
  std::vector<std::string> names = ListProfiles(program_folder);
  for (const std::string& name : ListFolder(program_folder / "Training", true))
    if (IsValidProfileName(name)) names.push_back(name);
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

LevelCheck CheckLevels(std::span<const std::int16_t> samples, std::uint32_t rate) {
  LevelCheck c;
  std::size_t run = 0;
  for (const std::int16_t s : samples) {
    run = std::abs(static_cast<int>(s)) >= kFullScale ? run + 1 : 0;
    c.longest_clip = std::max(c.longest_clip, run);
  }
  c.peak_dbfs = platform::MeasureLevel(samples).peak_dbfs;

  // 20 ms frames; the quieter tenth is the background, the louder tenth the speech.
  const std::size_t frame = std::max<std::size_t>(rate / 50, 1);
  std::vector<double> levels;
  for (std::size_t at = 0; at + frame <= samples.size(); at += frame)
    levels.push_back(platform::MeasureLevel(samples.subspan(at, frame)).rms_dbfs);
  std::size_t speech_frames = 0;
  if (!levels.empty()) {
    std::vector<double> sorted = levels;
    std::sort(sorted.begin(), sorted.end());
    c.floor_dbfs = Percentile(sorted, 0.1);
    c.speech_dbfs = Percentile(sorted, 0.9);
    // Speech is what stands halfway (in dB) from the background to the loud parts.
    const double threshold = (c.floor_dbfs + c.speech_dbfs) / 2;
    speech_frames = static_cast<std::size_t>(
        std::count_if(levels.begin(), levels.end(), [&](double l) { return l > threshold; }));
  }
  c.speech_seconds = static_cast<double>(speech_frames * frame) / rate;
  const double total_seconds = static_cast<double>(samples.size()) / rate;

  if (c.peak_dbfs < kNoSignalDbfs)
    c.problem = LevelProblem::kNoSignal;
  else if (c.longest_clip > kClipRun)
    c.problem = LevelProblem::kClipped;
  else if (total_seconds < kMinimumSpeechSeconds)
    c.problem = LevelProblem::kTooShort;
  else if (c.peak_dbfs < kQuietPeakDbfs)
    c.problem = LevelProblem::kTooQuiet;
  else if (c.speech_dbfs - c.floor_dbfs < kMinimumSnrDb)
    c.problem = LevelProblem::kNoisy;
  else if (c.speech_seconds < kMinimumSpeechSeconds)
    c.problem = LevelProblem::kTooShort;
  return c;
}

std::string LevelProblemText(LevelProblem problem) {
  switch (problem) {
    case LevelProblem::kNone:
      return {};
    case LevelProblem::kNoSignal:
      return "The recording holds no sound at all.  Please check that the microphone is plugged in, switched on "
             "and not muted, and that it is the system's default recording device, then record the prompt again.";
    case LevelProblem::kClipped:
      return "The recording is too loud: your voice overloaded the microphone.  Please speak a little softer, hold "
             "the microphone a little further from your mouth, or lower the recording level in the system's sound "
             "settings, then record the prompt again.";
    case LevelProblem::kTooShort:
      return "The recording holds too little speech.  Please read the whole prompt aloud at your usual pace and "
             "press STOP only when you have finished, then record the prompt again.";
    case LevelProblem::kTooQuiet:
      return "The recording is too quiet.  Please speak up, bring the microphone closer to your mouth, or raise "
             "the recording level in the system's sound settings, then record the prompt again.";
    case LevelProblem::kNoisy:
      return "Your voice hardly stands out from the background noise.  Please bring the microphone closer to your "
             "mouth, make the room quieter, and leave a moment of silence before and after you speak, then record "
             "the prompt again.";
  }
  return {};
}

EnrolmentSession::EnrolmentSession(fs::path folder, std::string profile, std::vector<std::string> prompts)
    : folder_(std::move(folder)), profile_(std::move(profile)), prompts_(std::move(prompts)) {}

std::optional<EnrolmentSession> EnrolmentSession::Open(const fs::path& program_folder, std::string profile,
                                                       std::vector<std::string> prompts, std::string* error) {
  if (!IsValidProfileName(profile)) {
    if (error)
      *error = "\"" + profile +
               "\" cannot be the name of a voice profile.  A name has up to 40 letters, digits, spaces and the "
               "signs - _ . and does not start with a dot or a space.";
    return std::nullopt;
  }
  if (prompts.empty()) {
    if (error) *error = "There are no training prompts to read.";
    return std::nullopt;
  }
  const fs::path folder = TrainingFolder(program_folder, profile);
  EnrolmentSession s(folder, std::move(profile), std::move(prompts));
  s.recorded_.assign(s.prompts_.size(), false);
  for (std::size_t i = 0; i < s.prompts_.size(); ++i) s.recorded_[i] = FileExists(s.RecordingFile(i));
  const auto first_open = std::find(s.recorded_.begin(), s.recorded_.end(), false);
  s.current_ = first_open == s.recorded_.end() ? 0 : static_cast<std::size_t>(first_open - s.recorded_.begin());
  // A run that ended between a recording and its transcripts line left them
  // apart: they are put together again.
  if (s.RecordedCount() > 0) {
    const auto written = ReadWholeFile(s.TranscriptsFile());
    if (!written || *written != s.TranscriptsText()) s.WriteTranscripts(nullptr);
  }
  return s;
}

std::size_t EnrolmentSession::RecordedCount() const {
  return static_cast<std::size_t>(std::count(recorded_.begin(), recorded_.end(), true));
}

bool EnrolmentSession::Next() {
  if (current_ + 1 >= prompts_.size()) return false;
  ++current_;
  return true;
}

bool EnrolmentSession::Previous() {
  if (current_ == 0) return false;
  --current_;
  return true;
}

bool EnrolmentSession::GoTo(std::size_t prompt) {
  if (prompt >= prompts_.size()) return false;
  current_ = prompt;
  return true;
}

bool EnrolmentSession::Skip() {
  for (std::size_t step = 1; step < prompts_.size(); ++step) {
    const std::size_t i = (current_ + step) % prompts_.size();
    if (!recorded_[i]) {
      current_ = i;
      return true;
    }
  }
  return false;
}

std::string EnrolmentSession::TranscriptsText() const {
  std::string text;
  for (std::size_t i = 0; i < prompts_.size(); ++i)
    if (recorded_[i]) text += RecordingName(i) + "\t" + prompts_[i] + "\n";
  return text;
}

bool EnrolmentSession::WriteTranscripts(std::string* error) const {
  if (RecordedCount() == 0) {
    std::error_code ec;
    fs::remove(TranscriptsFile(), ec);
    return true;
  }
  return AtomicWriteFile(TranscriptsFile(), TranscriptsText(), error);
}

bool EnrolmentSession::Record(std::span<const std::int16_t> samples, std::string* error) {
  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (ec) {
    if (error) *error = "The folder " + folder_.string() + " cannot be made: " + ec.message();
    return false;
  }
  if (!AtomicWriteFile(RecordingFile(current_), WavBytes(samples, kRecordingRate), error)) return false;
  recorded_[current_] = true;
  if (!WriteTranscripts(error)) return false;
  Skip();
  return true;
}

bool EnrolmentSession::DeleteRecording(std::string* error) {
  if (!recorded_[current_]) return true;
  std::error_code ec;
  fs::remove(RecordingFile(current_), ec);
  if (ec) {
    if (error) *error = "The recording " + RecordingFile(current_).string() + " cannot be deleted: " + ec.message();
    return false;
  }
  recorded_[current_] = false;
  return WriteTranscripts(error);
}

bool EnrolmentSession::StartOver(std::string* error) {
  std::error_code ec;
  for (const std::string& name : ListFolder(folder_, false))
    if (IsRecordingName(name) || name == kTranscriptsName) fs::remove(folder_ / name, ec);
  bool ok = true;
  for (std::size_t i = 0; i < prompts_.size(); ++i) {
    recorded_[i] = FileExists(RecordingFile(i));
    ok = ok && !recorded_[i];
  }
  if (!ok) {
    if (error) *error = "Some recordings in " + folder_.string() + " cannot be deleted.";
    WriteTranscripts(nullptr);
    return false;
  }
  // The folder goes too when nothing else is in it.
  fs::remove(folder_, ec);
  current_ = 0;
  return true;
}

std::optional<std::vector<std::int16_t>> EnrolmentSession::ReadRecording(std::size_t prompt) const {
  if (!IsRecorded(prompt)) return std::nullopt;
  const auto image = ReadWholeFile(RecordingFile(prompt));
  if (!image) return std::nullopt;
  auto audio = ReadWav(*image);
  if (!audio) return std::nullopt;
  return std::move(audio->samples);
}

bool EnrolmentSession::EnoughToAdapt(std::string* why) const {
  const std::size_t have = RecordedCount();
  if (have >= kMinimumRecordings) return true;
  if (why)
    *why = "At least " + std::to_string(kMinimumRecordings) +
           " prompts must be recorded before the speech model can be adapted to your voice.  You have recorded " +
           std::to_string(have) + " so far; please record " + std::to_string(kMinimumRecordings - have) + " more.";
  return false;
}

}  // namespace talvane::training
