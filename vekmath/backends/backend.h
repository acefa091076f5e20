// The seam between the acquisition spine (configuration, start, thread,
// ring, readout) and the device families. Each family fills one BackEnd in
// its own file; the spine reaches it only through backEndFor().
//
// Every call returns a status: 0, or the family's own code, with its message
// already built into the message buffer.
#pragma once
#include <cstdint>

#include "acquisition/board_table.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"

namespace vekmath {

class BackEnd {
 public:
  virtual ~BackEnd() = default;

  // Opens the selected device and configures it from cfg; may set the zero
  // offset, resolution and sampling mode. channelList holds the caller's 32
  // entries.
  virtual int32_t configure(SamplingConfig& cfg, const int16_t* channelList) = 0;

  // Called by StartSampling after the ring is cleared. useThread: whether
  // the acquisition thread runs (false: the device runs on its own, or the
  // block reader drives it).
  virtual int32_t start(const SamplingConfig& cfg, bool& useThread) = 0;

  // First thing on the acquisition thread.
  virtual int32_t beginThread() = 0;

  // One pass: writes at most maxScans whole scans at dest and says how many.
  // Waits for data in its own way, but ends a wait once stopRequested is set.
  virtual int32_t fetch(uint16_t* dest, int32_t channels, int32_t maxScans, int32_t& scans) = 0;

  virtual int32_t stop() = 0;
  virtual int32_t close() = 0;

  // Whether the thread looks for trigger events in what fetch delivers (the
  // back ends whose reads say how many scans came).
  virtual bool detectsTriggers() const { return false; }
};

BackEnd& backEndFor(BoardGroup group);

// The back end of the board selected last.
inline BackEnd& selectedBackEnd() { return backEndFor(groupOf(selection().boardType)); }

// The one back end per family. Each instance is leaked rather than
// destroyed, so that the detach at process exit can still stop and close it.
BackEnd& noBackEnd();

}  // namespace vekmath
