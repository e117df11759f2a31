#include "inflight/command_plan.h"

#include <functional>

#include "common/binary.h"
#include "common/text.h"
#include "inflight/engine_text.h"
#include "inflight/spoken_values.h"

namespace talvane {

namespace {

constexpr std::size_t kLongestValue = 16;

// Shares the tags out among the lists from `list` on; false when they do not fit.
bool Share(const std::vector<std::string>& lists, std::size_t list, const std::vector<std::string>& tags,
           std::size_t from, std::vector<ListValue>& out) {
  if (list == lists.size()) return from == tags.size();
  const ValueList kind = *ListNamed(lists[list]);
  // A list without tags takes none; a list with tags takes at least one.
  const std::size_t least = CarriesTags(kind) ? from + 1 : from;
  const std::size_t most = CarriesTags(kind) ? tags.size() : from;
  std::size_t joined = 0;
  for (std::size_t end = least; end <= most; ++end) {
    // No value is longer than this: longer spans need not be tried.
    if (end > from && (joined += tags[end - 1].size()) > kLongestValue) break;
    const std::vector<std::string> taken(tags.begin() + static_cast<std::ptrdiff_t>(from),
                                         tags.begin() + static_cast<std::ptrdiff_t>(end));
    try {
      out.push_back(AssembleValue(lists[list], taken));
    } catch (const FormatError&) {
      continue;
    }
    for (const auto& t : taken) out.back().tags += (out.back().tags.empty() ? "" : " ") + t;
    if (Share(lists, list + 1, tags, end, out)) return true;
    out.pop_back();
  }
  return false;
}

}  // namespace

std::string ReadbackTurns::Next(const CommandRecord& command) {
  std::vector<std::string> said;
  for (const auto& r : command.readbacks)
    if (auto t = Trim(r.str()); !t.empty()) said.push_back(std::move(t));
  if (said.empty()) return "";
  std::size_t& turn = next_[command.commandValue];
  const std::string out = said[turn % said.size()];
  turn = (turn + 1) % said.size();
  return out;
}

std::vector<ListValue> CommandValues(const CommandRecord& command, const std::vector<std::string>& tags) {
  // A phrase naming more lists than this cannot be a command's.
  constexpr std::size_t kMaxLists = 8;
  std::string tried;
  for (const auto& phrase : command.grammars) {
    auto lists = ListsOfPhrase(phrase.str());
    std::erase_if(lists, [](const std::string& l) { return *ListNamed(l) == ValueList::kWordOn; });
    if (lists.size() > kMaxLists) continue;
    std::vector<ListValue> out;
    if (Share(lists, 0, tags, 0, out)) return out;
  }
  std::string text;
  for (const auto& t : tags) text += (text.empty() ? "" : " ") + t;
  throw FormatError("the values \"" + text + "\" do not fit the lists of " + Trim(command.commandName.str()));
}

CommandPlan PlanCommand(const CommandCatalogue& catalogue, const EventMap& events, ReadbackTurns& turns,
                        std::string_view engineText) {
  CommandPlan plan;
  EngineCommand heard;
  try {
    heard = ParseEngineText(engineText);
  } catch (const FormatError& e) {
    plan.unable = e.what();
    return plan;
  }
  plan.functionNumber = heard.functionNumber;
  for (std::size_t i = 0; i < catalogue.CommandList.size() && plan.command < 0; ++i)
    if (catalogue.CommandList[i].commandValue == heard.functionNumber) plan.command = static_cast<int>(i);
  if (plan.command < 0) {
    plan.unable = "no command has the function number " + std::to_string(heard.functionNumber);
    return plan;
  }
  const CommandRecord& command = catalogue.CommandList[static_cast<std::size_t>(plan.command)];
  plan.ruleName = Upper(Trim(command.ruleName.str()));

  std::vector<ListValue> values;
  try {
    values = CommandValues(command, heard.tags);
  } catch (const FormatError& e) {
    plan.unable = e.what();
    return plan;
  }
  for (const auto& v : values)
    if (v.list != ValueList::kWordOn) plan.values.push_back({v.grammarName, v.token, v.tags, v.text, SpokenValue(v)});

  const EventRule* rule = events.Find(plan.ruleName);
  if (!rule) {
    plan.unable = "no simulator event is mapped to " + plan.ruleName;
    return plan;
  }
  if (!rule->unable.empty()) {
    plan.unable = rule->unable;
    return plan;
  }
  plan.checklistSection = rule->checklistSection;

  // The first value with tags is the one the events carry.
  const ListValue* sent = nullptr;
  for (const auto& v : values)
    if (CarriesTags(v.list) && !sent) sent = &v;
  for (const auto& target : rule->events) {
    SimEvent e{target.event, 0};
    if (target.fixed) {
      e.data = *target.fixed;
    } else if (rule->encoding != ValueEncoding::kNone) {
      if (!sent) {
        plan.unable = "no value was heard for " + plan.ruleName;
        break;
      }
      const EncodedValue encoded = EncodeValue(rule->encoding, *sent);
      if (!encoded.unable.empty()) {
        plan.unable = encoded.unable;
        break;
      }
      e.data = encoded.data;
    }
    plan.events.push_back(std::move(e));
  }
  if (!plan.unable.empty()) {
    plan.events.clear();
    plan.checklistSection.reset();
    return plan;
  }
  plan.readback = FillReadback(turns.Next(command), values);
  return plan;
}

}  // namespace talvane
