// Contracts of the platform seam, run natively on the simulated desktop (unit_tests) and under
// Wine on the Win32 layer (pelkrin_e2e), so the simulation cannot drift from the real system.
// Each suite takes a factory of a "world": the implementation under test and its set-up. Where
// the two legitimately differ, the world says so in its capabilities, never the test.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace pelkrin::contract {

class RegistryWorld {
 public:
  virtual ~RegistryWorld() = default;
  virtual Registry& registry() = 0;
  // Stores exactly `bytes` (with or without a terminating NUL), as REG_EXPAND_SZ or REG_SZ.
  virtual void PutStringData(RegKey root, const std::string& path, const std::string& name,
                             const std::string& bytes, bool expand) = 0;
};

class FileWorld {
 public:
  virtual ~FileWorld() = default;
  virtual FileSystem& files() = 0;
  virtual ProfileFile& profile() = 0;
  // An empty folder of this test, without a trailing backslash.
  virtual std::string Folder() = 0;
  // Where the profile functions put a file given by bare name.
  virtual std::string WindowsFolder() = 0;
  // Makes a subfolder; a world that has no folders does nothing.
  virtual void MakeFolder(const std::string& path) = 0;
  // A file that exists and that nobody may replace; nullopt when the world has none.
  virtual std::optional<std::string> UnwritableFile() = 0;

  // Folders exist (and so can be in the way, or be missing).
  bool has_folders = true;
  // The profile writer re-emits the whole file on each change (Wine); Windows edits in place.
  bool rewrites_profile_files = true;
};

class WindowsWorld {
 public:
  virtual ~WindowsWorld() = default;
  virtual WindowManager& windows() = 0;
  virtual EventLoop& events() = 0;  // whose clock times the calls
  // A window of another program (a child when `parent` is not 0); `visible` shows it.
  virtual Hwnd Add(Hwnd parent, const std::string& class_name, const std::string& caption,
                   std::uint32_t style, bool visible) = 0;
  virtual void Remove(Hwnd window) = 0;  // with its children
  // The other program stops (or starts again) answering messages: all its windows hang.
  virtual void SetHung(bool hung) = 0;
  virtual bool IsTopmost(Hwnd window) = 0;
  // Lets the other program run until `condition` holds or `deadline_ms` have passed.
  virtual bool WaitUntil(const std::function<bool()>& condition, unsigned deadline_ms) = 0;
};

class NotifyWorld {
 public:
  virtual ~NotifyWorld() = default;
  virtual NotifyArea& notify() = 0;
  virtual WindowManager& windows() = 0;
  // Sends a message to the window, as the shell or another program does, and lets it be handled.
  virtual void Deliver(Hwnd window, std::uint32_t message, WParam wparam, LParam lparam) = 0;
  // An icon the shell takes.
  virtual std::uint32_t AnIcon() = 0;
};

class EventWorld {
 public:
  virtual ~EventWorld() = default;
  virtual EventLoop& events() = 0;
  virtual Dialogs& dialogs() = 0;
  // The user presses `answer` in the next box titled `title` once `ready()` (asked from any
  // thread) holds, time passing meanwhile.
  virtual void AnswerNextBox(const std::string& title, int answer, std::function<bool()> ready) = 0;
};

class SystemWorld {
 public:
  virtual ~SystemWorld() = default;
  virtual Process& process() = 0;
  virtual Sound& sound() = 0;
  virtual Pictures& pictures() = 0;
};

template <typename World>
using WorldFactory = std::unique_ptr<World> (*)();

template <typename World>
class Contract : public ::testing::TestWithParam<WorldFactory<World>> {
 protected:
  void SetUp() override { world_ = this->GetParam()(); }
  void TearDown() override { world_.reset(); }
  World& world() { return *world_; }

 private:
  std::unique_ptr<World> world_;
};

class RegistryContract : public Contract<RegistryWorld> {};
class FileSystemContract : public Contract<FileWorld> {};
class ProfileFileContract : public Contract<FileWorld> {};
class WindowManagerContract : public Contract<WindowsWorld> {};
class NotifyAreaContract : public Contract<NotifyWorld> {};
class EventLoopContract : public Contract<EventWorld> {};
class DialogsContract : public Contract<EventWorld> {};
class SystemContract : public Contract<SystemWorld> {};

// Runs every contract suite over the worlds an implementation's factories make.
#define PELKRIN_INSTANTIATE_CONTRACTS(Name, registry, files, windows, notify, events, system) \
  INSTANTIATE_TEST_SUITE_P(Name, RegistryContract, ::testing::Values(registry));              \
  INSTANTIATE_TEST_SUITE_P(Name, FileSystemContract, ::testing::Values(files));               \
  INSTANTIATE_TEST_SUITE_P(Name, ProfileFileContract, ::testing::Values(files));              \
  INSTANTIATE_TEST_SUITE_P(Name, WindowManagerContract, ::testing::Values(windows));          \
  INSTANTIATE_TEST_SUITE_P(Name, NotifyAreaContract, ::testing::Values(notify));              \
  INSTANTIATE_TEST_SUITE_P(Name, EventLoopContract, ::testing::Values(events));               \
  INSTANTIATE_TEST_SUITE_P(Name, DialogsContract, ::testing::Values(events));                 \
  INSTANTIATE_TEST_SUITE_P(Name, SystemContract, ::testing::Values(system))

}  // namespace pelkrin::contract
