// Finding where the simulator listens, on configuration files as real
// installations leave them.
#include "simlink/simconnect_config.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace talvane::simlink {
namespace {

namespace fs = std::filesystem;

Endpoint Parsed(std::string_view text) {
  Endpoint e;
  std::string error;
  EXPECT_TRUE(ParseSimConnectXml(text, e, error)) << error;
  return e;
}

std::string Refused(std::string_view text) {
  Endpoint e;
  std::string error;
  EXPECT_FALSE(ParseSimConnectXml(text, e, error)) << text;
  return error;
}

TEST(SimConnectXml, TheFirstUsableIPv4EntryWinsDespiteTheFilesQuirks) {
  // A byte-order mark, CRLF, comments (one hiding an entry), attributes with
  // '>' inside, a pipe entry, a disabled IPv4 entry, an entry without a port,
  // lower-case values and padded text.
  const std::string text =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\r\n"
      "<SimBase.Document Type=\"SimConnect\" version=\"1,0\" note='a > b'>\r\n"
      "  <Descr>SimConnect Server Configuration</Descr>\r\n"
      "  <Filename>SimConnect.xml</Filename>\r\n"
      "  <Disabled>False</Disabled>\r\n"
      "  <!-- <SimConnect.Comm><Protocol>IPv4</Protocol><Address>1.1.1.1</Address><Port>1</Port></SimConnect.Comm> "
      "-->\r\n"
      "  <SimConnect.Comm><Protocol>Pipe</Protocol><Address>127.0.0.1</Address><Port>500</Port></SimConnect.Comm>\r\n"
      "  <SimConnect.Comm><Disabled>True</Disabled><Protocol>IPv4</Protocol><Address>10.0.0.2</Address>"
      "<Port>501</Port></SimConnect.Comm>\r\n"
      "  <SimConnect.Comm><Protocol>IPv4</Protocol><Address>10.0.0.3</Address></SimConnect.Comm>\r\n"
      "  <SimConnect.Comm>\r\n"
      "    <Disabled>False</Disabled>\r\n"
      "    <Protocol> ipv4 </Protocol>\r\n"
      "    <Scope>local</Scope>\r\n"
      "    <Address>192.168.1.20</Address>\r\n"
      "    <MaxClients>64</MaxClients>\r\n"
      "    <Port>\r\n      4506\r\n    </Port>\r\n"
      "    <MaxRecvSize>4096</MaxRecvSize>\r\n"
      "    <DisableNagle>False</DisableNagle>\r\n"
      "  </SimConnect.Comm>\r\n"
      "  <SimConnect.Comm><Protocol>IPv4</Protocol><Address>10.0.0.4</Address><Port>502</Port></SimConnect.Comm>\r\n"
      "</SimBase.Document>\r\n";
  const Endpoint e = Parsed(text);
  EXPECT_EQ(e.host, "192.168.1.20");
  EXPECT_EQ(e.port, 4506);
}

TEST(SimConnectXml, SmallerVariationsStillRead) {
  // Listening everywhere means a local client uses the loopback address.
  EXPECT_EQ(Parsed("<SimBase.Document><SimConnect.Comm><Protocol>IPv4</Protocol><Address>0.0.0.0</Address>"
                   "<Port>500</Port></SimConnect.Comm></SimBase.Document>")
                .host,
            "127.0.0.1");
  // UTF-16 with its byte-order mark, an end tag in another letter case, an
  // empty element, CDATA and character references.
  const std::string ascii =
      "<SimBase.Document><Empty/><SimConnect.Comm><protocol>IPv4</PROTOCOL><Address><![CDATA[127.0.0.1]]></Address>"
      "<Port>&#53;&#x30;1</Port></SimConnect.Comm></SimBase.Document>";
  std::string utf16 = "\xFF\xFE";
  for (char c : ascii) utf16 += std::string{c, '\0'};
  const Endpoint e = Parsed(utf16);
  EXPECT_EQ(e.host, "127.0.0.1");
  EXPECT_EQ(e.port, 501);
}

TEST(SimConnectXml, MalformedOrUnusableFilesSayWhy) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "no document element"},
      {"<SimBase.Document>\n<SimConnect.Comm>\n</SimBase.Document>",
       "line 3: end tag </SimBase.Document> does not close <SimConnect.Comm>"},
      {"<SimBase.Document><Port>1</Port>", "element <SimBase.Document> is never closed"},
      {"<SimBase.Document><!-- open comment", "comment never ends"},
      {"<SimBase.Document a=b></SimBase.Document>", "attribute value without quotes"},
      {"<SimBase.Document>&nbsp;</SimBase.Document>", "unknown entity &nbsp;"},
      {"<a></a><b></b>", "a second document element <b>"},
      {"junk<a></a>", "text outside the document element"},
      {"<SimBase.Document><Disabled>True</Disabled><SimConnect.Comm><Protocol>IPv4</Protocol>"
       "<Address>127.0.0.1</Address><Port>500</Port></SimConnect.Comm></SimBase.Document>",
       "add-on server is disabled"},
      {"<SimBase.Document><SimConnect.Comm><Protocol>Pipe</Protocol></SimConnect.Comm></SimBase.Document>",
       "no enabled SimConnect.Comm entry with Protocol IPv4"},
      {"<SimBase.Document><SimConnect.Comm><Protocol>IPv4</Protocol><Address>127.0.0.1</Address>"
       "<Port>70000</Port></SimConnect.Comm></SimBase.Document>",
       "port \"70000\" is not a port number"},
  };
  for (const auto& [text, reason] : cases) {
    const std::string error = Refused(text);
    EXPECT_NE(error.find(reason), std::string::npos) << "got: " << error << "\nwanted: " << reason;
  }
}

TEST(SimConnectSetting, HostAndPort) {
  Endpoint e;
  std::string error;
  ASSERT_TRUE(ParseEndpointSetting(" localhost:500 ", e, error));
  EXPECT_EQ(e.host, "localhost");
  EXPECT_EQ(e.port, 500);
  for (const char* bad : {"localhost", ":500", "host:", "host:0", "host:65536", "host:5x"})
    EXPECT_FALSE(ParseEndpointSetting(bad, e, error)) << bad;
}

TEST(SimConnectLocate, TheFileIsFoundInThePrefixWhateverItsCaseAndTheSettingWins) {
  test::TempFolder prefix;
  const fs::path folder = prefix.path() / "drive_c/users/pilot/Application Data/microsoft/fsx";
  fs::create_directories(folder);
  test::WriteFile(folder / "simconnect.XML",
                  "<SimBase.Document><SimConnect.Comm><Protocol>IPv4</Protocol><Address>127.0.0.1</Address>"
                  "<Port>4500</Port></SimConnect.Comm></SimBase.Document>");

  Endpoint e;
  std::string error;
  ASSERT_TRUE(LocateSimulator("", prefix.path(), "pilot", e, error)) << error;
  EXPECT_EQ(e.port, 4500);
  ASSERT_TRUE(LocateSimulator("10.1.1.1:600", prefix.path(), "pilot", e, error));
  EXPECT_EQ(e.host, "10.1.1.1");

  EXPECT_FALSE(LocateSimulator("", prefix.path(), "other", e, error));
  EXPECT_NE(error.find("no SimConnect.xml"), std::string::npos);
  EXPECT_FALSE(LocateSimulator("", prefix.path(), "../pilot", e, error));
  EXPECT_FALSE(LocateSimulator("nonsense", prefix.path(), "pilot", e, error));
  EXPECT_NE(error.find("setting"), std::string::npos);
}

}  // namespace
}  // namespace talvane::simlink
