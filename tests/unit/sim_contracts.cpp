// The simulated desktop under the contracts of the platform seam (tests/contract), which the
// Win32 layer also passes under Wine.
#include <memory>
#include <vector>

#include "../contract/contract.h"
#include "platform/sim/sim_desktop.h"

namespace pelkrin::contract {
namespace {

// One simulated desktop serves every suite: the simulated programs act at once, and the
// registry keeps no value types.
class SimWorld : public RegistryWorld,
                 public FileWorld,
                 public WindowsWorld,
                 public NotifyWorld,
                 public EventWorld,
                 public SystemWorld {
 public:
  SimWorld() {
    has_folders = false;
    desktop_.files.Put(kFixed, "fixed");
    desktop_.files.SetReadOnlyFolder("C:\\Fixed", true);
  }

  Registry& registry() override { return desktop_.registry; }
  void PutStringData(RegKey root, const std::string& path, const std::string& name,
                     const std::string& bytes, bool) override {
    desktop_.registry.PutData(root, path, name, bytes);
  }

  FileSystem& files() override { return desktop_.files; }
  ProfileFile& profile() override { return desktop_.profile; }
  std::string Folder() override { return "C:\\Scratch"; }
  std::string WindowsFolder() override { return desktop_.process.WindowsFolder(); }
  void MakeFolder(const std::string&) override {}
  std::optional<std::string> UnwritableFile() override { return kFixed; }

  WindowManager& windows() override { return desktop_.windows; }
  EventLoop& events() override { return desktop_.events; }
  Hwnd Add(Hwnd parent, const std::string& class_name, const std::string& caption,
           std::uint32_t style, bool visible) override {
    return added_.emplace_back(desktop_.windows.Add(parent, class_name, caption, style, visible));
  }
  void Remove(Hwnd window) override { desktop_.windows.Remove(window); }
  void SetHung(bool hung) override {
    for (const Hwnd window : added_) desktop_.windows.SetHung(window, hung);
  }
  bool IsTopmost(Hwnd window) override { return desktop_.windows.IsTopmost(window); }
  bool WaitUntil(const std::function<bool()>& condition, unsigned) override { return condition(); }

  NotifyArea& notify() override { return desktop_.notify; }
  void Deliver(Hwnd window, std::uint32_t message, WParam wparam, LParam lparam) override {
    desktop_.notify.Deliver(window, message, wparam, lparam);
  }
  std::uint32_t AnIcon() override { return 0x10065; }

  Dialogs& dialogs() override { return desktop_.dialogs; }
  void AnswerNextBox(const std::string&, int answer, std::function<bool()> ready) override {
    desktop_.dialogs.AnswerNext(answer);
    desktop_.dialogs.OnShow([this, ready = std::move(ready)] {
      for (int step = 0; step < 1000 && !ready(); ++step) desktop_.events.Advance(10);
    });
  }

  Process& process() override { return desktop_.process; }
  Sound& sound() override { return desktop_.sound; }
  Pictures& pictures() override { return desktop_.pictures; }

 private:
  static constexpr char kFixed[] = "C:\\Fixed\\version";
  sim::SimDesktop desktop_;
  std::vector<Hwnd> added_;
};

template <typename World>
std::unique_ptr<World> Make() {
  return std::make_unique<SimWorld>();
}

PELKRIN_INSTANTIATE_CONTRACTS(Sim, &Make<RegistryWorld>, &Make<FileWorld>, &Make<WindowsWorld>,
                              &Make<NotifyWorld>, &Make<EventWorld>, &Make<SystemWorld>);

}  // namespace
}  // namespace pelkrin::contract
