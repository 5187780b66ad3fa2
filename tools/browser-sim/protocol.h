// The control channel of browser-sim.exe: one text line per request and per reply, shared by
// the program and its client library.
//
//   line    = verb *(" " field) *(" ; " record)
//   record  = field *(" " field)
//   field   = key "=" value
//   value   = bare word (no blank, '"', ';' or control character) | quoted text
//   quoted  = '"' text with \" \\ and \xNN escapes '"'
//
// A request's verb is the command ("open", "list", ...); a reply's verb is "ok" or "error", and
// an error carries its reason in the field "message". Replies that describe several windows
// give one record per window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pelkrin::browser_sim {

// What the browser appends to a page's title in its frame caption.
inline constexpr char kCaptionSuffix[] = " - Microsoft Internet Explorer";
// Longest line either side accepts, line end excluded.
inline constexpr std::size_t kMaxLineLength = 64 * 1024;

// key=value fields in the order they were set.
class Fields {
 public:
  // Replaces the value of an existing key, or appends the key.
  void Set(const std::string& key, std::string value);
  void SetInt(const std::string& key, long long value) { Set(key, std::to_string(value)); }
  void SetBool(const std::string& key, bool value) { Set(key, value ? "yes" : "no"); }

  std::optional<std::string> Get(std::string_view key) const;
  // A decimal number (optionally negative), or a hexadecimal one written 0x...; nullopt when
  // the key is missing or its value is not such a number.
  std::optional<long long> GetInt(std::string_view key) const;
  // "yes"/"no" (also "1"/"0"); nullopt when missing or anything else.
  std::optional<bool> GetBool(std::string_view key) const;
  bool Has(std::string_view key) const { return Get(key).has_value(); }

  const std::vector<std::pair<std::string, std::string>>& items() const { return items_; }

 private:
  std::vector<std::pair<std::string, std::string>> items_;
};

struct Line {
  std::string verb;
  Fields fields;
  std::vector<Fields> records;
};

// The line's text, without a line end.
std::string FormatLine(const Line& line);
// Parses one line (without its line end). nullopt, with the reason in *error, when it is not
// well formed.
std::optional<Line> ParseLine(std::string_view text, std::string* error);

// `value` as it is written in a field: bare when that is unambiguous, quoted otherwise.
std::string QuoteValue(std::string_view value);

Line OkReply();
Line ErrorReply(std::string message);

// Strict number parsing shared by both sides: decimal (optionally negative) or 0x hexadecimal.
std::optional<long long> ParseInt(std::string_view text);
std::optional<unsigned long long> ParseUnsigned(std::string_view text);

// QueryPerformanceCounter ticks as microseconds on the same clock, without overflow.
std::int64_t CounterToMicros(std::int64_t counter, std::int64_t frequency);

// ---- Opening a window ------------------------------------------------------------------------

enum class ToolbarContainer { kWorkerW, kWorkerA };

struct OpenOptions {
  std::string title = "Example Domain";  // the page title; the caption adds kCaptionSuffix
  std::optional<std::string> caption;    // exact caption, used instead of title + suffix
  std::string address = "http://www.example.com/";
  bool toolbars = true;  // false: the toolbar container exists but is hidden (a popup)
  ToolbarContainer container = ToolbarContainer::kWorkerW;
  bool flash = false;   // a Flash control inside the page
  bool dialog = false;  // an HTML dialog frame instead of a browser frame
  bool max_box = true;
  bool min_box = true;
  bool title_bar = true;               // false: WS_DLGFRAME cleared, WS_BORDER kept
  std::optional<std::uint32_t> style;  // the exact frame style, instead of the three above
  std::uint32_t show_after_ms = 0;     // 0: visible from its creation
  // The page filled with this colour (0xRRGGBB) and nothing else, for a test that looks for
  // the window's pixels on the screen.
  std::optional<std::uint32_t> paint;
  // After the delayed show: painted at once, then the window's thread takes no message for this
  // long, as a browser loading the page (a hide asked for meanwhile waits).
  std::uint32_t busy_after_show_ms = 0;
  bool activate = true;  // false: shown without taking the focus
  std::string group;     // windows of one group share a thread (and hang together)
  std::optional<int> x, y, width, height;
};

// The caption the window gets: `caption` when given, else the title (dialogs) or the title
// followed by kCaptionSuffix (browser frames).
std::string CaptionOf(const OpenOptions& options);

// All options as the fields of an "open" request.
Fields ToFields(const OpenOptions& options);
// The options of an "open" request (or a --open argument); missing fields keep their defaults.
// nullopt, with the reason in *error, for an unknown key or a bad value.
std::optional<OpenOptions> OpenOptionsFromFields(const Fields& fields, std::string* error);

}  // namespace pelkrin::browser_sim
