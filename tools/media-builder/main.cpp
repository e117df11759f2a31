// media-builder: draws every bitmap the program loads from its Media folder
// (window backgrounds, button strips, icons, tree pictures, tray icons):
//   media-builder OUTPUT_FOLDER
//   media-builder --sheet OUT.png MEDIA_FOLDER
// The second form lays the drawn files out on one picture for review.
#include <QFontDatabase>
#include <QGuiApplication>

#include <cstdio>

#include "buttons.h"
#include "contact_sheet.h"
#include "forms.h"
#include "icons.h"
#include "panel_style.h"

int main(int argc, char** argv) {
  // Drawing needs no display.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() == 4 && args[1] == "--sheet") {
    if (media::WriteContactSheet(args[3], args[2])) return 0;
    std::fprintf(stderr, "media-builder: cannot write the sheet %s\n", qPrintable(args[2]));
    return 1;
  }
  if (args.size() != 2 || args[1].startsWith('-')) {
    std::fprintf(stderr, "usage: media-builder OUTPUT_FOLDER\n       media-builder --sheet OUT.png MEDIA_FOLDER\n");
    return 2;
  }
  // Without the font the labels would fall back to whatever is installed
  // and might not fit their buttons.
  if (!QFontDatabase::families().contains("DejaVu Sans")) {
    std::fprintf(stderr, "media-builder: the font \"DejaVu Sans\" is not installed (fonts-dejavu-core)\n");
    return 1;
  }
  media::MediaFolder out(args[1]);
  media::WriteForms(out);
  media::WriteButtons(out);
  media::WriteIcons(out);
  media::WriteTreeImages(out);
  media::WriteTrayIcons(out);
  for (const QString& path : out.failed()) std::fprintf(stderr, "media-builder: cannot write %s\n", qPrintable(path));
  if (!out.ok()) return 1;
  std::printf("media-builder: %d files\n", out.written());
  return 0;
}
