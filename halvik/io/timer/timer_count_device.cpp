// The timer-count device: a separate device (bus kind 1) with a
// free-running count, one open per process, reached without an Id.
#include <windows.h>
#include <outside/halvikdrv.h>

#include <cstring>

#include "halvik.h"
#include "device_record.h"
#include "library_state.h"
#include "trace_log.h"

namespace halvik {
namespace {

namespace drv = halvikdrv;

constexpr LONG kStatusNullArgument = 10100;
constexpr LONG kStatusNotOpen = 10010;
constexpr LONG kStatusNoTimerDevice = 10051;
constexpr LONG kStatusCallFailed = 10002;
constexpr int16_t kBusTimerCount = 1;
constexpr std::size_t kNameMax = 255;
// At most 100 UTF-16 units, two bytes each in the ANSI code page, and the
// terminator after them.
constexpr int kDescriptionSize = 2 * drv::tim::kTextUnits + 1;

// Callers serialise XanTimInit and XanTimExit against the reads.
HANDLE gTimer = INVALID_HANDLE_VALUE;

void closeTimer() {
  if (gTimer != INVALID_HANDLE_VALUE) CloseHandle(gTimer);
  gTimer = INVALID_HANDLE_VALUE;
}

bool takes(const DeviceRecord& r, const char* wanted) {
  if (r.DeviceName[0] == '\0' || r.BusKind != kBusTimerCount) return false;
  return wanted[0] == '\0' || std::strcmp(r.DeviceName, wanted) == 0;
}

enum class Outcome { Opened, Next, Return };

// One record: opened and described (Opened), passed over (Next), or a
// status to return.
Outcome tryRecord(DeviceRecord& r, bool named, drv::WireRecord<drv::tim::kDescribeSize>& answer, LONG* status) {
  char source[sizeof r.DevicePath];
  std::memcpy(source, r.DevicePath, sizeof source);
  SymbolicNameToDevicePath(source, r.DevicePath);
  HANDLE h = CreateFileA(r.DevicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Outcome::Next;
  gTimer = h;
  DWORD returned = 0;
  if (!DeviceIoControl(h, drv::kTimDescribe, answer.data(), answer.size(), answer.data(), answer.size(), &returned,
                       nullptr)) {
    closeTimer();
    *status = kStatusCallFailed;
    return Outcome::Return;
  }
  const int32_t driverStatus = answer.get<int32_t>(drv::tim::kStatus);
  if (driverStatus == 0) return Outcome::Opened;
  closeTimer();
  if (driverStatus == drv::kStatusNotSupported && !named) return Outcome::Next;
  *status = driverStatus;
  return Outcome::Return;
}

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanTimInit(char* DeviceName, char* Description, LONG* Value) {
  OutputDebugStringA("XAN DLL: XanTimInit Start\n");
  if (DeviceName == nullptr || Description == nullptr || Value == nullptr) return kStatusNullArgument;
  // The handle of an earlier XanTimInit would be lost otherwise.
  closeTimer();
  char wanted[kNameMax + 1] = {};
  std::strncpy(wanted, DeviceName, kNameMax);
  for (DeviceRecord& r : DeviceTable()) {
    if (!takes(r, wanted)) continue;
    drv::WireRecord<drv::tim::kDescribeSize> answer;
    LONG status = 0;
    const Outcome outcome = tryRecord(r, wanted[0] != '\0', answer, &status);
    if (outcome == Outcome::Next) continue;
    if (outcome == Outcome::Return) return status;
    *Value = answer.get<int32_t>(drv::tim::kValue);
    std::memcpy(DeviceName, r.DeviceName, strnlen(r.DeviceName, kNameMax) + 1);
    WCHAR text[drv::tim::kTextUnits + 1] = {};
    std::memcpy(text, answer.bytes + drv::tim::kText, drv::tim::kTextUnits * sizeof(WCHAR));
    char ansi[kDescriptionSize] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, kDescriptionSize, nullptr, nullptr);
    std::memcpy(Description, ansi, std::strlen(ansi) + 1);
    return 0;
  }
  OutputDebugStringA("XAN DLL: XanTimInit end\n");
  return kStatusNoTimerDevice;
}

DLL_EXPORT LONG WINAPI XanTimReadCount(DWORD* Count) {
  if (Count == nullptr) return kStatusNullArgument;
  if (gTimer == INVALID_HANDLE_VALUE) return kStatusNotOpen;
  drv::WireRecord<drv::tim::kCountSize> record;
  DWORD returned = 0;
  if (!DeviceIoControl(gTimer, drv::kTimReadCount, record.data(), record.size(), record.data(), record.size(),
                       &returned, nullptr)) {
    return kStatusCallFailed;
  }
  if (const int32_t status = record.get<int32_t>(drv::tim::kCountStatus)) return status;
  *Count = record.get<uint32_t>(drv::tim::kCount);
  return 0;
}

DLL_EXPORT LONG WINAPI XanTimExit(void) {
  if (DebugLogOn()) WriteDebugLog("XanTmExit Start\r\n");
  if (gTimer == INVALID_HANDLE_VALUE) return kStatusNotOpen;
  closeTimer();
  return 0;
}
