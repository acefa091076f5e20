// The seam between the acquisition core (selection, configuration, start,
// thread, ring, readout, block reading, device lists) and the board
// families. Each family fills one BackEnd in its own folder under backends/
// and registers it there (backends/registry.cpp) for its board group; the
// core reaches it only through the selection and never names a family or
// compares board codes.
//
// The contract, written once:
//   - Every call that returns a status returns 0 or the family's own code,
//     with the message for that code already built into the message buffer.
//   - configure runs in SetupSampling after the shared checks and after the
//     zero offset and resolution of the board's row are applied; it may set
//     them again from the device, and sets the sampling mode.
//   - start runs in StartSampling with the ring cleared; it says whether the
//     acquisition thread runs. Without the thread the family keeps the run
//     flag itself and the block reader polls it (poll).
//   - beginThread and fetch run on the acquisition thread, one producer at a
//     time; fetch waits for data its own way but ends a wait once the stop
//     flag is set, and never clears that flag: only the thread does.
//   - stop and close run on the caller's thread with no thread reading the
//     device.
// Every member has the default of a family that needs none of it: the
// defaults are those of the codes accepted without a device (nothing is
// opened, the thread fetches nothing).
#pragma once
#include <cstdint>

#include "acquisition/board_table.h"

namespace vekmath {

struct SamplingConfig;
struct SelectionState;
class DeviceLists;

// One triggered block as the family hands it to ReadBlock.
struct TriggeredBlock {
  // The event-window buffer: room for (scans + 1) x channels values.
  uint16_t* window = nullptr;
  int32_t channels = 0;
  int32_t scans = 0;
  // Scans that ReadBlock copies out of the window, from scan `skipped` on,
  // into the caller's block after `leading` scans of 0 (a block that came
  // short, right-aligned); the rest of the block is zeroed. 0 when nothing
  // was acquired.
  int32_t filled = 0;
  int32_t leading = 0;
  int32_t skipped = 0;
  // Cleared when the device went away during the wait: ReadBlock then
  // writes neither of its outputs.
  bool writeOutputs = true;
};

class BackEnd {
 public:
  virtual ~BackEnd() = default;

  // ---- library attach and detach (binding an optional library by name)
  virtual void attach() {}
  virtual void detach() {}

  // ---- selection
  // SelectBoard chose this family for a code whose row sets the back-end
  // flag; the family keeps what it reads from the device name.
  virtual void selected(SelectionState&) {}

  // ---- configuration
  // Whether SetupSampling refuses a period shorter than channels x scan
  // clock + 1; a family whose board times its own scans skips the check.
  virtual bool checksScanClock() const { return true; }
  // Opens the selected device and configures it from cfg. channelList holds
  // the caller's 32 entries.
  virtual int32_t configure(SamplingConfig& cfg, const int16_t* channelList);
  // Whether a failed configure still lets the ring length be set, as for a
  // family whose failed steps are reported and the set-up completed.
  virtual bool ringFollowsFailure(int32_t /*status*/) const { return false; }

  // ---- the run
  virtual int32_t start(const SamplingConfig& cfg, bool& useThread);
  virtual int32_t beginThread() { return 0; }
  // One pass: writes at most maxScans whole scans at dest and says how many.
  virtual int32_t fetch(uint16_t* dest, int32_t channels, int32_t maxScans, int32_t& scans);
  // One pass of the block reader for a family that runs without the thread:
  // moves what the board has sampled into the ring and steps it (blockScans:
  // the scans the reader wants in all). A poll that waited for the board
  // sets slept, and the reader's pass then sleeps no more.
  virtual int32_t poll(int32_t /*channels*/, int32_t /*blockScans*/, bool& /*slept*/) { return 0; }
  // Whether the block reader sleeps a millisecond per pass while it waits;
  // a family whose thread spins is read without it.
  virtual bool readerWaitsPerPass() const { return true; }
  virtual int32_t stop() { return 0; }
  virtual int32_t close() { return 0; }

  // ---- trigger events
  // Whether the family's reads say how many scans came, so that the thread
  // looks for trigger events in them and the block reader's event mode
  // hands out their windows.
  virtual bool detectsTriggerEvents() const { return false; }

  // ---- triggered blocks (sampling mode 1 with the back-end flag)
  // Whether ReadBlock has the family acquire one level-triggered block per
  // call on the caller's thread instead of reading the ring.
  virtual bool readsTriggeredBlocks() const { return false; }
  // Acquires that block into block.window. Returns 0 or the family's code
  // (text built, as everywhere); its waits also end once the stop flag is
  // set.
  virtual int32_t readTriggeredBlock(TriggeredBlock& block);

  // ---- video recording
  // The scans the board itself has sampled in this run, for a family whose
  // board counts them; asked from the camera's streaming thread beside the
  // caller's use of the board. False when the family keeps no such count or
  // the query failed; no status is written either way.
  virtual bool boardSampledScans(int32_t& /*scans*/) const { return false; }

  // ---- device lists (SelectBoardNAME), in the order of the registry
  virtual void listDevices(DeviceLists&) const {}

  // ---- status texts
  // Builds the message for one of the family's own codes; the default is
  // the library's own text.
  virtual void setStatusText(int32_t code) const;
};

// The back end registered for a board group; the codes of a group without
// one are served like the codes without a device.
BackEnd& backEndFor(BoardGroup group);

// The registered back ends, in the registry's order: index 0 up to the count.
int32_t registeredBackEnds();
BackEnd& registeredBackEnd(int32_t index);

// The back end that SelectBoard resolved last (before any: that of the
// board type 0 that the library starts with).
BackEnd& selectedBackEnd();

}  // namespace vekmath
