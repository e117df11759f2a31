// Settings, command catalogue, checklists and assignments.
#include <algorithm>
#include <charconv>

#include "aircraft/assignments.h"
#include "aircraft/checklist.h"
#include "aircraft/checklist_text.h"
#include "catalogue/catalogue_text.h"
#include "catalogue/command_catalogue.h"
#include "catalogue/settings.h"
#include "common/text.h"
#include "tool.h"

namespace talvane::tool {

namespace {

std::string ReadTextArg(const std::string& file) {
  auto data = ReadWholeFile(file);
  if (!data) throw std::runtime_error("cannot read " + file);
  return *data;
}

// A readable file parsed, its errors named after the file.
template <class Parse>
auto ParseTextArg(const std::string& file, Parse parse) {
  try {
    return parse(ReadTextArg(file));
  } catch (const std::exception& e) {
    throw std::runtime_error(file + ": " + e.what());
  }
}

void WriteTextArg(const std::string& file, const std::string& text) {
  if (file == "-") {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return;
  }
  std::string error;
  if (!AtomicWriteFile(file, text, &error)) throw std::runtime_error(error);
}

// A file, or every *.txt file of a folder in name order.
std::vector<fs::path> Inputs(const std::string& arg) {
  std::vector<fs::path> files;
  if (FolderExists(arg)) {
    for (const auto& name : ListFolder(arg, false))
      if (name.size() > 4 && name.ends_with(".txt")) files.push_back(fs::path(arg) / name);
    std::sort(files.begin(), files.end());
  } else {
    files.push_back(arg);
  }
  return files;
}

void EnsureFolder(const Context& ctx, std::string_view relative) {
  std::error_code ec;
  fs::create_directories(ctx.File(relative), ec);
}

// The resave and export commands of a data file kept with a .bak copy: load
// it with its start-up loader, then save it again or write its readable form.
template <class Data>
int Resave(Invocation& inv, bool (*load)(Context&, Data&), int (*save)(Context&, const Data&)) {
  Data d;
  if (!load(inv.ctx, d)) return 1;
  return Status(inv, save(inv.ctx, d) == 0);
}

template <class Data>
int Export(Invocation& inv, bool (*load)(Context&, Data&), std::string (*text)(const Data&)) {
  Data d;
  if (!load(inv.ctx, d)) return 1;
  WriteTextArg(inv.args[0], text(d));
  return Status(inv, true);
}

int ChecklistLoadError(Invocation& inv, const std::string& name, const std::exception& e) {
  inv.ctx.Tell("Talvane Error",
               Paragraphs({"There was an error in loading the checklist file " + name + ".dat.", e.what(),
                           "Please press OK to continue..."}),
               kIconError);
  return 1;
}

int Settings_(Invocation& inv) {
  Settings s;
  if (!LoadSettings(inv.ctx, s)) return 1;
  Out("copilotVoice=" + ToDecimal(s.copilotVoice));
  Out("microphone=" + Utf8(s.microphone));
  Out("numLists=" + ToDecimal(s.numLists));
  Out("numChecklistResponse=" + ToDecimal(s.numChecklistResponse));
  Out("compileNavaids=" + ToDecimal(s.compileNavaids));
  Out("checklistBackups=" + ToDecimal(s.checklistBackups));
  Out("PathFSXConfig=" + Utf8(s.PathFSXConfig));
  for (std::size_t i = 0; i < s.GenericLists.size(); ++i) {
    const auto& l = s.GenericLists[i];
    const std::string p = "List." + std::to_string(i) + ".";
    Out(p + "name=" + Utf8(l.name));
    Out(p + "description=" + Utf8(l.description));
    Out(p + "keloExample=" + Utf8(l.keloExample));
  }
  for (std::size_t i = 0; i < s.ChecklistResponses.size(); ++i) {
    const auto& r = s.ChecklistResponses[i];
    const std::string p = "checklistResponse." + std::to_string(i) + ".";
    Out(p + "response=" + Utf8(r.response));
    Out(p + "functionNumber=" + ToDecimal(r.functionNumber));
  }
  return Status(inv, true);
}

int SetCopilotVoice(Invocation& inv) {
  int v = 0;
  const std::string& a = inv.args[0];
  auto [p, ec] = std::from_chars(a.data(), a.data() + a.size(), v);
  if (ec != std::errc() || p != a.data() + a.size() || v < -32768 || v > 32767)
    return UsageError("the copilot voice is a whole number");
  Settings s;
  if (!LoadSettings(inv.ctx, s)) return 1;
  s.copilotVoice = static_cast<std::int16_t>(v);
  SaveCopilotVoice(inv.ctx, s);
  return Status(inv, true);
}

int SetMicrophone(Invocation& inv) {
  Settings s;
  if (!LoadSettings(inv.ctx, s)) return 1;
  s.microphone = Utf8ToCp1252(inv.args[0]);
  SaveMicrophone(inv.ctx, s);
  return Status(inv, true);
}

int CatalogueResave(Invocation& inv) { return Resave(inv, LoadCommandList, SaveCommandList); }

int CatalogueExport(Invocation& inv) { return Export(inv, LoadCommandList, CatalogueToText); }

int CatalogueImport(Invocation& inv) {
  CommandCatalogue c;
  for (const auto& arg : inv.args)
    for (const auto& file : Inputs(arg)) {
      try {
        AppendCatalogueText(c, ReadTextArg(file));
      } catch (const std::exception& e) {
        throw std::runtime_error(file.string() + ": " + e.what());
      }
    }
  EnsureFolder(inv.ctx, "\\Data");
  return Status(inv, SaveCommandList(inv.ctx, c) == 0);
}

int ChecklistNames(Invocation& inv) {
  ChecklistModel m;
  LoadChecklistNames(inv.ctx, m);
  for (const auto& n : m.ChecklistNames) Out(Utf8(n));
  return Status(inv, true);
}

int ChecklistResave(Invocation& inv) {
  const std::string name = Utf8ToCp1252(inv.args[0]);
  ChecklistModel m;
  try {
    LoadChecklistFile(inv.ctx, m, name + ".dat");
  } catch (const std::exception& e) {
    return ChecklistLoadError(inv, name, e);
  }
  return Status(inv, WriteChecklistFile(inv.ctx, m.ChecklistSection, name) == 0);
}

int ChecklistExport(Invocation& inv) {
  const std::string name = Utf8ToCp1252(inv.args[0]);
  ChecklistModel m;
  try {
    LoadChecklistFile(inv.ctx, m, name + ".dat");
  } catch (const std::exception& e) {
    return ChecklistLoadError(inv, name, e);
  }
  WriteTextArg(inv.args[1], ChecklistToText(m.ChecklistSection));
  return Status(inv, true);
}

int ChecklistImport(Invocation& inv) {
  const ChecklistSections sections = ParseTextArg(inv.args[0], ChecklistFromText);
  EnsureFolder(inv.ctx, "\\Checklists");
  const std::string name = Utf8ToCp1252(inv.args[1]);
  if (WriteChecklistFile(inv.ctx, sections, name) != 0) {
    inv.ctx.Tell("Talvane Error",
                 Paragraphs({"There was an error in writing the checklist file " + name + ".dat.",
                             "Please press OK to continue..."}),
                 kIconError);
    return 1;
  }
  return Status(inv, true);
}

int Assignments(Invocation& inv) {
  AssignmentList a;
  if (!LoadChecklistAssignments(inv.ctx, a)) return 1;
  for (std::size_t i = 0; i < a.records.size(); ++i) {
    const auto& r = a.records[i];
    Out(std::to_string(i) + "\t" + Utf8(r.aircraftTitle.trimmed()) + "\t" + Utf8(r.checklistName.trimmed()) + "\t" +
        ToDecimal(r.writeToKneeboard));
  }
  return Status(inv, true);
}

int AssignmentsResave(Invocation& inv) { return Resave(inv, LoadChecklistAssignments, SaveChecklistAssignments); }

int AssignmentsExport(Invocation& inv) { return Export(inv, LoadChecklistAssignments, AssignmentsToText); }

int AssignmentsImport(Invocation& inv) {
  const AssignmentList a = ParseTextArg(inv.args[0], AssignmentsFromText);
  EnsureFolder(inv.ctx, "\\Data");
  return Status(inv, SaveChecklistAssignments(inv.ctx, a) == 0);
}

const Registrar kRegistrar({
    {"settings", "", "load the settings and print every value", 0, 0, Settings_},
    {"set-copilot-voice", "N", "save the copilot voice number", 1, 1, SetCopilotVoice},
    {"set-microphone", "TEXT", "save the microphone switch", 1, 1, SetMicrophone},
    {"catalogue-resave", "", "load and save Data/CommandList.dat (keeps a .bak)", 0, 0, CatalogueResave},
    {"catalogue-export", "FILE", "write the catalogue in its readable form (- for stdout)", 1, 1, CatalogueExport},
    {"catalogue-import", "FILE|FOLDER...", "save a readable catalogue as Data/CommandList.dat", 1, -1,
     CatalogueImport},
    {"checklist-names", "", "list the checklists of the Checklists folder", 0, 0, ChecklistNames},
    {"checklist-resave", "NAME", "load and save Checklists/NAME.dat", 1, 1, ChecklistResave},
    {"checklist-export", "NAME FILE", "write a checklist in its readable form", 2, 2, ChecklistExport},
    {"checklist-import", "FILE NAME", "save a readable checklist as Checklists/NAME.dat", 2, 2, ChecklistImport},
    {"assignments", "", "print the checklist assignments", 0, 0, Assignments},
    {"assignments-resave", "", "load and save Data/Checklist_Assignments.dat (keeps a .bak)", 0, 0,
     AssignmentsResave},
    {"assignments-export", "FILE", "write the assignments in their readable form", 1, 1, AssignmentsExport},
    {"assignments-import", "FILE", "save readable assignments as Data/Checklist_Assignments.dat", 1, 1,
     AssignmentsImport},
});

}  // namespace

}  // namespace talvane::tool
