// The Win32 layer under the contracts of the platform seam (tests/contract), against the real
// system: the same tests the simulated desktop passes natively.
// <windows.h> (through win32_platform.h) comes before the seam's header; see win32_platform.h.
#include "platform/win32/win32_platform.h"

#include <thread>

#include "../contract/contract.h"
#include "harness.h"

namespace pelkrin::contract {
namespace {

using namespace win32;

class Win32RegistryWorld : public RegistryWorld {
 public:
  static constexpr char kKey[] = "Software\\PelkrinContract";
  Win32RegistryWorld() { EXPECT_TRUE(e2e::DeleteRegistryTree(HKEY_CURRENT_USER, kKey)); }
  ~Win32RegistryWorld() override { EXPECT_TRUE(e2e::DeleteRegistryTree(HKEY_CURRENT_USER, kKey)); }
  Registry& registry() override { return registry_; }
  void PutStringData(RegKey root, const std::string& path, const std::string& name,
                     const std::string& bytes, bool expand) override {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(WidenHandle<HKEY>(root), path.c_str(), 0, nullptr, 0, KEY_WRITE,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ScopedRegKey owned(key);
    // RegSetValueExA counts a terminator the caller left out when a NUL follows the data, as
    // Windows NT does; with another byte there the data is stored exactly as given.
    const std::string followed = bytes + 'X';
    EXPECT_EQ(::RegSetValueExA(key, name.c_str(), 0, expand ? REG_EXPAND_SZ : REG_SZ,
                               reinterpret_cast<const BYTE*>(followed.data()),
                               static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }

 private:
  Win32Registry registry_;
};

class Win32FileWorld : public FileWorld {
 public:
  Win32FileWorld() {
    // Wine re-emits a profile file on each change; Windows edits it in place.
    rewrites_profile_files =
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  }
  FileSystem& files() override { return files_; }
  ProfileFile& profile() override { return profile_; }
  std::string Folder() override { return folder_.path(); }
  std::string WindowsFolder() override { return Win32Process().WindowsFolder(); }
  void MakeFolder(const std::string& path) override {
    EXPECT_TRUE(::CreateDirectoryA(path.c_str(), nullptr));
  }
  std::optional<std::string> UnwritableFile() override {
    // Wine shows the Unix /proc as Z:\proc, which nobody may write, whatever the tester's rights.
    const std::string fixed = "Z:\\proc\\version";
    if (!files_.ReadFile(fixed)) return std::nullopt;
    return fixed;
  }

 private:
  e2e::ScratchFolder folder_{"PelkrinContract"};
  Win32FileSystem files_;
  Win32ProfileFile profile_;
};

// "Another program": a thread with windows of its own, which can stop answering. Tasks run on
// it through thread messages.
class Win32WindowsWorld : public WindowsWorld {
 public:
  Win32WindowsWorld() : thread_([this] { Run(); }) {
    ::WaitForSingleObject(started_.Get(), INFINITE);
  }
  ~Win32WindowsWorld() override {
    SetHung(false);
    Do([this] {
      for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) ::DestroyWindow(*it);
      ::PostQuitMessage(0);
    });
    thread_.join();
  }

  WindowManager& windows() override { return manager_; }
  EventLoop& events() override { return clock_; }
  Hwnd Add(Hwnd parent, const std::string& class_name, const std::string& caption,
           std::uint32_t style, bool visible) override {
    HWND window = nullptr;
    Do([&] {
      // A plain window of that class name (registered once; later calls fail harmlessly).
      WNDCLASSA window_class{};
      window_class.lpfnWndProc = &::DefWindowProcA;
      window_class.hInstance = ::GetModuleHandleA(nullptr);
      window_class.lpszClassName = class_name.c_str();
      ::RegisterClassA(&window_class);
      window = ::CreateWindowExA(0, class_name.c_str(), caption.c_str(), style, 0, 0, 200, 100,
                                 ToHwnd(parent), nullptr, window_class.hInstance, nullptr);
      if (window && visible) ::ShowWindow(window, SW_SHOWNA);
      if (window) windows_.push_back(window);
    });
    return FromHwnd(window);
  }
  void Remove(Hwnd window) override {
    Do([&] { ::DestroyWindow(ToHwnd(window)); });
  }
  void SetHung(bool hung) override {
    if (hung == hung_) return;
    hung_ = hung;
    if (!hung) {
      ::SetEvent(release_.Get());
      return;
    }
    ::ResetEvent(release_.Get());
    // Waits until the thread has stopped pumping.
    Do([] {}, [this] { ::WaitForSingleObject(release_.Get(), INFINITE); });
  }
  bool IsTopmost(Hwnd window) override {
    return (::GetWindowLongA(ToHwnd(window), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  }
  bool WaitUntil(const std::function<bool()>& condition, unsigned deadline_ms) override {
    return e2e::WaitFor(condition, deadline_ms, "the other program");
  }

 private:
  static constexpr UINT kRunTask = WM_APP + 1;

  void Run() {
    MSG message;
    ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists now
    thread_id_ = ::GetCurrentThreadId();
    ::SetEvent(started_.Get());
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
      if (message.hwnd == nullptr && message.message == kRunTask) {
        (*reinterpret_cast<std::function<void()>*>(message.lParam))();
        continue;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }
  // Runs `task` on the other program's thread, then `after` once this thread goes on.
  void Do(const std::function<void()>& task, const std::function<void()>& after = {}) {
    ScopedKernelHandle done(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    auto owned = std::make_unique<std::function<void()>>([&task, after, event = done.Get()] {
      task();
      ::SetEvent(event);
      if (after) after();
    });
    ASSERT_TRUE(
        ::PostThreadMessageA(thread_id_, kRunTask, 0, reinterpret_cast<LPARAM>(owned.get())));
    ::WaitForSingleObject(done.Get(), INFINITE);
    tasks_.push_back(std::move(owned));
  }

  Win32WindowManager manager_;
  Win32EventLoop clock_;
  std::vector<HWND> windows_;  // of the other thread, used only there
  std::vector<std::unique_ptr<std::function<void()>>> tasks_;  // kept while they may run
  ScopedKernelHandle release_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  bool hung_ = false;
  ScopedKernelHandle started_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  DWORD thread_id_ = 0;
  std::thread thread_;  // last: it starts once everything above exists
};

// This process's own windows, timers, message boxes and files, and the shell.
class Win32ProcessWorld : public NotifyWorld, public EventWorld, public SystemWorld {
 public:
  ~Win32ProcessWorld() override {
    if (user_.joinable()) user_.join();
  }
  NotifyArea& notify() override { return notify_; }
  WindowManager& windows() override { return windows_; }
  void Deliver(Hwnd window, std::uint32_t message, WParam wparam, LParam lparam) override {
    ::PostMessageA(ToHwnd(window), message, static_cast<WPARAM>(wparam),
                   static_cast<LPARAM>(lparam));
    events_.ProcessPendingEvents();
  }
  std::uint32_t AnIcon() override {
    return NarrowHandle(::LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));  // IDI_APPLICATION
  }

  EventLoop& events() override { return events_; }
  Dialogs& dialogs() override { return dialogs_; }
  void AnswerNextBox(const std::string& title, int answer, std::function<bool()> ready) override {
    // The user, on a thread of their own: the box runs its modal loop on this one.
    user_ = std::thread([title, answer, ready = std::move(ready)] {
      HWND box = nullptr;
      e2e::WaitFor([&] { return (box = ::FindWindowA("#32770", title.c_str())) && ready(); },
                   e2e::kDefaultDeadlineMs, "the message box " + title);
      if (box) ::PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
    });
  }

  Process& process() override { return process_; }
  Sound& sound() override { return sound_; }
  Pictures& pictures() override { return pictures_; }

 private:
  Win32NotifyArea notify_;
  Win32WindowManager windows_;
  Win32EventLoop events_;
  Win32Dialogs dialogs_;
  Win32Process process_;
  Win32Sound sound_;
  Win32Pictures pictures_;
  std::thread user_;
};

template <typename World, typename Real>
std::unique_ptr<World> Make() {
  return std::make_unique<Real>();
}

PELKRIN_INSTANTIATE_CONTRACTS(Win32, (&Make<RegistryWorld, Win32RegistryWorld>),
                              (&Make<FileWorld, Win32FileWorld>),
                              (&Make<WindowsWorld, Win32WindowsWorld>),
                              (&Make<NotifyWorld, Win32ProcessWorld>),
                              (&Make<EventWorld, Win32ProcessWorld>),
                              (&Make<SystemWorld, Win32ProcessWorld>));

}  // namespace
}  // namespace pelkrin::contract
