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
      Frame2(*this, "Frame2", {10, 10, 64, 128}, Shape::Style::kRoundedRectangle, kFrameColor),
      Frame3(*this, "Frame3", {84, 10, kWidth - 94, 210}, Shape::Style::kRoundedRectangle,
             kFrameColor),
      Image1(*this, "Image1", {26, 24, 32, 32}),
      Image2(*this, "Image2", {26, 88, 32, 32}),
      Label5(*this, "Label5", {96, 20, kWidth - 116, 16}),
      Text1(*this, "Text1", {96, 46, kWidth - 116, 164}, ProductText()),
      Line1(*this, "Line1", {96, 40, kWidth - 116, 1}, Shape::Style::kRectangle, kLineColor),
      Line2(*this, "Line2", {10, 146, 64, 1}, Shape::Style::kRectangle, kLineColor),
      Line3(*this, "Line3", {10, 228, kWidth - 20, 1}, Shape::Style::kRectangle, kLineColor),
      Line4(*this, "Line4", {10, 150, 64, 1}, Shape::Style::kRectangle, kLineColor),
      RainButton1(*this, "RainButton1", {10, 234, 76, 22}, "&Close"),
      RainButton2(*this, "RainButton2", {kWidth - 86, 234, 76, 22}, "&Close"),
      Timer1(*this, "Timer1", events, diagnostics, kBlinkIntervalMs, false),
      windows_(services.windows),
      sounds_(services.sounds),
      events_(events),
      settings_(settings),
      since_installation_count_(std::move(since_installation_count)) {
  back_color = kSkinBack;
  const Picture icon = pictures.LoadIcon(IDI_NORMAL);
  for (Image* image : {&Image1, &Image2}) {
    image->Set(icon);
    image->tool_tip = "Pelkrin icon.";
  }
  Label5.font.bold = true;
  Label5.fore_color = kTextColor;
  Text1.multi_line = true;
  Text1.locked = true;
  RainButton1.tool_tip = "Close About Dialogue...";
  RainButton2.tool_tip = "Close about dialogue.";
  StyleButton(RainButton1);
  StyleButton(RainButton2);
  RainButton1.on_click = [this] { Close(true); };
  RainButton2.on_click = [this] { Close(false); };
  Timer1.on_timer = [this] { Animate(); };
  RainButton2.tab_index = 1;
  RainButton1.tab_index = 2;
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
    Image1.SetVisible(true);
    Image2.SetVisible(true);
  }
  Show();
}

void AboutWindow::OnLoad() {
  MakeTopmost(windows_, *this);
  const std::string install_date = settings_.ReadSetting("install_date");
  Label5.SetCaption(since_installation_count_() + kPelkedSince + install_date);
  Timer1.SetEnabled(true);
}

void AboutWindow::OnUnload() { Timer1.SetEnabled(false); }

void AboutWindow::Animate() {
  const std::uint64_t opening = opening_;
  // After a wait, the window may be closed (or closed and opened again): this blink is over
  // then, and must not touch the icons of a window that is gone.
  const auto wait = [&] {
    Wait(events_, kBlinkStepSeconds);
    return IsLoaded() && opening_ == opening;
  };
  Image1.SetVisible(false);
  sounds_.PlayPopSound();
  if (!wait()) return;
  Image2.SetVisible(false);
  sounds_.PlayPopSound();
  if (!wait()) return;
  Image1.SetVisible(true);
  if (!wait()) return;
  Image2.SetVisible(true);
}

void AboutWindow::Close(bool stop_timer_first) {
  sounds_.PlayClickSound();
  SetWindowState(1);
  if (stop_timer_first) Timer1.SetEnabled(false);
  Unload();
}

}  // namespace pelkrin
