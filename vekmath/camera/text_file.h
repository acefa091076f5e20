// A text file written line by line as the C runtime's text mode writes it
// on the platform: every line ends with CR LF, whatever the host does.
#pragma once
#include <windows.h>

#include <string>

namespace vekmath {

class TextFile {
 public:
  // Creates the file anew (or empties it); open() tells whether that worked.
  explicit TextFile(const char* path);
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  bool open() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  DWORD error() const { return error_; }  // why it did not open
  void line(const std::string& text);
  void line(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // "key=value"
  void entry(const std::string& key, const std::string& value) { line(key + "=" + value); }
  void entry(const std::string& key, long long value) { entry(key, std::to_string(value)); }

 private:
  HANDLE handle_;
  DWORD error_ = 0;
};

}  // namespace vekmath
