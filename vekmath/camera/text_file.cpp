#include "camera/text_file.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace vekmath {

TextFile::TextFile(const char* path)
    : handle_(path == nullptr ? INVALID_HANDLE_VALUE
                              : CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
  if (!open()) error_ = path == nullptr ? ERROR_INVALID_PARAMETER : GetLastError();
}

TextFile::~TextFile() {
  if (open()) CloseHandle(handle_);
}

void TextFile::line(const std::string& text) {
  if (!open()) return;
  const std::string bytes = text + "\r\n";
  DWORD written = 0;
  WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void TextFile::line(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::vector<char> text(static_cast<size_t>(length > 0 ? length : 0) + 1);
  std::vsnprintf(text.data(), text.size(), format, again);
  va_end(again);
  line(std::string(text.data()));
}

}  // namespace vekmath
