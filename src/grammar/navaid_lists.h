// The navaid list and the ILS list shipped in Data: the words that name a
// station (identifier, name) or an ILS approach (runway and airport), with
// the text the in-flight voice module receives in the action tag.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/context.h"

namespace talvane {

// Texts are kept as read, untrimmed; the grammar writers trim them.
struct NavaidRecord {
  std::string navId;
  std::string navName;
  std::string navTag;
  bool operator==(const NavaidRecord&) const = default;
};

struct ILSRecord {
  std::string airportId;
  std::string runway;
  std::string ilsTagA;
  std::string ilsTagB;
  bool operator==(const ILSRecord&) const = default;
};

struct NavaidLists {
  std::vector<NavaidRecord> NavaidList;  // 0..LastNavaidIndex
  std::vector<ILSRecord> ILSList;        // 0..LastILSIndex
  std::int16_t LastNavaidIndex() const { return static_cast<std::int16_t>(NavaidList.size() - 1); }
  std::int16_t LastILSIndex() const { return static_cast<std::int16_t>(ILSList.size() - 1); }
};

inline constexpr const char* kNavaidListFile = "\\Data\\Nav_Info.txt";
inline constexpr const char* kILSListFile = "\\Data\\ILS_Info.txt";

// The last index is 16-bit, so a list holds at most this many records.
inline constexpr std::size_t kMaxNavaidRecords = 32768;

// One record per line, fields separated by '|'; the first three (four)
// fields are taken, further ones ignored. Lines end with CR LF (a lone LF or
// CR is accepted too). Throws FormatError on an empty line, a line with too
// few fields, or more records than the 16-bit index can count.
std::vector<NavaidRecord> ParseNavaidList(std::string_view bytes);
std::vector<ILSRecord> ParseILSList(std::string_view bytes);

// Start-up loaders. On a missing or broken file they show the fatal message,
// end the program and return false; the list is then left unchanged.
bool LoadNavaidList(Context& ctx, NavaidLists& lists);
bool LoadILSList(Context& ctx, NavaidLists& lists);

}  // namespace talvane
