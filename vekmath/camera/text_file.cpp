#include "camera/text_file.h"

#include <platform/host_files.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace vekmath {

TextFile::~TextFile() {
  if (!committed_) commit();
}

bool TextFile::commit() {
  committed_ = true;
  if (path_.empty()) {
    error_ = ERROR_INVALID_PARAMETER;
    return false;
  }
  if (plat::WriteWholeFile(path_.c_str(), text_.data(), text_.size())) return true;
  error_ = GetLastError();
  return false;
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
