// The system as the program sees it: version, processors, computer name.
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <windows.h>

namespace {

struct Version {
  DWORD platform = VER_PLATFORM_WIN32_NT;
  DWORD major = 5;
  DWORD minor = 1;
  DWORD build = 2600;
};

// Reads a decimal number followed by `end` ('\0' for the end of the text).
bool number(const char*& text, char end, DWORD& value) {
  if (!std::isdigit(static_cast<unsigned char>(*text))) return false;
  char* stop = nullptr;
  unsigned long parsed = std::strtoul(text, &stop, 10);
  if (*stop != end || parsed > 0xFFFFFFFFul) return false;
  value = static_cast<DWORD>(parsed);
  text = *stop ? stop + 1 : stop;
  return true;
}

// ORVANE_WINVER="platform:major.minor[.build]"; anything malformed leaves
// the default, so a typo shows as the default system rather than garbage.
Version reportedVersion() {
  const char* text = std::getenv("ORVANE_WINVER");
  if (text == nullptr) return Version{};
  Version parsed{0, 0, 0, 0};
  if (!number(text, ':', parsed.platform) || parsed.platform > VER_PLATFORM_WIN32_NT ||
      !number(text, '.', parsed.major))
    return Version{};
  if (number(text, '\0', parsed.minor)) return parsed;
  if (number(text, '.', parsed.minor) && number(text, '\0', parsed.build)) return parsed;
  return Version{};
}

}  // namespace

PLATFORM_API BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  if (info == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const Version version = reportedVersion();
  info->dwMajorVersion = version.major;
  info->dwMinorVersion = version.minor;
  info->dwBuildNumber = version.build;
  info->dwPlatformId = version.platform;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  return TRUE;
}

// The packed form: major in the low byte, minor in the next, the build in
// the high word with its top bit set on the non-NT family.
PLATFORM_API DWORD WINAPI GetVersion(void) {
  const Version version = reportedVersion();
  DWORD packed = (version.major & 0xFFu) | ((version.minor & 0xFFu) << 8);
  if (version.platform == VER_PLATFORM_WIN32_NT) return packed | ((version.build & 0x7FFFu) << 16);
  return packed | 0x80000000u | ((version.build & 0x7FFFu) << 16);
}

// ORVANE_COMMAND_LINE stands in for the program's own command line, so a
// test can pretend to be started as another program; without it the line
// is rebuilt from the process's arguments, quoting those with blanks.
PLATFORM_API LPSTR WINAPI GetCommandLineA(void) {
  static thread_local std::string line;
  if (const char* given = std::getenv("ORVANE_COMMAND_LINE"); given != nullptr) {
    line = given;
    return line.data();
  }
  line.clear();
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string argument;
  while (std::getline(in, argument, '\0')) {
    if (!line.empty()) line += ' ';
    bool quote = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
    line += quote ? '"' + argument + '"' : argument;
  }
  return line.data();
}

PLATFORM_API void WINAPI GetSystemInfo(LPSYSTEM_INFO info) {
  if (info == nullptr) return;
  std::memset(info, 0, sizeof *info);
  long online = sysconf(_SC_NPROCESSORS_ONLN);
  DWORD processors = online > 0 ? static_cast<DWORD>(online) : 1;
  info->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
  info->dwPageSize = 4096;
  // The address range of a 32-bit program, which is what callers expect.
  info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x00010000);
  info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(0x7FFEFFFF);
  info->dwActiveProcessorMask = processors >= 64 ? ~DWORD_PTR{0} : (DWORD_PTR{1} << processors) - 1;
  info->dwNumberOfProcessors = processors;
  info->dwProcessorType = PROCESSOR_INTEL_PENTIUM;
  info->dwAllocationGranularity = 65536;
  info->wProcessorLevel = 6;
}

PLATFORM_API BOOL WINAPI GetComputerNameA(LPSTR buffer, LPDWORD size) {
  if (size == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') std::strcpy(host, "localhost");
  std::string name(host, std::strcspn(host, "."));
  if (name.size() > MAX_COMPUTERNAME_LENGTH) name.resize(MAX_COMPUTERNAME_LENGTH);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

  const DWORD needed = static_cast<DWORD>(name.size() + 1);
  if (buffer == nullptr || *size < needed) {
    *size = needed;
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  std::memcpy(buffer, name.c_str(), needed);
  *size = needed - 1;
  return TRUE;
}
