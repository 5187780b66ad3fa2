#include "detector/popup_rules.h"

#include "detector/window_readers.h"
#include "lists/list_model.h"

namespace pelkrin {
namespace {

constexpr std::string_view kBrowserDialogs[] = {"Find", "About Internet Explorer",
                                                "Organize Favorites"};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool OnBlockList(const ListBox& blocks, const std::string& caption) {
  for (const std::string& entry : blocks.Items())
    if (entry == caption) return true;
  return false;
}

}  // namespace

std::string_view RuleName(PopupRule rule) {
  switch (rule) {
    case PopupRule::kNone:
      return "no popup";
    case PopupRule::kBlockList:
      return "block list";
    case PopupRule::kAdwareMark:
      return "adware dialog";
    case PopupRule::kNoMaximizeBox:
      return "no maximize box";
    case PopupRule::kNoMinimizeBox:
      return "no minimize box";
    case PopupRule::kNoTitleBar:
      return "no title bar";
    case PopupRule::kHiddenToolbars:
      return "hidden toolbars";
  }
  return "?";
}

std::string_view ExemptionName(Exemption exemption) {
  switch (exemption) {
    case Exemption::kNone:
      return "not exempt";
    case Exemption::kEmptyCaption:
      return "empty caption";
    case Exemption::kBrowserDialog:
      return "browser dialog";
    case Exemption::kOwnWindow:
      return "Pelkrin's own window";
    case Exemption::kAllowedCaption:
      return "allowed caption";
    case Exemption::kAllowedDomain:
      return "allowed domain";
  }
  return "?";
}

std::string Describe(const Verdict& verdict) {
  std::string text = verdict.IsPopup() ? "popup (" + std::string(RuleName(verdict.rule)) + ")"
                                       : std::string(RuleName(verdict.rule));
  if (verdict.exemption != Exemption::kNone)
    text += ", exempt (" + std::string(ExemptionName(verdict.exemption)) + ")";
  return text;
}

bool IsBrowserWindowClass(std::string_view class_name) {
  return StartsWith(class_name, kBrowserFrameClassPrefix) || class_name == kHtmlDialogClass;
}

WindowKind KindOfClass(std::string_view class_name) {
  if (StartsWith(class_name, kBrowserFrameClassPrefix)) return WindowKind::kFrame;
  return class_name == kHtmlDialogClass ? WindowKind::kHtmlDialog : WindowKind::kOther;
}

bool IsBrowserWindow(WindowManager& windows, Hwnd window) {
  return window != kNoWindow && IsBrowserWindowClass(windows.ClassName(window, 260));
}

std::optional<std::string> MarkAdwareDialog(WindowManager& windows, Hwnd* dialog) {
  const std::string dialog_class = kHtmlDialogClass;
  const Hwnd found = windows.FindTopLevel(&dialog_class, nullptr);
  if (dialog) *dialog = found;
  if (found == kNoWindow) return std::nullopt;
  const std::string caption = ReadCaption(windows, found);
  if (StartsWith(caption, kAdwareMark)) return std::nullopt;
  std::string marked = kAdwareMark + caption;
  windows.SetCaption(found, marked);
  return marked;
}

bool IsToolbarContainerClass(std::string_view class_prefix) {
  return class_prefix == "WorkerA" || class_prefix == "WorkerW";
}

bool ReadToolbarsHidden(WindowManager& windows, Hwnd frame) {
  // Only the first 7 characters of the class count. The frame shows, so the container shows
  // exactly when its own WS_VISIBLE is set: one read of its style instead of a walk up its
  // parents, each a call into another process.
  const Hwnd container = windows.FirstChild(frame);
  return container != kNoWindow && IsToolbarContainerClass(windows.ClassName(container, 8)) &&
         !(windows.Style(container) & kWsVisible);
}

PopupRule DecidePopup(WindowManager& windows, Hwnd window, std::uint32_t style,
                      std::string& caption, const AllowLists& lists,
                      const DetectionSwitches& switches,
                      const ToolbarsHiddenAnswer& toolbars_hidden) {
  // The block list: the whole caption, suffix included, exactly as the user blocked it.
  if (OnBlockList(lists.blocks, caption)) return PopupRule::kBlockList;

  // A dialog the adware step marked gets its own caption back before it is judged.
  if (StartsWith(caption, kAdwareMark)) {
    caption.erase(0, sizeof kAdwareMark - 1);
    windows.SetCaption(window, caption);
    return PopupRule::kAdwareMark;
  }

  // The style switches. The read that found the window visible serves all three.
  if (switches.no_maximize_box && !(style & kWsMaximizeBox)) return PopupRule::kNoMaximizeBox;
  if (switches.no_minimize_box && !(style & kWsMinimizeBox)) return PopupRule::kNoMinimizeBox;
  if (switches.no_title_bar && !(style & kWsDlgFrame)) return PopupRule::kNoTitleBar;

  // Hidden toolbars: a browser frame keeps its toolbars in its first child, hidden in a window that
  // a page opened without toolbars.
  if (toolbars_hidden ? toolbars_hidden() : ReadToolbarsHidden(windows, window))
    return PopupRule::kHiddenToolbars;
  return PopupRule::kNone;
}

std::string ShortCaption(const std::string& caption) {
  constexpr std::size_t kSuffixLength = sizeof kBrowserSuffix - 1;
  if (caption.find(kBrowserSuffix) == std::string::npos) return caption;
  return caption.substr(0, caption.size() - kSuffixLength);
}

Exemption CheckExemptions(WindowManager& windows, Hwnd window, const std::string& caption,
                          const AllowLists& lists, std::string* short_caption,
                          std::optional<std::string>* address) {
  short_caption->clear();
  if (caption.empty()) return Exemption::kEmptyCaption;
  for (std::string_view dialog : kBrowserDialogs)
    if (caption == dialog) return Exemption::kBrowserDialog;
  *short_caption = ShortCaption(caption);
  if (StartsWith(*short_caption, kProductPrefix)) return Exemption::kOwnWindow;
  if (IsCaptionAllowed(lists, lists.text_case.Lower(*short_caption)))
    return Exemption::kAllowedCaption;
  // The address costs messages to the browser, which answers them only once it is back in its
  // message loop: read it only for a popup that got this far, and only when a domain could
  // allow it. The hide waits for this answer.
  if (lists.domains.Items().empty()) return Exemption::kNone;
  std::string read = ReadAddressBar(windows, window);
  const bool allowed = IsDomainAllowed(lists, read);
  if (address) *address = std::move(read);
  return allowed ? Exemption::kAllowedDomain : Exemption::kNone;
}

Verdict Classify(WindowManager& windows, Hwnd window, std::uint32_t style, std::string caption,
                 const AllowLists& lists, const DetectionSwitches& switches,
                 const ToolbarsHiddenAnswer& toolbars_hidden) {
  Verdict verdict;
  verdict.rule = DecidePopup(windows, window, style, caption, lists, switches, toolbars_hidden);
  if (verdict.IsPopup())
    verdict.exemption =
        CheckExemptions(windows, window, caption, lists, &verdict.short_caption, &verdict.address);
  verdict.caption = std::move(caption);
  return verdict;
}

}  // namespace pelkrin
