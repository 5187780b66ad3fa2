// The popup rules: for one visible browser window, whether it is a popup and, if so, whether it
// is nevertheless exempt, each rule tried in the order of its enumerator, with the adware step
// that brings the browser's HTML dialogs into a survey. Every decision comes back as a verdict that
// names the rule that fired and the exemption that held, so tests and diagnostics can say why.
//
// The rules use only the window manager, the three lists and the switches; they keep no state.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "lists/list_model.h"
#include "platform/platform.h"
#include "settings/detection_switches.h"

namespace pelkrin {

inline constexpr char kBrowserFrameClassPrefix[] = "IEFrame";
inline constexpr char kHtmlDialogClass[] = "Internet Explorer_TridentDlgFrame";
inline constexpr char kBrowserSuffix[] = " - Microsoft Internet Explorer";
inline constexpr char kAdwareMark[] = "Adware - ";
inline constexpr char kProductPrefix[] = "Pelkrin";

enum class PopupRule {
  kNone,           // not a popup
  kBlockList,      // the caption is on the block list
  kAdwareMark,     // an HTML dialog the adware step marked
  kNoMaximizeBox,  // the style switches, each for its missing bit
  kNoMinimizeBox,
  kNoTitleBar,
  kHiddenToolbars,  // the toolbar container is hidden
};

enum class Exemption {
  kNone,  // not exempt: pelk it
  kEmptyCaption,
  kBrowserDialog,   // "Find", "About Internet Explorer", "Organize Favorites"
  kOwnWindow,       // the short caption begins with "Pelkrin"
  kAllowedCaption,  // on the caption list
  kAllowedDomain,   // its address is on the domain list
};

std::string_view RuleName(PopupRule rule);
std::string_view ExemptionName(Exemption exemption);

struct Verdict {
  PopupRule rule = PopupRule::kNone;
  Exemption exemption = Exemption::kNone;
  std::string caption;        // the candidate's caption after the rules (the adware mark taken off)
  std::string short_caption;  // the caption without the browser suffix, for exempt or pelked
  // The address bar's text as the domain exemption read it, when it did: a pelk reads it once.
  std::optional<std::string> address;
  bool IsPopup() const { return rule != PopupRule::kNone; }
  bool ShouldPelk() const { return IsPopup() && exemption == Exemption::kNone; }
};

// "popup (hidden toolbars), exempt (allowed domain)" and the like, for diagnostic lines.
std::string Describe(const Verdict& verdict);

// True for the windows the rules may judge: browser frames (class beginning "IEFrame") and the
// browser's HTML dialog frames. No other window is ever examined, retitled, hidden or closed.
bool IsBrowserWindowClass(std::string_view class_name);
// The same told apart: a window's kind, fixed for its life.
enum class WindowKind : std::uint8_t { kOther, kFrame, kHtmlDialog };
WindowKind KindOfClass(std::string_view class_name);
bool IsBrowserWindow(WindowManager& windows, Hwnd window);

// The adware step: the first HTML dialog frame, visible or not. An unmarked one is retitled
// "Adware - " + its caption and that caption is returned, for the survey to examine; a marked
// one (or none) gives nullopt. `dialog` receives the dialog's handle when one exists.
std::optional<std::string> MarkAdwareDialog(WindowManager& windows, Hwnd* dialog);

// Rule P4's question about a visible frame: is its toolbar container hidden, that is, does the
// class of its first child begin "WorkerA" or "WorkerW", and is that child hidden? The survey
// answers it from what it remembers where it can; an empty answer reads it all afresh.
using ToolbarsHiddenAnswer = std::function<bool()>;
bool ReadToolbarsHidden(WindowManager& windows, Hwnd frame);
// True for the first 7 characters of a toolbar container's class.
bool IsToolbarContainerClass(std::string_view class_prefix);

// The popup rules for the visible window `window` with candidate caption `caption`; `style` is
// the window's style, read by the caller when it found the window visible. A dialog under the
// adware mark is retitled, and the mark taken off `caption`.
PopupRule DecidePopup(WindowManager& windows, Hwnd window, std::uint32_t style,
                      std::string& caption, const AllowLists& lists,
                      const DetectionSwitches& switches,
                      const ToolbarsHiddenAnswer& toolbars_hidden = {});

// The exemptions for a popup; sets `short_caption`. Reads the address bar only when it must,
// and then hands what it read to `address` when given.
Exemption CheckExemptions(WindowManager& windows, Hwnd window, const std::string& caption,
                          const AllowLists& lists, std::string* short_caption,
                          std::optional<std::string>* address = nullptr);

// The whole decision for one visible window of style `style`: the popup rules, then the
// exemptions for a popup.
Verdict Classify(WindowManager& windows, Hwnd window, std::uint32_t style, std::string caption,
                 const AllowLists& lists, const DetectionSwitches& switches,
                 const ToolbarsHiddenAnswer& toolbars_hidden = {});
// The same, reading the style first.
inline Verdict Classify(WindowManager& windows, Hwnd window, std::string caption,
                        const AllowLists& lists, const DetectionSwitches& switches) {
  return Classify(windows, window, windows.Style(window), std::move(caption), lists, switches);
}

// The caption without the browser suffix: when " - Microsoft Internet Explorer" stands anywhere
// in it, its last 30 characters go.
std::string ShortCaption(const std::string& caption);

}  // namespace pelkrin
