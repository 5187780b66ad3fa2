// The small services every window and command uses: the four interface sounds, the wait that
// keeps the windows alive, making a window topmost, and dragging a window by its title strip.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"
#include "ui/view_host.h"

namespace pelkrin {

class Form;

// The pelk sound next to the program; also the Options window's sound file until the user
// picks another.
inline constexpr char kPopSoundFile[] = "pop.wav";

class Sounds {
 public:
  Sounds(Sound& sound, std::string program_folder);

  void PlayClickSound() { Play("click.sys"); }
  void PlayBarbleSound() { Play("barble.sys"); }
  void PlayMenuSound() { Play("menu.sys"); }
  void PlayPopSound() { Play(kPopSoundFile); }

  // Plays any wave file the same way: nothing without a wave output device, never the
  // default beep for a missing file, never an error.
  void PlayFile(const std::string& path);

 private:
  void Play(const char* file_name);

  Sound& sound_;
  std::string folder_;
};

// Returns after `seconds` while pending events keep running, so windows stay responsive and
// timers tick. Measured on a clock that does not jump at midnight.
void Wait(EventLoop& events, double seconds);

// Runs a task once, on the user-interface thread, after the handler that is running now has
// returned: the next time events are processed, some milliseconds later. A window that closes
// itself from one of its own handlers (a button's click) uses it, so that the window is not
// destroyed while its window procedure is still running. A task still pending when this object
// goes is dropped.
class DeferredTask {
 public:
  explicit DeferredTask(EventLoop& events) : events_(events) {}
  DeferredTask(const DeferredTask&) = delete;
  DeferredTask& operator=(const DeferredTask&) = delete;
  ~DeferredTask() { Cancel(); }

  // Schedules `task`; a task still pending is run at once first (its handler has long returned).
  // Returns false when the event loop could not take it; the task is not run then.
  [[nodiscard]] bool Schedule(std::function<void()> task);
  bool Pending() const { return timer_ != 0; }
  void Cancel();

 private:
  void Run();

  EventLoop& events_;
  std::uint32_t timer_ = 0;
  std::function<void()> task_;
};

// Puts the window above every window that is not topmost, and keeps it there. A form without
// its real window yet gets it topmost when it is made.
void MakeTopmost(WindowManager& windows, Form& form);

// Dragging a window by its drag handle. One drag state is shared by every window.
class DragState {
 public:
  // Mouse down on a drag handle, any button.
  void MouseDown() { pending_ = true; }
  // Mouse move over the drag handle; x and y in twips inside the handle. When the window is to
  // follow the mouse, returns true and sets the new position, in pixels.
  bool MouseMove(int button, float x, float y, float window_left_twips, float window_top_twips,
                 int* new_left_px, int* new_top_px);

 private:
  bool pending_ = false;
  float grab_x_ = 0;
  float grab_y_ = 0;
};

// Moves `form` as its drag handle's mouse-move event asks (see DragState).
void DragFormMouseMove(DragState& drag, Form& form, int button, int x, int y);

// What every skinned window uses of the program around it: the host that gives it a real
// window, the window manager that keeps it on top, the interface sounds, and the drag state all
// windows share. The program owns them and hands the same set to each window.
struct FormServices {
  ViewHost& views;
  WindowManager& windows;
  Sounds& sounds;
  DragState& drag;
};

}  // namespace pelkrin
