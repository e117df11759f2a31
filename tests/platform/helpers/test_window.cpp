// A window for the window-probe tests to look for:
//   test-window [--class C] [--title T] [--title-property net|wm|both]
//               [--depth N] [--color RRGGBB] [--ignore-close | --churn]
// maps one window filled with the colour, `N` frames deep below the root (as
// a reparenting window manager would put it), prints its id on a line of its
// own once it is mapped, and exits when asked to close (unless told to
// ignore the request). With --churn it destroys and makes the window again
// and again, as fast as the server allows, until it is killed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace {

struct Options {
  std::string windowClass = "TestWindow", title, property = "both";
  int depth = 0;
  unsigned long color = 0x336699;
};

// Makes and maps the window (inside its frames); returns the window and its
// outermost frame.
std::pair<Window, Window> MakeWindow(Display* d, const Options& o, Atom deleteWindow) {
  Window parent = DefaultRootWindow(d), outer = 0;
  for (int level = 0; level < o.depth; ++level) {
    parent = XCreateSimpleWindow(d, parent, level == 0 ? 50 : 0, level == 0 ? 40 : 0, 300, 200, 0, 0, 0);
    if (!outer) outer = parent;
    XMapWindow(d, parent);
  }
  const Window w = XCreateSimpleWindow(d, parent, o.depth == 0 ? 50 : 0, o.depth == 0 ? 40 : 0, 300, 200, 0, 0, o.color);
  if (!outer) outer = w;

  std::string classHint = "test-window";
  classHint.push_back('\0');
  classHint += o.windowClass;
  classHint.push_back('\0');
  XChangeProperty(d, w, XA_WM_CLASS, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(classHint.data()), static_cast<int>(classHint.size()));
  const auto* titleBytes = reinterpret_cast<const unsigned char*>(o.title.data());
  if (!o.title.empty() && (o.property == "net" || o.property == "both"))
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), XInternAtom(d, "UTF8_STRING", False), 8,
                    PropModeReplace, titleBytes, static_cast<int>(o.title.size()));
  if (!o.title.empty() && (o.property == "wm" || o.property == "both"))
    XChangeProperty(d, w, XA_WM_NAME, XA_STRING, 8, PropModeReplace, titleBytes, static_cast<int>(o.title.size()));
  XSetWMProtocols(d, w, &deleteWindow, 1);
  XMapWindow(d, w);
  XSync(d, False);
  return {w, outer};
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  bool ignoreClose = false, churn = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--ignore-close" || arg == "--churn") {
      (arg == "--churn" ? churn : ignoreClose) = true;
      continue;
    }
    if (!value) {
      std::fprintf(stderr, "test-window: %s needs a value\n", arg.c_str());
      return 2;
    }
    ++i;
    if (arg == "--class") o.windowClass = value;
    else if (arg == "--title") o.title = value;
    else if (arg == "--title-property") o.property = value;
    else if (arg == "--depth") o.depth = std::atoi(value);
    else if (arg == "--color") o.color = std::strtoul(value, nullptr, 16);
    else {
      std::fprintf(stderr, "test-window: unknown option %s\n", arg.c_str());
      return 2;
    }
  }

  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "test-window: no display\n");
    return 1;
  }
  const Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
  auto [w, outer] = MakeWindow(d, o, deleteWindow);
  std::printf("%lu\n", w);
  std::fflush(stdout);

  while (churn) {
    XDestroyWindow(d, outer);
    outer = MakeWindow(d, o, deleteWindow).second;
  }
  for (;;) {
    XEvent event;
    XNextEvent(d, &event);
    if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow && !ignoreClose) {
      XDestroyWindow(d, outer);
      XCloseDisplay(d);
      return 0;
    }
  }
}
