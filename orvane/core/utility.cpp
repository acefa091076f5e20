#include "utility.h"

#include <winbase.h>

#include <cmath>

#include "ansi_text.h"
#include "toolkit.h"

namespace orvane::core {

std::string CutAtNul(std::string_view text) {
  size_t at = text.find('\0');
  return std::string(at == std::string_view::npos ? text : text.substr(0, at));
}

void MovingAverage(std::span<float> column0, int32_t w, int32_t n) {
  if (w == 0) throw ToolkitError(kErrDivisionByZero, "Division by zero");
  if (w < 0) throw ToolkitError(kErrSubscriptOutOfRange, "Subscript out of range");
  const int32_t h = static_cast<int32_t>(std::nearbyint((static_cast<double>(w) - 1.0) / 2.0));
  if (n < 1 || static_cast<size_t>(n) > column0.size() || h > n - 1) {
    throw ToolkitError(kErrSubscriptOutOfRange, "Subscript out of range");
  }
  const float width = static_cast<float>(w);
  float* a = column0.data();
  auto at = [&](int32_t i) { return a[i < 0 ? 0 : (i > n - 1 ? n - 1 : i)]; };
  // The outputs not yet written back: each waits until every sample it
  // averages has been read. One slot per output of the window, h + 1.
  std::vector<float> pending(static_cast<size_t>(h) + 1, 0.0f);
  float sum = 0.0f;
  for (int32_t i = -h; i <= h; ++i) sum += at(i);
  pending[static_cast<size_t>(h)] = sum / width;
  for (int32_t j = 1; j <= n - 1; ++j) {
    sum = sum - at(j - h - 1) + at(j + h);
    if (j - h - 1 >= 0) a[j - h - 1] = pending[0];
    for (int32_t k = 0; k < h; ++k) pending[static_cast<size_t>(k)] = pending[static_cast<size_t>(k) + 1];
    pending[static_cast<size_t>(h)] = sum / width;
  }
  for (int32_t k = 0; k <= h; ++k) a[n - 1 - h + k] = pending[static_cast<size_t>(k)];
}

std::string PickFields(std::string_view text, int32_t first, int32_t last, std::string_view delimiter) {
  if (text.empty() || first < 0 || (last < first && last != 0)) return {};
  if (last == 0) last = first;
  std::vector<std::string_view> fields;
  if (delimiter.empty()) {
    fields.push_back(text);
  } else {
    size_t start = 0;
    for (;;) {
      size_t at = text.find(delimiter, start);
      if (at == std::string_view::npos) {
        fields.push_back(text.substr(start));
        break;
      }
      fields.push_back(text.substr(start, at - start));
      start = at + delimiter.size();
    }
  }
  const int64_t count = static_cast<int64_t>(fields.size());
  CheckSubscript(first, 1, count);
  CheckSubscript(last, 1, count);
  std::string result(fields[static_cast<size_t>(first) - 1]);
  for (int32_t i = first + 1; i <= last; ++i) {
    result += delimiter;
    result += fields[static_cast<size_t>(i) - 1];
  }
  return result;
}

namespace {

constexpr DWORD kSearchBufferSize = 512;

bool IsAbsolute(const std::string& name) {
  return !name.empty() && (name[0] == '\\' || name[0] == '/' || (name.size() >= 2 && name[1] == ':'));
}

class FindHandle {
 public:
  explicit FindHandle(HANDLE h) : h_(h) {}
  ~FindHandle() {
    if (valid()) FindClose(h_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }

 private:
  HANDLE h_;
};

}  // namespace

std::string FindFileOnPath(std::string_view name, int16_t mode) {
  try {
    if (name.empty()) return {};
    std::string ansiName = ToAnsi(name);
    if (mode == -1) {
      char buffer[kSearchBufferSize] = {};
      DWORD n = SearchPathA(nullptr, ansiName.c_str(), nullptr, kSearchBufferSize, buffer, nullptr);
      if (n == 0 && IsAbsolute(ansiName) && GetFileAttributesA(ansiName.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // The layer's search finds files only; callers also test folders
        // ("...\CSV\") this way, which are found as given.
        return std::string(name);
      }
      if (n == 0 || n >= kSearchBufferSize) return {};
      return FromAnsi(CutAtNul(std::string_view(buffer, n)));
    }
    WIN32_FIND_DATAA data{};
    FindHandle find(FindFirstFileA(ansiName.c_str(), &data));
    if (!find.valid()) return {};
    return FromAnsi(CutAtNul(std::string_view(data.cFileName, sizeof data.cFileName)));
  } catch (...) {
    return {};
  }
}

}  // namespace orvane::core
