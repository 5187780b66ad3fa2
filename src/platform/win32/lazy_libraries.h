// comctl32, comdlg32 and winmm, loaded with their first use rather than with the program. Under
// Wine, loading them with the program made the tray icon wait: comctl32 initialised the display
// driver and the theme inside the loader, before WinMain, and winmm brings COM and the audio
// driver with it.
#pragma once

#include <windows.h>
// After <windows.h>, which they need.
#include <commctrl.h>
#include <commdlg.h>

namespace pelkrin::win32::lazy {

// Loads comctl32 (the version the manifest names) and registers the common control classes,
// once; false when it cannot be loaded (a diagnostic line says so).
bool CommonControls();

// The functions of the same names; without their library (or the function in it) they fail as
// the real ones report failure (FALSE, 0), and one diagnostic line per library says why.
BOOL SetWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id);
LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
BOOL GetOpenFileNameA(OPENFILENAMEA* dialog);
UINT waveOutGetNumDevs();
BOOL sndPlaySoundA(LPCSTR sound, UINT flags);

}  // namespace pelkrin::win32::lazy
