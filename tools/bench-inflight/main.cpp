// bench-inflight PROGRAM_FOLDER WAV...
// Times the pilot's loop from the end of speech to the simulator event: the
// voice module's own loop (engine, command plan, event log, SimConnect
// client) against our SimConnect server, with each WAV file played to the
// engine at the pace of a microphone (AUDIOIN_REALTIME). The program folder
// must hold compiled grammars. The end of speech is taken as the press plus
// the speech's end in the file, so the engine's start-up on a press counts
// against the figure, as the pilot feels it.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "catalogue/command_catalogue.h"
#include "catalogue/settings.h"
#include "common/files.h"
#include "common/wav_file.h"
#include "inflight/event_map.h"
#include "outside/outside_libraries.h"
#include "quarrowr/catalogue_commands.h"
#include "quarrowr/checklist_flow.h"
#include "quarrowr/engine_speech.h"
#include "quarrowr/event_log.h"
#include "quarrowr/simconnect_simulator.h"
#include "quarrowr/voice_module.h"
#include "simlink/simconnect_server.h"

namespace {

using namespace talvane;
using namespace talvane::quarrowr;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class QuietUserInterface : public UserInterface {
 public:
  void ShowMessage(const Message& m) override { std::fprintf(stderr, "%s: %s\n", m.title.c_str(), m.text.c_str()); }
  std::optional<std::string> BrowseForFile(const FileDialog&) override { return std::nullopt; }
  void ShowProgress(const std::string&, const std::string&) override {}
  void UpdateProgress(const std::string&, double) override {}
  void HideProgress() override {}
  void SetSplashStatus(const std::string&) override {}
  void ExitProgram() override {}
};

// Jobs handed to the module's thread (here, main's loop).
class Jobs {
 public:
  void Post(std::function<void()> job) {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
    ready_.notify_one();
  }
  void RunFor(Clock::duration wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait_for(lock, wait, [this] { return !jobs_.empty(); });
    while (!jobs_.empty()) {
      auto job = std::move(jobs_.front());
      jobs_.pop_front();
      lock.unlock();
      job();
      lock.lock();
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> jobs_;
};

// Where speech ends in the file: the last 10 ms frame above a quiet level.
std::optional<double> SpeechEnd(const std::filesystem::path& wav) {
  const auto bytes = ReadWholeFile(wav);
  if (!bytes) return std::nullopt;
  const auto audio = ReadWav(*bytes);
  if (!audio || audio->sample_rate == 0) return std::nullopt;
  const std::size_t frame = audio->sample_rate / 100;
  std::size_t last = 0;
  for (std::size_t at = 0; at + frame <= audio->samples.size(); at += frame) {
    double energy = 0;
    for (std::size_t i = at; i < at + frame; ++i) energy += double(audio->samples[i]) * audio->samples[i];
    if (energy / frame > 300.0 * 300.0) last = at + frame;
  }
  return double(last) / audio->sample_rate;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench-inflight PROGRAM_FOLDER WAV...\n");
    return 2;
  }
  const std::filesystem::path folder = std::filesystem::absolute(argv[1]);
  QuietUserInterface ui;
  Context ctx{folder, ui};
  Settings settings;
  CommandCatalogue catalogue;
  if (!ReadSettingsFile(ctx, settings) || !LoadCommandList(ctx, catalogue)) return 1;
  EventMap events;
  try {
    events = LoadEventMap(ctx.File(kEventMapFile));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }

  // The simulator: our server, noting when each event arrives.
  std::mutex arrivedMutex;
  std::vector<std::pair<std::string, Clock::time_point>> arrived;
  simlink::SimConnectServer server("Bench Simulator", {[&](const std::string& name, std::uint32_t) {
                                                         std::lock_guard<std::mutex> lock(arrivedMutex);
                                                         arrived.emplace_back(name, Clock::now());
                                                       },
                                                       {}});
  server.SetTitle("Cessna Skyhawk 172SP Paint1");
  std::string error;
  if (!server.Listen("127.0.0.1", 0, error)) {
    std::fprintf(stderr, "cannot listen: %s\n", error.c_str());
    return 1;
  }
  std::atomic<bool> stop{false};
  std::thread serving([&] {
    while (!stop) server.Poll(5ms);
  });

  std::vector<std::string> names;
  for (const auto& r : events.rules)
    for (const auto& e : r.events)
      if (std::find(names.begin(), names.end(), e.event) == names.end()) names.push_back(e.event);
  const std::uint16_t port = server.port();
  SimConnectSimulator simulator(
      [port](simlink::Endpoint& e, std::string&) {
        e = {"127.0.0.1", port};
        return true;
      },
      names, {});

  Jobs jobs;
  OutsideLibraries libraries(ctx);
  EngineSpeech speech(libraries, [&jobs](std::function<void()> job) { jobs.Post(std::move(job)); });
  CatalogueCommands commands(catalogue, events);
  const std::filesystem::path logFile = std::filesystem::temp_directory_path() / "bench-inflight.log";
  EventLog log(logFile);
  AssignmentList assignments;
  ChecklistFlow flow(assignments, settings.ChecklistResponses, ChecklistFiles(ctx));
  // Voice 0: the readback is spoken after the event is sent, so it cannot
  // change the figure; without it the next press starts at once.
  VoiceModule module({speech, commands, simulator, log}, flow, 0, false);

  // No sound card is needed: the engine opens its audio input on a file.
  ::setenv("AUDIOIN_WAV", argv[2], 1);
  const auto engineStart = Clock::now();
  module.Start(VoiceModule::Clock::now());
  if (module.View().state.rfind("Not ready", 0) == 0 || !simulator.Connected()) {
    std::fprintf(stderr, "%s / %s\n", module.View().state.c_str(), simulator.Status().c_str());
    stop = true;
    serving.join();
    return 1;
  }
  std::printf("engine started in %.0f ms; link: %s\n", Ms(Clock::now() - engineStart), simulator.Status().c_str());
  ::setenv("AUDIOIN_REALTIME", "1", 1);

  std::vector<double> latencies, results;
  int missed = 0;
  for (int i = 2; i < argc; ++i) {
    const auto end = SpeechEnd(argv[i]);
    if (!end) {
      std::fprintf(stderr, "%s: not a WAV file\n", argv[i]);
      continue;
    }
    ::setenv("AUDIOIN_WAV", argv[i], 1);
    std::size_t before;
    {
      std::lock_guard<std::mutex> lock(arrivedMutex);
      before = arrived.size();
    }
    Clock::time_point resultAt{};
    module.Changed = [&] {
      if (!module.Listening() && resultAt == Clock::time_point{}) resultAt = Clock::now();
    };
    const auto pressed = Clock::now();
    module.SwitchPressed();
    const auto speechEnded = pressed + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(*end));
    std::optional<Clock::time_point> eventAt;
    std::string eventName;
    while (Clock::now() - pressed < 15s) {
      jobs.RunFor(2ms);
      {
        std::lock_guard<std::mutex> lock(arrivedMutex);
        if (arrived.size() > before) {
          eventAt = arrived[before].second;
          eventName = arrived[before].first;
        }
      }
      if (eventAt || (!module.Listening() && resultAt != Clock::time_point{} && Clock::now() - resultAt > 500ms)) break;
    }
    module.Changed = nullptr;
    const std::string heard = module.View().heard;
    if (!eventAt) {
      ++missed;
      std::printf("%-44s heard \"%s\", no event (%s)\n", std::filesystem::path(argv[i]).filename().c_str(), heard.c_str(),
                  module.View().answered.c_str());
      continue;
    }
    const double latency = Ms(*eventAt - speechEnded);
    const double result = Ms(resultAt - speechEnded);
    latencies.push_back(latency);
    results.push_back(result);
    std::printf("%-44s %-26s %-24s result %+6.0f ms, event %+6.0f ms\n", std::filesystem::path(argv[i]).filename().c_str(),
                heard.c_str(), eventName.c_str(), result, latency);
    // Let the engine settle as a pilot would between two commands.
    const auto pause = Clock::now() + 300ms;
    while (Clock::now() < pause) jobs.RunFor(5ms);
  }
  module.Shutdown();
  stop = true;
  serving.join();
  if (!std::getenv("BENCH_KEEP_LOG")) std::filesystem::remove(logFile);

  if (latencies.empty()) {
    std::printf("no command reached the simulator (%d missed)\n", missed);
    return 1;
  }
  auto sorted = latencies;
  std::sort(sorted.begin(), sorted.end());
  double sum = 0;
  for (double v : sorted) sum += v;
  std::printf("end of speech -> simulator event: median %.0f ms, mean %.0f ms, worst %.0f ms over %zu commands (%d missed); goal under 350 ms\n",
              sorted[sorted.size() / 2], sum / sorted.size(), sorted.back(), sorted.size(), missed);
  return 0;
}
