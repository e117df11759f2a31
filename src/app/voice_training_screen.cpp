#include "app/voice_training_screen.h"

#include <algorithm>
#include <chrono>

#include "app/program_shell.h"
#include "common/text.h"
#include "training/adaptation_run.h"
#include "training/voice_profiles.h"

namespace talvane {

namespace {

constexpr const char* kReturnTip = "Click to return to the Configuration screen of Talvane";
constexpr const char* kContinue = "Please press OK to continue...";
constexpr const char* kTitle = "Voice Training";

// The button rows: the prompt's buttons above, the profile's below.
constexpr ButtonPlace kButtons[] = {
    {ButtonKind::SmallButton, "btn_Record", "record", "Click to record yourself reading the prompt.", 15, 300},
    {ButtonKind::SmallButton, "btn_Play", "play", "Click to hear the recording of this prompt.", 120, 300},
    {ButtonKind::SmallButton, "btn_Delete", "delete_recording", "Click to delete the recording of this prompt.", 225,
     300},
    {ButtonKind::SmallButton, "btn_Previous", "previous", "Click to go back to the previous prompt.", 330, 300},
    {ButtonKind::SmallButton, "btn_Next", "next", "Click to go on to the next prompt.", 435, 300},
    {ButtonKind::SmallButton, "btn_Skip", "skip", "Click to leave this prompt unrecorded and go to the next one.",
     540, 300},
    {ButtonKind::MediumButton, "btn_StartOver", "start_over", "Click to delete every recording of this profile.", 15,
     360},
    {ButtonKind::MediumButton, "btn_Adapt", "adapt", "Click to adapt the speech model to your recordings.", 203, 360},
    {ButtonKind::MediumButton, "btn_UseProfile", "use_profile", "Click to recognise your speech with this profile.",
     391, 360},
    {ButtonKind::MediumButton, "btn_StandardModel", "standard_model",
     "Click to recognise speech with the standard model again.", 579, 360},
};

std::string Count(std::size_t n) { return ToDecimal(static_cast<long long>(n)); }

// "cancelled" is how the adaptation reports a cancel.
bool IsCancel(const std::string& error) { return error == "cancelled"; }

// The talvane-adapt helper beside the program, in a process of its own.
AdaptationJob HelperAdaptation(const std::filesystem::path& program_folder, const std::string& profile) {
  auto run = std::make_shared<training::AdaptationRun>(program_folder / "talvane-adapt", program_folder, profile);
  AdaptationJob job;
  job.run = [run](const std::function<void(const training::Progress&)>& progress, std::string* error) {
    return run->Run(progress, error);
  };
  job.cancel = [run] { run->Cancel(); };
  return job;
}

}  // namespace

VoiceTrainingScreen::VoiceTrainingScreen(ProgramShell& shell) : shell_(shell) {
  make_capture = [] { return platform::MakeAudioCapture(); };
  make_playback = [] { return platform::MakeAudioPlayback(); };
  make_adaptation = [&folder = shell.p.ctx.program_folder](const std::string& profile) {
    return HelperAdaptation(folder, profile);
  };
  wait_hook = [&ui = shell.p.ctx.ui] {
    ui.ProcessEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
  };
  Register();
}

VoiceTrainingScreen::~VoiceTrainingScreen() {
  if (worker_.joinable()) {
    if (job_.cancel) job_.cancel();
    worker_.join();
  }
  if (capture_) capture_->Stop();
  StopPlayback();
}

void VoiceTrainingScreen::Register() {
  const auto row = [&](ButtonKind kind, const char* word, void (VoiceTrainingScreen::*action)()) {
    shell_.dispatch.Table(kind).Set(Form::frm_VoiceTraining, word, [this, action](SkinnedButton&) {
      // While the model is adapted the screen waits for it.
      if (!adapting_) (this->*action)();
    });
  };
  row(ButtonKind::SmallButton, "record", &VoiceTrainingScreen::Record);
  row(ButtonKind::SmallButton, "play", &VoiceTrainingScreen::Play);
  row(ButtonKind::SmallButton, "delete_recording", &VoiceTrainingScreen::DeleteRecording);
  row(ButtonKind::SmallButton, "previous", &VoiceTrainingScreen::Previous);
  row(ButtonKind::SmallButton, "next", &VoiceTrainingScreen::Next);
  row(ButtonKind::SmallButton, "skip", &VoiceTrainingScreen::Skip);
  row(ButtonKind::SmallButton, "cancel", &VoiceTrainingScreen::Return);
  row(ButtonKind::MediumButton, "start_over", &VoiceTrainingScreen::StartOver);
  row(ButtonKind::MediumButton, "adapt", &VoiceTrainingScreen::Adapt);
  row(ButtonKind::MediumButton, "use_profile", &VoiceTrainingScreen::UseThisProfile);
  row(ButtonKind::MediumButton, "standard_model", &VoiceTrainingScreen::UseStandardModel);
  shell_.dispatch.Table(ButtonKind::SmallButton).Set(Form::frm_Progress, "cancel", [this](SkinnedButton&) {
    CancelAdaptation();
  });

  shell_.dialogs.OnMessageOk(kKeepRecordingId, [this] {
    shell_.dialogs.host().HideMessage();
    SavePending();
  });
  shell_.dialogs.OnMessageOk(kStartOverId, [this] {
    shell_.dialogs.host().HideMessage();
    std::string error;
    if (session_ && !session_->StartOver(&error)) Ctx().Tell("Start Over", error, kIconError);
    lbl_Status = session_ && session_->RecordedCount() == 0 ? "Every recording of this profile has been deleted."
                                                            : "";
    Changed();
  });
}

void VoiceTrainingScreen::SetUpButtons() {
  ButtonBoard& board = shell_.buttons;
  if (board.Find(Form::frm_VoiceTraining, "btn_Record")) return;
  board.AddAll(Form::frm_VoiceTraining, kButtons);
  Refresh();
}

int VoiceTrainingScreen::LevelPercent() const {
  const double db = level_dbfs_.load();
  return static_cast<int>(std::clamp((db + 60.0) * 100.0 / 60.0, 0.0, 100.0));
}

const Context& VoiceTrainingScreen::Ctx() const { return shell_.p.ctx; }

void VoiceTrainingScreen::Changed() {
  Refresh();
  if (on_changed) on_changed();
}

void VoiceTrainingScreen::RefreshActiveProfile() {
  const std::string active = training::ActiveProfile(shell_.p.ctx.program_folder);
  lbl_ActiveProfile = active.empty() ? "Speech is recognised with the standard model."
                                     : "Speech is recognised with the voice profile \"" + active + "\".";
}

void VoiceTrainingScreen::FillProfiles() { profiles = training::KnownProfiles(shell_.p.ctx.program_folder); }

void VoiceTrainingScreen::Refresh() {
  const training::EnrolmentSession* s = Session();
  const std::size_t count = prompts_.size();
  const std::size_t current = s ? s->Current() : 0;
  lbl_Prompt = count ? prompts_[current] : "";
  lbl_PromptNumber = count ? "Prompt " + Count(current + 1) + " of " + Count(count) : "";
  const std::size_t recorded = s ? s->RecordedCount() : 0;
  lbl_Recorded = Count(recorded) + " of " + Count(count) + " prompts recorded" +
                 (s && s->CurrentRecorded() ? " (this one too)" : "") + "; at least " +
                 Count(training::kMinimumRecordings) + " are needed to adapt.";

  ButtonBoard& board = shell_.buttons;
  const std::string folder_active = training::ActiveProfile(shell_.p.ctx.program_folder);
  const auto models = training::ListProfiles(shell_.p.ctx.program_folder);
  const bool has_model = s && std::find(models.begin(), models.end(), s->Profile()) != models.end();
  const auto set = [&](const char* name, bool enabled) {
    if (SkinnedButton* b = board.Find(Form::frm_VoiceTraining, name)) {
      // Not while recording or adapting: one thing at a time.
      const bool on = enabled && (!recording_ || std::string_view(name) == "btn_Record") && !adapting_;
      if (b->disabled() == on) b->SetState(on ? kStateEnabled : kStateDisabled);
    }
  };
  const bool recorded_here = s && s->CurrentRecorded();
  set("btn_Record", count > 0);
  set("btn_Play", recorded_here);
  set("btn_Delete", recorded_here);
  set("btn_Previous", s && current > 0);
  set("btn_Next", s && current + 1 < count);
  set("btn_Skip", s && recorded + (recorded_here ? 0 : 1) < count);
  set("btn_StartOver", recorded > 0);
  set("btn_Adapt", s != nullptr);
  set("btn_UseProfile", has_model && folder_active != s->Profile());
  set("btn_StandardModel", !folder_active.empty());
  if (SkinnedButton* b = board.Find(Form::frm_VoiceTraining, "btn_Record")) {
    const char* picture = recording_ ? "btn_Stop" : recorded_here ? "btn_Rerecord" : "btn_Record";
    if (b->picture != picture) {
      b->picture = picture;
      b->ToolTip = recording_      ? "Click when you have finished reading the prompt."
                   : recorded_here ? "Click to record this prompt again, replacing its recording."
                                   : "Click to record yourself reading the prompt.";
      b->Changed();
    }
  }
}

void VoiceTrainingScreen::Open() {
  std::string error;
  std::vector<std::string> prompts =
      training::ReadPrompts(training::PromptsFile(shell_.p.ctx.program_folder), &error);
  if (prompts.empty()) {
    Ctx().Tell("Voice Training Unavailable", Paragraphs({error, kContinue}), kIconError);
    return;
  }
  shell_.configurationScreen.SaveConfigureSelection();
  // The session is opened again: the prompts or the files may have changed.
  if (prompts != prompts_) session_.reset();
  prompts_ = std::move(prompts);
  FillProfiles();
  if (profile_text.empty()) {
    profile_text = training::ActiveProfile(shell_.p.ctx.program_folder);
    if (profile_text.empty() && !profiles.empty()) profile_text = profiles.front();
  }
  const std::string name = profile_text;
  session_.reset();
  if (!name.empty()) ChooseProfile(name);
  RefreshActiveProfile();
  lbl_Status = session_ ? "" : "Type a name for your voice profile above, then press RECORD and read the prompt aloud.";
  ScreenNavigation& nav = shell_.nav;
  nav.HideScreen(nav.CurrentScreenName);
  nav.ShowScreen(Form::frm_VoiceTraining);
  nav.SetReturnOnlyBar(Form::frm_VoiceTraining, kReturnTip);
  Changed();
}

void VoiceTrainingScreen::Discard() {
  if (recording_) EndCapture();
  pending_.reset();
  StopPlayback();
}

void VoiceTrainingScreen::Return() {
  Discard();
  lbl_Status.clear();
  Changed();
  shell_.configurationScreen.ReturnFromSubScreen();
}

void VoiceTrainingScreen::SetProfileText(const std::string& text) { profile_text = Trim(text); }

void VoiceTrainingScreen::ChooseProfile(const std::string& name) {
  if (session_ && session_->Profile() == Trim(name)) return;
  Discard();
  SetProfileText(name);
  session_.reset();
  EnsureSession();
  if (session_)
    lbl_Status = session_->RecordedCount() ? "Welcome back: the first prompt not yet recorded is on show." : "";
  Changed();
}

bool VoiceTrainingScreen::EnsureSession() {
  if (session_ && session_->Profile() == profile_text) return true;
  session_.reset();
  if (profile_text.empty()) {
    Ctx().Tell(kTitle,
         Paragraphs({"Please type a name for your voice profile first (your name, for example).", kContinue}),
         kIconInformation);
    return false;
  }
  std::string error;
  session_ = training::EnrolmentSession::Open(shell_.p.ctx.program_folder, profile_text, prompts_, &error);
  if (!session_) Ctx().Tell("Voice Profile Name", Paragraphs({error, kContinue}), kIconError);
  return session_.has_value();
}

void VoiceTrainingScreen::Record() {
  if (recording_) return FinishRecording();
  if (prompts_.empty() || !EnsureSession()) return Changed();
  StartRecording();
}

void VoiceTrainingScreen::StartRecording() {
  StopPlayback();
  pending_.reset();
  capture_ = make_capture ? make_capture() : nullptr;
  std::string error = platform::kNoMicrophoneText;
  if (!capture_ || !capture_->Open(&error)) {
    capture_.reset();
    Ctx().Tell("No Microphone", Paragraphs({error, kContinue}), kIconError);
    return Changed();
  }
  {
    std::lock_guard lock(captured_mutex_);
    captured_.clear();
  }
  level_dbfs_ = -120;
  recording_ = true;
  lbl_Status = "Recording: read the prompt aloud, then press STOP.";
  Changed();
  platform::AudioCapture::Callbacks callbacks;
  callbacks.on_block = [this](std::span<const std::int16_t> block) {
    std::lock_guard lock(captured_mutex_);
    captured_.insert(captured_.end(), block.begin(), block.end());
  };
  callbacks.on_level = [this](const platform::AudioLevel& level) {
    level_dbfs_ = level.peak_dbfs;
    if (on_level) on_level();
  };
  callbacks.on_end = [this](const std::string& error) {
    if (on_capture_end) on_capture_end(error);
  };
  capture_->Start(std::move(callbacks));
}

std::vector<std::int16_t> VoiceTrainingScreen::EndCapture() {
  if (capture_) {
    capture_->Stop();
    capture_->Close();
    capture_.reset();
  }
  recording_ = false;
  level_dbfs_ = -120;
  std::lock_guard lock(captured_mutex_);
  return std::move(captured_);
}

void VoiceTrainingScreen::CaptureEnded(const std::string& error) {
  if (!recording_) return;
  if (error.empty()) return FinishRecording();
  EndCapture();
  lbl_Status.clear();
  Changed();
  Ctx().Tell("Microphone Problem", Paragraphs({error, "The recording has not been saved.", kContinue}), kIconError);
}

void VoiceTrainingScreen::FinishRecording() {
  std::vector<std::int16_t> samples = EndCapture();
  const training::LevelCheck check = training::CheckLevels(samples);
  if (check.ok()) {
    pending_ = std::move(samples);
    pending_prompt_ = session_->Current();
    return SavePending();
  }
  lbl_Status = "The recording of prompt " + Count(session_->Current() + 1) + " has a problem.";
  Changed();
  const std::string problem = training::LevelProblemText(check.problem);
  if (check.problem == training::LevelProblem::kNoSignal)
    return Ctx().Tell("Recording Problem", Paragraphs({problem, "The recording has not been saved.", kContinue}),
                kIconWarning);
  pending_ = std::move(samples);
  pending_prompt_ = session_->Current();
  Ctx().Ask("Recording Problem",
       Paragraphs({problem, "Press OK to keep this recording anyway, or Cancel to discard it."}), kIconWarning,
       kKeepRecordingId);
}

void VoiceTrainingScreen::SavePending() {
  if (!pending_ || !session_) return;
  const std::vector<std::int16_t> samples = std::move(*pending_);
  pending_.reset();
  session_->GoTo(pending_prompt_);
  std::string error;
  if (!session_->Record(samples, &error)) {
    lbl_Status.clear();
    Changed();
    return Ctx().Tell("Recording Not Saved", Paragraphs({error, kContinue}), kIconError);
  }
  lbl_Status = "Prompt " + Count(pending_prompt_ + 1) + " has been recorded.";
  if (session_->RecordedCount() == session_->PromptCount())
    lbl_Status += "  Every prompt is recorded: press ADAPT MODEL.";
  Changed();
}

void VoiceTrainingScreen::StopPlayback() {
  if (playback_) playback_->Stop();
}

void VoiceTrainingScreen::Play() {
  if (!session_ || !session_->CurrentRecorded()) return;
  auto samples = session_->ReadRecording(session_->Current());
  if (!samples)
    return Ctx().Tell("Recording Unreadable", Paragraphs({"The recording cannot be read.", kContinue}), kIconError);
  if (!playback_ && make_playback) playback_ = make_playback();
  std::string error = platform::kNoSpeakerText;
  if (!playback_ || !playback_->Play(std::move(*samples), training::kRecordingRate, &error))
    Ctx().Tell("No Sound Output", Paragraphs({error, kContinue}), kIconError);
}

void VoiceTrainingScreen::Move(bool (training::EnrolmentSession::*move)()) {
  if (!session_) return;
  pending_.reset();
  ((*session_).*move)();
  lbl_Status.clear();
  Changed();
}

void VoiceTrainingScreen::Skip() { Move(&training::EnrolmentSession::Skip); }
void VoiceTrainingScreen::Previous() { Move(&training::EnrolmentSession::Previous); }
void VoiceTrainingScreen::Next() { Move(&training::EnrolmentSession::Next); }

void VoiceTrainingScreen::DeleteRecording() {
  if (!session_ || !session_->CurrentRecorded()) return;
  StopPlayback();
  std::string error;
  if (!session_->DeleteRecording(&error)) Ctx().Tell("Delete Recording", Paragraphs({error, kContinue}), kIconError);
  lbl_Status = "The recording of prompt " + Count(session_->Current() + 1) + " has been deleted.";
  Changed();
}

void VoiceTrainingScreen::StartOver() {
  if (!session_ || session_->RecordedCount() == 0) return;
  StopPlayback();
  Ctx().Ask("Start Over?",
       Paragraphs({"You are about to delete all " + Count(session_->RecordedCount()) +
                       " recordings of the voice profile \"" + session_->Profile() +
                       "\".  An adapted model of the profile stays as it is.",
                   "Press OK to delete them, Cancel to keep them."}),
       kIconWarning, kStartOverId);
}

void VoiceTrainingScreen::Adapt() {
  if (!EnsureSession()) return Changed();
  std::string why;
  if (!session_->EnoughToAdapt(&why))
    return Ctx().Tell("Not Enough Recordings", Paragraphs({why, kContinue}), kIconWarning);
  StopPlayback();
  const std::string profile = session_->Profile();
  job_ = make_adaptation(profile);
  UserInterface& ui = shell_.p.ctx.ui;
  ui.ShowProgress("Adapting the Speech Model",
                  Paragraphs({"The speech model is being adapted to your voice.  This takes a few minutes.",
                              "Please stand by..."}));
  ui.ShowProgressCancel(true);
  adapting_ = true;
  Changed();
  std::atomic<bool> done{false};
  bool ok = false;
  std::string error;
  worker_ = std::thread([&] {
    ok = job_.run(
        [this](const training::Progress& progress) {
          std::lock_guard lock(progress_mutex_);
          progress_ = progress;
        },
        &error);
    done = true;
  });
  // The window thread shows the progress the worker reports and keeps the
  // windows (and the dialog's Cancel) alive.
  while (!done) {
    std::optional<training::Progress> latest;
    {
      std::lock_guard lock(progress_mutex_);
      latest.swap(progress_);
    }
    if (latest)
      ui.UpdateProgress(latest->text, latest->steps > 0 ? 100.0 * latest->step / latest->steps : 0.0);
    if (wait_hook) wait_hook();
  }
  worker_.join();
  job_ = {};
  adapting_ = false;
  ui.HideProgress();
  FillProfiles();
  RefreshActiveProfile();
  lbl_Status.clear();
  Changed();
  if (ok) {
    shell_.ShowSaved("Voice Training Finished",
                     "The speech model has been adapted to your voice, and the voice profile \"" + profile +
                         "\" is now in use.",
                     "The speech model has been adapted to your voice, and the voice profile \"" + profile +
                         "\" is now in use.  In order to use this change in FSX, the Speech Recognition engine needs "
                         "to be restarted.",
                     "gcompile_restart");
  } else if (IsCancel(error)) {
    Ctx().Tell("Voice Training Cancelled",
         Paragraphs({"The adaptation was cancelled.  Nothing has changed: speech is recognised as before.",
                     kContinue}),
         kIconInformation);
  } else {
    Ctx().Tell("Voice Training Failed",
         Paragraphs({"The speech model could not be adapted to your voice.  Nothing has changed: speech is "
                     "recognised as before.",
                     error, kContinue}),
         kIconError);
  }
}

void VoiceTrainingScreen::CancelAdaptation() {
  if (!adapting_ || !job_.cancel) return;
  job_.cancel();
  shell_.p.ctx.ui.UpdateProgress("Cancelling...", 0);
}

void VoiceTrainingScreen::UseThisProfile() {
  if (!EnsureSession()) return Changed();
  const std::string profile = session_->Profile();
  std::string error;
  if (!training::UseProfile(shell_.p.ctx.program_folder, profile, &error)) {
    Ctx().Tell("Voice Profile Not Used",
         Paragraphs({"The voice profile \"" + profile + "\" cannot be used.", error, kContinue}), kIconError);
  } else {
    RefreshActiveProfile();
    Changed();
    shell_.ShowSaved("Voice Profile in Use", "Speech is now recognised with the voice profile \"" + profile + "\".",
                     "Speech is now recognised with the voice profile \"" + profile +
                         "\".  In order to use this change in FSX, the Speech Recognition engine needs to be "
                         "restarted.",
                     "gcompile_restart");
  }
  Changed();
}

void VoiceTrainingScreen::UseStandardModel() {
  std::string error;
  if (!training::UseProfile(shell_.p.ctx.program_folder, "", &error)) {
    Ctx().Tell("Standard Model Not Used", Paragraphs({error, kContinue}), kIconError);
  } else {
    RefreshActiveProfile();
    Changed();
    shell_.ShowSaved("Standard Model in Use", "Speech is now recognised with the standard model.",
                     "Speech is now recognised with the standard model.  In order to use this change in FSX, the "
                     "Speech Recognition engine needs to be restarted.",
                     "gcompile_restart");
  }
  Changed();
}

}  // namespace talvane
