// The voice training screen (frm_VoiceTraining) without its widgets: the
// pilot picks or names a voice profile, reads the training prompts into the
// microphone one by one, and has the acoustic model adapted to the
// recordings; the recogniser then uses the profile, or the standard model
// again. Reached from the speech configuration screen, and back to it.
//
// A recording that fails a level check (silence, clipped, too quiet, too
// noisy, too little speech) is not saved unless the pilot answers the
// problem's message with OK ("keep it anyway"); a silent one is never saved.
// A good recording is saved and the next prompt not recorded comes up.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/context.h"
#include "platform/audio_capture.h"
#include "training/adaptation.h"
#include "training/enrolment.h"

namespace talvane {

class ProgramShell;

// An adaptation as the screen runs it: `run` blocks (on a worker thread)
// until the model is built and made active (true) or the run failed or was
// cancelled (false with the error, "cancelled" after a cancel); `cancel`
// comes from the window thread while `run` runs.
struct AdaptationJob {
  std::function<bool(const std::function<void(const training::Progress&)>& progress, std::string* error)> run;
  std::function<void()> cancel;
};

inline constexpr const char* kKeepRecordingId = "training_keep";
inline constexpr const char* kStartOverId = "training_start_over";

class VoiceTrainingScreen {
 public:
  explicit VoiceTrainingScreen(ProgramShell& shell);
  ~VoiceTrainingScreen();
  VoiceTrainingScreen(const VoiceTrainingScreen&) = delete;
  VoiceTrainingScreen& operator=(const VoiceTrainingScreen&) = delete;

  // The devices and the adaptation; the system's and the talvane-adapt
  // helper's unless a test puts others in.
  std::function<std::unique_ptr<platform::AudioCapture>()> make_capture;
  std::function<std::unique_ptr<platform::AudioPlayback>()> make_playback;
  std::function<AdaptationJob(const std::string& profile)> make_adaptation;
  // Run over and over while an adaptation runs: the windows paint and the
  // progress dialog's Cancel is pressed there.
  std::function<void()> wait_hook;

  // What the form shows (texts in Windows-1252).
  std::vector<std::string> profiles;  // comboProfile's list
  std::string profile_text;           // comboProfile's text
  std::string lbl_Prompt;             // the prompt to read
  std::string lbl_PromptNumber;       // "Prompt 3 of 36"
  std::string lbl_Recorded;           // how many are recorded
  std::string lbl_ActiveProfile;      // what the recogniser uses
  std::string lbl_Status;             // what is going on
  bool Recording() const { return recording_; }
  bool Adapting() const { return adapting_; }
  // The live level of the recording, 0-100 (-60 dBFS and below: 0).
  int LevelPercent() const;
  const training::EnrolmentSession* Session() const { return session_ ? &*session_ : nullptr; }

  // The form redraws everything.
  std::function<void()> on_changed;
  // Called on the capture thread: a new level, and the end of the input
  // (the form brings both to the window thread, the end to CaptureEnded).
  std::function<void()> on_level;
  std::function<void(const std::string& error)> on_capture_end;

  // The form's load: the screen's buttons.
  void SetUpButtons();

  // The configuration screen's "voice_training". Stays there when the
  // prompts cannot be read.
  void Open();
  // The return button.
  void Return();
  // Ends a recording (not saved) and a playback: the screen goes away.
  void Discard();

  // The profile's name as typed; a name chosen from the list opens it.
  void SetProfileText(const std::string& text);
  void ChooseProfile(const std::string& name);

  // The screen's actions, as the buttons dispatch them.
  void Record();  // record, or stop the recording under way
  void Play();
  void Skip();
  void Previous();
  void Next();
  void DeleteRecording();
  void StartOver();
  void Adapt();
  void UseThisProfile();
  void UseStandardModel();
  // The progress dialog's Cancel while adapting.
  void CancelAdaptation();

  // The input ended by itself (on the window thread): a test file's end
  // finishes the recording as STOP does; a failed device discards it.
  void CaptureEnded(const std::string& error);

 private:
  void Register();
  void Changed();
  void Refresh();
  void RefreshActiveProfile();
  void FillProfiles();
  // Opens the session for the typed name when it is not the one open.
  bool EnsureSession();
  void StartRecording();
  // Ends the capture; the samples it delivered.
  std::vector<std::int16_t> EndCapture();
  void FinishRecording();
  void SavePending();
  void StopPlayback();
  // Previous, next or skip.
  void Move(bool (training::EnrolmentSession::*move)());
  const Context& Ctx() const;

  ProgramShell& shell_;
  std::vector<std::string> prompts_;
  std::optional<training::EnrolmentSession> session_;

  std::unique_ptr<platform::AudioCapture> capture_;
  std::unique_ptr<platform::AudioPlayback> playback_;
  std::mutex captured_mutex_;
  std::vector<std::int16_t> captured_;
  std::atomic<double> level_dbfs_{-120};
  bool recording_ = false;
  // A recording that failed a check, kept until the pilot answers.
  std::optional<std::vector<std::int16_t>> pending_;
  std::size_t pending_prompt_ = 0;

  bool adapting_ = false;
  AdaptationJob job_;
  std::thread worker_;
  std::mutex progress_mutex_;
  std::optional<training::Progress> progress_;
};

}  // namespace talvane
