// The diagnostic line of the Win32 layer: what the program does not show the user still leaves
// a trace, for a debugger (OutputDebugStringA) and, when the environment variable PELKRIN_LOG
// names a file, in that file.
#pragma once

#include <string>

namespace pelkrin::win32 {

inline constexpr char kLogVariable[] = "PELKRIN_LOG";

// Writes "Pelkrin: <line>" to the debugger and appends it to the log file, if one is asked for.
// Never fails and never throws.
void TraceDiagnostic(const std::string& line) noexcept;

}  // namespace pelkrin::win32
