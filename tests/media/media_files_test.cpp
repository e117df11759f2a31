// The drawn Media folder as the program loads it: every bitmap present at
// its exact size, buttons with four visibly different frames and readable
// labels, the colour key used cleanly, and plain fields where the program
// draws text of its own.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

const QString kMedia = QStringLiteral(TALVANE_PROGRAM_DIR "/Media/");
constexpr QRgb kKey = 0xffff00ff;

struct Picture {
  const char* path;
  int width;
  int height;
};

const Picture kForms[] = {
    {"Forms/Splash_BG.bmp", 480, 300}, {"Forms/Main_BG.bmp", 800, 640},   {"Forms/Home_BG.bmp", 790, 447},
    {"Forms/Sub_BG.bmp", 790, 447},    {"Forms/Modify_BG.bmp", 790, 447}, {"Forms/Assign_BG.bmp", 790, 447},
    {"Forms/Test_BG.bmp", 790, 447},   {"Forms/Msg_BG.bmp", 440, 240}};

// Button strips: one frame's size; the file holds four stacked.
const Picture kButtons[] = {
    {"btn_Minimize", 33, 33},       {"btn_Close", 33, 33},         {"btn_smlPlay", 33, 33},
    {"btn_ParentOK", 95, 35},       {"btn_ParentCancel", 95, 35},  {"btn_ParentCompile", 95, 35},
    {"btn_ParentHome", 95, 35},     {"btn_ParentReturn", 95, 35},  {"btn_ParentSave", 95, 35},
    {"btn_ParentStart", 95, 35},    {"btn_New", 95, 35},           {"btn_Load", 95, 35},
    {"btn_Insert", 95, 35},         {"btn_Delete", 95, 35},        {"btn_Add", 95, 35},
    {"btn_Edit", 95, 35},           {"btn_Test", 95, 35},          {"btn_Script", 95, 35},
    {"btn_Play", 95, 35},           {"btn_Assign", 95, 35},        {"btn_Microphone", 182, 35},
    {"btn_VoiceTraining", 182, 35}, {"btn_LearningCenter", 308, 58}, {"btn_Configuration", 308, 58},
    {"btn_ChecklistAssignments", 308, 58}, {"btn_ChecklistModification", 308, 58}, {"btn_Launch", 308, 58}};

const Picture kKeyedPictures[] = {
    {"Icons/icon_Information.bmp", 48, 48}, {"Icons/icon_Warning.bmp", 48, 48}, {"Icons/icon_Error.bmp", 48, 48},
    {"Icons/icon_Question.bmp", 48, 48},    {"Icons/icon_Wait.bmp", 48, 48},    {"Icons/icon_ready.bmp", 48, 48},
    {"Icons/icon_Begin.bmp", 48, 48},       {"Icons/icon_Result.bmp", 48, 48},  {"Icons/icon_Problem.bmp", 48, 48},
    {"Tree/help_Closed.bmp", 16, 16},       {"Tree/help_Open.bmp", 16, 16},     {"Tree/help_Page.bmp", 16, 16},
    {"Tree/acft_0.bmp", 16, 16},            {"Tree/acft_1.bmp", 16, 16},        {"Tree/acft_2.bmp", 16, 16},
    {"Tree/acft_3.bmp", 16, 16},            {"Tree/acft_4.bmp", 16, 16},        {"Tree/acft_5.bmp", 16, 16},
    {"Tree/acft_6.bmp", 16, 16}};

QString ButtonPath(const Picture& b) { return QStringLiteral("Buttons/%1.bmp").arg(b.path); }

QImage Load(const QString& rel) {
  return QImage(kMedia + rel).convertToFormat(QImage::Format_RGB32);
}

double Luma(QRgb c) { return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c); }

std::vector<QImage> Frames(const QImage& strip, int height) {
  std::vector<QImage> frames;
  for (int i = 0; i < 4; ++i) frames.push_back(strip.copy(0, i * height, strip.width(), height));
  return frames;
}

// Luminance of the pixels that are not keyed out, sorted.
std::vector<double> Lumas(const QImage& img, const QRect& area) {
  std::vector<double> v;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (img.pixel(x, y) != kKey) v.push_back(Luma(img.pixel(x, y)));
  std::sort(v.begin(), v.end());
  return v;
}

// Share of pixels whose colour differs clearly (summed channel difference).
double ShareChanged(const QImage& a, const QImage& b) {
  int changed = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) > 30) ++changed;
    }
  return static_cast<double>(changed) / (a.width() * a.height());
}

// Bounding box of the label ink: near-white pixels (accents stay darker).
QRect InkBox(const QImage& img) {
  constexpr double ink = 200;
  QRect box;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.pixel(x, y) != kKey && Luma(img.pixel(x, y)) > ink) box |= QRect(x, y, 1, 1);
  return box;
}

TEST(MediaFiles, EveryBitmapIsThereAt24BitsAndItsExactSize) {
  std::vector<std::pair<QString, QSize>> all;
  for (const Picture& f : kForms) all.push_back({f.path, {f.width, f.height}});
  for (const Picture& b : kButtons) all.push_back({ButtonPath(b), {b.width, 4 * b.height}});
  for (const Picture& k : kKeyedPictures) all.push_back({k.path, {k.width, k.height}});
  for (const auto& [rel, size] : all) {
    SCOPED_TRACE(rel.toStdString());
    QFile file(kMedia + rel);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(54);
    ASSERT_EQ(head.size(), 54);
    EXPECT_EQ(head.left(2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(head[28]) | static_cast<unsigned char>(head[29]) << 8, 24);
    EXPECT_EQ(head[30], 0);  // uncompressed
    const QImage img(kMedia + rel);
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), size);
    // Nothing is a single flat colour.
    std::set<QRgb> colours;
    for (int y = 0; y < img.height() && colours.size() < 6; ++y)
      for (int x = 0; x < img.width(); ++x) colours.insert(img.pixel(x, y));
    EXPECT_GE(colours.size(), 6u);
  }
}

TEST(MediaFiles, ButtonFramesAreVisiblyDifferentStates) {
  for (const Picture& b : kButtons) {
    SCOPED_TRACE(b.path);
    const auto f = Frames(Load(ButtonPath(b)), b.height);
    for (int i = 0; i < 4; ++i)
      for (int j = i + 1; j < 4; ++j) EXPECT_GT(ShareChanged(f[i], f[j]), 0.05) << "frames " << i << " and " << j;
    // Highlight is brighter than enabled; disabled is the dullest.
    auto mean = [](const QImage& img) {
      const auto v = Lumas(img, img.rect());
      double s = 0;
      for (double l : v) s += l;
      return s / v.size();
    };
    EXPECT_GT(mean(f[1]), mean(f[0]));
    EXPECT_LT(mean(f[3]), mean(f[0]));
  }
}

TEST(MediaFiles, ButtonLabelsReadInEveryStateAndShiftWhenPressed) {
  for (const Picture& b : kButtons) {
    SCOPED_TRACE(b.path);
    const auto f = Frames(Load(ButtonPath(b)), b.height);
    const QRect inner = f[0].rect().adjusted(4, 4, -4, -4);
    double brightest[4];
    for (int i = 0; i < 4; ++i) {
      const auto v = Lumas(f[i], inner);
      const double face = v[v.size() / 2];
      brightest[i] = v.back();
      // Enough ink well above the face to read: strong when active, still
      // clear when disabled.
      const double margin = i == 3 ? 45 : 90;
      const auto ink = std::count_if(v.begin(), v.end(), [&](double l) { return l > face + margin; });
      EXPECT_GE(ink, 20) << "frame " << i;
    }
    EXPECT_LT(brightest[3], brightest[0] - 40) << "the disabled label is dimmed";
    // Pressed: the same ink one pixel right and down.
    const QRect up = InkBox(f[0]), down = InkBox(f[2]);
    ASSERT_FALSE(up.isEmpty());
    EXPECT_EQ(down.topLeft(), up.topLeft() + QPoint(1, 1));
  }
}

// Each strip carries its own label, whole: the ink stays clear of the rim,
// and a longer label takes more room than a much shorter one (a swapped or
// clipped label shows here).
TEST(MediaFiles, ButtonLabelsFitAndBelongToTheirButtons) {
  struct Labelled {
    const char* name;
    int characters;
  };
  const Labelled small[] = {{"btn_ParentOK", 2},    {"btn_Add", 3},     {"btn_New", 3},
                            {"btn_Edit", 4},        {"btn_Test", 4},    {"btn_Play", 4},
                            {"btn_ParentSave", 4},  {"btn_Load", 4},    {"btn_ParentHome", 4},
                            {"btn_ParentStart", 5}, {"btn_Delete", 6},  {"btn_Insert", 6},
                            {"btn_Assign", 6},      {"btn_Script", 6},  {"btn_ParentCancel", 6},
                            {"btn_ParentReturn", 6}, {"btn_ParentCompile", 7}};
  std::vector<int> widths;
  for (const Labelled& l : small) {
    SCOPED_TRACE(l.name);
    const QImage enabled = Frames(Load(QStringLiteral("Buttons/%1.bmp").arg(l.name)), 35)[0];
    const QRect ink = InkBox(enabled);
    ASSERT_FALSE(ink.isEmpty());
    widths.push_back(ink.width());
  }
  for (size_t i = 0; i < std::size(small); ++i)
    for (size_t j = 0; j < std::size(small); ++j)
      if (small[i].characters + 2 <= small[j].characters) {
        EXPECT_LT(widths[i], widths[j]) << small[i].name << " vs " << small[j].name;
      }
  for (const Picture& b : kButtons) {
    SCOPED_TRACE(b.path);
    for (const QImage& frame : Frames(Load(ButtonPath(b)), b.height)) {
      const QRect ink = InkBox(frame);
      if (ink.isEmpty()) continue;  // disabled ink is dim, checked above
      EXPECT_TRUE(frame.rect().adjusted(4, 4, -4, -4).contains(ink));
    }
  }
}

TEST(MediaFiles, ColourKeyOnlyOutsideShapesAndNoPinkFringe) {
  auto nearKey = [](QRgb c) { return c != kKey && qRed(c) > 170 && qBlue(c) > 170 && qGreen(c) < 110; };
  auto check = [&](const QImage& img, bool cornersKeyed) {
    int keyed = 0, pink = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        keyed += img.pixel(x, y) == kKey;
        pink += nearKey(img.pixel(x, y));
      }
    EXPECT_EQ(pink, 0);
    EXPECT_GT(keyed, 0);
    EXPECT_LT(keyed, img.width() * img.height() * 3 / 4) << "the shape fills the picture";
    if (cornersKeyed) {
      EXPECT_EQ(img.pixel(0, 0), kKey) << "rounded corner";
    }
  };
  for (const Picture& b : kButtons) {
    SCOPED_TRACE(b.path);
    const auto frames = Frames(Load(ButtonPath(b)), b.height);
    for (int i = 0; i < 4; ++i) {
      check(frames[i], true);
      // Next to the keyed corners the rim is blended towards the dark panel
      // the button sits on, never into a light halo (the highlight's rim is
      // its accent colour).
      if (i == 1) continue;
      const QImage& f = frames[i];
      for (int y = 0; y < f.height(); ++y)
        for (int x = 0; x + 1 < f.width(); ++x)
          if (f.pixel(x, y) == kKey && f.pixel(x + 1, y) != kKey) {
            EXPECT_LT(Luma(f.pixel(x + 1, y)), 90) << "frame " << i;
          }
    }
  }
  for (const Picture& k : kKeyedPictures) {
    SCOPED_TRACE(k.path);
    check(Load(k.path), k.width == 48);
  }
  // Backgrounds are not masked: no pixel of theirs may be the key colour.
  for (const Picture& f : kForms) {
    SCOPED_TRACE(f.path);
    const QImage img = Load(f.path);
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) ASSERT_NE(img.pixel(x, y), kKey);
  }
}

// Every picture says something of its own: no icon, tree picture or button
// strip is a copy of another.
TEST(MediaFiles, PicturesAreDistinct) {
  std::vector<QImage> acft, help, icons, buttons;
  for (const Picture& k : kKeyedPictures) {
    const std::string p = k.path;
    if (p.rfind("Tree/acft_", 0) == 0) acft.push_back(Load(k.path));
    if (p.rfind("Tree/help_", 0) == 0) help.push_back(Load(k.path));
    if (p.rfind("Icons/", 0) == 0) icons.push_back(Load(k.path));
  }
  for (const Picture& b : kButtons) buttons.push_back(Load(ButtonPath(b)));
  ASSERT_EQ(acft.size(), 7u);
  for (const auto* set : {&acft, &help, &icons, &buttons})
    for (size_t i = 0; i < set->size(); ++i)
      for (size_t j = i + 1; j < set->size(); ++j) EXPECT_NE((*set)[i], (*set)[j]) << i << " and " << j;
}

// Fields where the program draws labels, a screen or a display text: plain
// enough that no drawn detail competes with the text.
TEST(MediaFiles, FieldsForTheProgramsOwnTextArePlain) {
  struct Field {
    const char* form;
    QRect area;
  };
  const Field fields[] = {
      {"Forms/Splash_BG.bmp", QRect(QPoint(4, 232), QPoint(475, 290))},
      {"Forms/Splash_BG.bmp", QRect(QPoint(300, 200), QPoint(470, 225))},
      {"Forms/Main_BG.bmp", QRect(QPoint(306, 18), QPoint(704, 86))},     // tip display
      {"Forms/Main_BG.bmp", QRect(QPoint(5, 101), QPoint(794, 547))},     // screen area
      {"Forms/Main_BG.bmp", QRect(QPoint(16, 606), QPoint(300, 630))},    // version
      {"Forms/Home_BG.bmp", QRect(QPoint(46, 46), QPoint(342, 92))},      // under a button
      {"Forms/Sub_BG.bmp", QRect(QPoint(0, 40), QPoint(789, 446))},
      {"Forms/Modify_BG.bmp", QRect(QPoint(0, 40), QPoint(789, 446))},
      {"Forms/Assign_BG.bmp", QRect(QPoint(0, 40), QPoint(789, 446))},
      {"Forms/Test_BG.bmp", QRect(QPoint(0, 40), QPoint(789, 446))},
      {"Forms/Msg_BG.bmp", QRect(QPoint(4, 40), QPoint(435, 235))}};
  for (const Field& f : fields) {
    SCOPED_TRACE(std::string(f.form) + " at " + std::to_string(f.area.x()) + "," + std::to_string(f.area.y()));
    const auto v = Lumas(Load(f.form), f.area);
    // Ignore the extreme 0.5 % (grain); the rest stays within a narrow band.
    const double low = v[v.size() / 200], high = v[v.size() - 1 - v.size() / 200];
    EXPECT_LT(high - low, 24);
  }
}

TEST(MediaFiles, TrayIconsHaveRealTransparency) {
  for (const auto& [rel, size] : {std::pair{"Icons/Talvane.png", 128}, std::pair{"Icons/Talvane_22.png", 22}}) {
    SCOPED_TRACE(rel);
    const QImage img = QImage(kMedia + rel).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(img.size(), QSize(size, size));
    ASSERT_TRUE(QImage(kMedia + rel).hasAlphaChannel());
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(img.pixel(size - 1, size - 1)), 0);
    EXPECT_EQ(qAlpha(img.pixel(size / 2, size / 2)), 255);
    // Soft edges: some pixels in between.
    int partial = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) partial += qAlpha(img.pixel(x, y)) > 0 && qAlpha(img.pixel(x, y)) < 255;
    EXPECT_GT(partial, 4);
  }
}

}  // namespace
