#include "version_check.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace halvik {

namespace {

inline constexpr LONG kDriverMissing = 8;
inline constexpr LONG kLibraryVersionUnreadable = 9;
inline constexpr LONG kDriverVersionUnreadable = 10;
inline constexpr LONG kVersionsDiffer = 11;

bool atLeast(const OSVERSIONINFOA& v, DWORD major, DWORD minor) {
  return v.dwMajorVersion > major || (v.dwMajorVersion == major && v.dwMinorVersion >= minor);
}
bool is(const OSVERSIONINFOA& v, DWORD major, DWORD minor) {
  return v.dwMajorVersion == major && v.dwMinorVersion == minor;
}

// Switches file-system redirection off for a 32-bit process under WOW64 and
// back on when it goes out of scope. The three entries are used only when
// the system has them.
class RedirectionOff {
 public:
  explicit RedirectionOff(const OSVERSIONINFOA& version) {
    if (!atLeast(version, 5, 2)) return;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return;
    auto isWow64 = reinterpret_cast<BOOL(WINAPI*)(HANDLE, BOOL*)>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
    auto disable = reinterpret_cast<BOOL(WINAPI*)(void**)>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
    revert_ = reinterpret_cast<BOOL(WINAPI*)(void*)>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
    BOOL wow64 = FALSE;
    if (isWow64 == nullptr || disable == nullptr || revert_ == nullptr) return;
    if (!isWow64(GetCurrentProcess(), &wow64) || !wow64) return;
    active_ = disable(&old_) != FALSE;
  }
  ~RedirectionOff() {
    if (active_) revert_(old_);
  }
  RedirectionOff(const RedirectionOff&) = delete;
  RedirectionOff& operator=(const RedirectionOff&) = delete;

 private:
  BOOL(WINAPI* revert_)(void*) = nullptr;
  void* old_ = nullptr;
  bool active_ = false;
};

std::string systemDirectory() {
  char folder[MAX_PATH] = {};
  UINT n = GetSystemDirectoryA(folder, sizeof folder);
  return n > 0 && n < sizeof folder ? std::string(folder) : std::string();
}

std::string currentDirectory() {
  char folder[MAX_PATH] = {};
  DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
  return n > 0 && n < sizeof folder ? std::string(folder) : std::string();
}

// The folder of the driver file: below the system folder, which on the two
// older systems is the 16-bit one unless it already names "SYSTEM32".
std::string driverFolder(const OSVERSIONINFOA& version) {
  std::string folder = systemDirectory();
  std::string upper = folder;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (is(version, 4, 10) || (is(version, 4, 90) && upper.find("SYSTEM32") == std::string::npos)) folder += "32";
  return folder + "\\drivers\\";
}

}  // namespace

DWORD FindFileError(const char* fileName) {
  if (GetFileAttributesA(fileName) != INVALID_FILE_ATTRIBUTES) return 0;
  DWORD error = GetLastError();
  return error != 0 ? error : static_cast<DWORD>(ERROR_FILE_NOT_FOUND);
}

int GetFileVersionString(const char* fileName, char* out, DWORD outSize) {
  if (out == nullptr || outSize == 0) return 1;
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(fileName, &handle);
  if (size == 0) return 1;
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoA(fileName, handle, size, data.data())) return 1;
  WORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
      length < 2 * sizeof(WORD)) {
    return 1;
  }
  char subBlock[64];
  std::snprintf(subBlock, sizeof subBlock, "\\StringFileInfo\\%04x%04x\\FileVersion", translation[0], translation[1]);
  char* text = nullptr;
  if (!VerQueryValueA(data.data(), subBlock, reinterpret_cast<void**>(&text), &length) || text == nullptr) return 1;
  size_t n = std::min<size_t>(std::strlen(text), outSize - 1);
  std::memcpy(out, text, n);
  out[n] = '\0';
  return 0;
}

void ParseVersionNumbers(const char* text, int numbers[4]) {
  for (int i = 0; i < 4; ++i) numbers[i] = 0;
  if (text == nullptr) return;
  const char* p = text;
  for (int i = 0; i < 4; ++i) {
    while (*p == ' ' || *p == '\t') ++p;
    long long value = 0;
    while (*p >= '0' && *p <= '9') {
      value = std::min<long long>(value * 10 + (*p - '0'), INT_MAX);
      ++p;
    }
    numbers[i] = static_cast<int>(value);
    p = std::strchr(p, ',');
    if (p == nullptr) return;
    ++p;
  }
}

LONG CheckDriverVersion(const char* baseName, int parts) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  RedirectionOff redirection(version);

  const std::string base = baseName != nullptr ? baseName : "";
  const std::string driver = driverFolder(version) + base + ".SYS";
  std::string library = currentDirectory() + "\\" + base + ".DLL";
  if (FindFileError(library.c_str()) != 0) {
    library = systemDirectory() + "\\" + base + ".DLL";
    if (FindFileError(library.c_str()) != 0) return 0;
  }
  if (FindFileError(driver.c_str()) != 0) return kDriverMissing;

  char libraryText[256];
  char driverText[256];
  if (GetFileVersionString(library.c_str(), libraryText, sizeof libraryText) != 0) return kLibraryVersionUnreadable;
  if (GetFileVersionString(driver.c_str(), driverText, sizeof driverText) != 0) return kDriverVersionUnreadable;
  int libraryNumbers[4];
  int driverNumbers[4];
  ParseVersionNumbers(libraryText, libraryNumbers);
  ParseVersionNumbers(driverText, driverNumbers);
  if (parts < 1 || parts > 4) parts = 4;
  for (int i = 0; i < parts; ++i) {
    if (libraryNumbers[i] != driverNumbers[i]) return kVersionsDiffer;
  }
  return 0;
}

}  // namespace halvik
