// The voice training screen driven through its buttons, with a scripted
// microphone, loudspeaker and adaptation: what each press leaves on disk and
// on show, the problems the pilot is told about, and the adaptation's
// progress, cancel and outcome.
#include <atomic>

#include "../training/synthetic_audio.h"
#include "common/files.h"
#include "shell_fixture.h"
#include "training/enrolment.h"
#include "training/voice_profiles.h"

namespace talvane::test {
namespace {

// Delivers its samples as soon as it starts, as a fast microphone would.
struct ScriptedMicrophone : platform::AudioCapture {
  explicit ScriptedMicrophone(Samples s, bool present) : samples(std::move(s)), present(present) {}
  bool Open(std::string* error) override {
    if (!present && error) *error = platform::kNoMicrophoneText;
    return present;
  }
  bool Start(Callbacks c) override {
    c.on_block(samples);
    c.on_level(platform::MeasureLevel(samples));
    return true;
  }
  void Stop() override {}
  void Close() override {}
  Samples samples;
  bool present;
};

struct RecordedSpeaker : platform::AudioPlayback {
  explicit RecordedSpeaker(std::vector<Samples>& played) : played(played) {}
  bool Play(std::vector<std::int16_t> s, std::uint32_t, std::string*) override {
    played.push_back(std::move(s));
    return true;
  }
  void Stop() override {}
  bool Playing() const override { return false; }
  std::vector<Samples>& played;
};

class VoiceTrainingTest : public ShellTest {
 protected:
  VoiceTrainingTest() {
    fs::copy(fs::path(TALVANE_PROGRAM_DIR) / "Grammars", program / "Grammars", fs::copy_options::recursive);
    screen.make_capture = [this] { return std::make_unique<ScriptedMicrophone>(next_recording, microphone); };
    screen.make_playback = [this] { return std::make_unique<RecordedSpeaker>(played); };
    screen.on_level = [this] { ++levels; };
    shell.nav.ShowScreen(Form::frm_Home);
    shell.configurationScreen.LoadScreen();
    ClickHome("speech_config");
    screen.SetUpButtons();
  }
  SkinnedButton& Button(const char* name) { return *shell.buttons.Find(Form::frm_VoiceTraining, name); }
  void Press(const char* name) { shell.dispatch.Release(Button(name)); }
  void OpenScreen() { shell.dispatch.Release(*shell.buttons.Find(Form::frm_Configure, "btn_VoiceTraining")); }
  // Record, then stop.
  void RecordPrompt(const Samples& s = GoodRecording()) {
    next_recording = s;
    Press("btn_Record");
    ASSERT_TRUE(screen.Recording());
    Press("btn_Record");
  }
  void Answer(bool ok) {
    shell.dialogs.CurrentMessageId = ui.messages.back().id;
    SkinnedButton& b = shell.buttons.Add(ButtonKind::SmallButton, Form::frm_Message, "btn");
    b.button_type = ok ? "ok" : "cancel";
    shell.dispatch.Release(b);
  }
  fs::path Folder() const { return program / "Training" / "Alice"; }
  void InstallModel(const char* profile) {
    for (const char* f : {"mdef", "means", "variances", "transition_matrices", "sendump", "feat.params", "noisedict",
                          "phone.lm.bin"})
      WriteFile(training::ModelFolder(program, profile) / f, "x");
  }
  void StartAs(const char* profile) {
    OpenScreen();
    screen.SetProfileText(profile);
  }

  VoiceTrainingScreen& screen = shell.voiceTraining;
  // How many prompts the program ships.
  std::string total =
      std::to_string(training::ReadPrompts(training::PromptsFile(TALVANE_PROGRAM_DIR), nullptr).size());
  Samples next_recording = GoodRecording();
  bool microphone = true;
  std::vector<Samples> played;
  int levels = 0;
};

TEST_F(VoiceTrainingTest, OpensFromTheConfigurationScreenAndReturnsThere) {
  ASSERT_TRUE(shell.buttons.Find(Form::frm_Configure, "btn_VoiceTraining")->visible);
  OpenScreen();
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_VoiceTraining");
  EXPECT_EQ(hosts.visible.count(Form::frm_Configure), 0u);
  EXPECT_EQ(Bar(2).button_type, "cancel");
  EXPECT_EQ(Bar(2).form_name, Form::frm_VoiceTraining);
  EXPECT_EQ(screen.lbl_PromptNumber, "Prompt 1 of " + total);
  EXPECT_EQ(screen.lbl_Prompt, "The pilot checked the weather before the long flight to the coast.");
  EXPECT_EQ(screen.lbl_ActiveProfile, "Speech is recognised with the standard model.");
  EXPECT_TRUE(Button("btn_StandardModel").disabled());
  shell.dispatch.Release(Bar(2));
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_Configure");
  EXPECT_EQ(Bar(2).form_name, Form::frm_Configure);
}

TEST_F(VoiceTrainingTest, MissingPromptsKeepTheConfigurationScreen) {
  fs::remove(program / "Data" / "training_prompts.txt");
  OpenScreen();
  EXPECT_EQ(shell.nav.CurrentScreenName, "frm_Configure");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Voice Training Unavailable");
  EXPECT_NE(ui.messages[0].text.find("training_prompts.txt"), std::string::npos);
}

TEST_F(VoiceTrainingTest, RecordingNeedsAProfileName) {
  OpenScreen();
  Press("btn_Record");
  EXPECT_FALSE(screen.Recording());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("type a name for your voice profile"), std::string::npos);
  screen.SetProfileText("../up");
  Press("btn_Record");
  EXPECT_FALSE(screen.Recording());
  EXPECT_EQ(ui.messages.back().title, "Voice Profile Name");
  EXPECT_FALSE(fs::exists(program / "up"));
}

TEST_F(VoiceTrainingTest, RecordSavesThePromptAndShowsTheNext) {
  StartAs("Alice");
  next_recording = GoodRecording();
  Press("btn_Record");
  ASSERT_TRUE(screen.Recording());
  EXPECT_EQ(Button("btn_Record").picture, "btn_Stop");
  EXPECT_GT(levels, 0);
  for (const char* other : {"btn_Play", "btn_Next", "btn_Skip", "btn_Adapt"})
    EXPECT_TRUE(Button(other).disabled()) << other;
  Press("btn_Record");
  EXPECT_FALSE(screen.Recording());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(FileExists(Folder() / "001.wav"));
  EXPECT_EQ(ReadWholeFile(Folder() / "transcripts.txt").value_or(""),
            "001.wav\tThe pilot checked the weather before the long flight to the coast.\n");
  EXPECT_EQ(screen.lbl_PromptNumber, "Prompt 2 of " + total);
  EXPECT_EQ(Button("btn_Record").picture, "btn_Record");
  EXPECT_TRUE(Button("btn_Play").disabled());

  // Back on the recorded prompt: play it, and Record becomes re-record.
  Press("btn_Previous");
  EXPECT_EQ(Button("btn_Record").picture, "btn_Rerecord");
  Press("btn_Play");
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(played[0], GoodRecording());
  Press("btn_Delete");
  EXPECT_FALSE(fs::exists(Folder() / "001.wav"));
  EXPECT_EQ(Button("btn_Record").picture, "btn_Record");
}

TEST_F(VoiceTrainingTest, AFaultyRecordingIsKeptOnlyWhenThePilotSaysSo) {
  StartAs("Alice");
  Samples quiet;
  AddHiss(quiet, 0.4, 4);
  AddTone(quiet, 1.5, 700);
  AddHiss(quiet, 0.4, 4);
  RecordPrompt(quiet);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].id, kKeepRecordingId);
  EXPECT_TRUE(ui.messages[0].cancel);
  EXPECT_NE(ui.messages[0].text.find("too quiet"), std::string::npos);
  Answer(false);
  EXPECT_FALSE(fs::exists(Folder() / "001.wav"));
  EXPECT_EQ(screen.lbl_PromptNumber, "Prompt 1 of " + total);

  RecordPrompt(quiet);
  Answer(true);
  EXPECT_TRUE(FileExists(Folder() / "001.wav"));
  EXPECT_EQ(screen.lbl_PromptNumber, "Prompt 2 of " + total);
}

TEST_F(VoiceTrainingTest, SilenceIsNeverSavedAndNoMicrophoneIsSaid) {
  StartAs("Alice");
  RecordPrompt(Samples(32000, 0));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_FALSE(ui.messages[0].cancel);
  EXPECT_NE(ui.messages[0].text.find("no sound at all"), std::string::npos);
  EXPECT_FALSE(fs::exists(Folder() / "001.wav"));

  microphone = false;
  Press("btn_Record");
  EXPECT_FALSE(screen.Recording());
  EXPECT_EQ(ui.messages.back().title, "No Microphone");
  EXPECT_NE(ui.messages.back().text.find("No microphone was found"), std::string::npos);
}

TEST_F(VoiceTrainingTest, TheInputEndingFinishesOrDiscardsTheRecording) {
  StartAs("Alice");
  Press("btn_Record");
  screen.CaptureEnded("");  // the test file ran out
  EXPECT_FALSE(screen.Recording());
  EXPECT_TRUE(FileExists(Folder() / "001.wav"));
  Press("btn_Record");
  screen.CaptureEnded("The microphone stopped delivering sound.");
  EXPECT_FALSE(screen.Recording());
  EXPECT_FALSE(fs::exists(Folder() / "002.wav"));
  EXPECT_EQ(ui.messages.back().title, "Microphone Problem");
  // A late end after a stop changes nothing.
  screen.CaptureEnded("");
  EXPECT_FALSE(fs::exists(Folder() / "002.wav"));
}

TEST_F(VoiceTrainingTest, ReopeningResumesAndStartOverAsksFirst) {
  StartAs("Alice");
  RecordPrompt();
  RecordPrompt();
  Press("btn_Skip");
  RecordPrompt();
  shell.dispatch.Release(Bar(2));
  screen.profile_text.clear();
  fs::create_directories(program / "Training" / "Bob");
  OpenScreen();
  EXPECT_EQ(screen.profiles, (std::vector<std::string>{"Alice", "Bob"}));
  screen.ChooseProfile("Alice");
  EXPECT_EQ(screen.lbl_PromptNumber, "Prompt 3 of " + total);
  EXPECT_NE(screen.lbl_Recorded.find("3 of " + total + " prompts recorded"), std::string::npos);

  Press("btn_StartOver");
  EXPECT_EQ(ui.messages.back().id, kStartOverId);
  Answer(false);
  EXPECT_TRUE(FileExists(Folder() / "001.wav"));
  Press("btn_StartOver");
  Answer(true);
  EXPECT_FALSE(fs::exists(Folder()));
  EXPECT_EQ(screen.lbl_PromptNumber, "Prompt 1 of " + total);
  EXPECT_TRUE(Button("btn_StartOver").disabled());
}

class AdaptationTest : public VoiceTrainingTest {
 protected:
  AdaptationTest() {
    screen.make_adaptation = [this](const std::string& profile) {
      adapted.push_back(profile);
      AdaptationJob job;
      job.run = [this](const std::function<void(const training::Progress&)>& progress, std::string* error) {
        progress({1, 4, "Extracting features"});
        while (waits < 3) std::this_thread::yield();  // the window thread shows it meanwhile
        if (cancel_on_wait) {
          while (!cancelled) std::this_thread::yield();
          *error = "cancelled";
          return false;
        }
        if (!fail.empty()) {
          *error = fail;
          return false;
        }
        InstallModel("Alice");
        return training::UseProfile(program, "Alice", error);
      };
      job.cancel = [this] { cancelled = true; };
      return job;
    };
    screen.wait_hook = [this] {
      progress_cancel_shown = progress_cancel_shown || ui.progress_cancel;
      if (++waits == 3 && cancel_on_wait) {
        SkinnedButton& cancel = shell.buttons.Add(ButtonKind::SmallButton, Form::frm_Progress, "btn_Cancel");
        cancel.button_type = "cancel";
        shell.dispatch.Release(cancel);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    };
  }
  void RecordTen() {
    StartAs("Alice");
    for (int i = 0; i < 10; ++i) RecordPrompt();
  }

  std::vector<std::string> adapted;
  std::atomic<int> waits{0};
  std::atomic<bool> cancelled{false};
  bool cancel_on_wait = false, progress_cancel_shown = false;
  std::string fail;
};

TEST_F(AdaptationTest, FewerThanTenRecordingsAreNotAdapted) {
  StartAs("Alice");
  for (int i = 0; i < 9; ++i) RecordPrompt();
  Press("btn_Adapt");
  EXPECT_TRUE(adapted.empty());
  EXPECT_TRUE(ui.progress.empty());
  EXPECT_EQ(ui.messages.back().title, "Not Enough Recordings");
  EXPECT_NE(ui.messages.back().text.find("please record 1 more"), std::string::npos);
}

TEST_F(AdaptationTest, SuccessPutsTheProfileInUse) {
  RecordTen();
  Press("btn_Adapt");
  EXPECT_EQ(adapted, std::vector<std::string>{"Alice"});
  EXPECT_EQ(ui.progress_title, "Adapting the Speech Model");
  EXPECT_TRUE(progress_cancel_shown);
  ASSERT_GE(ui.progress.size(), 2u);
  EXPECT_EQ(ui.progress[1].text, "Extracting features");
  EXPECT_DOUBLE_EQ(ui.progress[1].percent, 25.0);
  EXPECT_FALSE(ui.progress_visible);
  EXPECT_FALSE(screen.Adapting());
  EXPECT_EQ(ui.messages.back().title, "Voice Training Finished");
  EXPECT_EQ(training::ActiveProfile(program), "Alice");
  EXPECT_EQ(screen.lbl_ActiveProfile, "Speech is recognised with the voice profile \"Alice\".");
  EXPECT_FALSE(Button("btn_StandardModel").disabled());
  EXPECT_TRUE(Button("btn_UseProfile").disabled());  // already in use

  Press("btn_StandardModel");
  EXPECT_EQ(training::ActiveProfile(program), "");
  EXPECT_EQ(ui.messages.back().title, "Standard Model in Use");
  EXPECT_FALSE(Button("btn_UseProfile").disabled());
  Press("btn_UseProfile");
  EXPECT_EQ(training::ActiveProfile(program), "Alice");
  EXPECT_EQ(ui.messages.back().title, "Voice Profile in Use");
}

TEST_F(AdaptationTest, CancelFromTheProgressDialogChangesNothing) {
  RecordTen();
  cancel_on_wait = true;
  Press("btn_Adapt");
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(ui.progress.back().text, "Cancelling...");
  EXPECT_EQ(ui.messages.back().title, "Voice Training Cancelled");
  EXPECT_EQ(training::ActiveProfile(program), "");
}

TEST_F(AdaptationTest, FailureNamesTheError) {
  RecordTen();
  fail = "bw failed on 004.wav";
  Press("btn_Adapt");
  EXPECT_EQ(ui.messages.back().title, "Voice Training Failed");
  EXPECT_NE(ui.messages.back().text.find("bw failed on 004.wav"), std::string::npos);
  EXPECT_EQ(training::ActiveProfile(program), "");
}

}  // namespace
}  // namespace talvane::test
