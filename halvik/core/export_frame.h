// The frame every device export follows: trace the start, find the device,
// check the arguments, check ownership, one request on the device's road,
// trace the end with the status returned. Exports that are one setting or
// one reading are rows of a table (setting_rows.h) run by one engine; the
// others use ExportFrame directly.
#pragma once
#include <windows.h>

#include <cstdint>

#include "device_record.h"

namespace halvik {

inline constexpr LONG kStatusNoDevice = 10001;

class ExportFrame {
 public:
  // Spaced frames write "Start : Id=" and "End : Ret=" (the digital,
  // timer and some device exports); tight ones "Start :Id=", "End :Ret=".
  enum class Spacing { Tight, Spaced };
  // Which lines the export writes: all, only the end lines of failures (no
  // start and no success line), or none; Refusal: the start line and
  // only the end of a 20001 (the multi-function counter exports).
  enum class Tracing { All, Failures, None, Refusal };

  explicit ExportFrame(const char* name, Spacing spacing = Spacing::Tight, Tracing tracing = Tracing::All);

  // "<name> Start :" followed by the formatted arguments.
  void start(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // The lookup; false (after tracing the end with 10001) when no record has
  // the Id.
  bool find(int32_t id);
  DeviceRecord& record() const;
  uint16_t index() const { return index_; }

  // The ownership check; its nonzero result is returned with only the
  // check's own trace.
  LONG ownership() const;

  // "<name> End :Ret=%d" and the status.
  LONG end(LONG status) const;
  // Success with outputs: "<name> End :Ret=0, " and the formatted text.
  LONG endWith(const char* format, ...) const __attribute__((format(printf, 2, 3)));

  const char* name() const { return name_; }

 private:
  const char* name_;
  Spacing spacing_;
  Tracing tracing_;
  uint16_t index_ = 0;
};

}  // namespace halvik
