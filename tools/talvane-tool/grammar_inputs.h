// What the program has in memory after start-up, for the commands that write,
// compile or test grammars.
#pragma once

#include "catalogue/command_catalogue.h"
#include "catalogue/settings.h"
#include "grammar/category_list.h"
#include "grammar/grammar_writer.h"
#include "grammar/navaid_lists.h"

namespace talvane::tool {

struct Loaded {
  Settings settings;
  CommandCatalogue catalogue;
  NavaidLists navaids;
  CategoryList categories;
  GrammarInputs inputs() const { return {settings, catalogue, categories, navaids}; }
};

// The start-up loads in the program's order. False when the program "ended".
bool Load(Context& ctx, Loaded& l);

}  // namespace talvane::tool
