// Enrolment: the pilot reads the training prompts aloud, one recording each,
// into Training/<profile>/ of the program folder ("001.wav" for the first
// prompt, 16 kHz 16-bit mono) with transcripts.txt beside them, one line per
// recording: "001.wav<TAB>the prompt's words", which ReadTranscripts reads
// back for the adaptation. Every file is replaced atomically, so a crash
// leaves either the old recording or the new one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talvane::training {

namespace fs = std::filesystem;

inline constexpr std::uint32_t kRecordingRate = 16000;
// The adaptation needs at least this many recordings to move the model.
inline constexpr std::size_t kMinimumRecordings = 10;
inline constexpr const char* kTranscriptsName = "transcripts.txt";

// Data/training_prompts.txt of the program folder.
fs::path PromptsFile(const fs::path& program_folder);
// One prompt a line, trimmed; blank lines and lines starting with '#' are
// skipped.
std::vector<std::string> ParsePrompts(std::string_view text);
// Empty with `error` when the file is missing or holds no prompt.
std::vector<std::string> ReadPrompts(const fs::path& file, std::string* error);

// "001.wav" for prompt 0.
std::string RecordingName(std::size_t prompt);

// The profiles the pilot may pick: those with a model and those with
// recordings in Training/, sorted, each once.
std::vector<std::string> KnownProfiles(const fs::path& program_folder);

// What is wrong with a finished recording, checked in this order.
enum class LevelProblem {
  kNone,
  kNoSignal,  // silence: no device, muted, unplugged
  kClipped,   // a run of samples at full scale
  kTooShort,  // less than half a second of speech
  kTooQuiet,  // the loudest sample is below -30 dBFS
  kNoisy,     // speech less than 12 dB above the background
};

struct LevelCheck {
  LevelProblem problem = LevelProblem::kNone;
  double peak_dbfs = -120;    // the loudest sample
  double floor_dbfs = -120;   // the background between words
  double speech_dbfs = -120;  // the loud parts
  double speech_seconds = 0;  // how long the loud parts last
  std::size_t longest_clip = 0;  // the longest run of samples at full scale
  bool ok() const { return problem == LevelProblem::kNone; }
};

// Measures a recording in 20 ms frames: the background is the level of the
// quieter frames, the speech that of the louder ones.
LevelCheck CheckLevels(std::span<const std::int16_t> samples, std::uint32_t rate = kRecordingRate);
// What the pilot is told for the problem: what went wrong and what to do.
std::string LevelProblemText(LevelProblem problem);

// One profile's recordings and the prompt on show.
class EnrolmentSession {
 public:
  // Opens the profile (its folder need not exist yet) and finds the prompts
  // already recorded; the current prompt is the first one not recorded.
  // nullopt with `error` for a name that cannot be a profile or when there
  // are no prompts.
  static std::optional<EnrolmentSession> Open(const fs::path& program_folder, std::string profile,
                                              std::vector<std::string> prompts, std::string* error);

  const std::string& Profile() const { return profile_; }
  const fs::path& Folder() const { return folder_; }
  fs::path TranscriptsFile() const { return folder_ / kTranscriptsName; }
  fs::path RecordingFile(std::size_t prompt) const { return folder_ / RecordingName(prompt); }

  std::size_t PromptCount() const { return prompts_.size(); }
  const std::string& Prompt(std::size_t prompt) const { return prompts_.at(prompt); }
  std::size_t Current() const { return current_; }
  const std::string& CurrentPrompt() const { return prompts_[current_]; }
  bool IsRecorded(std::size_t prompt) const { return prompt < recorded_.size() && recorded_[prompt]; }
  bool CurrentRecorded() const { return IsRecorded(current_); }
  std::size_t RecordedCount() const;

  // Plain moves; false at either end.
  bool Next();
  bool Previous();
  bool GoTo(std::size_t prompt);
  // Leaves the current prompt as it is and moves to the next prompt not
  // recorded (from the start again past the last one). false when every
  // other prompt is recorded.
  bool Skip();

  // Saves `samples` (16 kHz mono) as the current prompt's recording,
  // replacing an earlier one, rewrites the transcripts and moves on as Skip
  // does. false with `error` when a file cannot be written.
  bool Record(std::span<const std::int16_t> samples, std::string* error);
  // Deletes the current prompt's recording.
  bool DeleteRecording(std::string* error);
  // Deletes every recording of the profile and its transcripts; the first
  // prompt is current again.
  bool StartOver(std::string* error);
  // The samples of a prompt's recording; nullopt when it has none.
  std::optional<std::vector<std::int16_t>> ReadRecording(std::size_t prompt) const;

  // Whether there are enough recordings to adapt; otherwise `why` says how
  // many more are needed.
  bool EnoughToAdapt(std::string* why) const;

 private:
  EnrolmentSession(fs::path folder, std::string profile, std::vector<std::string> prompts);
  bool WriteTranscripts(std::string* error) const;
  std::string TranscriptsText() const;

  fs::path folder_;
  std::string profile_;
  std::vector<std::string> prompts_;
  std::vector<bool> recorded_;
  std::size_t current_ = 0;
};

}  // namespace talvane::training
