// Data files: blocks of single-precision values as comma-separated rows,
// each row and the file ending with a carriage return and line feed.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include <morvel.h>
#include <platform/host_files.h>

namespace {

constexpr unsigned kMaxPrecision = 999;

// The caller's value format: literal text, "%%" and exactly one floating
// conversion %[flags][width][.precision][l|L]{f F e E g G a A}. `isLong`
// tells that the conversion takes a long double.
bool floatFormat(const char* format, bool& isLong) {
  if (format == nullptr) return false;
  int conversions = 0;
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == '%') continue;
    while (*p != '\0' && std::strchr("-+ #0", *p) != nullptr) ++p;
    while (*p >= '0' && *p <= '9') ++p;
    if (*p == '.') {
      ++p;
      while (*p >= '0' && *p <= '9') ++p;
    }
    isLong = *p == 'L';
    if (*p == 'l' || *p == 'L') ++p;
    if (*p == '\0' || std::strchr("fFeEgGaA", *p) == nullptr) return false;
    ++conversions;
  }
  return conversions == 1;
}

std::string formatted(const char* format, bool isLong, float value) {
  char text[512];
  const int n = isLong ? std::snprintf(text, sizeof text, format, static_cast<long double>(value))
                       : std::snprintf(text, sizeof text, format, static_cast<double>(value));
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof text) return std::string(text, static_cast<size_t>(n));
  std::string big(static_cast<size_t>(n) + 1, '\0');
  if (isLong) {
    std::snprintf(big.data(), big.size(), format, static_cast<long double>(value));
  } else {
    std::snprintf(big.data(), big.size(), format, static_cast<double>(value));
  }
  big.resize(static_cast<size_t>(n));
  return big;
}

// Writes rows x count values; `separator` follows every value but a row's
// last. The file is replaced whole or not at all: 2 when it cannot be made
// or written (a full disk), an earlier file then left as it was.
LONG writeRows(const char* path, int32_t rows, uint16_t count, const float* values, const char* format,
               bool isLong, const char* separator) {
  if (path == nullptr || (values == nullptr && rows > 0 && count > 0)) return XAN_E_CALL;
  std::string text;
  for (int64_t r = 0; r < rows; ++r) {
    for (uint16_t i = 0; i < count; ++i) {
      if (i != 0) text += separator;
      text += formatted(format, isLong, values[r * count + i]);
    }
    text += "\r\n";
  }
  text += "\r\n";
  return plat::WriteWholeFile(path, text.data(), text.size()) ? XAN_OK : XAN_E_CALL;
}

// Skips white space; false at the end of the file.
bool moreToRead(std::FILE* f) {
  int c = std::fgetc(f);
  while (c != EOF && std::isspace(c)) c = std::fgetc(f);
  if (c == EOF) return false;
  std::ungetc(c, f);
  return true;
}

}  // namespace

DLL_EXPORT LONG WINAPI XanSaveData(const char* path, int32_t rows, uint16_t count, const float* values,
                                   uint16_t precision) {
  char format[16];
  std::snprintf(format, sizeof format, "%%.%uf", precision > kMaxPrecision ? kMaxPrecision : precision);
  return writeRows(path, rows, count, values, format, false, ",");
}

DLL_EXPORT LONG WINAPI XanSaveDataEx(const char* path, int32_t rows, uint16_t count, const float* values,
                                     const char* valueFormat) {
  bool isLong = false;
  if (!floatFormat(valueFormat, isLong)) return XAN_E_CALL;
  // The caller's format carries its own separators.
  return writeRows(path, rows, count, values, valueFormat, isLong, "");
}

DLL_EXPORT LONG WINAPI XanLoadData(const char* path, int32_t rows, uint16_t count, float* destination) {
  if (path == nullptr || (destination == nullptr && rows > 0 && count > 0)) return XAN_E_CALL;
  plat::CFile f = plat::OpenFile(path, "rb");
  if (!f) return XAN_E_CALL;
  // Rows beyond the end of the file leave their values as they were. A row
  // of no values reads nothing and so never reaches the end: no row is read.
  for (int64_t r = 0; count > 0 && r < rows && moreToRead(f.get()); ++r) {
    for (uint16_t i = 0; i < count; ++i) {
      float value;
      // A value that cannot be read ends the reading; what follows stays as it was.
      if (std::fscanf(f.get(), "%f", &value) != 1) return XAN_OK;
      destination[r * count + i] = value;
      const int c = std::fgetc(f.get());
      if (c != ',' && c != EOF) std::ungetc(c, f.get());
    }
  }
  return XAN_OK;
}

DLL_EXPORT LONG WINAPI XanSetFileMode1(LONG) { return XAN_OK; }
DLL_EXPORT LONG WINAPI XanGetFileMode1(void) { return XAN_OK; }
DLL_EXPORT LONG WINAPI XanSetFileMode2(LONG) { return XAN_OK; }
DLL_EXPORT LONG WINAPI XanGetFileMode2(void) { return XAN_OK; }
