// The label each button picture carries. The media builder draws it into the
// button's frames; the program gives it to screen readers as the button's
// name and draws it on a plain frame when the bitmap is missing.
#pragma once

#include <string_view>

namespace talvane {

// The label of a picture ("btn_ParentSave" -> "SAVE"); empty when unknown.
std::string_view ButtonLabel(std::string_view picture);

}  // namespace talvane
