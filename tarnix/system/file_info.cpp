// The date and time of a file and the product version of its version data.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "system/system_info.h"

namespace tarnix {
namespace {

struct FileHandle {
  HANDLE handle;
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

void put(uint16_t* out, unsigned value) {
  if (out != nullptr) *out = static_cast<uint16_t>(value);
}

}  // namespace

int32_t GetFileDateTime(const char* path, uint16_t* year, uint16_t* month, uint16_t* day, uint16_t* hour,
                        uint16_t* minute, uint16_t* second) {
  for (uint16_t* out : {year, month, day, hour, minute, second}) put(out, 0);
  if (path == nullptr) return 1;
  BY_HANDLE_FILE_INFORMATION info{};
  {
    FileHandle file{CreateFileA(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_ARCHIVE, nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE) return 1;
    if (!GetFileInformationByHandle(file.handle, &info)) return 1;
  }
  FILETIME local{};
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&info.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time)) {
    return 1;
  }
  put(year, (date >> 9) + 1980u);
  put(month, (date >> 5) & 0xFu);
  put(day, date & 0x1Fu);
  put(hour, time >> 11);
  put(minute, (time >> 5) & 0x3Fu);
  put(second, (time & 0x1Fu) * 2u);
  return 0;
}

int32_t GetProductVersionText(const char* path, char* text) {
  if (path == nullptr || text == nullptr) return 1;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return 1;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoA(path, 0, size, block.data())) return 1;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) || length < 4) return 1;
  WORD pair[2];
  std::memcpy(pair, value, sizeof pair);
  char query[64];
  std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\ProductVersion", pair[0], pair[1]);
  if (!VerQueryValueA(block.data(), query, &value, &length)) return 1;
  const char* version = static_cast<const char*>(value);
  const std::size_t n = strnlen(version, length);
  const std::size_t kept = n < 255 ? n : 255;
  std::memcpy(text, version, kept);
  text[kept] = '\0';
  return 0;
}

}  // namespace tarnix
