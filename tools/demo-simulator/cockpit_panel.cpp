#include "cockpit_panel.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

#include "panel_style.h"

namespace talvane::demosim {

namespace {

using namespace media;

constexpr int kWidth = 960;
constexpr int kHeight = 628;
constexpr int kMargin = 16;

const QColor kWell{12, 16, 21};        // inside a recessed window
const QColor kUnlit{26, 32, 40};       // an annunciator that is off
const QColor kUnlitText{88, 98, 110};

QFont DigitFont(int pixels) {
  QFont f(QStringLiteral("DejaVu Sans Mono"));
  f.setPixelSize(pixels);
  f.setBold(true);
  f.setStyleStrategy(QFont::PreferAntialias);
  return f;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A raised sub-panel with its engraved title and screws in the corners.
void Section(QPainter& p, const QRect& r, const QString& title) {
  p.fillRect(r, QColor(36, 44, 56, 150));
  DrawRaised(p, r);
  DrawScrew(p, QPointF(r.left() + 7, r.top() + 7));
  DrawScrew(p, QPointF(r.right() - 7, r.top() + 7));
  DrawScrew(p, QPointF(r.left() + 7, r.bottom() - 7));
  DrawScrew(p, QPointF(r.right() - 7, r.bottom() - 7));
  p.setFont(LabelFont(11, true, 2));
  p.setPen(kLabelDim);
  p.drawText(QRect(r.left() + 18, r.top() + 3, r.width() - 36, 16), Qt::AlignLeft | Qt::AlignVCenter, title);
}

// A mode or switch light: lit, it glows in `colour` with bright text; unlit,
// a dark cap with grey text, so both states read at a glance.
void Annunciator(QPainter& p, const QRect& r, const QString& text, bool lit, const QColor& colour = kGreen) {
  DrawRecess(p, r, kWell);
  const QRect cap = r.adjusted(2, 2, -2, -2);
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  if (lit) {
    QLinearGradient g(cap.topLeft(), cap.bottomLeft());
    g.setColorAt(0, Mix(colour, Qt::black, 0.45));
    g.setColorAt(1, Mix(colour, Qt::black, 0.7));
    p.fillRect(cap, g);
    p.setPen(QPen(colour, 1));
    p.drawRect(QRectF(cap).adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(Mix(colour, Qt::white, 0.55));
  } else {
    p.fillRect(cap, kUnlit);
    p.setPen(kUnlitText);
  }
  p.setFont(FittedFont(text, 12, cap.width() - 6, true, text.size() > 7 ? 0.2 : 0.8));
  p.drawText(cap, Qt::AlignCenter, text);
  p.restore();
}

// A bug or frequency window: small label above, digits in a recess.
void Digits(QPainter& p, const QRect& r, const QString& label, const QString& digits, const QColor& colour = kAmber,
            int pixels = 20) {
  p.setFont(LabelFont(10, true, 1.2));
  p.setPen(kLabelDim);
  p.drawText(QRect(r.left(), r.top(), r.width(), 14), Qt::AlignLeft | Qt::AlignVCenter, label);
  const QRect well(r.left(), r.top() + 16, r.width(), r.height() - 16);
  DrawRecess(p, well, kWell);
  p.setFont(DigitFont(pixels));
  p.setPen(colour);
  p.drawText(well.adjusted(4, 0, -6, 0), Qt::AlignRight | Qt::AlignVCenter, digits);
}

QString Padded(int value, int width) { return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0')); }

QString SignedFeet(int value) { return value > 0 ? QStringLiteral("+%1").arg(value) : QString::number(value); }

// One radio line: name, active and standby windows, and the flags after them.
void RadioRow(QPainter& p, int x, int y, const QString& name, const QString& active, const QString& standby,
              const QString& flag = {}, bool flagLit = false) {
  p.setFont(LabelFont(13, true, 1));
  p.setPen(kLabel);
  p.drawText(QRect(x, y, 56, 26), Qt::AlignLeft | Qt::AlignVCenter, name);
  const QRect a(x + 60, y + 1, 112, 24);
  DrawRecess(p, a, kWell);
  p.setFont(DigitFont(19));
  p.setPen(kAmber);
  p.drawText(a.adjusted(0, 0, -8, 0), Qt::AlignRight | Qt::AlignVCenter, active);
  if (!standby.isEmpty()) {
    const QRect s(x + 196, y + 1, 112, 24);
    p.setFont(LabelFont(12, true));
    p.setPen(kLabelDim);
    p.drawText(QRect(x + 174, y, 20, 26), Qt::AlignCenter, QStringLiteral("\u21c4"));
    DrawRecess(p, s, kWell);
    p.setFont(DigitFont(19));
    p.setPen(Mix(kCyan, kWell, 0.2));
    p.drawText(s.adjusted(0, 0, -8, 0), Qt::AlignRight | Qt::AlignVCenter, standby);
  }
  if (!flag.isEmpty()) Annunciator(p, QRect(x + 320, y + 2, 48, 22), flag, flagLit, kCyan);
}

constexpr std::array<const char*, 6> kAutobrake = {"RTO", "OFF", "LO", "MED", "HI", "MAX"};

}  // namespace

CockpitPanel::CockpitPanel() {
  setMinimumSize(kWidth, kHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize CockpitPanel::sizeHint() const { return {kWidth, kHeight}; }

void CockpitPanel::Show(const CockpitState& state, const LinkStatus& link, const std::string& last_event) {
  state_ = state;
  link_ = link;
  last_event_ = last_event;
  update();
}

void CockpitPanel::resizeEvent(QResizeEvent*) {
  surface_ = PanelSurface(width(), height(), QColor(38, 46, 58), QColor(22, 27, 34), 7);
}

void CockpitPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (surface_.size() != size()) surface_ = PanelSurface(width(), height(), QColor(38, 46, 58), QColor(22, 27, 34), 7);
  p.drawImage(0, 0, surface_);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  const auto& s = state_;
  const auto& ap = s.autopilot;
  const int right = width() - kMargin;

  // Header: the aircraft and the link.
  p.setFont(LabelFont(10, true, 2));
  p.setPen(kLabelDim);
  p.drawText(QRect(kMargin, 8, 400, 14), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("DEMO SIMULATOR"));
  p.setFont(FittedFont(Q(s.title), 20, 560));
  p.setPen(kLabel);
  p.drawText(QRect(kMargin, 22, 580, 28), Qt::AlignLeft | Qt::AlignVCenter, Q(s.title));
  // The link: where clients reach it, or that there is none (the reason is
  // on the bottom line, where there is room for it).
  const bool listening = !link_.endpoint.empty();
  const QString linkText = listening ? QStringLiteral("SimConnect %1 \u2022 %2 client%3")
                                           .arg(Q(link_.endpoint))
                                           .arg(link_.clients)
                                           .arg(link_.clients == 1 ? "" : "s")
                                     : QStringLiteral("NO SIMULATOR LINK");
  const QRect linkBox(600, 12, right - 600, 36);
  p.setFont(listening ? FittedFont(linkText, 13, linkBox.width() - 22, false, 0.2) : LabelFont(14, true, 1.5));
  p.setPen(listening ? kLabel : kAmber);
  p.drawText(linkBox, Qt::AlignRight | Qt::AlignVCenter, linkText);
  {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const int textWidth = QFontMetrics(p.font()).horizontalAdvance(linkText);
    const QPointF dot(right - textWidth - 12, linkBox.center().y() + 1);
    const QColor c = !listening ? kRed : link_.clients > 0 ? kGreen : kAmber;
    p.setPen(QPen(kEdgeDark, 1));
    p.setBrush(c);
    p.drawEllipse(dot, 5, 5);
    p.restore();
  }

  // Autopilot: the mode lights, then the bugs.
  const QRect apBox(kMargin, 58, width() - 2 * kMargin, 150);
  Section(p, apBox, QStringLiteral("AUTOPILOT"));
  const std::array<std::pair<const char*, bool>, 13> modes = {{
      {"AP", ap.master},
      {"FD", ap.flight_director},
      {"HDG", ap.heading_hold},
      {"NAV", ap.nav_hold},
      {"APR", ap.approach_hold},
      {"LOC", ap.localizer_hold},
      {"BC", ap.back_course_hold},
      {"ALT", ap.altitude_hold},
      {"IAS", ap.airspeed_hold},
      {"MACH", ap.mach_hold},
      {"YD", ap.yaw_damper},
      {"A/THR", ap.autothrottle},
      {"TOGA", ap.takeoff_go_around},
  }};
  const int modeWidth = (apBox.width() - 36 - 12 * 6) / 13;
  for (std::size_t i = 0; i < modes.size(); ++i)
    Annunciator(p, QRect(apBox.left() + 18 + static_cast<int>(i) * (modeWidth + 6), apBox.top() + 24, modeWidth, 32),
                modes[i].first, modes[i].second);
  struct Bug {
    const char* label;
    QString digits;
  };
  const std::array<Bug, 9> bugs = {{
      {"HDG", Padded(ap.heading, 3)},
      {"CRS 1", Padded(ap.course1, 3)},
      {"CRS 2", Padded(ap.course2, 3)},
      {"ALT", QString::number(ap.altitude)},
      {"V/S", SignedFeet(ap.vertical_speed)},
      {"IAS", QString::number(ap.airspeed)},
      {"MACH", Q(MachText(ap.mach_hundredths))},
      {"N1 %", QString::number(ap.n1)},
      {"BARO IN / MB", Q(InchesText(s.altimeter16)) + "  " + Q(MillibarsText(s.altimeter16))},
  }};
  // The altimeter window is wider: it shows inches and millibars.
  const int bugWidth = (apBox.width() - 36 - 8 * 8) / 10;
  int bx = apBox.left() + 18;
  for (std::size_t i = 0; i < bugs.size(); ++i) {
    const int w = i + 1 == bugs.size() ? apBox.right() - 18 - bx : bugWidth;
    Digits(p, QRect(bx, apBox.top() + 70, w, 56), bugs[i].label, bugs[i].digits, kAmber, i + 1 == bugs.size() ? 17 : 20);
    bx += w + 8;
  }

  // Radios.
  const QRect radioBox(kMargin, 218, 560, 214);
  Section(p, radioBox, QStringLiteral("RADIOS"));
  const int rx = radioBox.left() + 18;
  int ry = radioBox.top() + 24;
  RadioRow(p, rx, ry, "COM 1", Q(ComText(s.com1.active)), Q(ComText(s.com1.standby)), "TX", s.com_transmit == 1);
  RadioRow(p, rx, ry += 31, "COM 2", Q(ComText(s.com2.active)), Q(ComText(s.com2.standby)), "TX", s.com_transmit == 2);
  RadioRow(p, rx, ry += 31, "NAV 1", Q(NavText(s.nav1.active)), Q(NavText(s.nav1.standby)), "ID", s.nav1_ident);
  RadioRow(p, rx, ry += 31, "NAV 2", Q(NavText(s.nav2.active)), Q(NavText(s.nav2.standby)), "ID", s.nav2_ident);
  RadioRow(p, rx, ry += 31, "ADF", Q(AdfText(s.adf_hz)), {}, "ID", s.adf_ident);
  RadioRow(p, rx, ry += 31, "XPDR", Q(SquawkText(s.transponder)), {});

  // Gear, flaps, spoilers, brakes.
  const QRect gearBox(radioBox.right() + 12, 218, right - radioBox.right() - 12, 214);
  Section(p, gearBox, QStringLiteral("GEAR  \u2022  FLAPS  \u2022  BRAKES"));
  const int gx = gearBox.left() + 18, gw = gearBox.width() - 36;
  const int third = (gw - 12) / 3;
  const char* legs[] = {"NOSE", "LEFT", "RIGHT"};
  for (int i = 0; i < 3; ++i)
    Annunciator(p, QRect(gx + i * (third + 6), gearBox.top() + 24, third, 30),
                QStringLiteral("%1 %2").arg(legs[i], s.gear_down ? "DOWN" : "UP"), s.gear_down, kGreen);
  // Flaps: a travel bar with the handle's degrees.
  const int fy = gearBox.top() + 66;
  p.setFont(LabelFont(10, true, 1.2));
  p.setPen(kLabelDim);
  p.drawText(QRect(gx, fy, gw, 14), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("FLAPS"));
  p.setFont(DigitFont(16));
  p.setPen(kAmber);
  p.drawText(QRect(gx, fy - 2, gw, 18), Qt::AlignRight | Qt::AlignVCenter,
             QStringLiteral("%1\u00b0").arg(FlapDegrees(s.flaps)));
  const QRect bar(gx, fy + 18, gw, 12);
  DrawRecess(p, bar, kWell);
  p.fillRect(QRect(bar.left(), bar.top(), bar.width() * s.flaps / kFullTravel, bar.height()), Mix(kAmber, kWell, 0.25));
  p.setPen(kEdgeLight);
  for (int i = 1; i < 4; ++i) p.drawLine(bar.left() + bar.width() * i / 4, bar.bottom() + 2, bar.left() + bar.width() * i / 4, bar.bottom() + 5);
  const int half = (gw - 6) / 2;
  Annunciator(p, QRect(gx, fy + 42, half, 30), QStringLiteral("SPOILERS ARMED"), s.spoilers_armed, kCyan);
  Annunciator(p, QRect(gx + half + 6, fy + 42, half, 30), QStringLiteral("SPOILERS EXT"), s.spoilers_deployed, kAmber);
  Annunciator(p, QRect(gx, fy + 80, half, 30), QStringLiteral("PARKING BRAKE"), s.parking_brake, kRed);
  const QString autobrake =
      QStringLiteral("AUTOBRAKE %1").arg(kAutobrake[static_cast<std::size_t>(std::clamp(s.autobrake, 0, 5))]);
  Annunciator(p, QRect(gx + half + 6, fy + 80, half, 30), autobrake, s.autobrake != 1, kCyan);
  Annunciator(p, QRect(gx, fy + 118, half, 26), QStringLiteral("TAILWHEEL LOCK"), s.tailwheel_locked, kCyan);
  p.setFont(LabelFont(11, false, 0.3));
  p.setPen(kLabelDim);
  p.drawText(QRect(gx + half + 6, fy + 118, half, 26), Qt::AlignCenter,
             QStringLiteral("TRIM %1 / %2").arg(s.elevator_trim).arg(s.rudder_trim));

  // Lights.
  const QRect lightBox(kMargin, 442, width() - 2 * kMargin, 66);
  Section(p, lightBox, QStringLiteral("LIGHTS"));
  const auto& l = s.lights;
  const std::array<std::pair<const char*, bool>, 10> lights = {{
      {"LANDING", l.landing},
      {"TAXI", l.taxi},
      {"NAV", l.nav},
      {"BEACON", l.beacon},
      {"STROBE", l.strobe},
      {"LOGO", l.logo},
      {"WING", l.wing},
      {"RECOG", l.recognition},
      {"PANEL", l.panel},
      {"CABIN", l.cabin},
  }};
  const int lightWidth = (lightBox.width() - 36 - 9 * 6) / 10;
  for (std::size_t i = 0; i < lights.size(); ++i)
    Annunciator(p,
                QRect(lightBox.left() + 18 + static_cast<int>(i) * (lightWidth + 6), lightBox.top() + 24, lightWidth, 30),
                lights[i].first, lights[i].second, kAmber);

  // Engines and systems.
  const QRect sysBox(kMargin, 518, width() - 2 * kMargin, 78);
  Section(p, sysBox, QStringLiteral("ENGINES  \u2022  SYSTEMS"));
  const auto& e = s.engines;
  const auto& el = s.electrical;
  const std::array<std::tuple<const char*, bool, QColor>, 11> systems = {{
      {"BAT", el.battery, kGreen},
      {"ALT", el.alternator, kGreen},
      {"AVIONICS", el.avionics, kGreen},
      {"ENG 1", e.running[0], kGreen},
      {"ENG 2", e.running[1], kGreen},
      {"FUEL PUMP", s.fuel.pump, kGreen},
      {"X-FEED", s.fuel.crossfeed, kCyan},
      {"PITOT", el.pitot_heat, kCyan},
      {"ANTI-ICE", e.anti_ice[0] || e.anti_ice[1], kCyan},
      {"APU", el.apu_running, kGreen},
      {"PAUSED", s.simulation.paused, kAmber},
  }};
  const int sysWidth = (sysBox.width() - 36 - 10 * 6) / 11;
  for (std::size_t i = 0; i < systems.size(); ++i) {
    const auto& [name, lit, colour] = systems[i];
    Annunciator(p, QRect(sysBox.left() + 18 + static_cast<int>(i) * (sysWidth + 6), sysBox.top() + 22, sysWidth, 28),
                name, lit, colour);
  }
  p.setFont(LabelFont(11, false, 0.3));
  p.setPen(kLabelDim);
  p.drawText(QRect(sysBox.left() + 18, sysBox.top() + 54, sysBox.width() - 36, 18), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("MAGNETOS %1    THROTTLE %2%    MIXTURE %3% / %4%    PROP %5%    FUEL %6    VIEW %7")
                 .arg(Q(e.magnetos))
                 .arg(e.throttle)
                 .arg(e.mixture[0])
                 .arg(e.mixture[1])
                 .arg(e.propeller)
                 .arg(Q(s.fuel.selector))
                 .arg(Q(s.simulation.view).toUpper()));

  // The last event received, or why there is no link.
  const QRect bottom(kMargin, height() - 26, width() - 2 * kMargin, 20);
  const QString line = !listening          ? QStringLiteral("No link: %1").arg(Q(link_.message))
                       : last_event_.empty() ? QStringLiteral("No event received yet")
                                             : QStringLiteral("Last event: %1").arg(Q(last_event_));
  p.setFont(FittedFont(line, 11, bottom.width(), false, 0.2));
  p.setPen(listening ? kLabelDim : kAmber);
  p.drawText(bottom, Qt::AlignLeft | Qt::AlignVCenter, line);
}

}  // namespace talvane::demosim
