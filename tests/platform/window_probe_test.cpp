// The X11 probes against a real X server: which windows count as the
// simulator and the voice module, where in the window tree they are found,
// the close request, and what happens without a server or when windows and
// the server vanish under a call.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <csignal>
#include <thread>

#include "platform/window_probe.h"
#include "test_processes.h"

namespace talvane::platform {
namespace {

using test::ChildProcess;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class WindowProbeTest : public test::XServerTest {};

TEST_F(WindowProbeTest, SimulatorIsKnownByItsWindowClassWhateverItsTitle) {
  X11WindowProbe probe(display());
  EXPECT_FALSE(probe.IsSimulatorRunning());
  {
    auto sim = Window({"--class", "FS98MAIN", "--title", "Anything at all"});
    EXPECT_TRUE(probe.IsSimulatorRunning());
    EXPECT_FALSE(probe.IsVoiceModuleRunning());
  }
  EXPECT_FALSE(probe.IsSimulatorRunning()) << "the window is gone";
  // Window classes compare without regard to case, and a window needs no title.
  auto sim = Window({"--class", "fs98main"});
  EXPECT_TRUE(probe.IsSimulatorRunning());
}

TEST_F(WindowProbeTest, VoiceModuleIsKnownByEitherNameProperty) {
  X11WindowProbe probe(display());
  for (const char* property : {"net", "wm"}) {
    SCOPED_TRACE(property);
    auto voice = Window({"--title", "BX Quarrow", "--title-property", property});
    EXPECT_TRUE(probe.IsVoiceModuleRunning());
    EXPECT_FALSE(probe.IsSimulatorRunning());
    voice->Kill(SIGTERM);
    ASSERT_TRUE(voice->Wait());
    EXPECT_FALSE(probe.IsVoiceModuleRunning());
  }
}

TEST_F(WindowProbeTest, NearMissesAreNotTaken) {
  auto a = Window({"--title", "BX Quarrow (old)"});
  auto b = Window({"--title", "BX Quarro"});
  auto c = Window({"--class", "fs98main2", "--title", "BX Quarrow ", "--title-property", "net"});
  auto d = Window({"--class", "FS98MAI", "--title", " BX Quarrow", "--title-property", "wm"});
  X11WindowProbe probe(display());
  EXPECT_FALSE(probe.IsSimulatorRunning());
  EXPECT_FALSE(probe.IsVoiceModuleRunning());
  EXPECT_FALSE(probe.CloseVoiceModule());
}

// A reparenting window manager puts each client inside a frame; some nest
// deeper and list their clients on the root instead.
TEST_F(WindowProbeTest, ClientsInsideFramesAndOnTheClientListAreFound) {
  X11WindowProbe probe(display());
  {
    auto framed = Window({"--class", "FS98MAIN", "--depth", "1"});
    EXPECT_TRUE(probe.IsSimulatorRunning());
  }
  unsigned long id = 0;
  auto deep = Window({"--title", "BX Quarrow", "--depth", "2"}, &id);
  EXPECT_FALSE(probe.IsVoiceModuleRunning()) << "two frames down and not listed";

  Display* d = XOpenDisplay(display().c_str());
  ASSERT_NE(d, nullptr);
  const ::Window listed[] = {DefaultRootWindow(d), id};  // a non-client first, then the client
  XChangeProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_CLIENT_LIST", False), XA_WINDOW, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(listed), 2);
  XSync(d, False);
  EXPECT_TRUE(probe.IsVoiceModuleRunning());
  EXPECT_EQ(FindTopLevelWindowByTitle(display(), "bx quarrow"), id);
  EXPECT_EQ(X11WindowProbe(display()).CloseAndWait(), X11WindowProbe::CloseOutcome::kClosed);
  XCloseDisplay(d);
}

TEST_F(WindowProbeTest, CloseReturnsOnceTheWindowIsGone) {
  auto voice = Window({"--title", "BX Quarrow"});
  X11WindowProbe probe(display());
  EXPECT_TRUE(probe.CloseVoiceModule());
  EXPECT_FALSE(probe.IsVoiceModuleRunning()) << "already gone when the call returns";
  EXPECT_EQ(voice->Wait(), 0) << "the window's program ended on the request";
  EXPECT_EQ(probe.CloseAndWait(), X11WindowProbe::CloseOutcome::kNoWindow);
  EXPECT_FALSE(probe.CloseVoiceModule());
}

TEST_F(WindowProbeTest, IgnoredCloseRequestEndsTheWaitAtTheLimit) {
  auto voice = Window({"--title", "BX Quarrow", "--ignore-close"});
  X11WindowProbe probe(display(), 600ms);
  const auto start = Clock::now();
  EXPECT_EQ(probe.CloseAndWait(), X11WindowProbe::CloseOutcome::kStillOpen);
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, 600ms);
  EXPECT_LT(waited, 1500ms);
  EXPECT_TRUE(probe.IsVoiceModuleRunning()) << "asked, never forced";
  EXPECT_TRUE(probe.CloseVoiceModule()) << "a window was asked, though it stayed";
}

TEST_F(WindowProbeTest, WithoutAServerNothingRunsAndNothingCloses) {
  const auto start = Clock::now();
  {
    test::ScopedEnv noDisplay("DISPLAY", std::nullopt);
    X11WindowProbe probe;
    EXPECT_FALSE(probe.IsSimulatorRunning());
    EXPECT_FALSE(probe.IsVoiceModuleRunning());
    EXPECT_FALSE(probe.CloseVoiceModule());
  }
  const std::string gone = display();
  server_->Stop();
  X11WindowProbe probe(gone);
  EXPECT_FALSE(probe.IsSimulatorRunning());
  EXPECT_FALSE(probe.IsVoiceModuleRunning());
  EXPECT_FALSE(probe.CloseVoiceModule());
  EXPECT_EQ(FindTopLevelWindowByTitle(gone, "BX Quarrow"), 0u);
  EXPECT_LT(Clock::now() - start, 2s);
}

// A window that vanishes between being listed and being asked about must
// not end the program; the caller's own X error handler comes back.
TEST_F(WindowProbeTest, WindowsVanishingDuringTheWalkAreNoFault) {
  // None of them matches, so every call walks all the windows there are.
  std::vector<std::unique_ptr<ChildProcess>> windows;
  for (int i = 0; i < 4; ++i) windows.push_back(Window({"--class", "Other", "--title", "Other", "--churn"}));
  const XErrorHandler mine = [](Display*, XErrorEvent*) { return 0; };
  const XErrorHandler before = XSetErrorHandler(mine);
  X11WindowProbe probe(display());
  int found = 0;
  for (const auto end = Clock::now() + 1s; Clock::now() < end;)
    found += probe.IsSimulatorRunning() + probe.IsVoiceModuleRunning();
  EXPECT_EQ(found, 0);
  EXPECT_EQ(XSetErrorHandler(before), mine);
  auto sim = Window({"--class", "FS98MAIN"});
  EXPECT_TRUE(probe.IsSimulatorRunning());
}

TEST_F(WindowProbeTest, ServerEndingDuringTheCloseWaitEndsTheWait) {
  auto voice = Window({"--title", "BX Quarrow", "--ignore-close"});
  const XIOErrorHandler mine = [](Display*) { return 0; };
  const XIOErrorHandler before = XSetIOErrorHandler(mine);
  X11WindowProbe probe(display(), 5s);
  std::thread stop([&] {
    std::this_thread::sleep_for(300ms);
    server_->Stop();
  });
  const auto start = Clock::now();
  probe.CloseVoiceModule();
  stop.join();
  EXPECT_LT(Clock::now() - start, 4s);
  EXPECT_EQ(XSetIOErrorHandler(before), mine);
}

}  // namespace
}  // namespace talvane::platform
