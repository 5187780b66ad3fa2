#include "platform/win32/diagnostics.h"

#include "platform/win32/win32_platform.h"

namespace pelkrin::win32 {

namespace {

// The log file's path, read from the environment once; "" for none. Never destroyed: a thread
// still waiting for another program at the end may trace after the program's statics are gone.
const std::string& LogPath() {
  static const std::string* const path = [] {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetEnvironmentVariableA(kLogVariable, buffer, sizeof buffer);
    return new std::string(length > 0 && length < sizeof buffer ? std::string(buffer, length)
                                                                : std::string());
  }();
  return *path;
}

}  // namespace

void TraceDiagnostic(const std::string& line) noexcept {
  try {
    const std::string text = "Pelkrin: " + line + "\r\n";
    ::OutputDebugStringA(text.c_str());
    if (LogPath().empty()) return;
    // Opened and closed for every line, so the file is whole whenever the process ends.
    ScopedFile file(::CreateFileA(LogPath().c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  } catch (...) {
    // Out of memory for the line itself: there is nothing left to report it with.
  }
}

void Win32Diagnostics::Trace(const std::string& line) { TraceDiagnostic(line); }
void Win32Diagnostics::Note(const std::string& line) { TraceDiagnostic(line); }

}  // namespace pelkrin::win32
