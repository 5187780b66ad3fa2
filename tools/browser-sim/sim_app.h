// The browser stand-in's state: the windows it opened, the threads they live on, and the
// commands of the control channel.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "browser_windows.h"
#include "protocol.h"
#include "ui_thread.h"

namespace pelkrin::browser_sim {

struct Reply {
  Line line;
  bool then_quit = false;  // the process ends once the reply is sent
};

class SimApp final : public FrameObserver {
 public:
  // `all_closed` is signalled when the last window has gone, if `end_with_last_window`.
  SimApp(HINSTANCE instance, bool end_with_last_window, HANDLE all_closed);
  SimApp(const SimApp&) = delete;
  SimApp& operator=(const SimApp&) = delete;
  ~SimApp();

  // One request of the control channel; safe to call from several threads at once.
  Reply Handle(const Line& request);

  // Opens a window without waiting for it (command line, pages). False when no thread could
  // take it.
  bool OpenAsync(const OpenOptions& options, const std::optional<PagePopups>& page_popups = {});

  // Closes every window (hung ones are resumed first), waiting up to `deadline_ms`.
  void CloseAll(DWORD deadline_ms);

  // FrameObserver, called on the windows' threads.
  void FrameCreated(int id, HWND window) override;
  void FrameShown(int id, LONGLONG counter, bool transparent) override;
  void FrameHidden(int id, LONGLONG counter) override;
  void FrameHideBegins(int id, LONGLONG counter) override;
  void FrameDestroyed(int id, LONGLONG counter) override;
  void FrameGone(int id) override;
  void PageOpensPopup(const OpenOptions& popup) override;

 private:
  struct Window {
    int id = 0;
    std::string group;
    std::string window_class;
    std::shared_ptr<UiThread> thread;  // while the window lives
    HWND handle = nullptr;
    bool alive = false;     // between WM_NCCREATE and WM_NCDESTROY
    bool finished = false;  // creation is over, whatever its outcome
    std::optional<LONGLONG> shown_at, hide_began_at, hidden_at, destroyed_at;
    int shows = 0;
    int hides = 0;
    bool transparent_at_show = false;  // at its first showing
  };

  Reply Open(const Fields& fields);
  Reply Retitle(const Fields& fields);
  Reply Close(const Fields& fields);
  Reply Hang(const Fields& fields, bool hang);
  Reply List();
  Reply Times();

  // Starts creating the window on its thread; the id of its record, or an error text.
  std::optional<int> StartOpen(const OpenOptions& options,
                               const std::optional<PagePopups>& page_popups, std::string* error);
  // The record named by the request's "id" field; nullptr with an error reply otherwise. Call
  // with mutex_ held.
  Window* FindLocked(const Fields& fields, Reply& error);
  std::shared_ptr<UiThread> ThreadForLocked(const std::string& group, std::string* error);
  // Drops the threads that have ended. Call with mutex_ held.
  void ReapLocked();
  void MaybeSignalAllClosedLocked();
  Window* WindowLocked(int id);

  const HINSTANCE instance_;
  const bool end_with_last_window_;
  const HANDLE all_closed_;
  LARGE_INTEGER frequency_{};

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::unique_ptr<Window>> windows_;  // index = id - 1; never removed
  std::vector<std::shared_ptr<UiThread>> threads_;
  std::map<std::string, std::shared_ptr<UiThread>> groups_;
  int opening_ = 0;  // windows whose creation has not finished yet
};

}  // namespace pelkrin::browser_sim
