#include "catalogue/catalogue_text.h"

#include <charconv>

#include "common/binary.h"
#include "common/record_text.h"

namespace talvane {

namespace {

std::int16_t ParseInt16(const RecordField& f) {
  std::string v = DecodeRecordValue(f.raw);
  int n = 0;
  auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
  if (ec != std::errc() || p != v.data() + v.size() || n < -32768 || n > 32767)
    throw FormatError("line " + std::to_string(f.line) + ": `" + f.key + "` needs a whole number from -32768 to 32767");
  return static_cast<std::int16_t>(n);
}

}  // namespace

std::string CatalogueToText(const CommandCatalogue& c) {
  std::string out = "# Talvane command catalogue\n";
  for (const CommandRecord& r : c.CommandList) {
    out += "\n[command]\n";
    out += RecordLine("category", TrimRight(r.category.str()));
    out += RecordLine("name", TrimRight(r.commandName.str()));
    out += RecordLine("rule", TrimRight(r.ruleName.str()));
    out += RecordLine("value", ToDecimal(r.commandValue));
    out += RecordLine("text", TrimRight(r.commandText.str()));
    for (const auto& g : r.grammars) out += RecordLine("phrase", TrimRight(g.str()));
    for (const auto& b : r.readbacks) out += RecordLine("readback", TrimRight(b.str()));
  }
  return out;
}

void AppendCatalogueText(CommandCatalogue& c, std::string_view utf8) {
  for (const RecordBlock& b : ParseRecordText(utf8)) {
    if (b.header != "command")
      throw FormatError("line " + std::to_string(b.line) + ": expected [command], found [" + b.header + "]");
    CommandRecord r;
    for (const RecordField& f : b.fields) {
      if (f.key == "category") r.category = DecodeRecordValue(f.raw);
      else if (f.key == "name") r.commandName = DecodeRecordValue(f.raw);
      else if (f.key == "rule") r.ruleName = DecodeRecordValue(f.raw);
      else if (f.key == "text") r.commandText = DecodeRecordValue(f.raw);
      else if (f.key == "value") r.commandValue = ParseInt16(f);
      else if (f.key == "phrase") r.grammars.emplace_back(DecodeRecordValue(f.raw));
      else if (f.key == "readback") r.readbacks.emplace_back(DecodeRecordValue(f.raw));
      else throw FormatError("line " + std::to_string(f.line) + ": unknown field `" + f.key + "`");
    }
    c.CommandList.push_back(std::move(r));
  }
}

}  // namespace talvane
