// The three allow/block lists as data: their files next to the program, loading and saving,
// the list operations, and the two queries of the detector. The entries live in the list boxes
// of the Allow/Block window, so every reader and writer sees the same sequences; the rest of
// the program reaches them through AllowLists, without the window around them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "ui/controls.h"

namespace pelkrin {

inline constexpr char kDomainListFile[] = "alwdom.sys";
inline constexpr char kCaptionListFile[] = "alwcap.sys";
inline constexpr char kBlockListFile[] = "popblk.sys";
inline constexpr char kListBoxTitle[] = "Pelkrin Allow List";
inline constexpr char kClearListQuestion[] =
    "Once the list has been cleared you will not be able to recover it!  Are you sure?";

enum class AllowList { kDomain, kCaption, kBlock };

// The three lists: the list boxes the Allow/Block window keeps for the whole run.
struct AllowLists {
  ListBox& domains;   // allowed domains, kDomainListFile
  ListBox& captions;  // allowed captions, kCaptionListFile
  ListBox& blocks;    // blocked captions, kBlockListFile

  ListBox& Of(AllowList list) const {
    switch (list) {
      case AllowList::kDomain:
        return domains;
      case AllowList::kCaption:
        return captions;
      case AllowList::kBlock:
        break;
    }
    return blocks;
  }
};

// Splits a list file into entries: one per line, whether the line ends in CR LF, LF or CR; the
// last line counts without an ending too. NUL bytes are dropped (a window text cannot hold
// them), and a line that held nothing but NULs is no entry; a truly blank line is one.
std::vector<std::string> ParseListFile(std::string_view bytes);
// The file's bytes for these entries: each followed by CR LF; no entries, no bytes.
std::string FormatListFile(const std::vector<std::string>& entries);

// Appends the file's entries to the list, in file order, letting pending events run while it
// reads. A missing or unreadable file leaves the list as it is; nothing is reported.
void LoadListFile(FileSystem& files, EventLoop& events, const std::string& path, ListBox& list);
// Replaces the file by the list's entries. The previous file stays whole when the save fails;
// the user is told nothing, and the result says whether the file was written.
bool SaveListFile(FileSystem& files, const std::string& path, const ListBox& list);

// Removes the entry the user selected; nothing when none is.
void RemoveSelected(ListBox& list);
// Asks "Once the list has been cleared ..." and empties the list on Yes.
void ClearWithConfirmation(Dialogs& dialogs, ListBox& list);

// True when an entry of the domain list occurs anywhere in the address, ignoring case.
bool IsDomainAllowed(const ListBox& domains, std::string_view address);
// True when an entry of the caption list occurs anywhere in the caption, ignoring case.
bool IsCaptionAllowed(const ListBox& captions, std::string_view caption);

// What the Allow/Block window stores for a typed domain or caption: lower case, one trailing
// "/" dropped, then a leading "http://", "https://" or "ftp://".
std::string NormaliseListEntry(std::string_view text);

}  // namespace pelkrin
