// Start-up readers of the navaid and ILS lists.
#include "grammar/navaid_lists.h"

#include <array>
#include <optional>

#include "common/binary.h"
#include "common/files.h"
#include "common/text.h"

namespace talvane {

namespace {

// Calls `record` with the first N fields of every line.
template <std::size_t N, typename F>
void ForEachLine(std::string_view bytes, F&& record) {
  std::size_t count = 0;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(pos, end - pos);
    pos = end;
    if (pos < bytes.size()) pos += (bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ? 2 : 1;

    if (line.empty()) throw FormatError("empty line");
    std::array<std::string_view, N> fields;
    std::size_t start = 0;
    for (std::size_t f = 0; f < N; ++f) {
      if (start > line.size()) throw FormatError("too few fields");
      std::size_t bar = line.find('|', start);
      if (bar == std::string_view::npos) bar = line.size();
      fields[f] = line.substr(start, bar - start);
      start = bar + 1;
    }
    if (++count > kMaxNavaidRecords) throw FormatError("too many records");
    record(fields);
  }
}

constexpr std::string_view kExitParagraphs[] = {"Talvane will not be able to load.", "Press OK to Exit."};

template <typename List, typename Parse>
bool LoadList(Context& ctx, const char* file, std::string_view status, std::string_view name, List& list,
              Parse parse) {
  ctx.ui.SetSplashStatus(std::string(status));
  try {
    std::optional<std::string> bytes;
    if (FileExists(ctx.File(file))) bytes = ReadWholeFile(ctx.File(file));
    if (!bytes) throw FormatError("missing or unreadable");
    list = parse(*bytes);
    return true;
  } catch (const std::exception&) {
    ctx.Tell("Talvane Fatal Error",
             Paragraphs({"There was an error in your " + std::string(name) + " file.", kExitParagraphs[0],
                         kExitParagraphs[1]}),
             kIconError);
    ctx.ui.ExitProgram();
    return false;
  }
}

}  // namespace

std::vector<NavaidRecord> ParseNavaidList(std::string_view bytes) {
  std::vector<NavaidRecord> out;
  ForEachLine<3>(bytes, [&](const auto& f) { out.push_back({std::string(f[0]), std::string(f[1]), std::string(f[2])}); });
  return out;
}

std::vector<ILSRecord> ParseILSList(std::string_view bytes) {
  std::vector<ILSRecord> out;
  ForEachLine<4>(bytes, [&](const auto& f) {
    out.push_back({std::string(f[0]), std::string(f[1]), std::string(f[2]), std::string(f[3])});
  });
  return out;
}

bool LoadNavaidList(Context& ctx, NavaidLists& lists) {
  return LoadList(ctx, kNavaidListFile, "Loading Navaid Information, standby...", "Nav_Info.txt", lists.NavaidList,
                  ParseNavaidList);
}

bool LoadILSList(Context& ctx, NavaidLists& lists) {
  return LoadList(ctx, kILSListFile, "Loading ILS Information, standby...", "ILS_Info.txt", lists.ILSList,
                  ParseILSList);
}

}  // namespace talvane
