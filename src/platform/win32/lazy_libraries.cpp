#include "platform/win32/lazy_libraries.h"

#include <string>

#include "platform/win32/diagnostics.h"

namespace pelkrin::win32::lazy {

namespace {

// The function `name` of `library`, loaded with its first use; nullptr (and one diagnostic
// line per library) when either is missing.
template <typename Function>
Function* Resolve(HMODULE& library, bool& failed, const char* library_name, const char* name) {
  if (!library && !failed) {
    library = ::LoadLibraryA(library_name);
    failed = library == nullptr;
    if (failed)
      TraceDiagnostic(std::string(library_name) + " cannot be loaded, error " +
                      std::to_string(::GetLastError()));
  }
  if (!library) return nullptr;
  // The one way to a function by name; its type is the library's.
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

HMODULE comctl32 = nullptr, comdlg32 = nullptr;
bool comctl32_failed = false, comdlg32_failed = false;

template <typename Function>
Function* Comctl32(const char* name) {
  if (!CommonControls()) return nullptr;
  return Resolve<Function>(comctl32, comctl32_failed, "comctl32.dll", name);
}

}  // namespace

bool CommonControls() {
  static const bool ready = [] {
    using Init = BOOL WINAPI(const INITCOMMONCONTROLSEX*);
    Init* init = Resolve<Init>(comctl32, comctl32_failed, "comctl32.dll", "InitCommonControlsEx");
    if (!init) return false;
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    if (!init(&controls)) TraceDiagnostic("the common controls could not be registered");
    return true;
  }();
  return ready;
}

BOOL SetWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
  using Function = BOOL WINAPI(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
  Function* function = Comctl32<Function>("SetWindowSubclass");
  return function ? function(window, procedure, id, data) : FALSE;
}

BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) {
  using Function = BOOL WINAPI(HWND, SUBCLASSPROC, UINT_PTR);
  Function* function = Comctl32<Function>("RemoveWindowSubclass");
  return function ? function(window, procedure, id) : FALSE;
}

LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  using Function = LRESULT WINAPI(HWND, UINT, WPARAM, LPARAM);
  static Function* const function = Comctl32<Function>("DefSubclassProc");
  return function ? function(window, message, wparam, lparam) : 0;
}

BOOL GetOpenFileNameA(OPENFILENAMEA* dialog) {
  using Function = BOOL WINAPI(OPENFILENAMEA*);
  Function* function =
      Resolve<Function>(comdlg32, comdlg32_failed, "comdlg32.dll", "GetOpenFileNameA");
  return function ? function(dialog) : FALSE;
}

}  // namespace pelkrin::win32::lazy
