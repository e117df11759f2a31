// Draws a thumbnail.jpg into every texture folder of the demo aircraft, so
// the demo carries no binary pictures in the repository:
//   demo-thumbnails SIMOBJECTS_FOLDER
// Each picture shows a small aircraft over a sky in a colour of its own, and
// the aircraft folder's and the paint's names.
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

QColor PaintColour(const QString& key) {
  const uint h = qHash(key);
  return QColor::fromHsv(static_cast<int>(h % 360), 140 + static_cast<int>((h >> 9) % 100),
                         150 + static_cast<int>((h >> 17) % 90));
}

QImage Draw(const QString& aircraft, const QString& paint, bool withText) {
  QImage img(256, 128, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 128);
  sky.setColorAt(0, QColor(70, 130, 200));
  sky.setColorAt(1, QColor(200, 225, 245));
  p.fillRect(img.rect(), sky);
  p.fillRect(QRect(0, 104, 256, 24), QColor(90, 140, 80));

  // A side view: fuselage, wing, tail and a cheat line in the paint's colour.
  const QColor colour = PaintColour(aircraft + "/" + paint);
  QPainterPath body;
  body.moveTo(40, 62);
  body.cubicTo(60, 46, 170, 46, 205, 56);
  body.lineTo(218, 30);
  body.lineTo(232, 30);
  body.lineTo(226, 64);
  body.cubicTo(170, 76, 70, 80, 40, 62);
  p.setPen(QPen(QColor(40, 40, 40), 1.5));
  p.setBrush(QColor(245, 245, 245));
  p.drawPath(body);
  p.setBrush(colour);
  p.drawRect(QRectF(60, 60, 150, 6));
  p.drawPolygon(QPolygonF({QPointF(110, 64), QPointF(150, 64), QPointF(128, 86), QPointF(104, 86)}));
  p.setBrush(QColor(60, 90, 130));
  for (int i = 0; i < 5; ++i) p.drawEllipse(QRectF(70 + i * 14, 53, 7, 5));

  if (withText) {
    QFont f = p.font();
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRect(8, 4, 240, 18), Qt::AlignLeft | Qt::AlignVCenter, aircraft);
    f.setBold(false);
    f.setPixelSize(11);
    p.setFont(f);
    p.drawText(QRect(8, 106, 240, 20), Qt::AlignLeft | Qt::AlignVCenter, paint);
  }
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: demo-thumbnails SIMOBJECTS_FOLDER\n");
    return 2;
  }
  if (!QImageWriter::supportedImageFormats().contains("jpg")) {
    std::fprintf(stderr, "demo-thumbnails: this Qt cannot write JPEG; the demo has no thumbnails\n");
    return 0;
  }
  const bool withText = !QFontDatabase::families().isEmpty();
  const QDir root(QString::fromLocal8Bit(argv[1]));
  int written = 0;
  // SimObjects/<kind>/<aircraft>/<texture folder>
  for (const QFileInfo& kind : root.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    for (const QFileInfo& aircraft : QDir(kind.filePath()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
      for (const QFileInfo& tex : QDir(aircraft.filePath()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString name = tex.fileName();
        if (!name.startsWith("texture", Qt::CaseInsensitive)) continue;
        const int dot = name.indexOf('.');
        const QString paint = dot < 0 ? QStringLiteral("Default paint") : "Paint " + name.mid(dot + 1);
        const QString file = QDir(tex.filePath()).filePath("thumbnail.jpg");
        if (!Draw(aircraft.fileName().replace('_', ' '), paint, withText).save(file, "JPG", 85)) {
          std::fprintf(stderr, "demo-thumbnails: cannot write %s\n", file.toLocal8Bit().constData());
          return 1;
        }
        ++written;
      }
    }
  }
  std::printf("demo-thumbnails: %d thumbnails\n", written);
  return 0;
}
