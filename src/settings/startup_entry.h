// The Windows start-up entry: the value "Pelkrin" under a Run key, holding the program's full
// path, so that Windows starts the program when the user logs on. It belongs under the
// machine-wide Run key; a user who may not write that key (the usual case since Windows Vista)
// gets it under the current user's Run key instead, which Windows reads the same way.
#pragma once

#include <string>

#include "platform/platform.h"

namespace pelkrin {

inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kStartupValueName[] = "Pelkrin";

// The program file's full path: the folder, a backslash, the base name and ".exe".
std::string ProgramPath(Process& process);

// Writes the entry with `program_path`: under the machine-wide key when it can be written
// there (the key is never created), else under the current user's key. Exactly one place
// holds the entry afterwards whenever the registry lets it, so Windows starts one copy, not
// two. False when neither place could be written.
[[nodiscard]] bool SetStartupEntry(Registry& registry, const std::string& program_path);
// Deletes the entry from both places. False when a value is left that could not be deleted.
[[nodiscard]] bool RemoveStartupEntry(Registry& registry);

}  // namespace pelkrin
