// Checklist files and the model of the one checklist that is open.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/context.h"
#include "common/fixed_text.h"

namespace talvane {

inline constexpr int kSectionCount = 12;
inline constexpr std::int32_t kResponseIgnore = 50000;
inline constexpr std::int32_t kResponseSkip = 50001;

// Section names of the editor and the headings of the kneeboard page.
extern const std::array<const char*, kSectionCount> kSectionEditorNames;
extern const std::array<const char*, kSectionCount> kSectionKneeboardHeadings;

struct StepResponse {
  FixedText<128> response;
  std::int32_t functionNumber = 0;
  bool operator==(const StepResponse&) const = default;
};

struct ChecklistStep {
  FixedText<256> challenge;
  FixedText<256> pronunciation;
  FixedText<128> responseText;
  std::vector<StepResponse> responses;  // 0..lastResponse
  std::int16_t lastResponse() const { return static_cast<std::int16_t>(responses.size() - 1); }
  bool operator==(const ChecklistStep&) const = default;
};

struct ChecklistSection {
  std::vector<ChecklistStep> steps;  // 0..lastStep
  std::int16_t lastStep() const { return static_cast<std::int16_t>(steps.size() - 1); }
  bool operator==(const ChecklistSection&) const = default;
};

using ChecklistSections = std::array<ChecklistSection, kSectionCount>;

// The open checklist and the editor's position in it.
struct ChecklistModel {
  ChecklistSections ChecklistSection;
  std::string CurrentChecklistName;
  std::int16_t CurrentSectionIndex = 0;
  std::int16_t CurrentPage = 0;
  std::int16_t LastPage = 0;
  std::int16_t CurrentStepIndex = 0;
  // One name per file of the Checklists folder, in listing order.
  std::vector<std::string> ChecklistNames;
};

// The editor's fields that are stored into the step being edited.
struct EditedStep {
  std::string challenge;
  std::string pronunciation;
  std::string responseText;
  struct Entry {
    std::string text;
    std::int32_t functionNumber = 0;
    bool selected = false;
  };
  std::vector<Entry> validResponses;  // in list order
};

// A new step as the editor's insert action creates it.
ChecklistStep NewChecklistStep();

// The file image and back; ParseChecklist throws FormatError.
std::string SerializeChecklist(const ChecklistSections& sections);
ChecklistSections ParseChecklist(std::string_view bytes);

// Raised when a checklist file cannot be opened or read.
class ChecklistFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

void LoadChecklistNames(Context& ctx, ChecklistModel& m);
// Loads Checklists/<fileName trimmed> into the model; throws
// ChecklistFileError (and leaves the model as it was) when the file is
// missing, unreadable or corrupt.
void LoadChecklistFile(Context& ctx, ChecklistModel& m, std::string_view fileName);
// 0 when stored, 1 on error.
int StoreEditedStep(ChecklistModel& m, const EditedStep& fields);
// Stores the edited step, then writes the checklist file; 0 or 1.
int SaveChecklistFile(Context& ctx, ChecklistModel& m, const EditedStep& fields);
// The file writer alone: Checklists/<name trimmed>.dat; 0 or 1.
int WriteChecklistFile(Context& ctx, const ChecklistSections& sections, std::string_view name);

}  // namespace talvane
