#include "grammar_inputs.h"

namespace talvane::tool {

bool Load(Context& ctx, Loaded& l) {
  if (!LoadSettings(ctx, l.settings)) return false;
  if (!LoadCommandList(ctx, l.catalogue)) return false;
  if (!LoadILSList(ctx, l.navaids)) return false;
  if (!LoadNavaidList(ctx, l.navaids)) return false;
  BuildCategoryList(l.catalogue, l.categories);
  return true;
}

}  // namespace talvane::tool
