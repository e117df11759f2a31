// Checklist files and the checklist model of the editor.
#include "aircraft/checklist.h"

#include "common/binary.h"
#include "common/text.h"

namespace talvane {

const std::array<const char*, kSectionCount> kSectionEditorNames = {
    "Preflight",      "Pushback",    "Start Engines and Before Taxi", "Runup",
    "Before Takeoff", "After Takeoff Climb", "Cruise",                "Descent",
    "Approach",       "Landing",     "After Landing",                 "Engine Shutdown Secure Aircraft"};

const std::array<const char*, kSectionCount> kSectionKneeboardHeadings = {
    "Preflight",      "Pushback",    "Start Engines and Before Taxi", "Runup",
    "Before Takeoff", "After Takeoff Climb", "Cruise",                "Descent",
    "Approach",       "Landing",     "After Landing",                 "Engine Shutdown and Secure Aircraft"};

namespace {

StepResponse Response(std::string_view text, std::int32_t number) {
  StepResponse r;
  r.response = text;
  r.functionNumber = number;
  return r;
}

}  // namespace

ChecklistStep NewChecklistStep() {
  ChecklistStep s;
  s.challenge = "New Item";
  s.pronunciation = "New Item";
  s.responseText = "Set";
  s.responses = {Response("Ignore", kResponseIgnore), Response("Skip", kResponseSkip), Response("SET", 50002)};
  return s;
}

std::string SerializeChecklist(const ChecklistSections& sections) {
  ByteWriter w;
  for (const auto& sec : sections) w.LastIndex(sec.steps.size());
  for (const auto& sec : sections) {
    for (const auto& step : sec.steps) {
      w.Text(step.challenge.str(), 256);
      w.Text(step.pronunciation.str(), 256);
      w.Text(step.responseText.str(), 128);
      w.LastIndex(step.responses.size());
      for (const auto& r : step.responses) {
        w.Text(r.response.str(), 128);
        w.I32(r.functionNumber);
      }
    }
  }
  return w.take();
}

ChecklistSections ParseChecklist(std::string_view bytes) {
  ByteReader r(bytes);
  std::array<std::int16_t, kSectionCount> counts{};
  for (auto& c : counts) c = r.LastIndex();
  ChecklistSections sections;
  for (int s = 0; s < kSectionCount; ++s) {
    const int steps = counts[static_cast<std::size_t>(s)] + 1;
    if (r.remaining() < 642u * static_cast<std::size_t>(steps)) throw FormatError("file ends before its steps do");
    auto& sec = sections[static_cast<std::size_t>(s)];
    sec.steps.reserve(static_cast<std::size_t>(steps));
    for (int i = 0; i < steps; ++i) {
      ChecklistStep step;
      step.challenge = r.Text(256);
      step.pronunciation = r.Text(256);
      step.responseText = r.Text(128);
      const int responses = r.LastIndex() + 1;
      if (r.remaining() < 132u * static_cast<std::size_t>(responses))
        throw FormatError("file ends before its responses do");
      step.responses.reserve(static_cast<std::size_t>(responses));
      for (int k = 0; k < responses; ++k) {
        StepResponse resp;
        resp.response = r.Text(128);
        resp.functionNumber = r.I32();
        step.responses.push_back(std::move(resp));
      }
      sec.steps.push_back(std::move(step));
    }
  }
  return sections;
}

void LoadChecklistNames(Context& ctx, ChecklistModel& m) {
  ctx.ui.SetSplashStatus("Loading Checklist Files, standby...");
  m.ChecklistNames.clear();
  for (const std::string& native : ListFolder(ctx.File("\\Checklists"), false)) {
    const std::string name = AnsiFromPath(fs::path(native));
    if (name.size() < 4 || !EqualsNoCase(std::string_view(name).substr(name.size() - 4), ".dat")) continue;
    m.ChecklistNames.push_back(Trim(ReplaceNoCase(name, ".dat", "")));
  }
}

void LoadChecklistFile(Context& ctx, ChecklistModel& m, std::string_view fileName) {
  const std::string name = Trim(fileName);
  // A name typed by the user or stored in a record must stay inside the folder.
  if (!IsPlainFileName(name)) throw ChecklistFileError("not a checklist file name: " + name);
  auto path = FindCaseInsensitive(ctx.File("\\Checklists"), name, false);
  if (!path) throw ChecklistFileError("checklist file not found: " + name);
  auto bytes = ReadWholeFile(*path);
  if (!bytes) throw ChecklistFileError("cannot read checklist file: " + name);
  try {
    m.ChecklistSection = ParseChecklist(*bytes);
  } catch (const FormatError& e) {
    throw ChecklistFileError("checklist file " + name + " is damaged: " + e.what());
  }
}

int StoreEditedStep(ChecklistModel& m, const EditedStep& fields) {
  if (m.CurrentSectionIndex < 0 || m.CurrentSectionIndex >= kSectionCount) return 1;
  auto& sec = m.ChecklistSection[static_cast<std::size_t>(m.CurrentSectionIndex)];
  if (sec.steps.empty()) return 0;
  if (m.CurrentStepIndex < 0 || static_cast<std::size_t>(m.CurrentStepIndex) >= sec.steps.size()) return 1;
  auto& step = sec.steps[static_cast<std::size_t>(m.CurrentStepIndex)];
  step.challenge = Trim(fields.challenge);
  step.pronunciation = Trim(fields.pronunciation);
  step.responseText = Trim(fields.responseText);
  step.responses = {Response("Ignore", kResponseIgnore), Response("Skip", kResponseSkip)};
  for (const auto& e : fields.validResponses)
    if (e.selected) step.responses.push_back(Response(e.text, e.functionNumber));
  if (step.responses.size() > 32768) return 1;
  return 0;
}

int WriteChecklistFile(Context& ctx, const ChecklistSections& sections, std::string_view name) {
  const std::string file = Trim(name) + ".dat";
  if (!IsPlainFileName(Trim(name))) return 1;
  try {
    return AtomicWriteFile(ctx.File("\\Checklists\\" + file), SerializeChecklist(sections)) ? 0 : 1;
  } catch (const std::exception&) {
    return 1;
  }
}

int SaveChecklistFile(Context& ctx, ChecklistModel& m, const EditedStep& fields) {
  if (StoreEditedStep(m, fields) != 0) return 1;
  return WriteChecklistFile(ctx, m.ChecklistSection, m.CurrentChecklistName);
}

}  // namespace talvane
