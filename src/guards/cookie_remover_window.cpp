#include "guards/cookie_remover_window.h"

#include <vector>

#include "ui/chrome.h"
#include "ui/layout.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 282;
constexpr ColumnLayout kLayout(kWidth, 22);
constexpr Rgb kBlue = 0x1F4FC8;

constexpr char kNotCompatible[] =
    "This feature is not compatible with your Windows version.\r\r"
    "To clear your cookies, from Internet Explorer, go to the Tools menu, then click Internet "
    "Options.  Click Clear Cookies and/or Delete Files.";

std::string Cookies(int count) {
  return std::to_string(count) + (count == 1 ? " cookie" : " cookies");
}

}  // namespace

std::string CookieFolder(Process& process) {
  std::string windows = process.WindowsFolder();
  if (windows.empty()) windows = "c:\\windows";
  if (windows.back() == '\\') windows.pop_back();  // a drive's root: "C:\"
  return windows + "\\cookies";
}

std::string CookieStatusText(int count) {
  if (count == 0) return "No Cookies Detected";
  if (count == 1) return "1 Cookie Detected";
  return std::to_string(count) + " Cookies Detected";
}

std::string RemoveAllReport(int listed, int removed) {
  if (removed == listed)
    return std::to_string(listed) + " cookies have been successfully removed from your computer.";
  const int kept = listed - removed;
  return "Removed " + std::to_string(removed) + " of " + Cookies(listed) +
         " from your computer.\r\r" + Cookies(kept) +
         (kept == 1 ? " could not be removed: another program may be using it, or it is read-only."
                    : " could not be removed: another program may be using them, or they are "
                      "read-only.") +
         "  Close Internet Explorer and try again.";
}

CookieRemoverWindow::CookieRemoverWindow(const FormServices& services, FileSystem& files,
                                         Process& process, EventLoop& events, Dialogs& dialogs,
                                         Diagnostics& diagnostics)
    : Form(services.views, "CookieRemoverWindow", kCookieRemoverTitle, {0, 0, kWidth, kHeight}),
      title_strip(*this, "title_strip", {}, "", ControlKind::kTitleStrip),
      drag_handle(*this, "drag_handle", {}),
      close_mark(*this, "close_mark", {}),
      frame(*this, "frame", kLayout.Frame(206), Shape::Style::kRoundedRectangle, kFrameColor),
      status_label_copy(*this, "status_label_copy", {}),
      status_label(*this, "status_label", kLayout.Row(42), "Detecting Cookies...   Please wait..."),
      removing_label(*this, "removing_label", kLayout.Row(118), kRemovingCookies),
      cookie_list(*this, "cookie_list", kLayout.Row(62, 144)),
      hint_label(*this, "hint_label", kLayout.Row(214),
                 "Double-Click a single cookie to remove it."),
      remove_all_button(*this, "remove_all_button", {kWidth - kLayout.Left() - 150, 248, 150, 24},
                        "&Remove All Cookies"),
      windows_(services.windows),
      sounds_(services.sounds),
      files_(files),
      process_(process),
      events_(events),
      dialogs_(dialogs),
      diagnostics_(diagnostics) {
  back_color = kSkinBack;
  SetUpChrome(*this, title_strip, drag_handle, &close_mark, Caption(), services.drag,
              "Close Cookie Remover.", [this] { Close(); });
  AddHeading(status_label, status_label_copy);
  removing_label.fore_color = kBlue;
  removing_label.alignment = Align::kCenter;
  hint_label.fore_color = kTextColor;
  cookie_list.tool_tip = "Here is a list of cookies found on your computer.";
  remove_all_button.tool_tip = "Remove all cookies detected on your computer.";
  StyleButton(remove_all_button);

  cookie_list.on_dbl_click = [this] { RemoveSelected(); };
  hint_label.on_dbl_click = [this] { PointAtTheList(); };
  remove_all_button.on_click = [this] { RemoveAll(); };
  SetTabOrder({&cookie_list, &remove_all_button});
}

void CookieRemoverWindow::PointAtTheList() {
  const InUse in_use(*this);
  dialogs_.MessageBox("Not this, double click the cookie!", kAppTitle, kExclamationSystemModal);
}

void CookieRemoverWindow::OnLoad() {
  const InUse in_use(*this);
  MakeTopmost(windows_, *this);
  folder_ = CookieFolder(process_);
  const auto names = files_.ListFiles(folder_, kCookiePattern);
  if (!names) {
    // Later Windows keep cookies elsewhere, in a folder a program may not list.
    dialogs_.MessageBox(kNotCompatible, "", kInformationSystemModal);
    remove_all_button.SetEnabled(false);
    cookie_list.SetEnabled(false);
    Show();
    Wait(events_, 2);
    status_label.SetCaption("Feature Disabled");
    return;
  }
  for (const std::string& name : *names) cookie_list.AddItem(name);
  SetStatus();
}

void CookieRemoverWindow::Refresh(const std::vector<std::string>& known_left) {
  const auto names = files_.ListFiles(folder_, kCookiePattern);
  if (!names) diagnostics_.Trace("the cookie folder could no longer be listed: " + folder_);
  cookie_list.Clear();
  for (const std::string& name : names.value_or(known_left)) cookie_list.AddItem(name);
}

void CookieRemoverWindow::RemoveSelected() {
  const InUse in_use(*this);
  sounds_.PlayClickSound();
  const int index = cookie_list.ListIndex();
  if (index < 0 || removing_) return;
  if (!files_.DeleteFile(PathOf(cookie_list.List(index)))) {
    dialogs_.MessageBox("Error deleting cookie!", kAppTitle, kExclamationSystemModal);
    return;
  }
  std::vector<std::string> left = cookie_list.Items();
  left.erase(left.begin() + index);
  Refresh(left);
  SetStatus();
}

void CookieRemoverWindow::RemoveAll() {
  const InUse in_use(*this);
  sounds_.PlayClickSound();
  // Delete all waits, so clicks reach the window while it works: one arriving then is ignored.
  if (removing_) return;
  if (cookie_list.ListCount() == 0) {
    dialogs_.MessageBox("No cookies detected!", kAppTitle, kExclamationSystemModal);
    return;
  }
  removing_ = true;
  const std::vector<std::string> cookies = cookie_list.Items();
  const int listed = static_cast<int>(cookies.size());
  SetMousePointer(MousePointer::kHourglass);
  cookie_list.SetVisible(false);  // uncovers "Removing Cookies...  Please wait..."
  // However this ends, the window is left usable: the list and the status line shown, the arrow
  // back.
  struct Restore {
    CookieRemoverWindow& form;
    ~Restore() {
      form.cookie_list.SetVisible(true);
      form.status_label.SetVisible(true);
      form.SetMousePointer(MousePointer::kDefault);
      form.removing_ = false;
    }
  } restore{*this};

  Wait(events_, 1);
  const std::string progress = "Deleting " + std::to_string(listed) + " cookies...";
  // What the deletions report is what was removed: a folder that cannot be listed afterwards
  // must not make the cookies left in it count as gone.
  std::vector<std::string> kept;
  for (const std::string& name : cookies) {
    // A cookie the browser holds open, or a read-only one, is skipped; the rest still go.
    if (!files_.DeleteFile(PathOf(name))) kept.push_back(name);
    status_label.SetCaption(progress);
  }
  Refresh(kept);
  cookie_list.SetVisible(true);
  status_label.SetVisible(false);
  Wait(events_, 0.5);

  const int removed = listed - static_cast<int>(kept.size());
  dialogs_.MessageBox(RemoveAllReport(listed, removed), kCookieRemoverTitle,
                      removed == listed ? kInformationSystemModal : kExclamationSystemModal);
  Wait(events_, 0.5);
  status_label.SetVisible(true);
  SetMousePointer(MousePointer::kDefault);
  SetStatus();
}

void CookieRemoverWindow::Close() {
  sounds_.PlayClickSound();
  Unload();
}

}  // namespace pelkrin
