#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cwchar>
#include <string_view>

#include "platform/temporary_save_name.h"
#include "platform/wildcard.h"
#include "platform/win32/diagnostics.h"
#include "platform/win32/win32_platform.h"

namespace pelkrin::win32 {

namespace {

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) { ::FindClose(h); }
};
using ScopedFind = ScopedHandle<FindHandleTraits>;

bool LessNoCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  return true;
}

// A new, empty file beside `path` that no one else is using, named by TemporarySaveName. It is
// opened without sharing, so that nothing (the start-up of another user's copy, say) deletes it
// while it is written.
ScopedFile CreateTemporaryBeside(const std::string& path, std::string* temporary) {
  static std::uint32_t counter = 0;
  const auto cut = path.find_last_of("\\/");
  const std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    *temporary = folder + TemporarySaveName(::GetCurrentProcessId(), ++counter);
    ScopedFile file(::CreateFileA(temporary->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file || ::GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return ScopedFile();
}

// Moves `from` over `to`. Another program that has `to` open for a moment (a virus scanner, a
// backup, a reader of the list) makes the move fail with a sharing or access error: try again
// for up to half a second before giving up, so a save is not lost to a passing reader.
bool MoveOver(const std::string& from, const std::string& to) {
  constexpr int kAttempts = 10;
  constexpr DWORD kPauseMs = 50;
  for (int attempt = 1;; ++attempt) {
    if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    const DWORD error = ::GetLastError();
    if (attempt == kAttempts || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
                                 error != ERROR_LOCK_VIOLATION))
      return false;
    ::Sleep(kPauseMs);
  }
}

// The name in the ANSI code page when it has an exact spelling there, which converts back to the
// very same name; nullopt for a name that would come out as a look-alike or with a default
// character.
std::optional<std::string> ExactAnsi(const wchar_t* wide) {
  const int size = static_cast<int>(std::wcslen(wide));
  if (size == 0) return std::string();
  // Best-fit look-alikes are asked to be left out; a UTF-8 code page takes no flags.
  const DWORD flags = ::GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int length = ::WideCharToMultiByte(CP_ACP, flags, wide, size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(length), '\0');
  if (::WideCharToMultiByte(CP_ACP, flags, wide, size, ansi.data(), length, nullptr, nullptr) !=
      length)
    return std::nullopt;
  const std::optional<std::wstring> back = WidenAnsi(ansi);
  if (!back || *back != std::wstring_view(wide, static_cast<std::size_t>(size)))
    return std::nullopt;
  return ansi;
}

}  // namespace

std::optional<std::wstring> WidenAnsi(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length =
      ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length) !=
      length)
    return std::nullopt;
  return wide;
}

std::optional<FileContents> Win32FileSystem::ReadFile(const std::string& path) {
  ScopedFile file(::CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::nullopt;
  FileContents contents;
  std::string chunk(64 * 1024, '\0');
  for (;;) {
    // At the limit, one more byte is asked for only to learn whether the file ends there.
    const std::size_t room = kMaxReadBytes - contents.bytes.size();
    const DWORD wanted = static_cast<DWORD>(room == 0 ? 1 : std::min(room, chunk.size()));
    DWORD got = 0;
    if (!::ReadFile(file.Get(), chunk.data(), wanted, &got, nullptr)) {
      contents.whole = false;  // a read error: what came before it is all there is
      break;
    }
    if (got == 0) break;  // the end of the file
    if (room == 0) {
      contents.whole = false;  // more than the limit
      break;
    }
    contents.bytes.append(chunk.data(), got);
  }
  return contents;
}

bool Win32FileSystem::ReplaceFile(const std::string& path, const std::string& bytes) {
  if (path.empty()) return false;
  std::string temporary;
  ScopedFile file = CreateTemporaryBeside(path, &temporary);
  if (!file) return false;
  bool ok = WriteAll(file.Get(), bytes) && ::FlushFileBuffers(file.Get());
  // Closing can be where a network drive reports a failed write.
  ok = ::CloseHandle(file.Release()) && ok;
  ok = ok && MoveOver(temporary, path);
  if (!ok) ::DeleteFileA(temporary.c_str());
  return ok;
}

std::optional<std::vector<std::string>> Win32FileSystem::ListFiles(const std::string& folder,
                                                                   const std::string& pattern) {
  // The wide functions give every name as it is; the ANSI ones would give a name outside the
  // code page as a best-fit look-alike or with '?' in it, which names another file or none.
  const std::optional<std::wstring> wide_folder = WidenAnsi(folder);
  const std::optional<std::wstring> wide_pattern = WidenAnsi(pattern);
  if (!wide_folder || !wide_pattern || wide_folder->empty()) return std::nullopt;
  const DWORD attributes = ::GetFileAttributesW(wide_folder->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;

  std::wstring query = *wide_folder;
  if (query.back() != L'\\' && query.back() != L'/') query += L'\\';
  query += *wide_pattern;
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  ScopedFind search(::FindFirstFileW(query.c_str(), &found));
  if (!search) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return names;
    return std::nullopt;
  }
  do {
    // Folders, and links to files or folders, are no plain files of this folder.
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
      continue;
    std::optional<std::string> name = ExactAnsi(found.cFileName);
    if (!name) {
      TraceDiagnostic("a file in " + folder +
                      " is left out of its listing: its name has no spelling in the ANSI code "
                      "page");
      continue;
    }
    // Windows also matches the pattern against the short (8.3) name: "a.txt2" is "A~1.TXT".
    if (MatchesWildcard(*name, pattern)) names.push_back(std::move(*name));
  } while (::FindNextFileW(search.Get(), &found));
  std::sort(names.begin(), names.end(), LessNoCase);
  return names;
}

bool Win32FileSystem::DeleteFile(const std::string& path) {
  return ::DeleteFileA(path.c_str()) != FALSE;
}

}  // namespace pelkrin::win32
