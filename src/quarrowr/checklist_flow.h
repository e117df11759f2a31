// A checklist section run in flight: the aircraft's title -> its assigned
// checklist -> the section; the copilot speaks each challenge, only that
// step's responses are switched on, and a valid response moves on. "Skip"
// moves on, "Ignore" ends the checklist, an invalid response repeats the
// challenge. The flow only decides; the voice module speaks, switches the
// rules and listens as each turn says.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "aircraft/assignments.h"
#include "aircraft/checklist.h"
#include "catalogue/settings.h"
#include "common/context.h"

namespace talvane::quarrowr {

// What the module does after a start or a recognition.
struct FlowTurn {
  enum class What {
    kStarted,      // the first challenge
    kNext,         // a valid response or Skip: the next challenge
    kInvalid,      // a response this step does not take: the challenge again
    kNothingHeard, // stays on the step; the next press of the switch listens
    kNotAResponse, // a command, not a checklist response: the module acts on it
    kComplete,     // the last step is done
    kIgnored,      // "Ignore": the checklist ends here
    kRefused,      // no title, no assignment, unreadable file or no steps
  };
  What what = What::kRefused;
  std::string say;                         // Windows-1252; empty: nothing
  std::string heard;                       // the response as a word ("CHECKED", "Skip"), for the window
  std::vector<std::string> responseRules;  // switched on while listening; empty: all off
  bool listen = false;                     // listen for the response at once
};

// The sections of checklist `name` (Checklists/<name>.dat); throws
// ChecklistFileError.
using ChecklistLoader = std::function<ChecklistSections(const std::string& name)>;
ChecklistLoader ChecklistFiles(Context& ctx);

// The function number of an engine text's action tag ("|50004" -> 50004),
// or nullopt when it has none.
std::optional<std::int32_t> ActionNumber(std::string_view engineText);

class ChecklistFlow {
 public:
  ChecklistFlow(const AssignmentList& assignments, const std::vector<ChecklistResponse>& responses,
                ChecklistLoader load)
      : assignments_(assignments), responses_(responses), load_(std::move(load)) {}

  // Starts section `section` (0 to 11) of the checklist assigned to `title`
  // (nullopt: the simulator did not say).
  FlowTurn Begin(int section, const std::optional<std::string>& title);
  // A recognition's command text while the checklist runs ("" when nothing
  // was recognised).
  FlowTurn Heard(std::string_view engineText);
  void Stop() { running_ = false; }

  bool Running() const { return running_; }
  // "Before Takeoff checklist, step 3 of 9: Flaps", or empty when none runs.
  std::string Progress() const;
  // The section's name as it is spoken ("before takeoff").
  static std::string SpokenSection(int section);

 private:
  FlowTurn Challenge(FlowTurn::What what, std::string lead = {});
  FlowTurn Finish(FlowTurn::What what, std::string say);
  FlowTurn Answered(std::int32_t number);  // a response (Skip and Ignore included) to the current step
  std::string ResponseWord(std::int32_t number) const;
  std::vector<std::string> StepRules(const ChecklistStep& step) const;
  bool IsResponse(std::int32_t number) const;

  const AssignmentList& assignments_;
  const std::vector<ChecklistResponse>& responses_;
  ChecklistLoader load_;
  bool running_ = false;
  int section_ = 0;
  std::size_t step_ = 0;
  std::string checklist_;
  ChecklistSection steps_;
};

}  // namespace talvane::quarrowr
