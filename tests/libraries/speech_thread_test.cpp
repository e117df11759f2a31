// The speech thread: where its jobs run, in which directory, and how it
// survives failing jobs and ends with work still queued.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <set>
#include <stdexcept>
#include <thread>

#include "outside/speech_thread.h"
#include "support/test_support.h"

namespace talvane {
namespace {

using namespace std::chrono_literals;

TEST(libraries_SpeechThread, EveryJobRunsOnOneThreadInTheProgramFolder) {
  test::TempFolder program;
  std::filesystem::create_directories(program / "Grammars");
  const std::filesystem::path caller_dir = std::filesystem::current_path();
  SpeechThread speech(program.path());
  std::set<std::thread::id> threads;
  auto where = [&] {
    threads.insert(std::this_thread::get_id());
    EXPECT_TRUE(speech.OnThread());
    return std::filesystem::current_path();
  };
  EXPECT_FALSE(speech.OnThread());
  EXPECT_EQ(speech.Call(where), std::filesystem::canonical(program.path()));
  EXPECT_EQ(speech.Post(where).get(), std::filesystem::canonical(program.path()));

  // A library that moves the directory (as the engine's INIT does) moves
  // it for this thread alone, and the next job starts in the program
  // folder again.
  speech.Call([&] { std::filesystem::current_path(program / "Grammars"); });
  EXPECT_EQ(std::filesystem::current_path(), caller_dir);
  EXPECT_EQ(speech.Call(where), std::filesystem::canonical(program.path()));
  // A job that calls again runs the inner call at once, in the program folder.
  EXPECT_EQ(speech.Call([&] {
    std::filesystem::current_path(program / "Grammars");
    return speech.Call(where);
  }),
            std::filesystem::canonical(program.path()));

  ASSERT_EQ(threads.size(), 1u);
  EXPECT_NE(*threads.begin(), std::this_thread::get_id());
}

TEST(libraries_SpeechThread, PostedWorkLeavesTheCallerFree) {
  test::TempFolder program;
  SpeechThread speech(program.path());
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  // The job cannot finish before the caller releases it, so Post must have
  // returned first; a blocking Post would never get here.
  std::future<int> result = speech.Post([released] {
    released.wait();
    return 42;
  });
  EXPECT_EQ(result.wait_for(50ms), std::future_status::timeout);
  release.set_value();
  EXPECT_EQ(result.get(), 42);

  // The callback form: the result comes back on the speech thread.
  std::promise<std::pair<int, bool>> got;
  speech.Post([] { return 7; },
              [&](std::future<int> done) { got.set_value({done.get(), speech.OnThread()}); });
  EXPECT_EQ(got.get_future().get(), std::make_pair(7, true));
}

TEST(libraries_SpeechThread, AFailingJobDoesNotEndTheThread) {
  test::TempFolder program;
  SpeechThread speech(program.path());
  EXPECT_THROW(speech.Call([]() -> int { throw std::runtime_error("job"); }), std::runtime_error);
  std::future<void> failed = speech.Post([] { throw std::logic_error("posted"); });
  EXPECT_THROW(failed.get(), std::logic_error);
  std::promise<bool> threw;
  speech.Post([]() -> int { throw std::runtime_error("with callback"); },
              [&](std::future<int> done) {
                try {
                  done.get();
                  threw.set_value(false);
                } catch (const std::runtime_error&) {
                  threw.set_value(true);
                }
                throw std::runtime_error("the callback fails too");
              });
  EXPECT_TRUE(threw.get_future().get());
  EXPECT_EQ(speech.Call([] { return 1; }), 1);
}

TEST(libraries_SpeechThread, EndingRunsTheQueuedWorkThenJoins) {
  test::TempFolder program;
  std::atomic<int> ran{0};
  std::future<int> last;
  {
    SpeechThread speech(program.path());
    speech.Post([&] {
      std::this_thread::sleep_for(100ms);  // the rest is still queued when the owner goes
      ++ran;
    });
    for (int i = 0; i < 20; ++i) speech.Post([&] { ++ran; });
    last = speech.Post([&] { return ran.load(); });
  }
  EXPECT_EQ(ran.load(), 21);
  EXPECT_EQ(last.get(), 21);
}

}  // namespace
}  // namespace talvane
