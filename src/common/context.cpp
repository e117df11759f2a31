#include "common/context.h"

namespace talvane {

std::filesystem::path Context::File(std::string_view relative) const {
  std::filesystem::path p = program_folder;
  std::string part;
  for (char c : relative) {
    if (c == '\\' || c == '/') {
      if (!part.empty()) p /= PathFromAnsi(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) p /= PathFromAnsi(part);
  return p;
}

namespace {

void Show(UserInterface& ui, std::string_view title, std::string_view text, int icon, std::string_view id,
          bool cancel) {
  Message m;
  m.title = title;
  m.text = text;
  m.icon = icon;
  m.ok = true;
  m.cancel = cancel;
  m.id = id;
  ui.ShowMessage(m);
}

}  // namespace

void Context::Tell(std::string_view title, std::string_view text, int icon, std::string_view id) const {
  Show(ui, title, text, icon, id, false);
}

void Context::Ask(std::string_view title, std::string_view text, int icon, std::string_view id) const {
  Show(ui, title, text, icon, id, true);
}

}  // namespace talvane
