// One picture of every bitmap in a Media folder, for reviewing the look.
#pragma once

#include <QString>

namespace media {

// Lays out every image below `mediaFolder` on a sheet, key-coloured pixels
// shown as a checkerboard, each with its name, and saves it as PNG.
bool WriteContactSheet(const QString& mediaFolder, const QString& sheetPath);

}  // namespace media
