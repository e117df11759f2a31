// The screenshot tool's pictures: the right part of the screen, with the
// colours the window shows.
#ifdef TALVANE_X11_SCREENSHOT
#include <QImage>

#include "support/test_support.h"
#include "test_processes.h"

namespace talvane::test {
namespace {

class ScreenshotTest : public XServerTest {
 protected:
  // Runs the tool; its exit status.
  int Shoot(std::vector<std::string> args) {
    args.insert(args.begin(), {TALVANE_X11_SCREENSHOT, "--display", display()});
    ChildProcess tool(args, {}, true);
    return tool.Wait(20s).value_or(-1);
  }
  TempFolder out_;
};

// test-window puts its window at (50, 40), 300 x 200 pixels.
TEST_F(ScreenshotTest, WindowByTitleOrIdAndTheWholeScreen) {
  unsigned long id = 0;
  auto window = Window({"--title", "Splash", "--color", "3366cc", "--depth", "1"}, &id);
  const std::string byTitle = (out_ / "title.png").string(), byId = (out_ / "id.png").string(),
                    screen = (out_ / "screen.png").string();
  ASSERT_EQ(Shoot({"--window-title", "Splash", byTitle}), 0);
  ASSERT_EQ(Shoot({"--window-id", std::to_string(id), byId}), 0);
  ASSERT_EQ(Shoot({"--root", screen}), 0);

  for (const auto& file : {byTitle, byId}) {
    SCOPED_TRACE(file);
    const QImage picture(QString::fromStdString(file));
    ASSERT_EQ(picture.size(), QSize(300, 200));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0x33, 0x66, 0xcc));
    EXPECT_EQ(picture.pixel(299, 199), qRgb(0x33, 0x66, 0xcc));
  }
  const QImage whole(QString::fromStdString(screen));
  ASSERT_EQ(whole.size(), QSize(1024, 768));
  EXPECT_EQ(whole.pixel(50, 40), qRgb(0x33, 0x66, 0xcc));
  EXPECT_EQ(whole.pixel(349, 239), qRgb(0x33, 0x66, 0xcc));
  EXPECT_NE(whole.pixel(350, 240), qRgb(0x33, 0x66, 0xcc));
}

TEST_F(ScreenshotTest, NothingToShootFailsWithoutAPicture) {
  const std::string file = (out_ / "none.png").string();
  EXPECT_EQ(Shoot({"--timeout", "0.3", "--window-title", "Never shown", file}), 1);
  EXPECT_EQ(Shoot({"--window-id", "0x7fffff0", file}), 1);
  EXPECT_EQ(Shoot({"--root", "--window-id", "5", file}), 2) << "two targets";
  EXPECT_EQ(Shoot({"--root"}), 2) << "no file";
  EXPECT_FALSE(fs::exists(file));
}

}  // namespace
}  // namespace talvane::test
#endif
