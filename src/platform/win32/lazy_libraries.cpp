#include "platform/win32/lazy_libraries.h"

#include <string>

#include "platform/win32/diagnostics.h"

namespace pelkrin::win32::lazy {

namespace {

// A library loaded with the first use of any of its functions.
struct Library {
  const char* name;
  HMODULE module = nullptr;
  bool traced = false;  // its failure, once
};

Library comctl32{"comctl32.dll"}, comdlg32{"comdlg32.dll"}, winmm{"winmm.dll"};

// The function `name` of `library`; nullptr when either is missing.
template <typename Function>
Function* Resolve(Library& library, const char* name) {
  if (!library.module) library.module = ::LoadLibraryA(library.name);
  const FARPROC found = library.module ? ::GetProcAddress(library.module, name) : nullptr;
  if (!found && !library.traced) {
    library.traced = true;
    TraceDiagnostic(std::string(library.name) +
                    (library.module ? " lacks " + std::string(name) : " cannot be loaded") +
                    ", error " + std::to_string(::GetLastError()));
  }
  // Through a function pointer type without parameters: the exact type is the library's.
  return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(found));
}

// A function of comctl32, its classes registered first.
template <typename Function>
Function* Comctl32(const char* name) {
  return CommonControls() ? Resolve<Function>(comctl32, name) : nullptr;
}

}  // namespace

bool CommonControls() {
  static const bool ready = [] {
    using Init = BOOL WINAPI(const INITCOMMONCONTROLSEX*);
    Init* const init = Resolve<Init>(comctl32, "InitCommonControlsEx");
    if (!init) return false;
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    if (!init(&controls)) TraceDiagnostic("the common controls could not be registered");
    return true;
  }();
  return ready;
}

BOOL SetWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
  using Function = BOOL WINAPI(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
  static Function* const function = Comctl32<Function>("SetWindowSubclass");
  return function ? function(window, procedure, id, data) : FALSE;
}

BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) {
  using Function = BOOL WINAPI(HWND, SUBCLASSPROC, UINT_PTR);
  static Function* const function = Comctl32<Function>("RemoveWindowSubclass");
  return function ? function(window, procedure, id) : FALSE;
}

LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  using Function = LRESULT WINAPI(HWND, UINT, WPARAM, LPARAM);
  static Function* const function = Comctl32<Function>("DefSubclassProc");
  return function ? function(window, message, wparam, lparam) : 0;
}

BOOL GetOpenFileNameA(OPENFILENAMEA* dialog) {
  using Function = BOOL WINAPI(OPENFILENAMEA*);
  static Function* const function = Resolve<Function>(comdlg32, "GetOpenFileNameA");
  return function ? function(dialog) : FALSE;
}

UINT waveOutGetNumDevs() {
  using Function = UINT WINAPI();
  static Function* const function = Resolve<Function>(winmm, "waveOutGetNumDevs");
  return function ? function() : 0;
}

BOOL sndPlaySoundA(LPCSTR sound, UINT flags) {
  using Function = BOOL WINAPI(LPCSTR, UINT);
  static Function* const function = Resolve<Function>(winmm, "sndPlaySoundA");
  return function ? function(sound, flags) : FALSE;
}

}  // namespace pelkrin::win32::lazy
