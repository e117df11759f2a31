#include "ui/media.h"

#include <QBitmap>
#include <QImage>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>

#include "common/files.h"
#include "common/text.h"

namespace talvane::ui {

namespace {

std::mutex g_reported_mutex;
std::set<std::string>& Reported() {
  static std::set<std::string> reported;
  return reported;
}

void ReportOnce(const std::string& what) {
  std::lock_guard lock(g_reported_mutex);
  if (Reported().insert(what).second) std::fprintf(stderr, "talvane: cannot load the picture %s\n", what.c_str());
}

}  // namespace

int MissingMediaReports() {
  std::lock_guard lock(g_reported_mutex);
  return static_cast<int>(Reported().size());
}

QPixmap LoadMedia(const std::filesystem::path& programFolder, std::string_view relative, bool keyed) {
  const auto file = FindCaseInsensitive(programFolder, relative, false);
  QImage image;
  if (!file || !image.load(QString::fromStdString(file->string()))) {
    ReportOnce(programFolder.string() + ReplaceNoCase(Trim(relative), "\\", "/"));
    return {};
  }
  QPixmap pixmap = QPixmap::fromImage(image);
  if (keyed) pixmap.setMask(pixmap.createMaskFromColor(QColor(255, 0, 255), Qt::MaskInColor));
  return pixmap;
}

QPixmap LoadButtonStrip(const std::filesystem::path& programFolder, std::string_view picture) {
  return LoadMedia(programFolder, "\\Media\\Buttons\\" + Trim(picture) + ".bmp");
}

}  // namespace talvane::ui
