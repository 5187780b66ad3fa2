#include "history/about_window.h"

#include <utility>

#include "resources/resource.h"
#include "ui/chrome.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 340;
constexpr int kHeight = 262;
constexpr unsigned kBlinkIntervalMs = 9000;
constexpr double kBlinkStepSeconds = 0.4;

}  // namespace

AboutWindow::AboutWindow(const FormServices& services, EventLoop& events, Diagnostics& diagnostics,
                         Pictures& pictures, SettingsStore& settings,
                         std::function<std::string()> since_installation_count)
    : Form(services.views, "AboutWindow", "About Pelkrin", {0, 0, kWidth, kHeight}),
      icon_frame(*this, "icon_frame", {10, 10, 64, 128}, Shape::Style::kRoundedRectangle,
                 kFrameColor),
      text_frame(*this, "text_frame", {84, 10, kWidth - 94, 210}, Shape::Style::kRoundedRectangle,
                 kFrameColor),
      top_icon(*this, "top_icon", {26, 24, 32, 32}),
      bottom_icon(*this, "bottom_icon", {26, 88, 32, 32}),
      count_label(*this, "count_label", {96, 20, kWidth - 116, 16}),
      product_text_box(*this, "product_text_box", {96, 46, kWidth - 116, 164}, ProductText()),
      count_line(*this, "count_line", {96, 40, kWidth - 116, 1}, Shape::Style::kRectangle,
                 kLineColor),
      icon_upper_line(*this, "icon_upper_line", {10, 146, 64, 1}, Shape::Style::kRectangle,
                      kLineColor),
      buttons_line(*this, "buttons_line", {10, 228, kWidth - 20, 1}, Shape::Style::kRectangle,
                   kLineColor),
      icon_lower_line(*this, "icon_lower_line", {10, 150, 64, 1}, Shape::Style::kRectangle,
                      kLineColor),
      left_close_button(*this, "left_close_button", {10, 234, 76, 22}, "&Close"),
      right_close_button(*this, "right_close_button", {kWidth - 86, 234, 76, 22}, "&Close"),
      blink_timer(*this, "blink_timer", events, diagnostics, kBlinkIntervalMs, false),
      windows_(services.windows),
      sounds_(services.sounds),
      events_(events),
      settings_(settings),
      since_installation_count_(std::move(since_installation_count)) {
  back_color = kSkinBack;
  const Picture icon = pictures.LoadIcon(IDI_NORMAL);
  for (Image* image : {&top_icon, &bottom_icon}) {
    image->Set(icon);
    image->tool_tip = "Pelkrin icon.";
  }
  count_label.font.bold = true;
  count_label.fore_color = kTextColor;
  product_text_box.multi_line = true;
  product_text_box.locked = true;
  left_close_button.tool_tip = "Close About Dialogue...";
  right_close_button.tool_tip = "Close about dialogue.";
  StyleButton(left_close_button);
  StyleButton(right_close_button);
  left_close_button.on_click = [this] { Close(true); };
  right_close_button.on_click = [this] { Close(false); };
  blink_timer.on_timer = [this] { Animate(); };
  SetTabOrder({&right_close_button, &left_close_button});
}

std::string AboutWindow::ProductText() {
  return "Pelkrin 1.0\r\n"
         "\r\n"
         "Pelkrin watches your Internet Explorer windows and pelks the advertising popups that "
         "open without asking: each one is hidden at once and closed for good when the next "
         "one is pelked, so the last one can still be restored from the tray menu.\r\n"
         "\r\n"
         "Domains and captions on your allow lists are never pelked, and holding down CTRL "
         "while a window opens lets it through.\r\n"
         "\r\n"
         "Click the tray icon for the options, the allow and block lists and the history of "
         "what was pelked.";
}

void AboutWindow::Open() {
  if (!IsLoaded()) {
    ++opening_;
    top_icon.SetVisible(true);
    bottom_icon.SetVisible(true);
  }
  Show();
}

void AboutWindow::OnLoad() {
  MakeTopmost(windows_, *this);
  const std::string install_date = settings_.ReadSetting("install_date");
  count_label.SetCaption(since_installation_count_() + kPelkedSince + install_date);
  blink_timer.SetEnabled(true);
}

void AboutWindow::OnUnload() { blink_timer.SetEnabled(false); }

void AboutWindow::Animate() {
  const std::uint64_t opening = opening_;
  // After a wait, the window may be closed (or closed and opened again): this blink is over
  // then, and must not touch the icons of a window that is gone.
  const auto wait = [&] {
    Wait(events_, kBlinkStepSeconds);
    return IsLoaded() && opening_ == opening;
  };
  top_icon.SetVisible(false);
  sounds_.PlayPopSound();
  if (!wait()) return;
  bottom_icon.SetVisible(false);
  sounds_.PlayPopSound();
  if (!wait()) return;
  top_icon.SetVisible(true);
  if (!wait()) return;
  bottom_icon.SetVisible(true);
}

void AboutWindow::Close(bool stop_timer_first) {
  sounds_.PlayClickSound();
  SetWindowState(1);
  if (stop_timer_first) blink_timer.SetEnabled(false);
  Unload();
}

}  // namespace pelkrin
