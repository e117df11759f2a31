// The skinned buttons' bitmap strips: four frames stacked vertically, each
// the button's height, in the order enabled, highlight, down, disabled.
#pragma once

namespace media {

class MediaFolder;

// Writes every Buttons/btn_*.bmp.
void WriteButtons(MediaFolder& out);

}  // namespace media
