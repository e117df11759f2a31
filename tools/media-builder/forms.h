// The window backgrounds (no colour key: every pixel shows). Each leaves the
// areas where the program places buttons, labels and screens plain.
#pragma once

namespace media {

class MediaFolder;

// Writes every Forms/*_BG.bmp.
void WriteForms(MediaFolder& out);

}  // namespace media
