// The event log: JSON that any reader takes, and rotation at the limit.
#include <gtest/gtest.h>

#include "quarrowr/event_log.h"
#include "quarrowr_test_support.h"
#include "support/test_support.h"

namespace talvane::quarrowr {
namespace {

TEST(JsonStringTest, EscapesWhatJsonRequiresAndConvertsWindows1252) {
  EXPECT_EQ(JsonString("say \"on\"\\off"), "\"say \\\"on\\\"\\\\off\"");
  EXPECT_EQ(JsonString("a\nb\r\tc"), "\"a\\nb\\r\\tc\"");
  EXPECT_EQ(JsonString(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\\u007f\"");
  EXPECT_EQ(JsonString(std::string("\0x", 2)), "\"\\u0000x\"");
  // Windows-1252 bytes become UTF-8 characters, never raw high bytes.
  EXPECT_EQ(JsonString("caf\xe9 \x80"), "\"caf\xc3\xa9 \xe2\x82\xac\"");
  EXPECT_EQ(JsonString(""), "\"\"");
}

TEST(EventLogTest, WritesOneObjectPerLineWithTypedFields) {
  test::TempFolder f;
  {
    EventLog log(f / "quarrowr.log");
    log.Write("event", {{"name", "COM_RADIO_SET"}, {"data", 0x2150u}, {"sent", true}, {"step", -3}});
  }
  const auto lines = LogLines(f / "quarrowr.log");
  ASSERT_EQ(lines.size(), 1u);
  const std::string& l = lines[0];
  EXPECT_EQ(l.rfind("{\"time\":\"", 0), 0u);
  EXPECT_NE(l.find(",\"event\":\"event\",\"name\":\"COM_RADIO_SET\",\"data\":8528,\"sent\":true,\"step\":-3}"),
            std::string::npos)
      << l;
}

TEST(EventLogTest, AppendsToAnEarlierRunAndRotatesKeepingOnePreviousFile) {
  test::TempFolder f;
  const auto file = f / "quarrowr.log", previous = f / "quarrowr.log.1";
  test::WriteFile(file, std::string(150, 'x') + "\n");
  {
    EventLog log(file, 400);  // the earlier run's 151 bytes count
    const std::string text(100, 'a');
    log.Write("one", {{"text", text}});
    EXPECT_FALSE(std::filesystem::exists(previous));
    log.Write("two", {{"text", text}});
    ASSERT_TRUE(std::filesystem::exists(previous));
    EXPECT_EQ(LogLines(previous).size(), 2u);  // the earlier run's line and "one"
    EXPECT_TRUE(HasLine(LogLines(file), "two", "aaa"));
    log.Write("three", {{"text", text}});
    log.Write("four", {{"text", text}});
  }
  // Only one previous file: "two" and "three" moved there, "one" is gone.
  const auto old = LogLines(previous);
  ASSERT_EQ(old.size(), 2u);
  EXPECT_TRUE(HasLine(old, "two", ""));
  EXPECT_TRUE(HasLine(old, "three", ""));
  EXPECT_EQ(LogLines(file).size(), 1u);
  EXPECT_LE(std::filesystem::file_size(file), 400u);
}

TEST(EventLogTest, AnUnwritableFolderLosesLinesNotTheProgram) {
  test::TempFolder f;
  EventLog log(f / "missing" / "quarrowr.log");
  log.Write("recognition", {{"text", "|104"}});
  log.Flush();
  std::filesystem::create_directory(f / "missing");
  log.Write("recognition", {{"text", "|105"}});  // opened once it can be
  EXPECT_EQ(LogLines(f / "missing" / "quarrowr.log").size(), 1u);
}

}  // namespace
}  // namespace talvane::quarrowr
