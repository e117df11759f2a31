// The command catalogue file Data/CommandList.dat: reader, loader and writer.
#include "catalogue/command_catalogue.h"

#include "common/binary.h"
#include "common/text.h"

namespace talvane {

CommandCatalogue ParseCommandList(std::string_view bytes) {
  ByteReader r(bytes);
  CommandCatalogue c;
  const std::int16_t last = r.LastIndex();
  c.CommandList.reserve(static_cast<std::size_t>(last + 1));
  for (int i = 0; i <= last; ++i) {
    CommandRecord rec;
    rec.category = r.Text(32);
    rec.commandName = r.Text(128);
    rec.ruleName = r.Text(128);
    rec.commandText = r.Text(256);
    rec.commandValue = r.I16();
    const std::int16_t lastGrammar = r.LastIndex();
    const std::int16_t lastReadback = r.LastIndex();
    // Check the announced size before allocating for it.
    if (r.remaining() < 256u * static_cast<std::size_t>(lastGrammar + 1 + lastReadback + 1))
      throw FormatError("file ends before its phrases do");
    for (int g = 0; g <= lastGrammar; ++g) rec.grammars.emplace_back(r.Text(256));
    for (int b = 0; b <= lastReadback; ++b) rec.readbacks.emplace_back(r.Text(256));
    c.CommandList.push_back(std::move(rec));
  }
  return c;
}

bool LoadCommandList(Context& ctx, CommandCatalogue& c) {
  ctx.ui.SetSplashStatus("Loading Command List, standby...");
  std::optional<std::string> bytes = ReadWholeFile(ctx.File(kCommandListFile));
  try {
    if (!bytes) throw FormatError("missing");
    c = ParseCommandList(*bytes);
    return true;
  } catch (const std::exception&) {
    ctx.Tell("Talvane Error",
             Paragraphs({"There was an error in loading the CommandList.dat file.", "Please contact Brevantix Support",
                         "Please press OK to continue..."}),
             kIconError);
    ctx.ui.ExitProgram();
    return false;
  }
}

std::string SerializeCommandList(const CommandCatalogue& c) {
  ByteWriter w;
  w.LastIndex(c.CommandList.size());
  for (const CommandRecord& rec : c.CommandList) {
    w.Text(rec.category.str(), 32);
    w.Text(rec.commandName.str(), 128);
    w.Text(rec.ruleName.str(), 128);
    w.Text(rec.commandText.str(), 256);
    w.I16(rec.commandValue);
    w.LastIndex(rec.grammars.size());
    w.LastIndex(rec.readbacks.size());
    for (const auto& g : rec.grammars) w.Text(g.str(), 256);
    for (const auto& b : rec.readbacks) w.Text(b.str(), 256);
  }
  return w.take();
}

int SaveCommandList(Context& ctx, const CommandCatalogue& c) {
  std::string error;
  bool ok = false;
  try {
    ok = WriteWithBackup(ctx.File(kCommandListFile), ctx.File(kCommandListBackup), SerializeCommandList(c),
                         [&] { ctx.ui.ProcessEvents(); }, &error);
  } catch (const std::exception&) {
    ok = false;
  }
  if (ok) return 0;
  ctx.Tell("Talvane Error",
           Paragraphs({"There was an error in writing out the CommandList.dat file.", "Please contact Brevantix Support",
                       "Please press OK to continue..."}),
           kIconWarning);
  return 1;
}

}  // namespace talvane
