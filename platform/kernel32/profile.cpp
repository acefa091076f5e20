// The profile (INI file) functions over the line-keeping document.
#include <windows.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>

#include "kernel32/file_object.h"
#include "kernel32/paths.h"
#include "kernel32/profile_file.h"

namespace {

using plat::ini::Document;

constexpr const char* kWindowsFolder = "C:\\Windows";
constexpr const char* kWinIni = "win.ini";

bool hasFolder(std::string_view name) { return name.find_first_of("\\/:") != std::string_view::npos; }

// The Linux path of an INI file; a bare name is in the Windows folder.
std::string iniPath(const char* fileName) {
  std::string name = fileName != nullptr ? fileName : kWinIni;
  if (name.empty()) return {};
  if (!hasFolder(name)) name = std::string(kWindowsFolder) + "\\" + name;
  return plat::mapWindowsPath(name);
}

// The Windows folder always exists on Windows; writers of bare names make it.
void ensureWindowsFolder(const char* fileName) {
  if (fileName != nullptr && hasFolder(fileName)) return;
  std::error_code ignored;
  std::filesystem::create_directories(plat::mapWindowsPath(kWindowsFolder), ignored);
}

// An INI call opens the file as CreateFileA would, so a handle that does
// not share what the call needs refuses it (ERROR_SHARING_VIOLATION set).
// A missing file has no handles to ask.
bool shareWithOpenHandles(const std::string& path, DWORD access, std::unique_ptr<plat::ShareLease>& lease) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return true;
  lease = plat::ShareLease::acquire(plat::FileIdentity{st.st_dev, st.st_ino}, access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE);
  return lease != nullptr;
}

// The document of a file; empty when it is missing, unreadable or held by
// a handle that shares no reading, which readers treat alike. `error` is
// ERROR_SUCCESS when it was read, ERROR_SHARING_VIOLATION when refused and
// ERROR_FILE_NOT_FOUND otherwise.
Document loadDocument(const char* fileName, DWORD& error) {
  std::string path = iniPath(fileName);
  std::string bytes;
  std::unique_ptr<plat::ShareLease> lease;
  DWORD readError = 0;
  if (path.empty()) {
    error = ERROR_FILE_NOT_FOUND;
  } else if (!shareWithOpenHandles(path, GENERIC_READ, lease)) {
    error = ERROR_SHARING_VIOLATION;
  } else {
    error = plat::ini::readFile(path, bytes, readError) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  }
  return Document(bytes);
}

DWORD copyString(std::string_view text, LPSTR buffer, DWORD size) {
  size_t n = std::min<size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<DWORD>(n);
}

// Names one after another, each ended by a NUL, with one more NUL at the
// end. When they do not fit, the list is cut, still ends in two NULs, and
// the count is size - 2; with fillCountsAsCut, so is a list that fills the
// buffer exactly (the section-name list answers so).
DWORD copyList(const std::vector<std::string>& items, LPSTR buffer, DWORD size, bool fillCountsAsCut = false) {
  std::string joined;
  for (const std::string& item : items) {
    joined += item;
    joined += '\0';
  }
  if (joined.empty()) {
    buffer[0] = '\0';
    if (size > 1) buffer[1] = '\0';
    return 0;
  }
  joined += '\0';
  if (joined.size() < size || (joined.size() == size && !fillCountsAsCut)) {
    std::memcpy(buffer, joined.data(), joined.size());
    return static_cast<DWORD>(joined.size() - 1);
  }
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, joined.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  return size - 2;
}

std::string_view trimTrailingBlanks(const char* text) {
  std::string_view view = text != nullptr ? text : "";
  while (!view.empty() && (view.back() == ' ' || view.back() == '\t')) view.remove_suffix(1);
  return view;
}

// Leading decimal digits, or hexadecimal after "0x", with an optional sign;
// the rest of the value is ignored and no digits at all give 0.
UINT parseProfileInt(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  uint32_t value = 0;
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    for (i += 2; i < text.size(); ++i) {
      char c = text[i];
      int digit = (c >= '0' && c <= '9')   ? c - '0'
                  : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                  : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                           : -1;
      if (digit < 0) break;
      value = value * 16u + static_cast<uint32_t>(digit);
    }
  } else {
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    }
  }
  return negative ? 0u - value : value;
}

}  // namespace

PLATFORM_API DWORD WINAPI GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue,
                                                   LPSTR buffer, DWORD size, LPCSTR fileName) {
  if (buffer == nullptr || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DWORD error = 0;
  Document document = loadDocument(fileName, error);
  if (appName == nullptr) {
    SetLastError(error);
    return copyList(document.sectionNames(), buffer, size);
  }
  if (keyName == nullptr) {
    SetLastError(error);
    return copyList(document.keyNames(appName), buffer, size);
  }
  if (std::optional<std::string> value = document.value(appName, keyName)) {
    SetLastError(ERROR_SUCCESS);
    return copyString(*value, buffer, size);
  }
  SetLastError(error != ERROR_SUCCESS ? error : ERROR_FILE_NOT_FOUND);
  return copyString(trimTrailingBlanks(defaultValue), buffer, size);
}

PLATFORM_API UINT WINAPI GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue,
                                               LPCSTR fileName) {
  if (appName == nullptr || keyName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return static_cast<UINT>(defaultValue);
  }
  DWORD error = 0;
  std::optional<std::string> value = loadDocument(fileName, error).value(appName, keyName);
  if (!value) {
    SetLastError(error != ERROR_SUCCESS ? error : ERROR_FILE_NOT_FOUND);
    return static_cast<UINT>(defaultValue);
  }
  SetLastError(ERROR_SUCCESS);
  return parseProfileInt(*value);
}

PLATFORM_API DWORD WINAPI GetPrivateProfileSectionA(LPCSTR appName, LPSTR buffer, DWORD size, LPCSTR fileName) {
  if (appName == nullptr || buffer == nullptr || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DWORD error = 0;
  Document document = loadDocument(fileName, error);
  SetLastError(error);
  return copyList(document.sectionEntries(appName), buffer, size);
}

PLATFORM_API DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR buffer, DWORD size, LPCSTR fileName) {
  if (buffer == nullptr || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DWORD error = 0;
  Document document = loadDocument(fileName, error);
  SetLastError(error);
  return copyList(document.sectionNames(), buffer, size, true);
}

PLATFORM_API BOOL WINAPI WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value,
                                                    LPCSTR fileName) {
  if (appName == nullptr) {
    // All three NULL asks to flush a cache; every write already reached the disk.
    if (keyName == nullptr && value == nullptr) return TRUE;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  std::string path = iniPath(fileName);
  if (path.empty()) {
    SetLastError(fileName != nullptr && *fileName == '\0' ? ERROR_ACCESS_DENIED : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::unique_ptr<plat::ShareLease> lease;
  if (!shareWithOpenHandles(path, GENERIC_READ | GENERIC_WRITE, lease)) return FALSE;
  ensureWindowsFolder(fileName != nullptr ? fileName : kWinIni);
  std::string section = appName;
  std::string key = keyName != nullptr ? keyName : "";
  std::string text = value != nullptr ? value : "";
  auto edit = [&](Document& document) {
    if (keyName == nullptr) return document.removeSection(section);
    if (value == nullptr) return document.removeKey(section, key);
    return document.setValue(section, key, text);
  };
  DWORD error = 0;
  if (!plat::ini::editFile(path, edit, error)) {
    SetLastError(error);
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

PLATFORM_API DWORD WINAPI GetProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue, LPSTR buffer,
                                            DWORD size) {
  return GetPrivateProfileStringA(appName, keyName, defaultValue, buffer, size, kWinIni);
}

PLATFORM_API BOOL WINAPI WriteProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value) {
  return WritePrivateProfileStringA(appName, keyName, value, kWinIni);
}
