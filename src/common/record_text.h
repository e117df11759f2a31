// The readable text form of the binary data files: blocks of `key = value`
// fields under `[header]` lines, in UTF-8, values held as Windows-1252.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace talvane {

struct RecordField {
  std::string key;
  std::string raw;  // the value as written (UTF-8, outer spaces dropped)
  int line = 0;
};

struct RecordBlock {
  std::string header;  // inside the brackets, outer spaces dropped
  int line = 0;
  std::vector<RecordField> fields;
};

// Throws FormatError naming the line on a malformed line.
std::vector<RecordBlock> ParseRecordText(std::string_view utf8);

// A written value (plain or quoted) as Windows-1252 text; throws FormatError.
std::string DecodeRecordValue(std::string_view raw);
// The value written for a Windows-1252 text: plain where that reads back the
// same, quoted otherwise.
std::string EncodeRecordValue(std::string_view ansi);
// "key = value\n"
std::string RecordLine(std::string_view key, std::string_view ansi);

}  // namespace talvane
