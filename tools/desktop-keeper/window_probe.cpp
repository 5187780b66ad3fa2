// window-probe [--deadline MS] CLASS...: waits until a top-level window of every CLASS exists on
// the Wine desktop; hidden windows count unless the class is written "visible:CLASS" (e.g.
// "visible:Shell_TrayWnd", the taskbar, which Wine shows once the first tray icon is added).
// Exit code 0 when all were found, 1 when the deadline (default 30 s) passed, 2 on bad usage.
// The shell scripts use it because windows inside Wine's virtual desktop are not X windows
// that X tools could see.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPollMs = 20;
constexpr DWORD kDefaultDeadlineMs = 30000;

bool WindowExists(const std::string& wanted_window) {
  constexpr char kVisible[] = "visible:";
  const bool must_be_visible = wanted_window.rfind(kVisible, 0) == 0;
  const std::string window_class =
      must_be_visible ? wanted_window.substr(sizeof kVisible - 1) : wanted_window;
  for (HWND window = ::FindWindowExA(nullptr, nullptr, window_class.c_str(), nullptr);
       window != nullptr;
       window = ::FindWindowExA(nullptr, window, window_class.c_str(), nullptr)) {
    if (!must_be_visible || ::IsWindowVisible(window)) return true;
  }
  return false;
}

bool ParseDeadline(const char* text, DWORD& deadline_ms) {
  char* end = nullptr;
  const unsigned long parsed = std::strtoul(text, &end, 10);
  if (end == text || *end != '\0') return false;
  deadline_ms = static_cast<DWORD>(parsed);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  DWORD deadline_ms = kDefaultDeadlineMs;
  std::vector<std::string> wanted;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--deadline" && i + 1 < argc) {
      if (!ParseDeadline(argv[++i], deadline_ms)) {
        std::fprintf(stderr, "window-probe: bad deadline '%s'\n", argv[i]);
        return 2;
      }
    } else {
      wanted.push_back(arg);
    }
  }
  if (wanted.empty()) {
    std::fprintf(stderr, "usage: window-probe [--deadline MS] [visible:]CLASS...\n");
    return 2;
  }

  const DWORD start = ::GetTickCount();
  for (;;) {
    bool all = true;
    for (const std::string& wanted_window : wanted) all = all && WindowExists(wanted_window);
    if (all) return 0;
    if (::GetTickCount() - start >= deadline_ms) return 1;
    ::Sleep(kPollMs);  // the polling interval of this wait, bounded by the deadline above
  }
}
