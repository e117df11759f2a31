// The distinct command categories of the catalogue.
#pragma once

#include <string>
#include <vector>

#include "catalogue/command_catalogue.h"

namespace talvane {

struct CategoryList {
  std::vector<std::string> CategoryNames;  // 0..LastCategoryIndex, trimmed
  std::int16_t LastCategoryIndex() const { return static_cast<std::int16_t>(CategoryNames.size() - 1); }
};

// The trimmed categories in order of first appearance; two are the same when
// their trimmed upper-cased texts are equal, and the first spelling wins.
void BuildCategoryList(const CommandCatalogue& c, CategoryList& out);

// Whether the command belongs to the category (trimmed, upper-cased comparison).
bool InCategory(const CommandRecord& cmd, std::string_view category);

}  // namespace talvane
