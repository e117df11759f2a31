// The shell's special folders and the platform version, as the program asks
// the Windows shell for them. On Linux the simulator lives in a Wine prefix.
#pragma once

#include <string>

namespace talvane::platform {

inline constexpr int kCsidlAppData = 0x1A;        // the user's application data
inline constexpr int kCsidlCommonAppData = 0x23;  // application data of all users

// The native path of a special folder, or empty text when there is none.
std::string SpecialFolderPath(int csidl);

// The user whose folder below drive_c/users Wine uses: $USER, else the
// account's name.
std::string LoginName();

// The platform identifier of the version query; 1 is the Windows 95/98/Me
// family, 2 the NT family (what Wine reports).
int WindowsPlatformId();

}  // namespace talvane::platform
