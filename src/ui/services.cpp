#include "ui/services.h"

#include <cmath>
#include <cstdint>

#include "ui/controls.h"
#include "ui/form.h"
#include "ui/text.h"

namespace pelkrin {

Sounds::Sounds(Sound& sound, std::string program_folder)
    : sound_(sound), folder_(std::move(program_folder)) {}

void Sounds::Play(const char* file_name) { PlayFile(PathInFolder(folder_, file_name)); }

void Sounds::PlayFile(const std::string& path) {
  if (sound_.WaveOutDeviceCount() == 0) return;
  // The only failure the system reports is that nothing plays (a missing or unreadable file):
  // that silence is the promised outcome, and a line for it would come with every click.
  (void)sound_.Play(path, kSndAsync | kSndNoDefault);
}

void Wait(EventLoop& events, double seconds) {
  if (!(seconds > 0)) {
    events.ProcessPendingEvents();
    return;
  }
  if (seconds > 86400.0) seconds = 86400.0;  // no caller waits for more than a day
  const std::uint64_t start = events.MonotonicMs();
  const auto duration = static_cast<std::uint64_t>(std::llround(seconds * 1000.0));
  for (;;) {
    events.ProcessPendingEvents();
    const std::uint64_t elapsed = events.MonotonicMs() - start;
    if (elapsed >= duration) return;
    events.WaitForEvents(static_cast<unsigned>(duration - elapsed));
  }
}

bool DeferredTask::Schedule(std::function<void()> task) {
  if (Pending()) Run();
  // The shortest timer there is: it ticks only when events are processed, so never inside the
  // handler that schedules it.
  timer_ = events_.StartTimer(0, [this] { Run(); });
  if (timer_ == 0) return false;
  task_ = std::move(task);
  return true;
}

void DeferredTask::Cancel() {
  if (timer_ != 0) events_.StopTimer(timer_);
  timer_ = 0;
  task_ = nullptr;
}

void DeferredTask::Run() {
  // Once only, and the task may schedule another one.
  std::function<void()> task = std::move(task_);
  Cancel();
  if (task) task();
}

void MakeTopmost(WindowManager& windows, Form& form) {
  form.topmost = true;
  if (const Hwnd window = form.Handle(); window != kNoWindow) windows.MakeTopmost(window);
}

bool DragState::MouseMove(int button, float x, float y, float window_left_twips,
                          float window_top_twips, int* new_left_px, int* new_top_px) {
  if (!pending_ && button == kLeftButton) {
    const float left = window_left_twips + (x - grab_x_);
    const float top = window_top_twips + (y - grab_y_);
    *new_left_px = static_cast<int>(std::lround(left / kTwipsPerPixel));
    *new_top_px = static_cast<int>(std::lround(top / kTwipsPerPixel));
    return true;
  }
  pending_ = false;
  grab_x_ = x;
  grab_y_ = y;
  return false;
}

void DragFormMouseMove(DragState& drag, Form& form, int button, int x, int y) {
  int left = 0;
  int top = 0;
  if (drag.MouseMove(button, static_cast<float>(x), static_cast<float>(y),
                     static_cast<float>(form.bounds.left * kTwipsPerPixel),
                     static_cast<float>(form.bounds.top * kTwipsPerPixel), &left, &top)) {
    form.MoveTo(left, top);
  }
}

}  // namespace pelkrin
