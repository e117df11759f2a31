// The 48x48 dialog and status icons, the 16x16 tree pictures and the tray
// icons.
#pragma once

namespace media {

class MediaFolder;

// Icons/icon_*.bmp (dialogs and the recognition test's status).
void WriteIcons(MediaFolder& out);
// Tree/help_*.bmp (help topics) and Tree/acft_0..6.bmp (aircraft tree).
void WriteTreeImages(MediaFolder& out);
// Icons/Talvane.png (128x128) and Icons/Talvane_22.png, with alpha.
void WriteTrayIcons(MediaFolder& out);

}  // namespace media
