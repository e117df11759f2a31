#include "app/skinned_button.h"

#include <memory>

namespace talvane {

ButtonSize SizeOf(ButtonKind kind) {
  switch (kind) {
    case ButtonKind::FormButton:
      return {33, 33};
    case ButtonKind::SmallButton:
      return {95, 35};
    case ButtonKind::MediumButton:
      return {182, 35};
    case ButtonKind::LargeButton:
      return {308, 58};
  }
  return {0, 0};
}

int FrameOffset(ButtonKind kind, std::string_view state) {
  int frame = 0;
  if (state == kStateHighlight) frame = 1;
  else if (state == kStateDown) frame = 2;
  else if (state == kStateDisabled) frame = 3;
  return -frame * SizeOf(kind).height;
}

bool ResetsSiblings(ButtonKind kind) { return kind != ButtonKind::FormButton; }

void SkinnedButton::SetState(std::string_view s) {
  if (state == s) return;
  state = std::string(s);
  Changed();
}

SkinnedButton& ButtonBoard::Add(ButtonKind kind, Form owner, std::string name) {
  buttons_.push_back(std::make_unique<SkinnedButton>(kind, owner, std::move(name)));
  buttons_.back()->form_name = owner;
  return *buttons_.back();
}

void ButtonBoard::AddAll(Form owner, std::span<const ButtonPlace> places) {
  for (const ButtonPlace& p : places) {
    SkinnedButton& b = Add(p.kind, owner, p.name);
    b.button_type = p.word;
    b.picture = p.name;
    b.ToolTip = p.tip;
    b.left = p.left;
    b.top = p.top;
  }
}

std::vector<SkinnedButton*> ButtonBoard::OnForm(Form f) const {
  std::vector<SkinnedButton*> out;
  for (const auto& b : buttons_)
    if (b->owner() == f) out.push_back(b.get());
  return out;
}

SkinnedButton* ButtonBoard::Find(Form owner, std::string_view name) const {
  for (const auto& b : buttons_)
    if (b->owner() == owner && b->name() == name) return b.get();
  return nullptr;
}

void ButtonBoard::ReleaseFormButtons(Form f) {
  for (SkinnedButton* b : OnForm(f)) {
    b->on_changed = nullptr;
    b->tracking = false;
  }
}

void MouseMove(SkinnedButton& b, ButtonBoard& board) {
  if (ResetsSiblings(b.kind())) {
    for (SkinnedButton* other : board.OnForm(b.form_name))
      if (other != &b && other->kind() == b.kind() && !other->disabled() && other->button_type != b.button_type)
        other->SetState(kStateEnabled);
  }
  if (!b.tracking) {
    b.tracking = true;
    if (!b.disabled()) b.SetState(kStateHighlight);
  }
}

void MouseLeave(SkinnedButton& b) {
  b.tracking = false;
  if (!b.disabled()) b.SetState(kStateEnabled);
}

void MousePress(SkinnedButton& b) {
  if (!b.disabled()) b.SetState(kStateDown);
}

}  // namespace talvane
