// The time stamp the speech libraries' logs start their lines with.
#pragma once

#include <string>

namespace talvane {

// The current local time as "YYYY-MM-DD hh:mm:ss".
std::string LocalTimeStamp();

}  // namespace talvane
