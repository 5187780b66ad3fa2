#include "ui/controls.h"

#include <algorithm>

#include "ui/form.h"

namespace pelkrin {

Control::Control(Form& form, std::string name, ControlKind kind, Bounds bounds)
    : bounds(bounds), form_(form), name_(std::move(name)), kind_(kind) {
  form_.Register(this);
}

Control::~Control() {
  Notify(Change::kDestroyed);
  form_.Unregister(this);
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Notify(Change::kVisible);
}

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Notify(Change::kEnabled);
}

void Control::Notify(Change change, int index) {
  if (sink_) sink_->ControlChanged(*this, change, index);
}

Label::Label(Form& form, std::string name, Bounds bounds, std::string caption)
    : Control(form, std::move(name), ControlKind::kLabel, bounds), caption_(std::move(caption)) {
  back_color = form.back_color;
}

void Label::SetCaption(std::string caption) {
  if (copy_) copy_->SetCaption(caption);
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  Notify(Change::kCaption);
}

void Label::SetCopy(Label& copy) {
  copy_ = &copy;
  copy.SetCaption(caption_);
}

TextBox::TextBox(Form& form, std::string name, Bounds bounds, std::string text)
    : Control(form, std::move(name), ControlKind::kTextBox, bounds), text_(std::move(text)) {}

void TextBox::SetText(std::string text) {
  if (text_ == text) return;
  text_ = std::move(text);
  Notify(Change::kCaption);
  if (on_change) on_change();
}

ListBox::ListBox(Form& form, std::string name, Bounds bounds)
    : Control(form, std::move(name), ControlKind::kListBox, bounds) {}

void ListBox::AddItem(std::string item) {
  items_.push_back(std::move(item));
  Notify(Change::kItemAdded, ListCount() - 1);
}

void ListBox::SetItem(int index, std::string item) {
  if (index < 0 || index >= ListCount()) return;
  items_[static_cast<std::size_t>(index)] = std::move(item);
  ++edit_count_;
  // A view shows the change as the entry going and the new text coming at the same place.
  Notify(Change::kItemRemoved, index);
  Notify(Change::kItemAdded, index);
}

void ListBox::RemoveItem(int index) {
  if (index < 0 || index >= ListCount()) return;
  items_.erase(items_.begin() + index);
  ++edit_count_;
  if (list_index_ == index) {
    list_index_ = -1;
  } else if (list_index_ > index) {
    --list_index_;
  }
  Notify(Change::kItemRemoved, index);
}

void ListBox::Clear() {
  items_.clear();
  ++edit_count_;
  list_index_ = -1;
  Notify(Change::kItemsCleared);
}

void ListBox::UserSelect(int index) {
  UserSelectForMenu(index);
  if (on_click) on_click();
}

void ListBox::UserSelectForMenu(int index) {
  if (index < -1 || index >= ListCount()) index = -1;
  if (list_index_ != index) {
    list_index_ = index;
    Notify(Change::kSelection, index);
  }
}

ComboBox::ComboBox(Form& form, std::string name, Bounds bounds, std::string text)
    : Control(form, std::move(name), ControlKind::kComboBox, bounds), text_(std::move(text)) {}

void ComboBox::AddItem(std::string item) {
  items_.push_back(std::move(item));
  Notify(Change::kItemAdded, ListCount() - 1);
}

void ComboBox::SetText(std::string text) {
  list_index_ = -1;
  if (text_ == text) return;
  text_ = std::move(text);
  Notify(Change::kCaption);
}

void ComboBox::UserPick(int index) {
  if (index < 0 || index >= ListCount()) return;
  list_index_ = index;
  if (text_ != List(index)) {
    text_ = List(index);
    Notify(Change::kCaption);
  }
  Notify(Change::kSelection, index);
  if (on_click) on_click();
}

CheckBox::CheckBox(Form& form, std::string name, Bounds bounds, int value)
    : Control(form, std::move(name), ControlKind::kCheckBox, bounds), value_(value) {}

void CheckBox::SetValue(int value) {
  if (value_ == value) return;
  value_ = value;
  Notify(Change::kValue);
  if (on_click) on_click();
}

RainButton::RainButton(Form& form, std::string name, Bounds bounds, std::string caption,
                       ControlKind kind)
    : Control(form, std::move(name), kind, bounds), caption_(std::move(caption)) {}

void RainButton::SetCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  Notify(Change::kCaption);
}

Shape::Shape(Form& form, std::string name, Bounds bounds, Style style, Rgb fill)
    : Control(form, std::move(name), ControlKind::kShape, bounds), style(style) {
  back_color = fill;
}

Image::Image(Form& form, std::string name, Bounds bounds, Picture picture)
    : Control(form, std::move(name), ControlKind::kImage, bounds), picture_(picture) {}

void Image::Set(const Picture& picture) {
  picture_ = picture;
  Notify(Change::kPicture);
}

Timer::Timer(Form& form, std::string name, EventLoop& events, Diagnostics& diagnostics,
             unsigned interval_ms, bool enabled)
    : Control(form, std::move(name), ControlKind::kTimer, {}),
      events_(events),
      diagnostics_(diagnostics),
      interval_ms_(interval_ms) {
  Control::SetEnabled(false);
  SetEnabled(enabled);
}

Timer::~Timer() { Stop(); }

void Timer::SetEnabled(bool enabled) {
  // Enabling a running timer restarts its interval, as a timer control does.
  Stop();
  Control::SetEnabled(enabled);
  if (enabled) Start();
}

void Timer::Start() {
  if (interval_ms_ == 0) return;
  timer_id_ = events_.StartTimer(interval_ms_, [this] { Tick(); });
  if (timer_id_ == 0) diagnostics_.Trace("the timer " + Name() + " could not be started");
}

void Timer::Stop() {
  if (timer_id_ != 0) events_.StopTimer(timer_id_);
  timer_id_ = 0;
}

}  // namespace pelkrin
