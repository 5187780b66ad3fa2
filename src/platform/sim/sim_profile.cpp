#include "platform/sim/sim_profile.h"

#include <optional>
#include <string_view>

#include "platform/sim/sim_text.h"

namespace pelkrin::sim {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The blanks the profile functions trim: white space and the end-of-file mark (Ctrl+Z).
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view Trim(std::string_view text) {
  text = TrimLeft(text);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The functions work on C strings: a name or value ends at its first NUL.
std::string CString(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

struct Entry {
  std::string name;
  std::optional<std::string> value;  // none for a line without '=' (a comment, say)
};

struct Section {
  std::string name;  // "" for the lines before the first section header
  std::vector<Entry> entries;
};

struct Document {
  bool utf8_mark = false;
  std::vector<Section> sections{Section{}};
};

Document Parse(std::string_view bytes) {
  Document doc;
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
    doc.utf8_mark = true;
    bytes.remove_prefix(kUtf8Mark.size());
  }
  bool previous_unnamed = false;  // two unnamed entries in a row keep only the first
  bool has_previous = false;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    // Any CR or LF ends a line.
    std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = Trim(bytes.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty()) continue;

    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        doc.sections.push_back(Section{CString(Trim(line.substr(1, close - 1))), {}});
        has_previous = false;
        continue;
      }
    }
    Entry entry;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      entry.name = CString(line);
    } else {
      entry.name = CString(Trim(line.substr(0, equals)));
      entry.value = CString(TrimLeft(line.substr(equals + 1)));
    }
    if (!entry.name.empty() || !has_previous || !previous_unnamed) {
      previous_unnamed = entry.name.empty();
      has_previous = true;
      doc.sections.back().entries.push_back(std::move(entry));
    }
  }
  return doc;
}

std::string Serialize(const Document& doc) {
  std::string bytes;
  if (doc.utf8_mark) bytes += kUtf8Mark;
  for (const Section& section : doc.sections) {
    if (!section.name.empty()) bytes += "[" + section.name + "]\r\n";
    for (const Entry& entry : section.entries) {
      bytes += entry.name;
      if (entry.value) bytes += "=" + *entry.value;
      bytes += "\r\n";
    }
  }
  return bytes;
}

Section* FindSection(Document& doc, std::string_view name) {
  for (Section& section : doc.sections)
    if (EqualsNoCase(section.name, name)) return &section;
  return nullptr;
}

Entry* FindEntry(Section& section, std::string_view name) {
  for (Entry& entry : section.entries)
    if (EqualsNoCase(entry.name, name)) return &entry;
  return nullptr;
}

// What the reader copies into a buffer of `buffer_chars`: one pair of matching outer quotes goes,
// and the text is cut to buffer_chars - 1 characters. When the cut falls exactly on the closing
// quote the reader still drops one more character, as the real function does.
std::string CopyEntry(std::string_view value, std::size_t buffer_chars) {
  bool quoted = false;
  if (value.size() > 1 && (value.front() == '\'' || value.front() == '"') &&
      value.back() == value.front()) {
    quoted = true;
    value.remove_prefix(1);
  }
  std::string copied(value.substr(0, buffer_chars - 1));
  if (quoted && buffer_chars >= value.size() && !copied.empty()) copied.pop_back();
  return copied;
}

}  // namespace

std::string SimProfile::Resolve(const std::string& path) {
  if (path.find_first_of("\\/") != std::string::npos) return path;
  return process_.WindowsFolder() + "\\" + path;
}

std::string SimProfile::Read(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& fallback,
                             std::size_t buffer_chars) {
  ++reads_;
  if (buffer_chars == 0) return {};
  if (const auto bytes = files_.Bytes(Resolve(CString(path)))) {
    Document doc = Parse(*bytes);
    if (Section* found = FindSection(doc, Trim(CString(section)))) {
      if (Entry* entry = FindEntry(*found, Trim(CString(key))); entry && entry->value)
        return CopyEntry(*entry->value, buffer_chars);
    }
  }
  // The fallback loses its trailing blanks, though never its first character.
  std::string fallback_text = CString(fallback);
  while (fallback_text.size() > 1 && fallback_text.back() == ' ') fallback_text.pop_back();
  return CopyEntry(fallback_text, buffer_chars);
}

bool SimProfile::Write(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& value) {
  const std::string resolved = Resolve(CString(path));
  const std::string section_name = CString(section);
  const std::string key_name = CString(key);
  const std::string new_value(TrimLeft(CString(value)));
  const auto bytes = files_.Bytes(resolved);
  Document doc = bytes ? Parse(*bytes) : Document{};

  // A new section or key keeps the blanks after its name (only the leading ones go).
  Section* target = FindSection(doc, Trim(section_name));
  if (!target) {
    doc.sections.push_back(Section{std::string(TrimLeft(section_name)), {}});
    target = &doc.sections.back();
  }
  Entry* entry = FindEntry(*target, Trim(key_name));
  bool succeeded = true;
  if (entry && entry->value == new_value) {
    // Nothing changes: the file is left untouched.
  } else {
    if (entry)
      entry->value = new_value;
    else
      target->entries.push_back(Entry{std::string(TrimLeft(key_name)), new_value});
    succeeded = files_.WriteInPlace(resolved, Serialize(doc));
  }
  writes_.push_back(WriteCall{path, section, key, value, succeeded});
  return succeeded;
}

}  // namespace pelkrin::sim
