// TEMPORARY, for the programs of this branch that link the core's objects
// (tests, benchmarks): minimal stand-ins for the device table, the lookups
// and the export frame, which other branches build. Delete this file (and
// the block that builds it in ../../CMakeLists.txt) when those land.
#include <cstdarg>
#include <cstdio>
#include <string>
#include <strings.h>

#include "device_record.h"
#include "export_frame.h"
#include "trace_log.h"

namespace halvik {

std::deque<DeviceRecord>& DeviceTable() {
  static std::deque<DeviceRecord> table;
  return table;
}

int FindDeviceByName(const char* name, uint16_t* index) {
  for (size_t i = 0; i < DeviceTable().size(); ++i) {
    if (DeviceTable()[i].DeviceName[0] != '\0' && strcasecmp(DeviceTable()[i].DeviceName, name) == 0) {
      *index = static_cast<uint16_t>(i);
      return 1;
    }
  }
  return 0;
}

int FindDeviceById(int32_t id, uint16_t* index) {
  for (size_t i = 0; i < DeviceTable().size(); ++i) {
    const DeviceRecord& r = DeviceTable()[i];
    if (r.DeviceName[0] != '\0' && r.Id == static_cast<int16_t>(id)) {
      *index = static_cast<uint16_t>(i);
      return 1;
    }
  }
  return 0;
}

namespace {
std::string formatted(const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  return text;
}
}  // namespace

ExportFrame::ExportFrame(const char* name, Spacing spacing) : name_(name), spacing_(spacing) {}

void ExportFrame::start(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = formatted(format, args);
  va_end(args);
  WriteDebugLog("%s Start :%s\r\n", name_, text.c_str());
}

bool ExportFrame::find(int32_t id) {
  if (FindDeviceById(id, &index_)) return true;
  end(kStatusNoDevice);
  return false;
}

DeviceRecord& ExportFrame::record() const { return DeviceTable()[index_]; }

LONG ExportFrame::ownership() const { return 0; }

LONG ExportFrame::end(LONG status) const {
  WriteDebugLog("%s End :Ret=%d\r\n", name_, static_cast<int>(status));
  return status;
}

LONG ExportFrame::endWith(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  std::string text = formatted(format, args);
  va_end(args);
  WriteDebugLog("%s End :Ret=0, %s\r\n", name_, text.c_str());
  return 0;
}

}  // namespace halvik
