// x11-screenshot [--display :N] [--timeout S] (--window-title T | --window-id ID | --root) OUT.png
//
// Saves what the X server shows of one window (found by title, waiting up to
// S seconds, 5 by default, for it to appear), or of the whole screen, as a
// PNG picture. The window is cut from the screen at its place there, so it
// looks as a person would see it (without the window manager's frame).
// Qt before Xlib: Xlib's macros (Status, None, Bool) break Qt's headers.
#include <QImage>
#include <QSet>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/window_probe.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: x11-screenshot [--display :N] [--timeout S] "
               "(--window-title T | --window-id ID | --root) OUT.png\n");
  return 2;
}

int Fail(const std::string& why) {
  std::fprintf(stderr, "x11-screenshot: %s\n", why.c_str());
  return 1;
}

// A window that is unknown or gone is reported by the request's status.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

unsigned long WaitForTitle(const std::string& display, const std::string& title, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (const unsigned long id = talvane::platform::FindTopLevelWindowByTitle(display, title)) return id;
    if (std::chrono::steady_clock::now() >= deadline) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

// The position of a channel's lowest bit and its largest value in a pixel mask.
struct Channel {
  int shift = 0;
  unsigned long max = 0;
  explicit Channel(unsigned long mask) {
    while (mask && !(mask & 1)) {
      mask >>= 1;
      ++shift;
    }
    max = mask;
  }
  int Value(unsigned long pixel) const {
    return max ? static_cast<int>(((pixel >> shift) & max) * 255 / max) : 0;
  }
};

QImage ToQImage(XImage* image) {
  QImage out(image->width, image->height, QImage::Format_RGB32);
  const Channel red(image->red_mask), green(image->green_mask), blue(image->blue_mask);
  for (int y = 0; y < image->height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < image->width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      line[x] = qRgb(red.Value(pixel), green.Value(pixel), blue.Value(pixel));
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  std::string display, title, out;
  unsigned long id = 0;
  bool root = false;
  double timeout = 5;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--root") root = true;
    else if (arg == "--display" && hasValue) display = argv[++i];
    else if (arg == "--timeout" && hasValue) timeout = std::atof(argv[++i]);
    else if (arg == "--window-title" && hasValue) title = argv[++i];
    else if (arg == "--window-id" && hasValue) id = std::strtoul(argv[++i], nullptr, 0);
    else if (!arg.starts_with("--") && out.empty()) out = arg;
    else return Usage();
  }
  if (out.empty() || (root + !title.empty() + (id != 0)) != 1) return Usage();

  if (!title.empty() && !(id = WaitForTitle(display, title, timeout)))
    return Fail("no window titled \"" + title + "\" appeared");

  Display* d = XOpenDisplay(display.empty() ? nullptr : display.c_str());
  if (!d) return Fail("cannot open the display");
  XSetErrorHandler(IgnoreXError);
  const Window rootWindow = DefaultRootWindow(d);
  XWindowAttributes screen, window;
  XGetWindowAttributes(d, rootWindow, &screen);
  int x = 0, y = 0, width = screen.width, height = screen.height;
  if (!root) {
    Window child = 0;
    if (!XGetWindowAttributes(d, id, &window) || window.map_state != IsViewable) {
      XCloseDisplay(d);
      return Fail("the window is not shown");
    }
    XTranslateCoordinates(d, id, rootWindow, 0, 0, &x, &y, &child);
    // Only the part on the screen can be read.
    const int left = std::max(x, 0), top = std::max(y, 0);
    width = std::min(x + window.width, screen.width) - left;
    height = std::min(y + window.height, screen.height) - top;
    x = left;
    y = top;
  }
  XImage* image = width > 0 && height > 0 ? XGetImage(d, rootWindow, x, y, width, height, AllPlanes, ZPixmap) : nullptr;
  if (!image) {
    XCloseDisplay(d);
    return Fail("cannot read the screen");
  }
  const QImage picture = ToQImage(image);
  XDestroyImage(image);
  XCloseDisplay(d);
  if (!picture.save(QString::fromStdString(out), "PNG")) return Fail("cannot write " + out);
  // What was saved, so a script can tell a real picture from a blank one.
  QSet<QRgb> colours;
  for (int row = 0; row < picture.height(); row += 2)
    for (int column = 0; column < picture.width(); column += 2) colours.insert(picture.pixel(column, row));
  std::printf("%s %dx%d %lld colours\n", out.c_str(), picture.width(), picture.height(),
              static_cast<long long>(colours.size()));
  return 0;
}
