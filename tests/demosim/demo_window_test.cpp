// The built demo simulator on a private X server: the launcher's probe finds
// its window by the simulator's class, a client changes its state file, it
// still shows its window without a link, and the close message ends it.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <thread>

#include "platform/test_processes.h"
#include "platform/window_probe.h"
#include "simlink/simconnect_client.h"
#include "support/test_support.h"

namespace talvane::demosim {
namespace {

using namespace std::chrono_literals;

QJsonObject ReadState(const fs::path& file) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(test::ReadFile(file))).object();
}

class DemoWindowTest : public test::XServerTest {
 protected:
  std::unique_ptr<test::ChildProcess> Start(std::vector<std::string> args) {
    args.insert(args.begin(), TALVANE_DEMO_SIMULATOR);
    return std::make_unique<test::ChildProcess>(args, display(), true);
  }
  template <typename Done>
  static bool WaitFor(Done done, std::chrono::milliseconds limit = 15s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(50ms);
    return done();
  }

  test::TempFolder folder;
  test::ScopedEnv platform{"QT_QPA_PLATFORM", "xcb"};
};

TEST_F(DemoWindowTest, TheProbeFindsTheSimulatorAndClientsChangeItsState) {
  const fs::path state = folder / "state.json";
  auto sim = Start({"--port", "0", "--state", state.string(), "--title", "Demo Jet"});
  const auto line = sim->ReadLine(15s);
  ASSERT_TRUE(line && line->starts_with("listening on 127.0.0.1:")) << line.value_or("(no output)");
  platform::X11WindowProbe probe(display());
  ASSERT_TRUE(WaitFor([&] { return probe.IsSimulatorRunning(); })) << "no window of class FS98MAIN";
  EXPECT_FALSE(probe.IsVoiceModuleRunning());
  const unsigned long window = platform::FindTopLevelWindowByTitle(display(), "Demo Simulator - Demo Jet");
  EXPECT_NE(window, 0u);

  simlink::SimConnectClient client("test");
  const auto port = static_cast<std::uint16_t>(std::stoi(line->substr(line->rfind(':') + 1)));
  ASSERT_TRUE(client.Connect({"127.0.0.1", port}, 5s)) << client.close_reason();
  ASSERT_TRUE(client.Transmit("AP_ALT_VAR_SET_ENGLISH", 35000));
  ASSERT_TRUE(client.Transmit("TOGGLE_BEACON_LIGHTS", 0));
  ASSERT_TRUE(WaitFor([&] { return ReadState(state)["events_applied"].toInt() == 2; }));
  EXPECT_EQ(ReadState(state)["autopilot"].toObject()["altitude"].toInt(), 35000);
  EXPECT_TRUE(ReadState(state)["lights"].toObject()["beacon"].toBool());

  // The close message ends it, and its client hears that the simulator quits.
  ASSERT_TRUE(platform::SendCloseRequest(display(), window));
  EXPECT_EQ(sim->Wait(10s), 0);
  EXPECT_FALSE(client.Poll(1s));
  EXPECT_FALSE(probe.IsSimulatorRunning());
}

TEST_F(DemoWindowTest, WithoutSimConnectXmlTheWindowSaysSoAndStillAnswersTheProbe) {
  test::ScopedEnv prefix("WINEPREFIX", folder.path().string());
  const fs::path state = folder / "state.json";
  auto sim = Start({"--state", state.string()});
  const auto line = sim->ReadLine(15s);
  ASSERT_TRUE(line && line->starts_with("no link: no SimConnect.xml")) << line.value_or("(no output)");
  ASSERT_TRUE(WaitFor([&] { return platform::X11WindowProbe(display()).IsSimulatorRunning(); }));
  const QJsonObject json = ReadState(state);
  EXPECT_EQ(json["title"].toString(), "Cessna Skyhawk 172SP Paint1");
  EXPECT_EQ(json["link"].toObject()["endpoint"].toString(), "");
  EXPECT_TRUE(json["link"].toObject()["status"].toString().startsWith("no SimConnect.xml"));
  sim->Kill(SIGTERM);
  sim->Wait();
}

}  // namespace
}  // namespace talvane::demosim
