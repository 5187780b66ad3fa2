#include "lists/list_model.h"

#include <cctype>
#include <optional>
#include <utility>

namespace pelkrin {
namespace {

// Pending events run after every this many entries: often enough that a long file never
// freezes the tray icon, rarely enough that a big file loads in a blink.
constexpr int kEntriesPerEventPump = 32;

// The queries compare lower-cased texts: the entries lowered once (see ListState), the text
// they are looked for in lowered once per query.
bool AnyEntryOccursIn(const ListBox& list, ListState& state, TextCase& text_case,
                      std::string_view text) {
  const std::vector<std::string>& entries = state.LoweredEntries(list, text_case);
  if (entries.empty()) return false;
  const std::string lowered = text_case.Lower(text);
  for (const std::string& entry : entries)
    if (lowered.find(entry) != std::string::npos) return true;
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

const std::vector<std::string>& ListState::LoweredEntries(const ListBox& list,
                                                          TextCase& text_case) {
  if (lowered_list_ != &list || lowered_at_edit_ != list.EditCount() ||
      lowered_.size() > list.Items().size()) {
    lowered_.clear();
    lowered_list_ = &list;
    lowered_at_edit_ = list.EditCount();
  }
  const std::vector<std::string>& entries = list.Items();
  if (lowered_.empty()) lowered_.reserve(entries.size());
  for (std::size_t i = lowered_.size(); i < entries.size(); ++i)
    lowered_.push_back(text_case.Lower(entries[i]));
  return lowered_;
}

void LoadListFile(FileSystem& files, EventLoop& events, Diagnostics& diagnostics,
                  const std::string& path, ListBox& list, ListState& state) {
  std::optional<FileContents> contents = files.ReadFile(path);
  if (!contents) return;
  if (!contents->whole) {
    state.loaded_in_part = true;
    // The bytes after the last line end are the start of an entry whose end was not read.
    const std::size_t end = contents->bytes.find_last_of("\r\n");
    const std::size_t kept = end == std::string::npos ? 0 : end + 1;
    diagnostics.Trace(path + " was read only in part (" + std::to_string(kept) +
                      " bytes, up to the last whole entry): it is larger than the program " +
                      "reads, or the read failed; saving will leave it as it is");
    contents->bytes.resize(kept);
  }
  std::vector<std::string> entries = ParseListFile(contents->bytes);
  contents.reset();
  int count = 0;
  for (std::string& entry : entries) {
    list.AddItem(std::move(entry));
    if (++count % kEntriesPerEventPump == 0) events.ProcessPendingEvents();
  }
  if (count % kEntriesPerEventPump != 0) events.ProcessPendingEvents();
}

bool SaveListFile(FileSystem& files, Diagnostics& diagnostics, const std::string& path,
                  const ListBox& list, const ListState& state) {
  std::string target = path;
  if (state.loaded_in_part) {
    target += kPartListSuffix;
    diagnostics.Trace(path + " was loaded only in part and is left as it is; the list is saved " +
                      "to " + target);
  }
  if (files.ReplaceFile(target, FormatListFile(list.Items()))) return true;
  diagnostics.Trace("could not save " + target);
  return false;
}

void RemoveSelected(ListBox& list) {
  if (list.ListIndex() >= 0) list.RemoveItem(list.ListIndex());
}

void ClearWithConfirmation(Dialogs& dialogs, ListBox& list) {
  if (dialogs.MessageBox(kClearListQuestion, kListBoxTitle, kQuestionYesNoSystemModal) == kIdYes)
    list.Clear();
}

bool IsDomainAllowed(const AllowLists& lists, std::string_view address) {
  return AnyEntryOccursIn(lists.domains, lists.states.domains, lists.text_case, address);
}

bool IsCaptionAllowed(const AllowLists& lists, std::string_view caption) {
  return AnyEntryOccursIn(lists.captions, lists.states.captions, lists.text_case, caption);
}

std::string NormaliseListEntry(TextCase& text_case, std::string_view text) {
  std::string entry = text_case.Lower(text);
  if (entry.size() > 1 && entry.back() == '/') entry.pop_back();
  if (entry.size() > 7 && StartsWith(entry, "http://")) entry.erase(0, 7);
  if (entry.size() > 8 && StartsWith(entry, "https://")) entry.erase(0, 8);
  if (entry.size() > 6 && StartsWith(entry, "ftp://")) entry.erase(0, 6);
  return entry;
}

std::optional<std::string> HostOfAddress(std::string_view address) {
  // A scheme, "://", then the authority up to the path, query or fragment.
  const std::size_t scheme_end = address.find("://");
  if (scheme_end == std::string_view::npos || scheme_end == 0) return std::nullopt;
  for (const char c : address.substr(0, scheme_end))
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
      return std::nullopt;
  std::string_view host = address.substr(scheme_end + 3);
  host = host.substr(0, host.find_first_of("/?#\\"));
  if (const std::size_t at = host.rfind('@'); at != std::string_view::npos)
    host.remove_prefix(at + 1);  // the user's name and password
  if (host.starts_with('[')) {
    host = host.substr(0, host.find(']') + 1);  // an IPv6 address, in its brackets
  } else {
    host = host.substr(0, host.find(':'));  // the port
  }
  if (host.empty() || host == "[]") return std::nullopt;
  for (const char c : host)
    if (static_cast<unsigned char>(c) <= ' ') return std::nullopt;
  return std::string(host);
}

}  // namespace pelkrin
