#include "protocol.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace pelkrin::browser_sim {
namespace {

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7f;
}

bool IsKeyChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

// A character that ends a bare word or makes a value need quotes.
bool IsSpecial(char c) { return c == ' ' || c == '"' || c == ';' || IsControl(c); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::optional<Line> Parse(std::string* error) {
    Line line;
    SkipBlanks();
    const std::size_t verb_start = pos_;
    while (pos_ < text_.size() && !IsSpecial(text_[pos_])) ++pos_;
    line.verb = std::string(text_.substr(verb_start, pos_ - verb_start));
    if (line.verb.empty()) return Fail("the line has no command", error);
    if (line.verb.find('=') != std::string::npos) {
      return Fail("the line begins with a field, not a command", error);
    }
    Fields* current = &line.fields;
    for (;;) {
      SkipBlanks();
      if (pos_ >= text_.size()) return line;
      if (text_[pos_] == ';') {
        ++pos_;
        current = &line.records.emplace_back();
        continue;
      }
      std::string key;
      std::string value;
      if (!ParseField(key, value, error)) return std::nullopt;
      if (current->Has(key)) return Fail("field '" + key + "' is given twice", error);
      current->Set(key, std::move(value));
    }
  }

 private:
  static std::nullopt_t Fail(const std::string& reason, std::string* error) {
    if (error != nullptr) *error = reason;
    return std::nullopt;
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }

  bool ParseField(std::string& key, std::string& value, std::string* error) {
    const std::size_t key_start = pos_;
    while (pos_ < text_.size() && IsKeyChar(text_[pos_])) ++pos_;
    key = std::string(text_.substr(key_start, pos_ - key_start));
    if (key.empty() || pos_ >= text_.size() || text_[pos_] != '=') {
      Fail("expected key=value at column " + std::to_string(key_start + 1), error);
      return false;
    }
    ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '"') return ParseQuoted(key, value, error);
    const std::size_t value_start = pos_;
    while (pos_ < text_.size() && !IsSpecial(text_[pos_])) ++pos_;
    if (pos_ < text_.size() && text_[pos_] != ' ' && text_[pos_] != ';') {
      Fail("bad character in the value of '" + key + "'", error);
      return false;
    }
    value = std::string(text_.substr(value_start, pos_ - value_start));
    return true;
  }

  bool ParseQuoted(const std::string& key, std::string& value, std::string* error) {
    ++pos_;  // the opening quote
    for (;;) {
      if (pos_ >= text_.size()) {
        Fail("the value of '" + key + "' has no closing quote", error);
        return false;
      }
      const char c = text_[pos_++];
      if (c == '"') break;
      if (IsControl(c)) {
        Fail("control character in the value of '" + key + "'", error);
        return false;
      }
      if (c != '\\') {
        value += c;
        continue;
      }
      if (pos_ >= text_.size()) continue;  // reported as a missing closing quote above
      const char escaped = text_[pos_++];
      if (escaped == '"' || escaped == '\\') {
        value += escaped;
      } else if (escaped == 'x' && pos_ + 1 < text_.size() && HexDigit(text_[pos_]) >= 0 &&
                 HexDigit(text_[pos_ + 1]) >= 0) {
        value += static_cast<char>(HexDigit(text_[pos_]) * 16 + HexDigit(text_[pos_ + 1]));
        pos_ += 2;
      } else {
        Fail("bad escape in the value of '" + key + "'", error);
        return false;
      }
    }
    if (pos_ < text_.size() && text_[pos_] != ' ' && text_[pos_] != ';') {
      Fail("the quoted value of '" + key + "' runs on after its closing quote", error);
      return false;
    }
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

void AppendFields(std::string& out, const Fields& fields) {
  for (const auto& [key, value] : fields.items()) {
    out += ' ';
    out += key;
    out += '=';
    out += QuoteValue(value);
  }
}

}  // namespace

void Fields::Set(const std::string& key, std::string value) {
  for (auto& item : items_) {
    if (item.first == key) {
      item.second = std::move(value);
      return;
    }
  }
  items_.emplace_back(key, std::move(value));
}

std::optional<std::string> Fields::Get(std::string_view key) const {
  for (const auto& item : items_) {
    if (item.first == key) return item.second;
  }
  return std::nullopt;
}

std::optional<long long> Fields::GetInt(std::string_view key) const {
  const auto value = Get(key);
  return value ? ParseInt(*value) : std::nullopt;
}

std::optional<bool> Fields::GetBool(std::string_view key) const {
  const auto value = Get(key);
  if (!value) return std::nullopt;
  if (*value == "yes" || *value == "1") return true;
  if (*value == "no" || *value == "0") return false;
  return std::nullopt;
}

std::string QuoteValue(std::string_view value) {
  bool bare = !value.empty();
  for (char c : value) bare = bare && !IsSpecial(c) && c != '\\';
  if (bare) return std::string(value);
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (IsControl(c)) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(c));
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  quoted += '"';
  return quoted;
}

std::string FormatLine(const Line& line) {
  std::string out = line.verb;
  AppendFields(out, line.fields);
  for (const Fields& record : line.records) {
    out += " ;";
    AppendFields(out, record);
  }
  return out;
}

std::optional<Line> ParseLine(std::string_view text, std::string* error) {
  if (text.size() > kMaxLineLength) {
    if (error != nullptr) *error = "the line is longer than " + std::to_string(kMaxLineLength);
    return std::nullopt;
  }
  return Parser(text).Parse(error);
}

Line OkReply() { return Line{"ok", {}, {}}; }

Line ErrorReply(std::string message) {
  Line line{"error", {}, {}};
  line.fields.Set("message", std::move(message));
  return line;
}

std::optional<unsigned long long> ParseUnsigned(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 20) return std::nullopt;
  for (char c : text) {
    if (base == 10 ? !(c >= '0' && c <= '9') : HexDigit(c) < 0) return std::nullopt;
  }
  const std::string digits(text);
  errno = 0;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(digits.c_str(), &end, base);
  if (errno != 0 || end != digits.c_str() + digits.size()) return std::nullopt;
  return value;
}

std::optional<long long> ParseInt(std::string_view text) {
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  const auto magnitude = ParseUnsigned(text);
  if (!magnitude) return std::nullopt;
  constexpr auto kMax = static_cast<unsigned long long>(9223372036854775807LL);
  if (*magnitude > kMax + (negative ? 1 : 0)) return std::nullopt;
  if (!negative) return static_cast<long long>(*magnitude);
  return *magnitude == kMax + 1 ? (-9223372036854775807LL - 1)
                                : -static_cast<long long>(*magnitude);
}

std::int64_t CounterToMicros(std::int64_t counter, std::int64_t frequency) {
  if (frequency <= 0) return 0;
  return counter / frequency * 1000000 + counter % frequency * 1000000 / frequency;
}

// ---- Opening a window ------------------------------------------------------------------------

std::string CaptionOf(const OpenOptions& options) {
  if (options.caption) return *options.caption;
  return options.dialog ? options.title : options.title + kCaptionSuffix;
}

Fields ToFields(const OpenOptions& options) {
  Fields fields;
  fields.Set("title", options.title);
  if (options.caption) fields.Set("caption", *options.caption);
  fields.Set("address", options.address);
  fields.SetBool("toolbars", options.toolbars);
  fields.Set("container", options.container == ToolbarContainer::kWorkerA ? "WorkerA" : "WorkerW");
  fields.SetBool("flash", options.flash);
  fields.SetBool("dialog", options.dialog);
  fields.SetBool("maxbox", options.max_box);
  fields.SetBool("minbox", options.min_box);
  fields.SetBool("titlebar", options.title_bar);
  if (options.style) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(*options.style));
    fields.Set("style", hex);
  }
  fields.SetInt("show", options.show_after_ms);
  if (options.busy_after_show_ms != 0) fields.SetInt("busy", options.busy_after_show_ms);
  if (options.paint) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%06X", static_cast<unsigned>(*options.paint));
    fields.Set("paint", hex);
  }
  fields.SetBool("activate", options.activate);
  if (!options.group.empty()) fields.Set("group", options.group);
  if (options.x) fields.SetInt("x", *options.x);
  if (options.y) fields.SetInt("y", *options.y);
  if (options.width) fields.SetInt("width", *options.width);
  if (options.height) fields.SetInt("height", *options.height);
  return fields;
}

std::optional<OpenOptions> OpenOptionsFromFields(const Fields& fields, std::string* error) {
  OpenOptions options;
  auto fail = [error](const std::string& reason) {
    if (error != nullptr) *error = reason;
    return std::nullopt;
  };
  for (const auto& [key, value] : fields.items()) {
    const auto flag = fields.GetBool(key);
    const auto number = fields.GetInt(key);
    const auto coordinate = [&](std::optional<int>& out, long long low) {
      if (!number || *number < low || *number > 100000) return false;
      out = static_cast<int>(*number);
      return true;
    };
    bool good = true;
    if (key == "title") {
      options.title = value;
    } else if (key == "caption") {
      options.caption = value;
    } else if (key == "address") {
      options.address = value;
    } else if (key == "toolbars" || key == "flash" || key == "dialog" || key == "maxbox" ||
               key == "minbox" || key == "titlebar" || key == "activate") {
      good = flag.has_value();
      if (good) {
        bool& target = key == "toolbars"   ? options.toolbars
                       : key == "flash"    ? options.flash
                       : key == "dialog"   ? options.dialog
                       : key == "maxbox"   ? options.max_box
                       : key == "minbox"   ? options.min_box
                       : key == "titlebar" ? options.title_bar
                                           : options.activate;
        target = *flag;
      }
    } else if (key == "container") {
      good = value == "WorkerW" || value == "WorkerA";
      options.container =
          value == "WorkerA" ? ToolbarContainer::kWorkerA : ToolbarContainer::kWorkerW;
    } else if (key == "style") {
      good = number && *number >= 0 && *number <= 0xFFFFFFFFLL;
      if (good) options.style = static_cast<std::uint32_t>(*number);
    } else if (key == "show") {
      // Up to a day: a delay is for tests and demos, never meant to wrap around.
      good = number && *number >= 0 && *number <= 86400000;
      if (good) options.show_after_ms = static_cast<std::uint32_t>(*number);
    } else if (key == "busy") {
      good = number && *number >= 0 && *number <= 60000;
      if (good) options.busy_after_show_ms = static_cast<std::uint32_t>(*number);
    } else if (key == "paint") {
      good = number && *number >= 0 && *number <= 0xFFFFFF;
      if (good) options.paint = static_cast<std::uint32_t>(*number);
    } else if (key == "group") {
      options.group = value;
    } else if (key == "x") {
      good = coordinate(options.x, -100000);
    } else if (key == "y") {
      good = coordinate(options.y, -100000);
    } else if (key == "width") {
      good = coordinate(options.width, 1);
    } else if (key == "height") {
      good = coordinate(options.height, 1);
    } else {
      return fail("unknown option '" + key + "'");
    }
    if (!good) return fail("bad value '" + value + "' for option '" + key + "'");
  }
  return options;
}

}  // namespace pelkrin::browser_sim
