#include "grammar/category_list.h"

#include <unordered_set>

#include "common/text.h"

namespace talvane {

void BuildCategoryList(const CommandCatalogue& c, CategoryList& out) {
  out.CategoryNames.clear();
  std::unordered_set<std::string> seen;  // upper-cased names already listed
  for (const auto& cmd : c.CommandList) {
    std::string name = cmd.category.trimmed();
    if (seen.insert(Upper(name)).second) out.CategoryNames.push_back(std::move(name));
  }
}

bool InCategory(const CommandRecord& cmd, std::string_view category) {
  return Upper(cmd.category.trimmed()) == Upper(Trim(category));
}

}  // namespace talvane
