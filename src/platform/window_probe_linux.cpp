#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "common/text.h"
#include "platform/window_probe.h"

namespace talvane::platform {

namespace {

// Windows vanish while we walk the tree; the requests about them then fail
// with BadWindow. Those are expected answers, not faults: each request's
// status tells the caller, so the error itself is dropped.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// When the connection breaks (the server ends) Xlib's own handlers print a
// note and end the process. These return instead; the requests then fail,
// which the callers take as "no such window".
int IgnoreConnectionLoss(Display*) { return 0; }
void KeepRunningOnConnectionLoss(Display*, void*) {}

// One connection for the length of one call, with the ignoring handlers
// installed while it is open and the previous ones restored after.
class Connection {
 public:
  explicit Connection(const std::string& name) : display_(XOpenDisplay(name.empty() ? nullptr : name.c_str())) {
    if (!display_) return;
    XSetIOErrorExitHandler(display_, KeepRunningOnConnectionLoss, nullptr);
    previous_ = XSetErrorHandler(IgnoreXError);
    previousIo_ = XSetIOErrorHandler(IgnoreConnectionLoss);
  }
  ~Connection() {
    if (!display_) return;
    XCloseDisplay(display_);
    XSetIOErrorHandler(previousIo_);
    XSetErrorHandler(previous_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  Display* get() const { return display_; }
  explicit operator bool() const { return display_ != nullptr; }

 private:
  Display* display_;
  XErrorHandler previous_ = nullptr;
  XIOErrorHandler previousIo_ = nullptr;
};

std::vector<Window> Children(Display* d, Window w) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(d, w, &root, &parent, &children, &count)) return {};
  std::vector<Window> out(children, children + count);
  if (children) XFree(children);
  return out;
}

// The raw bytes of an 8-bit property, or nullopt when the window has none
// (or is gone).
std::optional<std::string> ByteProperty(Display* d, Window w, Atom property) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  // 4096 32-bit units are far more than any name or class we compare.
  if (XGetWindowProperty(d, w, property, 0, 4096, False, AnyPropertyType, &type, &format, &count, &after, &data) !=
      Success)
    return std::nullopt;
  std::optional<std::string> out;
  if (data && format == 8) out.emplace(reinterpret_cast<const char*>(data), count);
  if (data) XFree(data);
  return out;
}

// The window manager's list of managed client windows (_NET_CLIENT_LIST).
std::vector<Window> ClientList(Display* d, Window root) {
  const Atom list = XInternAtom(d, "_NET_CLIENT_LIST", True);
  if (list == 0) return {};
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<Window> out;
  if (XGetWindowProperty(d, root, list, 0, 65536, False, XA_WINDOW, &type, &format, &count, &after, &data) ==
          Success &&
      data && format == 32) {
    // Xlib hands 32-bit items over as longs.
    const auto* items = reinterpret_cast<const unsigned long*>(data);
    out.assign(items, items + count);
  }
  if (data) XFree(data);
  return out;
}

// Root children, their children (the clients inside window-manager frames),
// and the window manager's clients, on every screen, each once.
std::vector<Window> TopLevelWindows(Display* d) {
  std::vector<Window> out;
  for (int s = 0; s < ScreenCount(d); ++s) {
    const Window root = RootWindow(d, s);
    for (const Window w : Children(d, root)) {
      out.push_back(w);
      for (const Window inner : Children(d, w)) out.push_back(inner);
    }
    for (const Window w : ClientList(d, root))
      if (std::find(out.begin(), out.end(), w) == out.end()) out.push_back(w);
  }
  return out;
}

// The class part of WM_CLASS: the second of its two NUL-ended strings.
bool HasClass(Display* d, Window w, std::string_view windowClass) {
  const auto value = ByteProperty(d, w, XA_WM_CLASS);
  if (!value) return false;
  const auto nul = value->find('\0');
  if (nul == std::string::npos) return false;
  std::string_view cls = std::string_view(*value).substr(nul + 1);
  if (!cls.empty() && cls.back() == '\0') cls.remove_suffix(1);
  return EqualsNoCase(cls, windowClass);
}

bool HasTitle(Display* d, Window w, std::string_view title) {
  const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
  for (const Atom property : {netName, static_cast<Atom>(XA_WM_NAME)}) {
    const auto value = ByteProperty(d, w, property);
    if (value && EqualsNoCase(*value, title)) return true;
  }
  return false;
}

std::optional<Window> FindTopLevel(Display* d, const std::function<bool(Window)>& matches) {
  for (const Window w : TopLevelWindows(d))
    if (matches(w)) return w;
  return std::nullopt;
}

bool WindowExists(Display* d, Window w) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(d, w, &attributes) != 0;
}

// The close request a window manager sends for the close button.
void SendDeleteWindow(Display* d, Window w) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = w;
  event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, w, False, NoEventMask, &event);
  XFlush(d);
}

}  // namespace

unsigned long FindTopLevelWindowByTitle(const std::string& displayName, std::string_view title) {
  Connection c(displayName);
  if (!c) return 0;
  const auto w = FindTopLevel(c.get(), [&](Window w) { return HasTitle(c.get(), w, title); });
  return w.value_or(0);
}

bool SendCloseRequest(const std::string& displayName, unsigned long window) {
  Connection c(displayName);
  if (!c) return false;
  SendDeleteWindow(c.get(), window);
  return true;
}

X11WindowProbe::X11WindowProbe(std::string displayName, std::chrono::milliseconds closeWait)
    : displayName_(std::move(displayName)), closeWait_(closeWait) {}

bool X11WindowProbe::IsSimulatorRunning() const {
  Connection c(displayName_);
  return c && FindTopLevel(c.get(), [&](Window w) { return HasClass(c.get(), w, kSimulatorWindowClass); });
}

bool X11WindowProbe::IsVoiceModuleRunning() const {
  return FindTopLevelWindowByTitle(displayName_, kVoiceModuleWindowTitle) != 0;
}

bool X11WindowProbe::CloseVoiceModule() { return CloseAndWait() != CloseOutcome::kNoWindow; }

X11WindowProbe::CloseOutcome X11WindowProbe::CloseAndWait() {
  Connection c(displayName_);
  if (!c) return CloseOutcome::kNoWindow;
  Display* d = c.get();
  const auto w = FindTopLevel(d, [&](Window w) { return HasTitle(d, w, kVoiceModuleWindowTitle); });
  if (!w) return CloseOutcome::kNoWindow;
  SendDeleteWindow(d, *w);

  using Clock = std::chrono::steady_clock;
  constexpr std::chrono::milliseconds kPoll{50};
  const auto deadline = Clock::now() + closeWait_;
  while (WindowExists(d, *w)) {
    const auto now = Clock::now();
    if (now >= deadline) return CloseOutcome::kStillOpen;
    std::this_thread::sleep_for(std::min<Clock::duration>(kPoll, deadline - now));
  }
  return CloseOutcome::kClosed;
}

}  // namespace talvane::platform
