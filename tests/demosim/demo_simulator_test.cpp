// The demo simulator without its window: a client of ours transmits events
// over a real socket and the state file and event log show them; the
// command line; where the server listens.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <atomic>
#include <thread>

#include "demo_options.h"
#include "demo_simulator.h"
#include "simlink/simconnect_client.h"
#include "support/test_support.h"

namespace talvane::demosim {
namespace {

using namespace std::chrono_literals;

QJsonObject ReadState(const fs::path& file) {
  QJsonParseError error{};
  const std::string text = test::ReadFile(file);
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << text;
  return doc.object();
}

// The simulator served on its own thread while the test plays the client.
class ServedSimulator {
 public:
  explicit ServedSimulator(const fs::path& state) : sim_("Demo Trainer \"Blue\"", state) {
    EXPECT_TRUE(sim_.Listen({"127.0.0.1", 0})) << sim_.link().message;
    thread_ = std::thread([this] {
      while (!stop_) sim_.Poll(5ms);
    });
  }
  ~ServedSimulator() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  DemoSimulator& sim() { return sim_; }
  simlink::Endpoint endpoint() const {
    const auto& e = sim_.link().endpoint;
    return {"127.0.0.1", static_cast<std::uint16_t>(std::stoi(e.substr(e.rfind(':') + 1)))};
  }

 private:
  DemoSimulator sim_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

template <typename Done>
bool PollUntil(simlink::SimConnectClient& client, Done done) {
  for (int i = 0; i < 400 && !done(); ++i) client.Poll(5ms);
  return done();
}

TEST(DemoSimulator, EventsFromAClientReachTheStateFileAndTheLog) {
  test::TempFolder dir;
  const fs::path state = dir / "fsx_state.json";
  ServedSimulator served(state);
  ASSERT_EQ(ReadState(state)["link"].toObject()["status"].toString(), "listening");

  std::vector<std::string> titles, exceptions;
  simlink::ClientHandlers h;
  h.on_title = [&](const std::string& t) { titles.push_back(t); };
  h.on_exception = [&](const std::string& e, const std::string& r) { exceptions.push_back(e + " " + r); };
  simlink::SimConnectClient client("Talvane voice module", h);
  ASSERT_TRUE(client.Connect(served.endpoint(), 2s)) << client.close_reason();
  EXPECT_EQ(client.server().application_name, kServerName);
  ASSERT_TRUE(client.RequestAircraftTitle());
  ASSERT_TRUE(PollUntil(client, [&] { return !titles.empty(); }));
  EXPECT_EQ(titles[0], "Demo Trainer \"Blue\"");

  ASSERT_TRUE(client.Transmit("AUTOPILOT_ON", 0));
  ASSERT_TRUE(client.Transmit("HEADING_BUG_SET", 270));
  ASSERT_TRUE(client.Transmit("COM_RADIO_SET", 0x2150));
  ASSERT_TRUE(client.Transmit("AP_VS_VAR_SET_ENGLISH", static_cast<std::uint32_t>(-1500)));
  ASSERT_TRUE(client.Transmit("XPNDR_SET", 0x7700));
  ASSERT_TRUE(client.Transmit("GEAR_UP", 0));
  ASSERT_TRUE(client.Transmit("COM_STBY_RADIO_SET", 0x2151));  // off the raster
  // An event the cockpit does not know is refused when it is mapped.
  ASSERT_TRUE(client.Transmit("NO_SUCH_EVENT", 1));
  ASSERT_TRUE(PollUntil(client, [&] { return exceptions.size() == 2; }));
  ASSERT_TRUE(PollUntil(client, [&] {
    return ReadState(state)["events_applied"].toInt() == 6 && test::ReadFile(dir / "fsx_events.log").find("0x00002151") != std::string::npos;
  }));
  EXPECT_NE(exceptions[0].find("NAME_UNRECOGNIZED"), std::string::npos) << exceptions[0];

  const QJsonObject json = ReadState(state);
  EXPECT_EQ(json["title"].toString(), "Demo Trainer \"Blue\"");
  const QJsonObject ap = json["autopilot"].toObject();
  EXPECT_TRUE(ap["master"].toBool());
  EXPECT_EQ(ap["heading"].toInt(), 270);
  EXPECT_EQ(ap["vertical_speed"].toInt(), -1500);
  EXPECT_EQ(json["com1"].toObject()["active"].toString(), "121.500");
  EXPECT_EQ(json["transponder"].toString(), "7700");
  EXPECT_FALSE(json["gear"].toObject()["down"].toBool());
  EXPECT_EQ(json["link"].toObject()["clients"].toInt(), 1);
  EXPECT_EQ(json["altimeter"].toObject()["inhg"].toDouble(), 29.92);

  const std::string log = test::ReadFile(dir / "fsx_events.log");
  EXPECT_NE(log.find("HEADING_BUG_SET 270 (0x0000010E) applied"), std::string::npos) << log;
  EXPECT_NE(log.find("COM_STBY_RADIO_SET 8529 (0x00002151) ignored: 0x2151 is not a COM frequency"), std::string::npos)
      << log;
  served.Stop();
  EXPECT_EQ(served.sim().last_event().rfind("COM_STBY_RADIO_SET", 0), 0u);
}

TEST(DemoSimulator, AStateFileThatCannotBeWrittenIsReported) {
  test::TempFolder dir;
  DemoSimulator sim("Demo", dir / "missing" / "state.json");
  sim.NoLink("no SimConnect.xml");
  EXPECT_NE(sim.write_error(), "");
  sim.Receive("GEAR_UP", 0);
  EXPECT_FALSE(sim.state().gear_down);  // the cockpit goes on all the same
}

TEST(DemoOptions, CommandLine) {
  DemoOptions o;
  std::string error;
  ASSERT_TRUE(ParseDemoOptions({}, o, error));
  EXPECT_EQ(o.title, "Cessna Skyhawk 172SP Paint1");
  EXPECT_FALSE(o.listen);

  ASSERT_TRUE(ParseDemoOptions({"--title", "Demo Jet", "--state", "/tmp/s.json", "--port", "0"}, o, error));
  EXPECT_EQ(o.title, "Demo Jet");
  EXPECT_EQ(o.state_file, "/tmp/s.json");
  ASSERT_TRUE(o.listen);
  EXPECT_EQ(o.listen->host, "127.0.0.1");
  EXPECT_EQ(o.listen->port, 0);
  ASSERT_TRUE(ParseDemoOptions({"--listen", "0.0.0.0:50600"}, o, error));
  EXPECT_EQ(o.listen->host, "0.0.0.0");
  EXPECT_EQ(o.listen->port, 50600);

  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"--port"}, {"--port", "65536"}, {"--port", "-1"}, {"--port", "12x"}, {"--listen", "50500"},
           {"--state", ""}, {"--colour", "red"}, {"fsx.cfg"}}) {
    DemoOptions p;
    EXPECT_FALSE(ParseDemoOptions(bad, p, error)) << bad[0];
    EXPECT_NE(error, "");
  }
}

TEST(DemoOptions, TheServerListensWhereTheUsersSimConnectXmlSays) {
  test::TempFolder dir;
  const fs::path prefix = dir / "wineprefix";
  const fs::path sim = prefix / "drive_c/Program Files/Microsoft Games/Microsoft Flight Simulator X";
  fs::create_directories(sim);

  // The prefix is the folder above the program that holds drive_c, unless
  // WINEPREFIX names one.
  EXPECT_EQ(FindWinePrefix("", sim), prefix);
  EXPECT_EQ(FindWinePrefix("/elsewhere", sim), fs::path("/elsewhere"));
  EXPECT_FALSE(FindWinePrefix("", dir.path()));

  DemoOptions o;
  simlink::Endpoint e;
  std::string error;
  EXPECT_FALSE(FindListenEndpoint(o, prefix, "pilot", e, error));
  EXPECT_NE(error.find("no SimConnect.xml"), std::string::npos) << error;
  EXPECT_FALSE(FindListenEndpoint(o, std::nullopt, "pilot", e, error));
  EXPECT_NE(error.find("no Wine prefix"), std::string::npos) << error;

  test::WriteFile(prefix / "drive_c/users/pilot/AppData/Roaming/Microsoft/FSX/SimConnect.xml",
                  "<?xml version=\"1.0\"?>\n<SimBase.Document Type=\"SimConnect\" version=\"1,0\">\n"
                  "  <SimConnect.Comm>\n    <Protocol>IPv4</Protocol>\n    <Scope>local</Scope>\n"
                  "    <Address>127.0.0.1</Address>\n    <Port>50500</Port>\n  </SimConnect.Comm>\n"
                  "</SimBase.Document>\n");
  ASSERT_TRUE(FindListenEndpoint(o, prefix, "pilot", e, error)) << error;
  EXPECT_EQ(e.host, "127.0.0.1");
  EXPECT_EQ(e.port, 50500);
  EXPECT_FALSE(FindListenEndpoint(o, prefix, "someone-else", e, error));

  // An override wins over the file.
  ASSERT_TRUE(ParseDemoOptions({"--port", "0"}, o, error));
  ASSERT_TRUE(FindListenEndpoint(o, prefix, "pilot", e, error));
  EXPECT_EQ(e.port, 0);
}

}  // namespace
}  // namespace talvane::demosim
