// The module's two links to the rest of the system as quarrowr.exe wires
// them: the shipped catalogue and event mapping behind the command port, and
// the SimConnect client behind the simulator port, against our own server.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "catalogue/command_catalogue.h"
#include "common/files.h"
#include "inflight/event_map.h"
#include "quarrowr/catalogue_commands.h"
#include "quarrowr/simconnect_simulator.h"
#include "simlink/simconnect_server.h"
#include "support/test_support.h"

namespace talvane::quarrowr {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class ShippedCommands : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const fs::path program = TALVANE_PROGRAM_DIR;
    catalogue_ = new CommandCatalogue(ParseCommandList(*ReadWholeFile(program / "Data" / "CommandList.dat")));
    events_ = new EventMap(LoadEventMap(program / "Data" / "sim_events.txt"));
  }
  static void TearDownTestSuite() {
    delete catalogue_;
    delete events_;
  }
  static CommandCatalogue* catalogue_;
  static EventMap* events_;
};
CommandCatalogue* ShippedCommands::catalogue_ = nullptr;
EventMap* ShippedCommands::events_ = nullptr;

TEST_F(ShippedCommands, EveryKindOfPlan) {
  CatalogueCommands commands(*catalogue_, *events_);
  CommandPlan p = commands.Interpret("|100");
  EXPECT_EQ(p.kind, CommandPlan::Kind::kAct);
  EXPECT_EQ(p.command, "Autopilot On");
  ASSERT_EQ(p.events.size(), 1u);
  EXPECT_EQ(p.events[0].name, "AUTOPILOT_ON");
  EXPECT_FALSE(p.readback.empty());

  p = commands.Interpret("|200: 1 2 1 . 5 0 0");
  ASSERT_EQ(p.kind, CommandPlan::Kind::kAct) << p.reason;
  EXPECT_EQ(p.events[0].name, "COM_RADIO_SET");
  EXPECT_EQ(p.events[0].data, 0x2150u);
  ASSERT_EQ(p.values.size(), 1u);
  EXPECT_EQ(p.values[0].tags, "1 2 1 . 5 0 0");
  EXPECT_EQ(p.values[0].value, "121.500");
  EXPECT_EQ(p.values[0].spoken, "one two one decimal five");

  p = commands.Interpret("|1104");  // before takeoff
  EXPECT_EQ(p.kind, CommandPlan::Kind::kChecklist);
  EXPECT_EQ(p.checklistSection, 4);

  // Heard, but nothing to do: each says why instead of being dropped.
  p = commands.Interpret("|50001");
  EXPECT_EQ(p.kind, CommandPlan::Kind::kUnable);
  EXPECT_EQ(p.reason, "no checklist is running");
  EXPECT_EQ(p.readback, "No checklist is running");
  p = commands.Interpret("|31999");
  EXPECT_EQ(p.kind, CommandPlan::Kind::kUnable);
  EXPECT_NE(p.reason.find("31999"), std::string::npos);
  EXPECT_EQ(commands.Interpret("").kind, CommandPlan::Kind::kNothing);
  EXPECT_EQ(commands.Interpret("|0").kind, CommandPlan::Kind::kNothing);

  CatalogueCommands unmapped(*catalogue_, {}, "sim_events.txt:3: unknown encoding");
  p = unmapped.Interpret("|100");
  EXPECT_EQ(p.kind, CommandPlan::Kind::kUnable);
  EXPECT_EQ(p.reason, "sim_events.txt:3: unknown encoding");
}

// Our server on a free port, polled on a thread of its own.
class DemoServer {
 public:
  DemoServer() {
    server.SetTitle("Cessna Skyhawk 172SP Paint1");
    std::string error;
    EXPECT_TRUE(server.Listen("127.0.0.1", 0, error)) << error;
    thread = std::thread([this] {
      while (!stop) server.Poll(10ms);
    });
  }
  ~DemoServer() { Stop(); }
  void Stop() {
    stop = true;
    if (thread.joinable()) thread.join();
  }
  std::vector<std::pair<std::string, std::uint32_t>> Received() {
    std::lock_guard<std::mutex> lock(mutex);
    return received;
  }

  std::mutex mutex;
  std::vector<std::pair<std::string, std::uint32_t>> received;
  simlink::SimConnectServer server{"Demo", {[this](const std::string& name, std::uint32_t data) {
                                              std::lock_guard<std::mutex> lock(mutex);
                                              received.emplace_back(name, data);
                                            },
                                            {}}};
  std::atomic<bool> stop{false};
  std::thread thread;
};

SimConnectSimulator::Locate At(std::uint16_t port) {
  return [port](simlink::Endpoint& e, std::string&) {
    e = {"127.0.0.1", port};
    return true;
  };
}

TEST(SimConnectSimulator, MapsAheadSendsFollowsTheTitleAndSeesTheSimulatorGo) {
  DemoServer demo;
  std::vector<std::string> lines;
  SimConnectSimulator sim(At(demo.server.port()), {"AUTOPILOT_ON", "COM_RADIO_SET"},
                          [&](const std::string& l) { lines.push_back(l); });
  EXPECT_FALSE(sim.Connected());
  sim.Connect();
  ASSERT_TRUE(sim.Connected()) << sim.Status();
  EXPECT_NE(sim.Status().find("connected to 127.0.0.1:"), std::string::npos);
  EXPECT_EQ(sim.AircraftTitle(), "Cessna Skyhawk 172SP Paint1");
  for (int i = 0; i < 100 && demo.server.MappedEventNames().size() < 2; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(demo.server.MappedEventNames(), (std::vector<std::string>{"AUTOPILOT_ON", "COM_RADIO_SET"}));

  EXPECT_TRUE(sim.Transmit("COM_RADIO_SET", 0x2150));
  EXPECT_TRUE(sim.Transmit("AUTOPILOT_ON", 0));
  for (int i = 0; i < 100 && demo.Received().size() < 2; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(demo.Received(), (std::vector<std::pair<std::string, std::uint32_t>>{{"COM_RADIO_SET", 0x2150},
                                                                                  {"AUTOPILOT_ON", 0}}));

  // A new aircraft loaded in the simulator reaches the module.
  demo.server.SetTitle("Piper Cherokee 180");
  for (int i = 0; i < 100 && sim.AircraftTitle() != "Piper Cherokee 180"; ++i) {
    sim.Poll();
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(sim.AircraftTitle(), "Piper Cherokee 180");

  // The simulator quits: the link is down, the log says why, nothing is sent.
  demo.Stop();
  demo.server.Shutdown(true);
  for (int i = 0; i < 100 && sim.Connected(); ++i) {
    sim.Poll();
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_FALSE(sim.Connected());
  EXPECT_NE(sim.Status().find("closed"), std::string::npos);
  EXPECT_FALSE(lines.empty());
  EXPECT_FALSE(sim.Transmit("AUTOPILOT_ON", 0));
  EXPECT_EQ(sim.AircraftTitle(), std::nullopt);
}

TEST(SimConnectSimulator, NoAddressAndNoSimulatorAreSaid) {
  SimConnectSimulator nowhere(
      [](simlink::Endpoint&, std::string& why) {
        why = "no SimConnect.xml";
        return false;
      },
      {}, {});
  nowhere.Connect();
  EXPECT_FALSE(nowhere.Connected());
  EXPECT_EQ(nowhere.Status(), "no simulator address: no SimConnect.xml");

  std::uint16_t closed = 0;
  {
    simlink::SimConnectServer gone("Gone", {});
    std::string error;
    ASSERT_TRUE(gone.Listen("127.0.0.1", 0, error));
    closed = gone.port();
    gone.Shutdown(false);
  }
  SimConnectSimulator absent(At(closed), {}, {});
  absent.Connect();
  EXPECT_FALSE(absent.Connected());
  EXPECT_EQ(absent.Status().rfind("no simulator at 127.0.0.1:" + std::to_string(closed), 0), 0u) << absent.Status();
}

}  // namespace
}  // namespace talvane::quarrowr
