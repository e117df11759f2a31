#include <poll.h>
#include <sys/socket.h>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include "platform/global_keys.h"

namespace talvane::platform {

namespace {

// Whether the server has closed the connection. Checked on the socket
// before Xlib reads from it: Xlib ends the process when a read fails, and
// only some versions let a program stop that.
bool ServerGone(Display* d) {
  pollfd p{ConnectionNumber(d), POLLIN, 0};
  if (::poll(&p, 1, 0) <= 0) return false;
  if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return true;
  char byte;
  return ::recv(p.fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

}  // namespace

X11GlobalKeys::X11GlobalKeys(WatchedKey key, std::string display) : key_(key), name_(std::move(display)) { Open(); }

X11GlobalKeys::~X11GlobalKeys() { Close(); }

// Called by Xlib when the connection breaks, instead of ending the process.
// Nothing more is asked of that connection; the next poll replaces it.
int X11GlobalKeys::ConnectionLost(void*, void* self) {
  static_cast<X11GlobalKeys*>(self)->lost_ = true;
  return 0;
}

bool X11GlobalKeys::Open() {
  next_try_ = std::chrono::steady_clock::now() + kRetry;
  Display* d = XOpenDisplay(name_.empty() ? nullptr : name_.c_str());
  if (!d) return false;
  display_ = d;
  lost_ = false;
  XSetIOErrorExitHandler(
      d, [](Display* dpy, void* self) { ConnectionLost(dpy, self); }, this);

  int event = 0, error = 0, major = 2, minor = 0;
  const char text[2] = {key_.key, '\0'};
  const KeySym sym = XStringToKeysym(text);
  if (!XQueryExtension(d, "XInputExtension", &opcode_, &event, &error) || XIQueryVersion(d, &major, &minor) != Success ||
      sym == NoSymbol) {
    Close();
    return false;
  }
  keycode_ = XKeysymToKeycode(d, sym);
  shift_keycodes_[0] = XKeysymToKeycode(d, XK_Shift_L);
  shift_keycodes_[1] = XKeysymToKeycode(d, XK_Shift_R);
  shift_down_ = 0;
  key_down_ = false;

  // Raw events are sent to the root windows only, and to every client that
  // selects them there: the window with the focus still gets its key.
  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(bits, XI_RawKeyPress);
  XISetMask(bits, XI_RawKeyRelease);
  XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
  for (int s = 0; s < ScreenCount(d); ++s) XISelectEvents(d, RootWindow(d, s), &mask, 1);
  XSync(d, False);
  if (lost_ || keycode_ == 0) {
    Close();
    return false;
  }
  return true;
}

void X11GlobalKeys::Close() {
  // A connection whose server went away is left as it is: closing it would
  // write to it, and Xlib ends the process on that write's failure.
  if (display_ && !lost_) XCloseDisplay(static_cast<Display*>(display_));
  display_ = nullptr;
}

int X11GlobalKeys::TakePresses() {
  if (!Watching()) {
    if (std::chrono::steady_clock::now() < next_try_) return 0;
    Close();
    if (!Open()) return 0;
  }
  auto* d = static_cast<Display*>(display_);
  int presses = 0;
  if (ServerGone(d)) lost_ = true;
  while (!lost_ && XPending(d) > 0) {
    XEvent ev;
    XNextEvent(d, &ev);
    XGenericEventCookie* cookie = &ev.xcookie;
    if (cookie->type != GenericEvent || cookie->extension != opcode_ || !XGetEventData(d, cookie)) continue;
    const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
    const auto code = static_cast<unsigned>(raw->detail);
    const bool down = cookie->evtype == XI_RawKeyPress;
    if (code == shift_keycodes_[0] || code == shift_keycodes_[1]) {
      shift_down_ = down ? shift_down_ + 1 : (shift_down_ > 0 ? shift_down_ - 1 : 0);
    } else if (code == keycode_) {
      // The keyboard's repeat sends presses without releases between them.
      if (down && !key_down_ && (shift_down_ > 0) == key_.shift) ++presses;
      key_down_ = down;
    }
    XFreeEventData(d, cookie);
  }
  if (lost_) next_try_ = std::chrono::steady_clock::now() + kRetry;
  return presses;
}

}  // namespace talvane::platform
