// The CTRL override and "&Kill All IE Windows", the two companions of the detection cycle.
// While the user holds CTRL, the browser frame in front gets the CTRL mark at the end of its
// caption, and the detector never pelks a window whose caption carries it. Kill All closes every
// browser frame, then every HTML dialog, within fixed limits.
#pragma once

#include "platform/platform.h"
#include "ui/services.h"

namespace pelkrin {

// Five blanks: the user let this window through.
inline constexpr char kCtrlMark[] = "     ";
// Kill All's close passes: browser frames, then the browser's HTML dialogs, with a pause after
// each pass during which pending events run.
inline constexpr int kFrameClosePasses = 25;
inline constexpr int kDialogClosePasses = 5;
inline constexpr double kClosePassPauseSeconds = 0.1;

// Appends the CTRL mark to the frame's caption unless the caption has five blanks already. The
// caption is set with a time limit, so a frame that stopped answering never freezes the program.
void AddCtrlMark(WindowManager& windows, Hwnd frame);

// One tick of the main window's CTRL override timer (every 32 ms): while CTRL is down, the first
// browser frame in z-order (the one a link just opened) gets the CTRL mark. The detector does not
// wait for this tick: a frame it would pelk while CTRL is down gets the mark there and then
// instead. Returns whether CTRL was down.
bool CtrlOverride(WindowManager& windows);

// "&Kill All IE Windows": after the click sound, 25 passes for browser frames and then 5 for HTML
// dialogs, each posting WM_CLOSE to one window and pausing. Each pass goes to the first window,
// in z-order, that this command has not sent WM_CLOSE yet, so a window that does not close (it
// stopped answering, or asks a question) keeps none of the others open; once every remaining
// window has had one, the pass goes to the first of them again.
void KillAllIeWindows(WindowManager& windows, EventLoop& events, Sounds& sounds);

}  // namespace pelkrin
