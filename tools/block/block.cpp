// block.exe: started by the browser's Block button (with no arguments, from the program folder).
// It hands the caption of the browser window the user is looking at to Pelkrin through the
// value "block_tmp" of section "pk" in "pk.sys" beside it, where Pelkrin's next survey adds it
// to the block list, and then closes that window, as the Block button promises.
#include <windows.h>

#include <string>

namespace {

constexpr char kBrowserFrameClassPrefix[] = "IEFrame";
constexpr char kSettingsFileName[] = "pk.sys";
constexpr char kSettingsSection[] = "pk";
constexpr char kBlockRequestKey[] = "block_tmp";

bool IsBrowserFrame(HWND window) {
  char class_name[260] = {};
  if (window == nullptr || ::GetClassNameA(window, class_name, sizeof class_name) == 0)
    return false;
  return std::string(class_name).rfind(kBrowserFrameClassPrefix, 0) == 0;
}

BOOL CALLBACK FindFirstVisibleFrame(HWND window, LPARAM found) {
  if (!::IsWindowVisible(window) || !IsBrowserFrame(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The browser window whose button was pressed: the one in front, or the window that owns the
// one in front; when the button's press left another window in front, the topmost visible
// browser frame.
HWND FrontBrowserFrame() {
  const HWND front = ::GetForegroundWindow();
  if (IsBrowserFrame(front)) return front;
  const HWND owner = front ? ::GetAncestor(front, GA_ROOTOWNER) : nullptr;
  if (IsBrowserFrame(owner)) return owner;
  HWND found = nullptr;
  ::EnumWindows(FindFirstVisibleFrame, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string Caption(HWND window) {
  const int length = ::GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = ::GetWindowTextA(window, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

// "<folder of this program>\pk.sys"; "" when Windows cannot say where this program is.
std::string SettingsPath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  const auto cut = path.find_last_of('\\');
  if (cut == std::string::npos) return {};
  return path.substr(0, cut + 1) + kSettingsFileName;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const HWND frame = FrontBrowserFrame();
  if (frame == nullptr) return 1;
  const std::string caption = Caption(frame);
  const std::string settings = SettingsPath();
  if (caption.empty() || settings.empty()) return 2;
  if (!::WritePrivateProfileStringA(kSettingsSection, kBlockRequestKey, caption.c_str(),
                                    settings.c_str()))
    return 3;
  // Posted, never sent: a browser that stopped answering must not keep this program waiting.
  ::PostMessageA(frame, WM_CLOSE, 0, 0);
  return 0;
}
