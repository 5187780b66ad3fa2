// comctl32 and comdlg32, loaded with their first use rather than with the program. Under Wine,
// loading them with the program initialises the display driver and the theme inside the
// loader, before WinMain, which made the tray icon wait tens of milliseconds.
#pragma once

#include <windows.h>
// After <windows.h>, which they need.
#include <commctrl.h>
#include <commdlg.h>

namespace pelkrin::win32::lazy {

// Loads comctl32 (the version the manifest names) and registers the common control classes,
// once; false when it cannot be loaded (a diagnostic line says so).
bool CommonControls();

// The comctl32 and comdlg32 functions of the same names; without their library they fail as
// the real ones report failure (FALSE, 0).
BOOL SetWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id);
LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
BOOL GetOpenFileNameA(OPENFILENAMEA* dialog);

}  // namespace pelkrin::win32::lazy
