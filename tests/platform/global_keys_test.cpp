// The global key watcher on a private X server, with key presses sent
// through the server's test extension (xdotool), as a keyboard sends them.
#include <gtest/gtest.h>

#include <linux/input.h>

#include <fstream>
#include <thread>

#include "platform/global_keys.h"
#include "support/test_support.h"
#include "test_processes.h"

namespace talvane::platform {
namespace {

using namespace std::chrono_literals;

class GlobalKeysTest : public test::XServerTest {
 protected:
  void SetUp() override {
    if (test::FindOnPath("xdotool").empty()) GTEST_SKIP() << "xdotool is not installed";
    XServerTest::SetUp();
  }
  void Keys(const std::vector<std::string>& args) {
    std::vector<std::string> cmd = {test::FindOnPath("xdotool")};
    cmd.insert(cmd.end(), args.begin(), args.end());
    test::ChildProcess p(cmd, display());
    ASSERT_EQ(p.Wait(), 0);
  }
  // The presses that arrive within a short while.
  static int Presses(GlobalKeys& keys) {
    int n = 0;
    for (int i = 0; i < 20; ++i) {
      n += keys.TakePresses();
      std::this_thread::sleep_for(10ms);
    }
    return n;
  }
};

TEST_F(GlobalKeysTest, SeesTheWatchedKeyOnlyWithItsShiftState) {
  X11GlobalKeys plain({'q', false}, display());
  X11GlobalKeys shifted({'7', true}, display());
  ASSERT_TRUE(plain.Watching());
  Keys({"key", "q"});
  Keys({"key", "w"});
  EXPECT_EQ(Presses(plain), 1);
  EXPECT_EQ(Presses(shifted), 0);
  Keys({"key", "shift+7"});
  Keys({"key", "7"});
  Keys({"key", "shift+q"});
  EXPECT_EQ(Presses(shifted), 1);
  EXPECT_EQ(Presses(plain), 0);
}

TEST_F(GlobalKeysTest, AKeyHeldDownCountsOnce) {
  X11GlobalKeys keys({'q', false}, display());
  Keys({"keydown", "q"});
  Keys({"keydown", "q"});  // a repeat: no release between
  Keys({"keyup", "q"});
  Keys({"key", "q"});
  EXPECT_EQ(Presses(keys), 2);
}

TEST_F(GlobalKeysTest, ALostServerMeansNoPressesAndNoCrash) {
  X11GlobalKeys keys({'q', false}, display());
  ASSERT_TRUE(keys.Watching());
  server_->Stop();
  EXPECT_EQ(Presses(keys), 0);
  EXPECT_FALSE(keys.Watching());
  EXPECT_EQ(keys.TakePresses(), 0);  // the retry finds no server either
}

TEST(GlobalKeysNoServerTest, NoServerIsNotWatched) {
  X11GlobalKeys keys({'q', false}, ":1999");
  EXPECT_FALSE(keys.Watching());
  EXPECT_EQ(keys.TakePresses(), 0);
}

// The kernel's keyboard devices where no X server answers, fed through
// files of input events in a folder of our own.
class EvdevKeysTest : public ::testing::Test {
 protected:
  void Send(const std::string& device, std::initializer_list<std::pair<unsigned, int>> keys) {
    std::string bytes;
    for (const auto& [code, value] : keys) {
      input_event e{};
      e.type = EV_KEY;
      e.code = static_cast<std::uint16_t>(code);
      e.value = value;
      bytes.append(reinterpret_cast<const char*>(&e), sizeof e);
      input_event sync{};  // the kernel ends each report with a sync
      bytes.append(reinterpret_cast<const char*>(&sync), sizeof sync);
    }
    std::ofstream(folder.path() / device, std::ios::binary | std::ios::app) << bytes;
  }
  test::TempFolder folder;
};

TEST_F(EvdevKeysTest, PressesOfTheKeyWithTheRightShiftCountOnce) {
  Send("event0", {{KEY_M, 1}, {KEY_M, 0}});  // before the watch: not a press
  EvdevGlobalKeys m({'m', false}, folder.path().string());
  EXPECT_TRUE(m.Watching());
  EXPECT_EQ(m.TakePresses(), 0);
  // Held with the keyboard repeating, it counts once; another key, or the
  // key with Shift, does not count.
  Send("event0", {{KEY_M, 1}, {KEY_M, 2}, {KEY_M, 2}, {KEY_M, 0}, {KEY_N, 1}, {KEY_N, 0}});
  Send("event0", {{KEY_LEFTSHIFT, 1}, {KEY_M, 1}, {KEY_M, 0}, {KEY_LEFTSHIFT, 0}});
  EXPECT_EQ(m.TakePresses(), 1);
  Send("event0", {{KEY_M, 1}, {KEY_M, 0}, {KEY_M, 1}, {KEY_M, 0}});
  EXPECT_EQ(m.TakePresses(), 2);

  EvdevGlobalKeys shifted({'7', true}, folder.path().string());
  Send("event0", {{KEY_7, 1}, {KEY_7, 0}, {KEY_RIGHTSHIFT, 1}, {KEY_7, 1}, {KEY_7, 0}, {KEY_RIGHTSHIFT, 0}});
  EXPECT_EQ(shifted.TakePresses(), 1);
}

TEST_F(EvdevKeysTest, NoKeyboardIsSaidAndAKeyboardPluggedInLaterIsFound) {
  EvdevGlobalKeys keys({'q', false}, folder.path().string(), 0ms);
  EXPECT_FALSE(keys.Watching());
  EXPECT_NE(keys.NotWatchingReason().find("no keyboard"), std::string::npos) << keys.NotWatchingReason();
  std::ofstream(folder.path() / "mouse0") << "not a keyboard";  // not an event device: left alone
  EXPECT_EQ(keys.TakePresses(), 0);
  EXPECT_FALSE(keys.Watching());
  Send("event3", {});
  EXPECT_EQ(keys.TakePresses(), 0);  // found at this rescan
  EXPECT_TRUE(keys.Watching());
  Send("event3", {{KEY_Q, 1}, {KEY_Q, 0}});
  EXPECT_EQ(keys.TakePresses(), 1);
  // Half an event at the end is not read as one.
  std::ofstream(folder.path() / "event3", std::ios::binary | std::ios::app) << std::string(5, '\x01');
  EXPECT_EQ(keys.TakePresses(), 0);
  EvdevGlobalKeys nowhere({'q', false}, (folder.path() / "missing").string());
  EXPECT_FALSE(nowhere.Watching());
}

}  // namespace
}  // namespace talvane::platform
