#include "aircraft/checklist_text.h"

#include <charconv>

#include "common/binary.h"
#include "common/record_text.h"
#include "common/text.h"

namespace talvane {

namespace {

[[noreturn]] void Fail(int line, const std::string& what) {
  throw FormatError("line " + std::to_string(line) + ": " + what);
}

template <typename T>
bool ParseNumber(std::string_view s, T& out) {
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

int SectionIndex(const RecordBlock& b) {
  std::string_view which = std::string_view(b.header).substr(8);  // after "section "
  while (!which.empty() && which.front() == ' ') which.remove_prefix(1);
  int n = -1;
  if (ParseNumber(which, n) && n >= 0 && n < kSectionCount) return n;
  for (int i = 0; i < kSectionCount; ++i)
    if (EqualsNoCase(which, kSectionEditorNames[static_cast<std::size_t>(i)])) return i;
  Fail(b.line, "unknown section `" + std::string(which) + "`");
}

}  // namespace

std::string ChecklistToText(const ChecklistSections& sections) {
  std::string out = "# Talvane checklist\n";
  for (int s = 0; s < kSectionCount; ++s) {
    out += "\n[section ";
    out += kSectionEditorNames[static_cast<std::size_t>(s)];
    out += "]\n";
    for (const auto& step : sections[static_cast<std::size_t>(s)].steps) {
      out += "[step]\n";
      out += RecordLine("challenge", TrimRight(step.challenge.str()));
      out += RecordLine("pronunciation", TrimRight(step.pronunciation.str()));
      out += RecordLine("responseText", TrimRight(step.responseText.str()));
      for (const auto& r : step.responses) {
        std::string v = EncodeRecordValue(TrimRight(r.response.str()));
        out += "response = " + ToDecimal(r.functionNumber) + (v.empty() ? "" : " " + v) + "\n";
      }
    }
  }
  return out;
}

ChecklistSections ChecklistFromText(std::string_view utf8) {
  ChecklistSections sections;
  int section = -1;
  ChecklistStep* step = nullptr;
  for (const RecordBlock& b : ParseRecordText(utf8)) {
    if (b.header.rfind("section ", 0) == 0) {
      section = SectionIndex(b);
      step = nullptr;
      if (!b.fields.empty()) Fail(b.fields.front().line, "fields belong to a [step]");
      continue;
    }
    if (b.header != "step") Fail(b.line, "expected [section ...] or [step], found [" + b.header + "]");
    if (section < 0) Fail(b.line, "a [step] before the first [section ...]");
    step = &sections[static_cast<std::size_t>(section)].steps.emplace_back();
    for (const RecordField& f : b.fields) {
      if (f.key == "challenge") step->challenge = DecodeRecordValue(f.raw);
      else if (f.key == "pronunciation") step->pronunciation = DecodeRecordValue(f.raw);
      else if (f.key == "responseText") step->responseText = DecodeRecordValue(f.raw);
      else if (f.key == "response") {
        std::string_view raw = f.raw;
        std::size_t sp = raw.find(' ');
        std::string_view num = raw.substr(0, sp);
        std::string_view rest = sp == std::string_view::npos ? std::string_view() : raw.substr(sp + 1);
        while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        std::int32_t n = 0;
        if (!ParseNumber(num, n)) Fail(f.line, "a response starts with its function number");
        StepResponse r;
        r.response = DecodeRecordValue(rest);
        r.functionNumber = n;
        step->responses.push_back(std::move(r));
      } else {
        Fail(f.line, "unknown field `" + f.key + "`");
      }
    }
  }
  return sections;
}

std::string AssignmentsToText(const AssignmentList& a) {
  std::string out = "# Talvane checklist assignments\n";
  for (const auto& r : a.records) {
    out += "\n[assignment]\n";
    out += RecordLine("title", TrimRight(r.aircraftTitle.str()));
    out += RecordLine("checklist", TrimRight(r.checklistName.str()));
    out += RecordLine("writeToKneeboard", ToDecimal(r.writeToKneeboard));
  }
  return out;
}

AssignmentList AssignmentsFromText(std::string_view utf8) {
  AssignmentList a;
  for (const RecordBlock& b : ParseRecordText(utf8)) {
    if (b.header != "assignment") Fail(b.line, "expected [assignment], found [" + b.header + "]");
    AssignmentRecord r;
    for (const RecordField& f : b.fields) {
      if (f.key == "title") r.aircraftTitle = DecodeRecordValue(f.raw);
      else if (f.key == "checklist") r.checklistName = DecodeRecordValue(f.raw);
      else if (f.key == "writeToKneeboard") {
        std::int16_t n = 0;
        if (!ParseNumber(DecodeRecordValue(f.raw), n)) Fail(f.line, "writeToKneeboard needs a 16-bit whole number");
        r.writeToKneeboard = n;
      } else {
        Fail(f.line, "unknown field `" + f.key + "`");
      }
    }
    a.records.push_back(std::move(r));
  }
  return a;
}

}  // namespace talvane
