#include "quarrowr/checklist_flow.h"

#include <algorithm>
#include <charconv>

#include "common/text.h"

namespace talvane::quarrowr {

namespace {

std::string SpokenChallenge(const ChecklistStep& step) {
  const std::string said = Trim(step.pronunciation.str());
  return said.empty() ? Trim(step.challenge.str()) : said;
}

}  // namespace

ChecklistLoader ChecklistFiles(Context& ctx) {
  return [&ctx](const std::string& name) {
    ChecklistModel model;
    LoadChecklistFile(ctx, model, name + ".dat");
    return model.ChecklistSection;
  };
}

std::optional<std::int32_t> ActionNumber(std::string_view engineText) {
  const std::string text = Trim(engineText);
  if (text.size() < 2 || text[0] != '|') return std::nullopt;
  std::int32_t n = 0;
  const char* end = text.data() + text.size();
  const auto [p, ec] = std::from_chars(text.data() + 1, end, n);
  if (ec != std::errc() || (p != end && *p != ':' && *p != ' ')) return std::nullopt;
  return n;
}

std::string ChecklistFlow::SpokenSection(int section) {
  if (section < 0 || section >= kSectionCount) return "the";
  return Lower(kSectionKneeboardHeadings[static_cast<std::size_t>(section)]);
}

std::vector<std::string> ChecklistFlow::StepRules(const ChecklistStep& step) const {
  // The grammar names each response's rule after the settings' word for its
  // function number, in capitals ("<ON AND CHECKED>").
  std::vector<std::string> rules;
  for (const auto& r : step.responses) {
    if (r.functionNumber == kResponseIgnore || r.functionNumber == kResponseSkip) continue;
    std::string word = Trim(r.response.str());
    for (const auto& known : responses_)
      if (known.functionNumber == r.functionNumber) word = Trim(known.response);
    const std::string rule = "<" + Upper(word) + ">";
    if (!word.empty() && std::find(rules.begin(), rules.end(), rule) == rules.end()) rules.push_back(rule);
  }
  return rules;
}

bool ChecklistFlow::IsResponse(std::int32_t number) const {
  if (number == kResponseIgnore || number == kResponseSkip) return true;
  return std::any_of(responses_.begin(), responses_.end(),
                     [number](const ChecklistResponse& r) { return r.functionNumber == number; });
}

FlowTurn ChecklistFlow::Challenge(FlowTurn::What what, std::string lead) {
  const ChecklistStep& step = steps_.steps[step_];
  FlowTurn t;
  t.what = what;
  t.say = lead.empty() ? SpokenChallenge(step) : lead + ". " + SpokenChallenge(step);
  t.responseRules = StepRules(step);
  t.listen = true;
  return t;
}

FlowTurn ChecklistFlow::Finish(FlowTurn::What what, std::string say) {
  running_ = false;
  FlowTurn t;
  t.what = what;
  t.say = std::move(say);
  return t;
}

FlowTurn ChecklistFlow::Begin(int section, const std::optional<std::string>& title) {
  running_ = false;
  const std::string name = SpokenSection(section);
  if (!title || Trim(*title).empty())
    return Finish(FlowTurn::What::kRefused, "Unable, the simulator did not say which aircraft is loaded");
  const std::string wanted = Trim(*title);
  const auto found = std::find_if(assignments_.records.begin(), assignments_.records.end(), [&](const auto& a) {
    return EqualsNoCase(Trim(a.aircraftTitle.str()), wanted) && !Trim(a.checklistName.str()).empty();
  });
  if (found == assignments_.records.end())
    return Finish(FlowTurn::What::kRefused, "There is no checklist assigned to the " + wanted);
  checklist_ = Trim(found->checklistName.str());
  try {
    steps_ = load_(checklist_).at(static_cast<std::size_t>(section));
  } catch (const std::exception&) {
    return Finish(FlowTurn::What::kRefused, "Unable, the " + checklist_ + " checklist cannot be read");
  }
  if (steps_.steps.empty())
    return Finish(FlowTurn::What::kRefused, "The " + name + " checklist has no items");
  section_ = section;
  step_ = 0;
  running_ = true;
  return Challenge(FlowTurn::What::kStarted, name + " checklist");
}

FlowTurn ChecklistFlow::Heard(std::string_view engineText) {
  if (!running_) return Finish(FlowTurn::What::kNotAResponse, {});
  const auto number = ActionNumber(engineText);
  if (!number || *number == 0) {
    FlowTurn t;
    t.what = FlowTurn::What::kNothingHeard;
    t.responseRules = StepRules(steps_.steps[step_]);
    return t;
  }
  if (!IsResponse(*number)) {
    FlowTurn t;
    t.what = FlowTurn::What::kNotAResponse;
    t.responseRules = StepRules(steps_.steps[step_]);
    return t;
  }
  FlowTurn t = Answered(*number);
  t.heard = ResponseWord(*number);
  return t;
}

FlowTurn ChecklistFlow::Answered(std::int32_t number) {
  if (number == kResponseIgnore) return Finish(FlowTurn::What::kIgnored, SpokenSection(section_) + " checklist ended");
  const auto& valid = steps_.steps[step_].responses;
  const bool ok = number == kResponseSkip || std::any_of(valid.begin(), valid.end(), [&](const StepResponse& r) {
                    return r.functionNumber == number;
                  });
  if (!ok) return Challenge(FlowTurn::What::kInvalid);
  if (++step_ >= steps_.steps.size())
    return Finish(FlowTurn::What::kComplete, SpokenSection(section_) + " checklist complete");
  return Challenge(FlowTurn::What::kNext);
}

std::string ChecklistFlow::ResponseWord(std::int32_t number) const {
  if (number == kResponseIgnore) return "Ignore";
  if (number == kResponseSkip) return "Skip";
  for (const auto& r : responses_)
    if (r.functionNumber == number) return Trim(r.response);
  return "|" + std::to_string(number);
}

std::string ChecklistFlow::Progress() const {
  if (!running_) return {};
  const auto& step = steps_.steps[step_];
  return std::string(kSectionEditorNames[static_cast<std::size_t>(section_)]) + " checklist, step " +
         std::to_string(step_ + 1) + " of " + std::to_string(steps_.steps.size()) + ": " + Trim(step.challenge.str());
}

}  // namespace talvane::quarrowr
