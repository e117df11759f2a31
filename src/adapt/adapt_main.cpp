// talvane-adapt PROGRAM_FOLDER PROFILE: adapts the acoustic model to the
// recordings in PROGRAM_FOLDER/Training/PROFILE (its transcripts.txt) and
// makes the profile the one in use. Tells its progress on standard output,
// one line each: "progress STEP STEPS TEXT", then "done" or "error TEXT".
// SIGTERM cancels: the running tool is stopped, the half-built model
// removed, and the model in use stays as it was.
#include <csignal>
#include <cstdio>
#include <string>

#include "calibration/confidence_calibration.h"
#include "training/adaptation.h"
#include "training/voice_profiles.h"

namespace {

std::atomic<bool> g_cancel{false};

void OnTerminate(int) { g_cancel.store(true); }

int Error(const std::string& text) {
  std::printf("error %s\n", text.c_str());
  std::fflush(stdout);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace talvane;
  if (argc != 3) {
    std::fprintf(stderr, "usage: talvane-adapt PROGRAM_FOLDER PROFILE\n");
    return 2;
  }
  struct sigaction sa {};
  sa.sa_handler = OnTerminate;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);

  const std::filesystem::path program = std::filesystem::absolute(argv[1]);
  const std::string profile = argv[2];
  if (!training::IsValidProfileName(profile)) return Error("\"" + profile + "\" is not a valid profile name");
  const auto folder = training::TrainingFolder(program, profile);
  std::string error;
  training::AdaptOptions o;
  o.program_folder = program;
  o.profile = profile;
  o.speech = training::ReadTranscripts(folder / "transcripts.txt", folder, &error);
  if (o.speech.empty()) return Error(error);
  o.cancel = &g_cancel;
  o.calibrate = calibration::Calibrator(&g_cancel);
  o.progress = [](const training::Progress& p) {
    std::printf("progress %d %d %s\n", p.step, p.steps, p.text.c_str());
    std::fflush(stdout);
  };
  if (!training::AdaptProfile(o, &error)) return Error(error);
  std::printf("done\n");
  std::fflush(stdout);
  return 0;
}
