// The three allow/block lists as data: their files next to the program, loading and saving,
// the list operations, and the two queries of the detector. The entries live in the list boxes
// of the Allow/Block window, so every reader and writer sees the same sequences; the rest of
// the program reaches them through AllowLists, without the window around them.
#pragma once

#include <cstdint>
#include <optional>
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

// What the program keeps about one list beside its entries.
class ListState {
 public:
  // The list's file was read only in part (it is larger than the program reads, or a read broke
  // off), so it holds entries the list lacks: saving leaves it as it is (see SaveListFile).
  bool loaded_in_part = false;

  // The list's entries lowered with `text_case`, for the case-insensitive queries. Each entry is
  // lowered once: appended entries are lowered as they come, and the whole list again only
  // after an entry was changed or removed.
  const std::vector<std::string>& LoweredEntries(const ListBox& list, TextCase& text_case);

 private:
  const ListBox* lowered_list_ = nullptr;
  std::uint64_t lowered_at_edit_ = 0;
  std::vector<std::string> lowered_;
};

struct ListStates {
  ListState domains;
  ListState captions;
  ListState blocks;
};

// The three lists: the list boxes the Allow/Block window keeps for the whole run, what it keeps
// beside them, and the system's letter case, which the add paths and the queries follow.
struct AllowLists {
  ListBox& domains;   // allowed domains, kDomainListFile
  ListBox& captions;  // allowed captions, kCaptionListFile
  ListBox& blocks;    // blocked captions, kBlockListFile
  ListStates& states;
  TextCase& text_case;

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
  ListState& StateOf(AllowList list) const {
    switch (list) {
      case AllowList::kDomain:
        return states.domains;
      case AllowList::kCaption:
        return states.captions;
      case AllowList::kBlock:
        break;
    }
    return states.blocks;
  }
};

// Splits a list file into entries: one per line, whether the line ends in CR LF, LF or CR; the
// last line counts without an ending too. NUL bytes are dropped (a window text cannot hold
// them), and a line that held nothing but NULs is no entry; a truly blank line is one.
std::vector<std::string> ParseListFile(std::string_view bytes);
// The file's bytes for these entries: each followed by CR LF; no entries, no bytes.
std::string FormatListFile(const std::vector<std::string>& entries);

// Where a list loaded only in part is saved: beside its file, under the file's name followed by
// this, so that the file itself keeps every entry it had.
inline constexpr char kPartListSuffix[] = ".partial";

// Appends the file's entries to the list, in file order, letting pending events run while it
// reads. A missing or unreadable file leaves the list as it is; nothing is reported. A file read
// only in part marks `state` as loaded in part and leaves a diagnostic line; its last entry,
// when the read broke off inside it, is dropped rather than kept cut short.
void LoadListFile(FileSystem& files, EventLoop& events, Diagnostics& diagnostics,
                  const std::string& path, ListBox& list, ListState& state);
// Replaces the file by the list's entries. The previous file stays whole when the save fails. A
// list loaded in part never replaces its file: it goes to the file's name + kPartListSuffix. The
// user is told nothing; a failure, and a save beside the file, leave a diagnostic line. The
// result says whether the list was written.
[[nodiscard]] bool SaveListFile(FileSystem& files, Diagnostics& diagnostics,
                                const std::string& path, const ListBox& list,
                                const ListState& state);

// Removes the entry the user selected; nothing when none is.
void RemoveSelected(ListBox& list);
// Asks "Once the list has been cleared ..." and empties the list on Yes.
void ClearWithConfirmation(Dialogs& dialogs, ListBox& list);

// True when an entry of the domain list occurs anywhere in the address, ignoring case.
bool IsDomainAllowed(const AllowLists& lists, std::string_view address);
// True when an entry of the caption list occurs anywhere in the caption, ignoring case.
bool IsCaptionAllowed(const AllowLists& lists, std::string_view caption);

// What the Allow/Block window stores for a typed domain or caption: lower case (the system's, so
// accented capitals too), one trailing "/" dropped, then a leading "http://", "https://" or
// "ftp://".
std::string NormaliseListEntry(TextCase& text_case, std::string_view text);

// The host named by a web address ("ads.example.net" of "http://user@ads.example.net:8080/x"),
// for the domain list; nullopt for an address that names none ("about:blank", "file:///c:/x").
std::optional<std::string> HostOfAddress(std::string_view address);

}  // namespace pelkrin
