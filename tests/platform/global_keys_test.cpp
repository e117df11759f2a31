// The global key watcher on a private X server, with key presses sent
// through the server's test extension (xdotool), as a keyboard sends them.
#include <gtest/gtest.h>

#include <thread>

#include "platform/global_keys.h"
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

}  // namespace
}  // namespace talvane::platform
