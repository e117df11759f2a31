// The program's bitmaps, loaded from its Media folder. Pixels of pure magenta
// are see-through in every bitmap but the window backgrounds. A missing or
// unreadable bitmap is reported once and answers a null pixmap: the caller
// draws a plain stand-in rather than fail.
#pragma once

#include <QPixmap>
#include <filesystem>
#include <string_view>

namespace talvane::ui {

// `relative` as the program names it ("\Media\Forms\Main_BG.bmp"), found
// without regard to case below the program folder.
QPixmap LoadMedia(const std::filesystem::path& programFolder, std::string_view relative, bool keyed = true);

// The bitmap strip of a button picture ("btn_ParentSave").
QPixmap LoadButtonStrip(const std::filesystem::path& programFolder, std::string_view picture);

// The files reported missing so far (each once).
int MissingMediaReports();

}  // namespace talvane::ui
