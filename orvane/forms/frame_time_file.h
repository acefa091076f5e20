// The tables of a video recorded beside a run, as the library hands them
// back, and the frame-time file that ties each video frame to the samples:
// N and M, then N + 1 positions (int32, scans), N + 1 frame times (double,
// seconds) and M + 1 block times (int32, ms), each table ending in one 0,
// all little-endian.
#pragma once
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "core/vekmath_calls.h"

namespace orvane::forms {

// The most entries the library keeps in any one table.
inline constexpr int32_t kCaptureTableEntries = 2592000;

struct CaptureTables {
  std::vector<int32_t> positions;  // N + 1 entries
  std::vector<double> times;       // N + 1 entries
  std::vector<int32_t> blockTimes; // M + 1 entries
  int32_t grabbed = 0;
  int32_t Frames() const { return static_cast<int32_t>(positions.size()) - 1; }
  int32_t Blocks() const { return static_cast<int32_t>(blockTimes.size()) - 1; }
};

// The tables of the recording just ended. The counts are taken as the
// library reports them, bounded to what its tables can hold, so that the
// copy never runs past the arrays handed to it.
CaptureTables ReadCaptureTables(const core::VekmathCalls& api);

// The file's bytes.
QByteArray FrameTimeBytes(const CaptureTables& tables);

// Writes the file whole in place of what is at path; on failure the file
// stays as it was and the reason is returned.
std::optional<QString> WriteFrameTimeFile(const QString& path, const CaptureTables& tables);

}  // namespace orvane::forms
