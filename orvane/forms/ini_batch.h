// Many keys of one INI file read or written at once: the file is read
// once, edited in memory with the rules of the profile calls (sections and
// keys match without regard to ASCII case, an existing key's line is
// replaced in place, a missing key goes to the end of its section, a
// missing section to the end of the file, CR LF line ends, bytes as given)
// and written back once. Saving a form's hundreds of controls key by key
// would rewrite and flush the whole file for every key.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace orvane::forms {

class IniBatch {
 public:
  // Reads the file; a missing file is empty.
  explicit IniBatch(std::string path);
  bool Exists() const { return exists_; }

  // The value as the profile read gives it: blanks around it trimmed, one
  // pair of surrounding quotes removed; nullopt when the key is missing.
  std::optional<std::string> Read(const std::string& section, const std::string& key) const;
  void Write(const std::string& section, const std::string& key, const std::string& value);

  // Writes the file whole (a fresh file renamed over the old one); false
  // when it could not be written. Nothing happens without edits.
  bool Commit();

 private:
  // Index of the section's header line, or -1.
  long FindSection(const std::string& section) const;
  // Index of the key's line in the section starting at header, or -1.
  long FindKey(long header, const std::string& key) const;
  long SectionEnd(long header) const;

  std::string path_;
  std::vector<std::string> lines_;
  bool exists_ = false;
  bool dirty_ = false;
};

}  // namespace orvane::forms
