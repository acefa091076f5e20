// A text file written line by line as the C runtime's text mode writes it
// on the platform: every line ends with CR LF, whatever the host does. The
// lines are kept until the file is committed, which replaces the file in
// one step: a full disk leaves the file that was there before.
#pragma once
#include <windows.h>

#include <string>

namespace vekmath {

class TextFile {
 public:
  explicit TextFile(const char* path) : path_(path != nullptr ? path : "") {}
  // Commits what was not committed yet; a failure then goes unreported.
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Writes the file whole; false with error() telling why.
  bool commit();
  DWORD error() const { return error_; }
  void line(const std::string& text) { text_ += text + "\r\n"; }
  void line(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // "key=value"
  void entry(const std::string& key, const std::string& value) { line(key + "=" + value); }
  void entry(const std::string& key, long long value) { entry(key, std::to_string(value)); }

 private:
  std::string path_;
  std::string text_;
  bool committed_ = false;
  DWORD error_ = 0;
};

}  // namespace vekmath
