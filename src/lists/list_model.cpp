#include "lists/list_model.h"

#include <algorithm>
#include <cctype>

#include "ui/text.h"

namespace pelkrin {
namespace {

// Pending events run after every this many entries: often enough that a long file never
// freezes the tray icon, rarely enough that a big file loads in a blink.
constexpr int kEntriesPerEventPump = 32;

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  if (part.empty()) return true;
  auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
  auto it = std::search(text.begin(), text.end(), part.begin(), part.end(),
                        [&](char a, char b) { return lower(a) == lower(b); });
  return it != text.end();
}

bool AnyEntryOccursIn(const ListBox& list, std::string_view text) {
  for (const std::string& entry : list.Items())
    if (ContainsIgnoringCase(text, entry)) return true;
  return false;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::vector<std::string> ParseListFile(std::string_view bytes) {
  std::vector<std::string> entries;
  std::string entry;
  bool had_nul = false;
  auto finish_line = [&] {
    if (!(entry.empty() && had_nul)) entries.push_back(entry);
    entry.clear();
    had_nul = false;
  };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r') {
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      finish_line();
    } else if (c == '\n') {
      finish_line();
    } else if (c == '\0') {
      had_nul = true;
    } else {
      entry.push_back(c);
    }
  }
  if (!entry.empty() || had_nul) finish_line();
  return entries;
}

std::string FormatListFile(const std::vector<std::string>& entries) {
  std::string bytes;
  std::size_t size = 0;
  for (const std::string& entry : entries) size += entry.size() + 2;
  bytes.reserve(size);
  for (const std::string& entry : entries) {
    bytes += entry;
    bytes += "\r\n";
  }
  return bytes;
}

void LoadListFile(FileSystem& files, EventLoop& events, const std::string& path, ListBox& list) {
  std::optional<std::string> bytes = files.ReadFile(path);
  if (!bytes) return;
  std::vector<std::string> entries = ParseListFile(*bytes);
  bytes.reset();
  int count = 0;
  for (std::string& entry : entries) {
    list.AddItem(std::move(entry));
    if (++count % kEntriesPerEventPump == 0) events.ProcessPendingEvents();
  }
  if (count % kEntriesPerEventPump != 0) events.ProcessPendingEvents();
}

bool SaveListFile(FileSystem& files, const std::string& path, const ListBox& list) {
  return files.ReplaceFile(path, FormatListFile(list.Items()));
}

void RemoveSelected(ListBox& list) {
  if (list.ListIndex() >= 0) list.RemoveItem(list.ListIndex());
}

void ClearWithConfirmation(Dialogs& dialogs, ListBox& list) {
  if (dialogs.MessageBox(kClearListQuestion, kListBoxTitle, kQuestionYesNoSystemModal) == kIdYes)
    list.Clear();
}

bool IsDomainAllowed(const ListBox& domains, std::string_view address) {
  return AnyEntryOccursIn(domains, address);
}

bool IsCaptionAllowed(const ListBox& captions, std::string_view caption) {
  return AnyEntryOccursIn(captions, caption);
}

std::string NormaliseListEntry(std::string_view text) {
  std::string entry = ToLowerAscii(text);
  if (entry.size() > 1 && entry.back() == '/') entry.pop_back();
  if (entry.size() > 7 && StartsWith(entry, "http://")) entry.erase(0, 7);
  if (entry.size() > 8 && StartsWith(entry, "https://")) entry.erase(0, 8);
  if (entry.size() > 6 && StartsWith(entry, "ftp://")) entry.erase(0, 6);
  return entry;
}

}  // namespace pelkrin
