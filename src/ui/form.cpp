#include "ui/form.h"

#include <algorithm>

namespace pelkrin {

Form::Form(ViewHost& views, std::string name, std::string caption, Bounds bounds)
    : bounds(bounds), views_(views), name_(std::move(name)), caption_(std::move(caption)) {}

Form::~Form() { view_.reset(); }

void Form::Unregister(Control* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

void Form::Load() {
  if (loaded_ || loading_) return;
  loading_ = true;
  if (window_at_load) view_ = views_.CreateView(*this);
  loaded_ = true;
  loading_ = false;
  OnLoad();
}

void Form::Show() {
  Load();
  if (!loaded_ || visible_) return;
  if (!view_) view_ = views_.CreateView(*this);
  visible_ = true;
  if (sink_) sink_->FormVisibilityChanged(true);
}

void Form::Hide() {
  if (!visible_) return;
  visible_ = false;
  if (sink_) sink_->FormVisibilityChanged(false);
}

void Form::Unload() {
  if (!loaded_) return;
  OnUnload();
  visible_ = false;
  loaded_ = false;
  window_state_ = 0;
  view_.reset();
  sink_ = nullptr;
  for (Control* control : controls_) control->SetSink(nullptr);
}

void Form::SetWindowState(int state) {
  if (window_state_ == state) return;
  window_state_ = state;
  if (sink_) sink_->FormWindowStateChanged(state);
}

void Form::MoveTo(int left, int top) {
  bounds.left = left;
  bounds.top = top;
  if (sink_) sink_->FormMoved();
}

void Form::SetIcon(const Picture& icon) {
  icon_ = icon;
  if (sink_) sink_->FormIconChanged();
}

void Form::SetMousePointer(MousePointer pointer) {
  if (mouse_pointer_ == pointer) return;
  mouse_pointer_ = pointer;
  if (sink_) sink_->FormMousePointerChanged();
}

Hwnd Form::Handle() const { return view_ ? view_->Handle() : kNoWindow; }

}  // namespace pelkrin
