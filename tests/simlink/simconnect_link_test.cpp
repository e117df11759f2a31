// Our client against our server over a real loopback socket, and the client
// against a peer that misbehaves.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "simlink/simconnect_client.h"
#include "simlink/simconnect_server.h"
#include "wire_bytes.h"

namespace talvane::simlink {
namespace {

using test::Dwords;
using test::Text256;

using namespace std::chrono_literals;

// A server polled on its own thread, recording what it is told.
class RunningServer {
 public:
  RunningServer() : server_("Demo simulator", Handlers()) {
    std::string error;
    if (!server_.Listen("127.0.0.1", 0, error)) ADD_FAILURE() << error;
    thread_ = std::thread([this] {
      while (!stop_) server_.Poll(5ms);
    });
  }
  ~RunningServer() { Stop(); }

  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  SimConnectServer& server() { return server_; }
  Endpoint endpoint() const { return {"127.0.0.1", server_.port()}; }

  std::vector<std::pair<std::string, std::uint32_t>> events() {
    std::lock_guard lock(mutex_);
    return events_;
  }
  std::vector<std::string> logs() {
    std::lock_guard lock(mutex_);
    return logs_;
  }

 private:
  ServerHandlers Handlers() {
    ServerHandlers h;
    h.on_event = [this](const std::string& name, std::uint32_t data) {
      std::lock_guard lock(mutex_);
      events_.emplace_back(name, data);
    };
    h.on_log = [this](const std::string& line) {
      std::lock_guard lock(mutex_);
      logs_.push_back(line);
    };
    return h;
  }

  std::mutex mutex_;
  std::vector<std::pair<std::string, std::uint32_t>> events_;
  std::vector<std::string> logs_;
  SimConnectServer server_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// What a client hands its caller.
struct Recorded {
  std::vector<std::string> titles;
  std::vector<std::string> exceptions;
  std::vector<std::string> closes;

  ClientHandlers Handlers() {
    ClientHandlers h;
    h.on_title = [this](const std::string& t) { titles.push_back(t); };
    h.on_exception = [this](const std::string& e, const std::string& r) { exceptions.push_back(e + ": " + r); };
    h.on_closed = [this](const std::string& why) { closes.push_back(why); };
    return h;
  }
};

// Polls the client until `done` holds or two seconds pass.
bool PollUntil(SimConnectClient& client, const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + 2s;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    client.Poll(5ms);
  }
  return true;
}

TEST(SimConnectLink, EventsArriveWithTheirDataAndAreMappedOnce) {
  RunningServer sim;
  Recorded seen;
  SimConnectClient client("Talvane voice module", seen.Handlers());
  ASSERT_TRUE(client.Connect(sim.endpoint(), 2s)) << client.close_reason();
  EXPECT_EQ(client.server().application_name, "Demo simulator");
  EXPECT_EQ(client.server().simconnect_version[2], 61259u);

  const std::vector<std::pair<std::string, std::uint32_t>> sent = {
      {"AP_ALT_VAR_SET_ENGLISH", 10000},                             // feet
      {"HEADING_BUG_SET", 270},                                      // degrees
      {"COM_RADIO_SET", 0x2150},                                     // 121.50 as BCD
      {"XPNDR_SET", 0x7700},                                         // squawk
      {"AP_VS_VAR_SET_ENGLISH", static_cast<std::uint32_t>(-1500)},  // negative vertical speed
      {"AP_ALT_VAR_SET_ENGLISH", 35000},                             // same event again: no second mapping
      {"GEAR_UP", 0},
  };
  ASSERT_TRUE(client.MapEvent("GEAR_UP"));
  for (const auto& [name, data] : sent) ASSERT_TRUE(client.Transmit(name, data));
  ASSERT_TRUE(PollUntil(client, [&] { return sim.events().size() == sent.size(); }));
  EXPECT_EQ(sim.events(), sent);
  EXPECT_EQ(sim.server().MappedEventNames(),
            (std::vector<std::string>{"AP_ALT_VAR_SET_ENGLISH", "AP_VS_VAR_SET_ENGLISH", "COM_RADIO_SET", "GEAR_UP",
                                      "HEADING_BUG_SET", "XPNDR_SET"}));
  EXPECT_TRUE(seen.exceptions.empty());
}

TEST(SimConnectLink, TheAircraftTitleIsDeliveredOnceOrWhenItChanges) {
  RunningServer sim;
  sim.server().SetTitle("Demo Trainer");
  Recorded seen;
  SimConnectClient client("Talvane", seen.Handlers());
  ASSERT_TRUE(client.Connect(sim.endpoint(), 2s));
  ASSERT_TRUE(client.RequestAircraftTitle());
  ASSERT_TRUE(PollUntil(client, [&] { return seen.titles.size() == 1; }));
  EXPECT_EQ(seen.titles[0], "Demo Trainer");

  ASSERT_TRUE(client.RequestAircraftTitle(true));
  ASSERT_TRUE(PollUntil(client, [&] { return seen.titles.size() == 2; }));
  sim.server().SetTitle("Demo Airliner");
  ASSERT_TRUE(PollUntil(client, [&] { return seen.titles.size() == 3; }));
  EXPECT_EQ(seen.titles[2], "Demo Airliner");
  EXPECT_TRUE(seen.exceptions.empty());
}

TEST(SimConnectLink, ARefusedEventComesBackNamed) {
  RunningServer sim;
  sim.server().SetKnownEvents({"GEAR_UP", "GEAR_DOWN"});
  Recorded seen;
  SimConnectClient client("Talvane", seen.Handlers());
  ASSERT_TRUE(client.Connect(sim.endpoint(), 2s));
  ASSERT_TRUE(client.Transmit("NO_SUCH_EVENT", 1));
  ASSERT_TRUE(PollUntil(client, [&] { return seen.exceptions.size() == 2; }));
  // The map is refused for its name, then the transmit for its unknown id.
  EXPECT_EQ(seen.exceptions[0], "NAME_UNRECOGNIZED: MapClientEventToSimEvent NO_SUCH_EVENT (parameter 2)");
  EXPECT_EQ(seen.exceptions[1], "UNRECOGNIZED_ID: TransmitClientEvent NO_SUCH_EVENT 1 (parameter 2)");
  EXPECT_TRUE(client.connected());
  ASSERT_TRUE(client.Transmit("GEAR_DOWN", 0));
  ASSERT_TRUE(PollUntil(client, [&] { return sim.events().size() == 1; }));
}

TEST(SimConnectLink, TheServerGoingAwayClosesTheLinkWithItsReason) {
  for (bool quit : {true, false}) {
    RunningServer sim;
    Recorded seen;
    SimConnectClient client("Talvane", seen.Handlers());
    ASSERT_TRUE(client.Connect(sim.endpoint(), 2s));
    ASSERT_TRUE(PollUntil(client, [&] { return sim.server().client_count() == 1; }));
    sim.Stop();
    sim.server().Shutdown(quit);
    ASSERT_TRUE(PollUntil(client, [&] { return !client.connected(); }));
    EXPECT_EQ(seen.closes,
              std::vector<std::string>{quit ? "the simulator quit" : "the simulator closed the connection"});
    EXPECT_FALSE(client.Transmit("GEAR_UP", 0));
    // Nothing listens any more: a new attempt fails and says so.
    EXPECT_FALSE(client.Connect(sim.endpoint(), 500ms));
    EXPECT_NE(client.close_reason().find("cannot connect"), std::string::npos) << client.close_reason();
  }
}

// A peer that answers the Open with `answer` (a proper reply unless told
// otherwise) and sends `after` once the client's next packet has come.
class RawSimulator {
 public:
  explicit RawSimulator(std::string after, std::string answer = EncodeServerMessage(OpenReply{"Raw"})) {
    std::string error;
    listener_ = ListenTcp("127.0.0.1", 0, error);
    thread_ = std::thread([this, after, answer] {
      SocketHandle peer;
      while (!peer.valid() && !stop_) {
        WaitReadable(listener_.get(), 5ms);
        peer = AcceptTcp(listener_.get());
      }
      std::string in, error;
      while (!stop_ && in.size() < 296) {
        WaitReadable(peer.get(), 5ms);
        ReadAvailable(peer.get(), in, error);
      }
      SendAll(peer.get(), answer, 1s, error);
      while (!stop_ && in.size() == 296) {
        WaitReadable(peer.get(), 5ms);
        ReadAvailable(peer.get(), in, error);
      }
      SendAll(peer.get(), after, 1s, error);
      while (!stop_) std::this_thread::sleep_for(5ms);
    });
  }
  ~RawSimulator() {
    stop_ = true;
    thread_.join();
  }
  Endpoint endpoint() const { return {"127.0.0.1", LocalPort(listener_.get())}; }

 private:
  SocketHandle listener_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST(SimConnectLink, GarbageFromTheSimulatorClosesTheLinkWithAClearReason) {
  const std::pair<std::string, std::string> cases[] = {
      {Dwords({5, 4, 2}), "bad packet from the simulator: packet size 5 is smaller than its 12-byte header"},
      {Dwords({0xFFFFFFF0, 4, 2}), "bad packet from the simulator: packet size 4294967280 is larger than the limit"},
      {Dwords({16, 4, 1, 0}), "bad packet from the simulator: Exception message of 4 payload bytes"},
      {EncodeServerMessage(SimObjectDataReply{1, 0, 1, 0, 1, 1, 1, "short"}),
       "bad packet from the simulator: the aircraft title holds 5 bytes instead of 256"},
  };
  for (const auto& [bytes, reason] : cases) {
    RawSimulator sim(bytes);
    Recorded seen;
    SimConnectClient client("Talvane", seen.Handlers());
    ASSERT_TRUE(client.Connect(sim.endpoint(), 2s)) << client.close_reason();
    ASSERT_TRUE(client.MapEvent("GEAR_UP"));
    ASSERT_TRUE(PollUntil(client, [&] { return !client.connected(); })) << reason;
    ASSERT_EQ(seen.closes.size(), 1u);
    EXPECT_EQ(seen.closes[0].substr(0, reason.size()), reason);
  }
}

TEST(SimConnectLink, ASilentSimulatorTimesOutTheOpen) {
  RawSimulator sim("", "");
  SimConnectClient client("Talvane");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(client.Connect(sim.endpoint(), 300ms));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_NE(client.close_reason().find("did not answer the open request"), std::string::npos);
}

TEST(SimConnectLink, ARefusedOpenEndsTheConnectAtOnce) {
  RawSimulator sim("", EncodeServerMessage(ExceptionReply{5, 1, 0}));
  SimConnectClient client("Talvane");
  EXPECT_FALSE(client.Connect(sim.endpoint(), 2s));
  EXPECT_EQ(client.close_reason(), "the simulator refused to open the link: VERSION_MISMATCH for Open");
}

TEST(SimConnectLink, ABadClientIsDroppedAndTheOthersStay) {
  RunningServer sim;
  SimConnectClient good("Talvane");
  ASSERT_TRUE(good.Connect(sim.endpoint(), 2s));

  std::string error;
  SocketHandle bad = ConnectTcp(sim.endpoint(), 1s, error);
  ASSERT_TRUE(bad.valid()) << error;
  // A transmit before any Open is refused with UNOPENED and the send id.
  TransmitEventRequest early;
  early.event_id = 1;
  ASSERT_TRUE(SendAll(bad.get(), EncodeClientMessage(early, 41), 1s, error));
  std::string in;
  while (in.size() < 24 && WaitReadable(bad.get(), 1s)) ReadAvailable(bad.get(), in, error);
  EXPECT_EQ(in, EncodeServerMessage(ExceptionReply{4, 41, 0}));
  // An unknown event id after Open is refused with the send id and the parameter's index.
  ASSERT_TRUE(SendAll(bad.get(), EncodeClientMessage(OpenRequest{"raw"}, 42), 1s, error));
  ASSERT_TRUE(SendAll(bad.get(), EncodeClientMessage(early, 43), 1s, error));
  in.clear();
  while (in.size() < 308 + 24 && WaitReadable(bad.get(), 1s)) ReadAvailable(bad.get(), in, error);
  ASSERT_EQ(in.size(), 308u + 24u);
  EXPECT_EQ(in.substr(308), EncodeServerMessage(ExceptionReply{3, 43, 2}));

  // Then garbage: that client goes, with the reason in the log.
  ASSERT_TRUE(SendAll(bad.get(), Dwords({8, 4, 0xF0000005, 1}), 1s, error));
  ASSERT_TRUE(PollUntil(good, [&] { return sim.server().client_count() == 1; }));
  bool logged = false;
  for (const auto& line : sim.logs())
    logged = logged || line.find("dropped: packet size 8 is smaller than its 16-byte header") != std::string::npos;
  EXPECT_TRUE(logged);

  ASSERT_TRUE(good.Transmit("PARKING_BRAKES", 1));
  ASSERT_TRUE(PollUntil(good, [&] { return sim.events().size() == 1; }));
  EXPECT_TRUE(good.connected());
}

}  // namespace
}  // namespace talvane::simlink
