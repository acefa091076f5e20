// An INI file held as its lines, so that an edit changes only the lines it
// must and writes every other byte back as it was read.
//
// Texts are ANSI (CP932) bytes. Names compare without regard to the case
// of ASCII letters; the second byte of a double-byte character is never
// taken for a letter or a delimiter.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat::ini {

// NameOnly: a line with neither '=' nor a section header; it is listed with
// the section's contents but names no key.
enum class LineKind { Other, Comment, Section, Key, NameOnly };

struct Line {
  std::string text;  // the bytes of the line without its end
  std::string end;   // "\r\n", "\n", "\r", or "" for a last line without one
  LineKind kind = LineKind::Other;
  std::string name;      // section or key name, or a NameOnly line, trimmed
  std::string rawValue;  // key value, trimmed, quotes kept
};

// Splits bytes into lines; joining text + end of every line gives the
// bytes back exactly.
std::vector<Line> splitLines(std::string_view bytes);

bool equalNoCase(std::string_view a, std::string_view b);

class Document {
 public:
  Document() = default;
  explicit Document(std::string_view bytes);

  std::string serialize() const;
  const std::vector<Line>& lines() const { return lines_; }

  std::vector<std::string> sectionNames() const;
  // Keys of the first section of that name; empty when there is none.
  std::vector<std::string> keyNames(std::string_view section) const;
  // "key=value" for each key of the section, values as written, and the
  // NameOnly lines as they stand.
  std::vector<std::string> sectionEntries(std::string_view section) const;
  // The value of the first such key, trimmed and with enclosing double
  // quotes removed.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;

  // Each returns true when the document changed.
  bool setValue(std::string_view section, std::string_view key, std::string_view value);
  bool removeKey(std::string_view section, std::string_view key);
  bool removeSection(std::string_view section);

 private:
  static constexpr size_t npos = static_cast<size_t>(-1);
  size_t findSection(std::string_view section) const;
  size_t sectionEnd(size_t header) const;
  size_t findKey(size_t header, std::string_view key) const;
  void ensureEnded(size_t index);

  std::vector<Line> lines_;
};

}  // namespace plat::ini
