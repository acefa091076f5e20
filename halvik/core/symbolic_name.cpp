// Turning a registered symbolic name into a path CreateFileA opens.
#include <strings.h>

#include <cstring>

#include "library_state.h"

namespace halvik {

namespace {

constexpr size_t kPathSize = 256;
constexpr char kDosDevices[] = "\\DosDevices\\";
constexpr size_t kDosDevicesLength = sizeof kDosDevices - 1;

// Copies head and rest into out, cut to the path's width.
void place(char* out, const char* head, const char* rest) {
  size_t headLength = std::strlen(head);
  std::memcpy(out, head, headLength);
  size_t room = kPathSize - 1 - headLength;
  size_t restLength = strnlen(rest, room);
  std::memcpy(out + headLength, rest, restLength);
  out[headLength + restLength] = '\0';
}

}  // namespace

int SymbolicNameToDevicePath(const char* symbolicName, char* out) {
  if (symbolicName == nullptr || out == nullptr) return 0;
  if (symbolicName[0] != '\\') {
    place(out, "", symbolicName);
    return 1;
  }
  if (std::strncmp(symbolicName, "\\??\\", 4) == 0) {
    place(out, "\\\\?\\", symbolicName + 4);
    return 1;
  }
  // The whole prefix is tested: a shorter name or another "\D..." form must
  // not be read past its end or turned into a wrong path.
  if (strncasecmp(symbolicName, kDosDevices, kDosDevicesLength) == 0) {
    place(out, "\\\\.\\", symbolicName + kDosDevicesLength);
    return 1;
  }
  return 0;
}

}  // namespace halvik
