// The window manager as the detector uses it, counting its calls: each is a round trip to the
// window server under Wine, and a survey's slice is measured in them.
#pragma once

#include <cstddef>
#include <utility>

#include "platform/platform.h"

namespace pelkrin {

class CountedWindows final : public WindowManager {
 public:
  explicit CountedWindows(WindowManager& windows) : windows_(windows) {}

  // Calls about windows so far; the key state and the watcher are not counted.
  std::size_t Calls() const { return calls_; }

  void EnumTopLevel(const std::function<bool(Hwnd)>& visit) override {
    ++calls_;
    windows_.EnumTopLevel(visit);
  }
  Hwnd FindTopLevel(const std::string* class_name, const std::string* caption) override {
    ++calls_;
    return windows_.FindTopLevel(class_name, caption);
  }
  Hwnd FindChild(Hwnd parent, Hwnd after, const std::string* class_name,
                 const std::string* caption) override {
    ++calls_;
    return windows_.FindChild(parent, after, class_name, caption);
  }
  Hwnd FirstChild(Hwnd window) override {
    ++calls_;
    return windows_.FirstChild(window);
  }
  Hwnd NextSibling(Hwnd window) override {
    ++calls_;
    return windows_.NextSibling(window);
  }
  std::string ClassName(Hwnd window, int buffer_chars) override {
    ++calls_;
    return windows_.ClassName(window, buffer_chars);
  }
  int CaptionLength(Hwnd window) override {
    ++calls_;
    return windows_.CaptionLength(window);
  }
  std::string Caption(Hwnd window, int buffer_chars) override {
    ++calls_;
    return windows_.Caption(window, buffer_chars);
  }
  std::uint32_t Style(Hwnd window) override {
    ++calls_;
    return windows_.Style(window);
  }
  std::uint32_t ExStyle(Hwnd window) override {
    ++calls_;
    return windows_.ExStyle(window);
  }
  void RequestLayered(Hwnd window, std::optional<std::uint8_t> alpha,
                      unsigned timeout_ms) override {
    ++calls_;
    windows_.RequestLayered(window, alpha, timeout_ms);
  }
  std::vector<LayeredDone> TakeLayeredDone() override { return windows_.TakeLayeredDone(); }
  [[nodiscard]] bool WaitLayered(unsigned timeout_ms) override {
    return windows_.WaitLayered(timeout_ms);
  }
  std::optional<std::uint8_t> LayeredAlpha(Hwnd window) override {
    ++calls_;
    return windows_.LayeredAlpha(window);
  }
  bool IsVisible(Hwnd window) override {
    ++calls_;
    return windows_.IsVisible(window);
  }
  bool IsWindow(Hwnd window) override {
    ++calls_;
    return windows_.IsWindow(window);
  }
  void SetCaption(Hwnd window, const std::string& caption) override {
    ++calls_;
    windows_.SetCaption(window, caption);
  }
  void Show(Hwnd window, int command) override {
    ++calls_;
    windows_.Show(window, command);
  }
  void Post(Hwnd window, std::uint32_t message, WParam wparam, LParam lparam) override {
    ++calls_;
    windows_.Post(window, message, wparam, lparam);
  }
  [[nodiscard]] std::optional<long> SendGetTextLength(Hwnd window, unsigned timeout_ms) override {
    ++calls_;
    return windows_.SendGetTextLength(window, timeout_ms);
  }
  [[nodiscard]] std::optional<std::string> SendGetText(Hwnd window, std::size_t buffer_chars,
                                                       unsigned timeout_ms) override {
    ++calls_;
    return windows_.SendGetText(window, buffer_chars, timeout_ms);
  }
  bool IsKeyDown(int virtual_key) override { return windows_.IsKeyDown(virtual_key); }
  void MakeTopmost(Hwnd window) override {
    ++calls_;
    windows_.MakeTopmost(window);
  }
  [[nodiscard]] bool WatchWindowEvents(WindowEventHandler handler) override {
    return windows_.WatchWindowEvents(std::move(handler));
  }
  [[nodiscard]] bool WatchKeyPresses(int virtual_key, std::function<void()> pressed) override {
    return windows_.WatchKeyPresses(virtual_key, std::move(pressed));
  }

 private:
  WindowManager& windows_;
  std::size_t calls_ = 0;
};

}  // namespace pelkrin
