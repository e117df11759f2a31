// Kneeboard checklist pages, their backups and their restore.
#include <unordered_map>

#include "kneeboard/kneeboard.h"
#include "catalogue/settings.h"
#include "common/files.h"
#include "common/text.h"
#include "grammar/grammar_script.h"
#include "grammar/phrase_expansion.h"

namespace talvane {

namespace {

constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kFont = "<font face=\"Arial, Helvetica, sans-serif\" size=\"2\">";
constexpr std::string_view kRule = "<hr width=\"400\" align=\"left\" color=\"#000000\" noshade size=\"1\">";
constexpr std::string_view kTable = "<table width=\"400\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\">";
constexpr std::string_view kPageStart = "<html>\r\n<head>\r\n<title>";
constexpr std::string_view kIntroduction =
    "Talvane Checklist and Speech Recognition Commands.  Full Talvane script below the checklist.</font><br>";
constexpr std::string_view kScriptIntroduction =
    "The following is broken into command categories and the associated commands.  Each command includes the "
    "script that you may speak to control Flight Simulator.  If you make changes to your grammar phrases using "
    "the Talvane interface, generate a new checklist to show the changes.</font><br>";
constexpr std::string_view kStandby = "Please standby...";
constexpr std::string_view kPressOk = "Please press OK to continue...";

std::string HeadingLine(std::string_view heading) {
  return std::string(kFont) + " <b>" + std::string(heading) + "</b><br>";
}

std::string Row(std::string_view left, std::string_view right) {
  return "<tr><td width=\"220\"><b><font size=\"2\">" + std::string(left) +
         "</font></b></td><td width=\"180\"><font size=\"2\">" + std::string(right) + "</font></td></tr>";
}

// A phrase as the page shows it: list names in square brackets.
std::string PhraseCell(const std::string& entry) {
  std::string text = Trim(entry);
  if (!text.empty()) text[0] = UpperChar(text[0]);
  for (char& c : text) {
    if (c == '<') c = '[';
    if (c == '>') c = ']';
  }
  return HtmlText(text);
}

// File-system messages carry native (UTF-8) paths; messages are Windows-1252.
std::string AnsiText(const std::string& s) { return IsValidUtf8(s) ? Utf8ToCp1252(s) : s; }

// The page as it is on disk now: the name of the configuration may differ in
// letter case from the file, which may also have appeared since discovery.
fs::path ResolvePage(const fs::path& page) {
  if (FileExists(page)) return page;
  if (auto found = FindCaseInsensitive(page.parent_path(), AnsiFromPath(page.filename()), false);
      found && FileExists(*found))
    return *found;
  return page;
}

std::optional<fs::path> FindBackup(const fs::path& page) {
  const fs::path backup = KneeboardBackupPath(page);
  if (FileExists(backup)) return backup;
  if (auto found = FindCaseInsensitive(backup.parent_path(), AnsiFromPath(backup.filename()), false);
      found && FileExists(*found))
    return found;
  return std::nullopt;
}

std::string PageKey(const fs::path& page) { return Upper(Trim(AnsiFromPath(page))); }

// The assignment records of the variations that share each page.
class PageGroups {
 public:
  explicit PageGroups(const AircraftTree& tree) {
    for (const auto& man : tree.manufacturers)
      for (const auto& type : man.types)
        for (const auto& v : type.variations)
          if (v.assignmentIndex >= 0) groups_[PageKey(v.kneeboardPage)].push_back(v.assignmentIndex);
  }
  void Mark(const fs::path& page, AssignmentList& assignments, std::int16_t written) const {
    auto it = groups_.find(PageKey(page));
    if (it == groups_.end()) return;
    for (std::int16_t i : it->second)
      if (static_cast<std::size_t>(i) < assignments.records.size())
        assignments.records[static_cast<std::size_t>(i)].writeToKneeboard = written;
  }

 private:
  std::unordered_map<std::string, std::vector<std::int16_t>> groups_;
};

const AssignmentRecord* RecordOf(const AssignmentList& assignments, const AircraftVariation& v) {
  if (v.assignmentIndex < 0 || static_cast<std::size_t>(v.assignmentIndex) >= assignments.records.size())
    return nullptr;
  return &assignments.records[static_cast<std::size_t>(v.assignmentIndex)];
}

int Fail(std::string* error, std::string why) {
  if (error) *error = AnsiText(why);
  return 1;
}

// The work of one write; the bulk operations rewrite the setting once at the end.
int WritePage(Context& ctx, const AircraftTree& tree, const AssignmentList& assignments, KneeboardSources& sources,
              int m, int t, int vi, bool saveSetting, std::string* error) {
  const AircraftVariation* v = tree.Variation(m, t, vi);
  if (!v) return Fail(error, "no such aircraft");
  const AssignmentRecord* rec = RecordOf(assignments, *v);
  if (!rec) return Fail(error, "the aircraft has no assignment record");
  const std::string name = rec->checklistName.trimmed();
  if (name.empty()) return Fail(error, "no checklist is assigned");

  if (!sources.script.built) {
    ctx.ui.ShowProgress("Creating Grammar Script",
                        Paragraphs({"Creating the complete grammar phrases script.", kStandby}));
    BuildGrammarScriptLines(ctx, sources.catalogue, sources.categories, sources.script);
    ctx.ui.HideProgress();
  }

  // The checklist comes first: a missing or damaged one must leave the
  // installed page alone.
  try {
    LoadChecklistFile(ctx, sources.checklist, name + ".dat");
  } catch (const ChecklistFileError& e) {
    return Fail(error, e.what());
  }

  const fs::path page = ResolvePage(v->kneeboardPage);
  if (!FindBackup(page) && FileExists(page)) {
    auto installed = ReadWholeFile(page);
    if (!installed) return Fail(error, "cannot read " + page.string());
    // A page of ours (its backup lost) is no original to keep.
    std::string why;
    if (!IsGeneratedKneeboardPage(*installed) && !AtomicWriteFile(KneeboardBackupPath(page), *installed, &why))
      return Fail(error, why);
  }

  std::string why;
  if (WriteKneeboardPage(ctx, page, name, sources.checklist.ChecklistSection, sources.script, &why) != 0)
    return Fail(error, why);
  if (saveSetting) SaveChecklistBackups(ctx, assignments);
  return 0;
}

int RestorePage(Context& ctx, const AircraftTree& tree, const AssignmentList& assignments, int m, int t, int vi,
                bool saveSetting, std::string* error) {
  const AircraftVariation* v = tree.Variation(m, t, vi);
  if (!v) return Fail(error, "no such aircraft");
  const fs::path page = ResolvePage(v->kneeboardPage);
  int rc = 0;
  std::string why;
  if (auto backup = FindBackup(page)) {
    // The backup goes only once the page holds its bytes.
    if (CopyFileAtomic(*backup, page, &why))
      DeleteFileUntilGone(*backup, [&] { ctx.ui.ProcessEvents(); });
    else
      rc = Fail(error, why);
  } else if (FileExists(page)) {
    // No backup: the aircraft had no page before ours.
    auto bytes = ReadWholeFile(page);
    if (bytes && IsGeneratedKneeboardPage(*bytes)) {
      DeleteFileUntilGone(page, [&] { ctx.ui.ProcessEvents(); });
      if (FileExists(page)) rc = Fail(error, "cannot delete " + page.string());
    }
  }
  if (saveSetting) SaveChecklistBackups(ctx, assignments);
  return rc;
}

template <typename F>
void ForEachVariation(const AircraftTree& tree, F f) {
  for (std::size_t m = 0; m < tree.manufacturers.size(); ++m) {
    const auto& man = tree.manufacturers[m];
    for (std::size_t t = 0; t < man.types.size(); ++t) {
      const auto& type = man.types[t];
      for (std::size_t v = 0; v < type.variations.size(); ++v)
        f(static_cast<int>(m), static_cast<int>(t), static_cast<int>(v), type.variations[v]);
    }
  }
}

std::size_t VariationCount(const AircraftTree& tree) {
  std::size_t n = 0;
  ForEachVariation(tree, [&](int, int, int, const AircraftVariation&) { ++n; });
  return n;
}

void ReportFailures(Context& ctx, std::string_view title, std::string_view first,
                    const std::vector<std::string>& failures) {
  if (failures.empty()) return;
  constexpr std::size_t kShown = 20;
  std::string list;
  for (std::size_t i = 0; i < failures.size() && i < kShown; ++i) {
    if (!list.empty()) list += kCR;
    list += failures[i];
  }
  if (failures.size() > kShown)
    list += std::string(1, kCR) + "... and " + ToDecimal(static_cast<long long>(failures.size() - kShown)) + " more";
  ctx.Tell(title, Paragraphs({first, list, kPressOk}), kIconWarning);
}

}  // namespace

std::string HtmlText(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

fs::path KneeboardBackupPath(const fs::path& page) {
  // Only the name is lower-cased: the folders are named as they are on disk.
  const std::string name = ReplaceNoCase(Lower(Trim(AnsiFromPath(page.filename()))), ".htm", ".ccb");
  return page.parent_path() / PathFromAnsi(name);
}

bool IsGeneratedKneeboardPage(std::string_view bytes) {
  if (!bytes.starts_with(kPageStart)) return false;
  // The introduction follows the title, whose name is at most 256 characters
  // (each escaped to 5 at most).
  const std::string_view head = bytes.substr(0, 4096);
  return head.find(std::string(kEol) + std::string(kIntroduction) + std::string(kEol)) != std::string_view::npos;
}

bool BuildGrammarScriptLines(Context& ctx, const CommandCatalogue& catalogue, const CategoryList& categories,
                             GrammarScriptLines& script) {
  script.lines.clear();
  script.built = true;
  auto& out = script.lines;
  std::string label;
  bool first = true;
  const bool listed = ListScript(
      ctx, catalogue, categories,
      {.category =
           [&](int c, const std::string& category) {
             out.emplace_back("<br>");
             out.emplace_back(kRule);
             out.push_back(HeadingLine(ToRoman(ToDecimal(c + 1)) + ".  " + HtmlText(category)));
             out.emplace_back("<br>");
             out.emplace_back(kTable);
           },
       .command =
           [&](int number, const CommandRecord& cmd) {
             label = ToDecimal(number) + ".  " + HtmlText(cmd.commandName.trimmed());
             first = true;
           },
       .phrase =
           [&](const std::string& entry) {
             out.push_back(Row(first ? label : std::string(), PhraseCell(entry)));
             first = false;
           },
       .commandEnd = {},
       .categoryEnd =
           [&] {
             out.emplace_back("</table>");
             out.emplace_back("</font>");
           }});
  // A phrase that cannot be expanded has been reported; close what is open
  // so the page stays whole.
  if (!listed) {
    out.emplace_back("</table>");
    out.emplace_back("</font>");
  }
  return listed;
}

std::string ComposeKneeboardPage(std::string_view checklistName, const ChecklistSections& sections,
                                 const std::vector<std::string>& scriptLines,
                                 const std::function<void(int section)>& sectionDone) {
  std::string page;
  auto line = [&page](std::string_view s) {
    page += s;
    page += kEol;
  };
  const std::string name = HtmlText(Trim(checklistName));
  line("<html>");
  line("<head>");
  line("<title>" + name + " Checklist</title>");
  line("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">");
  line("</head>");
  line("");
  line("<body bgcolor=\"#FFFFFF\" text=\"#000000\">");
  line("<b>" + std::string(kFont) + name + " Checklist</font></b>" + std::string(kFont) + "<br>");
  line("<br>");
  line(kIntroduction);
  for (int s = 0; s < kSectionCount; ++s) {
    const auto& section = sections[static_cast<std::size_t>(s)];
    if (!section.steps.empty()) {
      line("<br>");
      line(kRule);
      line(HeadingLine(kSectionKneeboardHeadings[static_cast<std::size_t>(s)]));
      line("<br>");
      line(kTable);
      for (const auto& step : section.steps)
        line(Row(HtmlText(step.challenge.trimmed()), HtmlText(step.responseText.trimmed())));
      line("</table>");
      line("</font>");
    }
    if (sectionDone) sectionDone(s);
  }
  line("<br>");
  line(kRule);
  line(HeadingLine("Grammar Script"));
  line("<br>");
  line(kScriptIntroduction);
  for (const auto& l : scriptLines) line(l);
  line("</body>");
  line("</html>");
  return page;
}

int WriteKneeboardPage(Context& ctx, const fs::path& page, std::string_view checklistName,
                       const ChecklistSections& sections, const GrammarScriptLines& script, std::string* error) {
  const std::string text = Paragraphs({"Writing Checklist", kStandby});
  ctx.ui.ShowProgress("Writing Checklist", text);
  const std::string bytes = ComposeKneeboardPage(checklistName, sections, script.lines, [&](int s) {
    ctx.ui.UpdateProgress(text, (s + 1) * 100.0 / kSectionCount);
  });
  const bool ok = AtomicWriteFile(page, bytes, error);
  ctx.ui.HideProgress();
  return ok ? 0 : 1;
}

int WriteKneeboardChecklist(Context& ctx, const AircraftTree& tree, const AssignmentList& assignments,
                            KneeboardSources& sources, int manufacturer, int type, int variation,
                            std::string* error) {
  return WritePage(ctx, tree, assignments, sources, manufacturer, type, variation, true, error);
}

int RestoreKneeboardChecklist(Context& ctx, const AircraftTree& tree, const AssignmentList& assignments,
                              int manufacturer, int type, int variation, std::string* error) {
  return RestorePage(ctx, tree, assignments, manufacturer, type, variation, true, error);
}

void MarkVariationsSharingPage(const AircraftTree& tree, AssignmentList& assignments, const fs::path& page,
                               std::int16_t written) {
  PageGroups(tree).Mark(page, assignments, written);
}

bool UpdateAllKneeboardChecklists(Context& ctx, const AircraftTree& tree, AssignmentList& assignments,
                                  KneeboardSources& sources, const std::function<void()>& refresh) {
  const PageGroups groups(tree);
  std::vector<std::string> failures;
  ForEachVariation(tree, [&](int m, int t, int vi, const AircraftVariation& v) {
    const AssignmentRecord* rec = RecordOf(assignments, v);
    if (!rec || rec->writeToKneeboard != 0 || rec->checklistName.trimmed().empty()) return;
    std::string why;
    if (WritePage(ctx, tree, assignments, sources, m, t, vi, false, &why) == 0)
      groups.Mark(v.kneeboardPage, assignments, 1);
    else
      failures.push_back(v.title.trimmed() + ": " + why);
  });
  SaveChecklistBackups(ctx, assignments);
  SaveChecklistAssignments(ctx, assignments);
  ReportFailures(ctx, "Kneeboard Checklists Not Written",
                 "Talvane could not write the kneeboard checklists of these aircraft; their pages are as they were:",
                 failures);
  ctx.Tell("Checklists Updated",
           Paragraphs({"All FSX aircraft kneeboard checklists have been updated and the originals have been backed up.",
                       kPressOk}),
           kIconInformation);
  if (refresh) refresh();
  return failures.empty();
}

bool RestoreAllKneeboardChecklists(Context& ctx, const AircraftTree& tree, AssignmentList& assignments) {
  const std::string text = Paragraphs({"Restoring all FSX aircraft checklists to their original state.", kStandby});
  ctx.ui.ShowProgress("Restoring Checklists", text);
  const double total = static_cast<double>(VariationCount(tree));
  std::size_t done = 0;
  std::vector<std::string> failures;
  ForEachVariation(tree, [&](int m, int t, int vi, const AircraftVariation& v) {
    ctx.ui.UpdateProgress(text, static_cast<double>(done++) * 100.0 / total);
    const AssignmentRecord* rec = RecordOf(assignments, v);
    if (!rec || rec->writeToKneeboard != 1) return;
    std::string why;
    if (RestorePage(ctx, tree, assignments, m, t, vi, false, &why) == 0)
      assignments.records[static_cast<std::size_t>(v.assignmentIndex)].writeToKneeboard = 0;
    else
      failures.push_back(v.title.trimmed() + ": " + why);
  });
  SaveChecklistBackups(ctx, assignments);
  SaveChecklistAssignments(ctx, assignments);
  ctx.ui.HideProgress();
  ReportFailures(ctx, "Kneeboard Checklists Not Restored",
                 "Talvane could not restore the kneeboard pages of these aircraft; their backups are kept for the "
                 "next restore:",
                 failures);
  ctx.Tell("Checklists Restored",
           Paragraphs({"All FSX aircraft kneeboard checklists have been restored to their original state.", kPressOk}),
           kIconInformation);
  return failures.empty();
}

int AssignChecklist(Context& ctx, const AircraftTree& tree, AssignmentList& assignments, KneeboardSources& sources,
                    const TreeSelection& selection, const std::optional<std::string>& checklistName,
                    bool writeNow) {
  if (!selection.IsVariation()) return 1;
  const AircraftVariation* v = tree.Variation(selection.manufacturer, selection.type, selection.variation);
  if (!v || !RecordOf(assignments, *v)) return 1;
  AssignmentRecord& rec = assignments.records[static_cast<std::size_t>(v->assignmentIndex)];
  std::string why;

  if (checklistName) {
    rec.checklistName = Trim(*checklistName);
    if (!writeNow) return 0;
    if (WriteKneeboardChecklist(ctx, tree, assignments, sources, selection.manufacturer, selection.type,
                                selection.variation, &why) == 0) {
      MarkVariationsSharingPage(tree, assignments, v->kneeboardPage, 1);
      return 0;
    }
    ctx.Tell("Kneeboard Checklist Not Written",
             Paragraphs({"Talvane could not write the kneeboard checklist of " + v->title.trimmed() +
                             "; its kneeboard page is as it was.",
                         why, kPressOk}),
             kIconWarning);
    return 1;
  }

  const std::int16_t was = rec.writeToKneeboard;
  rec.checklistName = "";
  rec.writeToKneeboard = 0;
  if (RestoreKneeboardChecklist(ctx, tree, assignments, selection.manufacturer, selection.type, selection.variation,
                                &why) == 0) {
    MarkVariationsSharingPage(tree, assignments, v->kneeboardPage, 0);
    return 0;
  }
  // The backup is still there: keep the flag so that a later restore retries.
  rec.writeToKneeboard = was;
  ctx.Tell("Kneeboard Checklist Not Restored",
           Paragraphs({"Talvane could not restore the kneeboard page of " + v->title.trimmed() +
                           "; its backup is kept.",
                       why, kPressOk}),
           kIconWarning);
  return 1;
}

}  // namespace talvane
