// The frame's trace lines and lookup. Lines are only formatted while the
// trace log is on, so a frame costs next to nothing when it is off.
#include "export_frame.h"

#include <cstdarg>
#include <cstdio>

#include "trace_log.h"
#include "transport.h"

namespace halvik {

namespace {

constexpr std::size_t kLineMax = 512;

void writeLine(const char* name, const char* middle, const char* format, va_list args) {
  char text[kLineMax];
  std::vsnprintf(text, sizeof text, format, args);
  WriteDebugLog("%s%s%s\r\n", name, middle, text);
}

}  // namespace

ExportFrame::ExportFrame(const char* name, Spacing spacing, Tracing tracing)
    : name_(name), spacing_(spacing), tracing_(tracing) {}

void ExportFrame::start(const char* format, ...) {
  if ((tracing_ != Tracing::All && tracing_ != Tracing::Refusal) || !DebugLogOn()) return;
  va_list args;
  va_start(args, format);
  writeLine(name_, spacing_ == Spacing::Spaced ? " Start : " : " Start :", format, args);
  va_end(args);
}

bool ExportFrame::find(int32_t id) {
  if (FindDeviceById(id, &index_) == 1) return true;
  end(kStatusNoDevice);
  return false;
}

DeviceRecord& ExportFrame::record() const { return DeviceTable()[index_]; }

LONG ExportFrame::ownership() const { return CheckMultiProcess(index_); }

LONG ExportFrame::end(LONG status) const {
  bool traced = tracing_ == Tracing::All || (tracing_ == Tracing::Failures && status != 0) ||
                (tracing_ == Tracing::Refusal && status == 20001);
  if (traced && DebugLogOn()) {
    WriteDebugLog("%s%s%d\r\n", name_, spacing_ == Spacing::Spaced ? " End : Ret=" : " End :Ret=", status);
  }
  return status;
}

LONG ExportFrame::endWith(const char* format, ...) const {
  if (tracing_ != Tracing::All || !DebugLogOn()) return 0;
  va_list args;
  va_start(args, format);
  writeLine(name_, spacing_ == Spacing::Spaced ? " End : Ret=0, " : " End :Ret=0, ", format, args);
  va_end(args);
  return 0;
}

}  // namespace halvik
