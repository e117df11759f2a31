// The readable form of the command catalogue (see docs/data-formats.md).
#pragma once

#include <string>
#include <string_view>

#include "catalogue/command_catalogue.h"

namespace talvane {

std::string CatalogueToText(const CommandCatalogue& c);
// Appends the commands of one readable file; throws FormatError naming the line.
void AppendCatalogueText(CommandCatalogue& c, std::string_view utf8);

}  // namespace talvane
