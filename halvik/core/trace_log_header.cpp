#include "trace_log_header.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace halvik {

namespace {

void line(const TracePlaceFn& place, const char* format, ...) __attribute__((format(printf, 2, 3)));
void line(const TracePlaceFn& place, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(text, sizeof text - 2, format, args);
  va_end(args);
  size_t len = n < 0 ? 0 : std::min(static_cast<size_t>(n), sizeof text - 3);
  text[len++] = '\r';
  text[len++] = '\n';
  place(std::string_view(text, len));
}

}  // namespace

// No version lines follow: the library and the driver carry no version
// resource here, and a file without one ends the header.
void WriteTraceLogHeader(const char* fileName, const TracePlaceFn& place) {
  static const char kDashes[] = "--------------------------------------------------";
  line(place, "%s", kDashes);
  line(place, "- %s log file", "DN-ANA(WDM)");
  line(place, "- %s", "Halvik analog I/O library");
  line(place, "%s", kDashes);
  line(place, "%s", "");
  line(place, "- file name            : %s", fileName);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  line(place, "- file date            : %04d/%02d/%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay,
       now.wHour, now.wMinute, now.wSecond);
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  line(place, "- operating system     : %d.%d.%d", static_cast<int>(version.dwMajorVersion),
       static_cast<int>(version.dwMinorVersion), static_cast<int>(version.dwBuildNumber));
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  line(place, "- cpu                  : num=%d type=%d", static_cast<int>(info.dwNumberOfProcessors),
       static_cast<int>(info.dwProcessorType));
}

}  // namespace halvik
