#include "guards/cookie_remover_window.h"

#include <vector>

#include "ui/chrome.h"

namespace pelkrin {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 282;
constexpr int kLeft = 22;
constexpr int kInner = kWidth - 2 * kLeft;
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
      RainButton1(*this, "RainButton1", {}, "", ControlKind::kTitleStrip),
      Label1(*this, "Label1", {}),
      Label6(*this, "Label6", {}),
      Frame1(*this, "Frame1", {12, 34, kWidth - 24, 206}, Shape::Style::kRoundedRectangle,
             kFrameColor),
      Label5(*this, "Label5", {kLeft - 1, 41, kInner, 16}),
      Label2(*this, "Label2", {kLeft, 42, kInner, 16}, "Detecting Cookies...   Please wait..."),
      Label3(*this, "Label3", {kLeft, 118, kInner, 16}, kRemovingCookies),
      File1(*this, "File1", {kLeft, 62, kInner, 144}),
      Label4(*this, "Label4", {kLeft, 214, kInner, 16},
             "Double-Click a single cookie to remove it."),
      RainButton2(*this, "RainButton2", {kWidth - kLeft - 150, 248, 150, 24},
                  "&Remove All Cookies"),
      windows_(services.windows),
      sounds_(services.sounds),
      files_(files),
      process_(process),
      events_(events),
      dialogs_(dialogs),
      diagnostics_(diagnostics) {
  back_color = kSkinBack;
  SetUpChrome(*this, RainButton1, Label1, &Label6, Caption(), services.drag,
              "Close Cookie Remover.", [this] { Close(); });

  Label2.font.bold = Label5.font.bold = true;
  Label2.fore_color = kTextColor;
  Label5.fore_color = kCopyLabelColor;
  Label2.SetCopy(Label5);
  Label3.fore_color = kBlue;
  Label3.alignment = Align::kCenter;
  Label4.fore_color = kTextColor;
  File1.tool_tip = "Here is a list of cookies found on your computer.";
  RainButton2.tool_tip = "Remove all cookies detected on your computer.";
  StyleButton(RainButton2);

  File1.on_dbl_click = [this] { RemoveSelected(); };
  Label4.on_dbl_click = [this] {
    const InUse in_use(*this);
    dialogs_.MessageBox("Not this, double click the cookie!", kAppTitle, kExclamationSystemModal);
  };
  RainButton2.on_click = [this] { RemoveAll(); };

  File1.tab_index = 1;
  RainButton2.tab_index = 2;
}

void CookieRemoverWindow::OnLoad() {
  const InUse in_use(*this);
  MakeTopmost(windows_, *this);
  folder_ = CookieFolder(process_);
  const auto names = files_.ListFiles(folder_, kCookiePattern);
  if (!names) {
    // Later Windows keep cookies elsewhere, in a folder a program may not list.
    dialogs_.MessageBox(kNotCompatible, "", kInformationSystemModal);
    RainButton2.SetEnabled(false);
    File1.SetEnabled(false);
    Show();
    Wait(events_, 2);
    Label2.SetCaption("Feature Disabled");
    return;
  }
  for (const std::string& name : *names) File1.AddItem(name);
  SetStatus();
}

void CookieRemoverWindow::Refresh(const std::vector<std::string>& known_left) {
  const auto names = files_.ListFiles(folder_, kCookiePattern);
  if (!names) diagnostics_.Trace("the cookie folder could no longer be listed: " + folder_);
  File1.Clear();
  for (const std::string& name : names.value_or(known_left)) File1.AddItem(name);
}

void CookieRemoverWindow::RemoveSelected() {
  const InUse in_use(*this);
  sounds_.PlayClickSound();
  const int index = File1.ListIndex();
  if (index < 0 || removing_) return;
  if (!files_.DeleteFile(PathOf(File1.List(index)))) {
    dialogs_.MessageBox("Error deleting cookie!", kAppTitle, kExclamationSystemModal);
    return;
  }
  std::vector<std::string> left = File1.Items();
  left.erase(left.begin() + index);
  Refresh(left);
  SetStatus();
}

void CookieRemoverWindow::RemoveAll() {
  const InUse in_use(*this);
  sounds_.PlayClickSound();
  // Delete all waits, so clicks reach the window while it works: one arriving then is ignored.
  if (removing_) return;
  if (File1.ListCount() == 0) {
    dialogs_.MessageBox("No cookies detected!", kAppTitle, kExclamationSystemModal);
    return;
  }
  removing_ = true;
  const std::vector<std::string> cookies = File1.Items();
  const int listed = static_cast<int>(cookies.size());
  SetMousePointer(MousePointer::kHourglass);
  File1.SetVisible(false);  // uncovers "Removing Cookies...  Please wait..."
  // However this ends, the window is left usable: the list and the status line shown, the arrow
  // back.
  struct Restore {
    CookieRemoverWindow& form;
    ~Restore() {
      form.File1.SetVisible(true);
      form.Label2.SetVisible(true);
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
    Label2.SetCaption(progress);
  }
  Refresh(kept);
  File1.SetVisible(true);
  Label2.SetVisible(false);
  Wait(events_, 0.5);

  const int removed = listed - static_cast<int>(kept.size());
  dialogs_.MessageBox(RemoveAllReport(listed, removed), kCookieRemoverTitle,
                      removed == listed ? kInformationSystemModal : kExclamationSystemModal);
  Wait(events_, 0.5);
  Label2.SetVisible(true);
  SetMousePointer(MousePointer::kDefault);
  SetStatus();
}

void CookieRemoverWindow::Close() {
  sounds_.PlayClickSound();
  Unload();
}

}  // namespace pelkrin
