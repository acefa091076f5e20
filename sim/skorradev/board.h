// One simulated vendor-B board: its configuration, its sampling run paced by
// a clock thread, its interrupt causes and the requests it keeps pending.
#pragma once
#include <platform/device.h>
#include <skorradev.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "models.h"

namespace skorradev {

// One device-control request as a handler sees it. Buffered requests have
// in == out (the platform's system buffer): handlers read their input
// record completely before they write the reply.
struct Call {
  PlatRequest* request;
  DWORD function;
  const uint8_t* in;
  DWORD inSize;
  uint8_t* out;
  DWORD outSize;
};

// What the request table knows of a function; false for one the driver does
// not have.
struct FunctionShape {
  DWORD method;
  DWORD inSize;   // 0xFFFFFFFF: more than one size
  DWORD outSize;  // 0xFFFFFFFF: any (direct) or more than one size
  bool numbered;  // input dword 0 is the device number
};
bool functionShape(DWORD function, FunctionShape& shape);

struct Fault {
  bool callFails;
  DWORD value;
};

class Board {
 public:
  Board(DWORD number, DWORD boardId, const BoardModel& model);
  ~Board();
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  DWORD number() const { return number_; }
  DWORD boardId() const { return boardId_; }

  // Replaces the capability record the board reports (94 dwords), and with
  // it the model, channels, resolution, clock type and clock kind it acts
  // on; nullptr gives the board its own model's record back. False while a
  // run is going.
  bool setDeviceInfo(const DWORD* info);

  // The platform's dispatch for one request of this board: a completion
  // status, or PLAT_STATUS_PENDING.
  LONG dispatch(PlatRequest* request, DWORD function);
  void fileOpened();
  // The last handle of one open went away: a run of the last open stops.
  void fileClosed();
  bool isOpen() const;
  // Ends the pacing for good (at process exit); requests still work.
  void stopClock();

  void setManualClock(bool manual);
  bool advance(DWORD scans);
  void raiseInterrupt(DWORD cause, DWORD flags, DWORD count);
  void setFault(DWORD function, Fault fault);
  void clearFaults();
  bool faultFor(DWORD function, Fault& fault) const;
  DWORD requestCount(DWORD function) const;
  void clearRequestCounts();
  void noteRequest(DWORD function);
  DWORD pendingWaits() const;

  // The handlers of the request table (board_requests.cpp).
  LONG pciInfo(Call& c);
  LONG deviceInfo(Call& c);
  LONG registerRead(Call& c);
  LONG registerWrite(Call& c);
  LONG openClose(Call& c);
  LONG interruptCause(Call& c);
  LONG setConfig(Call& c);
  LONG getConfig(Call& c);
  LONG readData(Call& c);
  LONG clearData(Call& c);
  LONG start(Call& c);
  LONG stop(Call& c);
  LONG status(Call& c);
  LONG inputAd(Call& c);
  LONG digitalIn(Call& c);
  LONG digitalOut(Call& c);
  LONG plainOk(Call& c);
  LONG interruptWait(Call& c);
  LONG resource(Call& c);
  LONG triggerStart(Call& c);
  LONG memTriggerStart(Call& c);
  LONG syncStart(Call& c);
  LONG lowVoltage(Call& c);
  LONG bmSetConfig(Call& c);
  LONG bmGetConfig(Call& c);
  LONG bmReadData(Call& c);
  LONG bmTransfer(Call& c);
  LONG readBuffer(Call& c);
  LONG storeValues(Call& c);
  LONG loadValues(Call& c);
  LONG fifoReadData(Call& c);
  LONG memSetConfig(Call& c);
  LONG memGetConfig(Call& c);
  LONG diPattern(Call& c);
  LONG directRead(Call& c);
  LONG fifoControl(Call& c);
  LONG moreInfo(Call& c);
  LONG eventFlags(Call& c);
  LONG version(Call& c);
  LONG bmStatus(Call& c);
  LONG busyStatus(Call& c);
  LONG filter(Call& c);
  LONG temperature(Call& c);

  // Removes a request the platform cancels (its cancel routine).
  void forget(PlatRequest* request);

 private:
  enum class Source { None, Normal, BusMaster, Memory };

  struct Run {
    std::vector<uint32_t> channels;  // channel numbers in list order
    uint32_t wordsPerScan = 0;       // of the bus-master transfers
    double frequency = 0.0;          // scans per second, 0 = external clock
    uint64_t limit = 0;              // scans of the run, 0 = endless
    uint32_t eventCount = 0;
    uint64_t capacity = 0;           // scans held for reading
    uint32_t driverEvent = 0xFFFFFFFFu;
  };

  struct Cause {
    DWORD cause;
    DWORD flags;
    DWORD count;
  };

  // What a locked step decided to do once the lock is released.
  struct Deferred {
    std::vector<std::pair<PlatRequest*, ULONG_PTR>> complete;  // success, bytes
    std::vector<PlatRequest*> cancelled;
    std::vector<HANDLE> events;
  };

  void clockLoop();
  void startLocked(Run run);
  bool runFrom(Source source, Run& run, uint32_t driverEvent) const;
  void produceLocked(uint64_t scans, Deferred& d);
  void endRunLocked(Deferred& d);
  void raiseLocked(const Cause& cause, Deferred& d);
  void serveDirectReadsLocked(Deferred& d);
  void writeTransferLocked(uint64_t from, uint64_t to);
  uint64_t heldLocked() const { return produced_ - read_; }
  uint32_t deliverLocked(uint64_t address, uint32_t count, bool withExtraWords);
  bool ownLocked(PlatRequest* request);
  LONG keepPending(PlatRequest* request, std::deque<PlatRequest*>& queue);
  static void finish(Deferred& d);
  uint32_t sample(uint32_t channel, uint64_t scan) const;
  bool validChannels(uint32_t count, uint32_t inputType, const SkorradevChannelEntry* list) const;
  // Scans per second of a normal or bus-master clock code, read by the
  // board's clock kind; 0 for the external clock.
  double clockFrequency(uint32_t code) const;
  // Takes a configuration record between runs when its channel list and the
  // mode's own check pass; defined with the handlers.
  template <class Record, class Check>
  LONG acceptConfig(Call& c, Record& target, Source source, Check modeCheck);

  const DWORD number_;
  const DWORD boardId_;
  const BoardModel& ownModel_;
  // What the board reports and acts on; a test may replace both.
  BoardModel model_;
  std::array<uint32_t, 94> info_{};
  uint32_t width_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool quit_ = false;
  int openFiles_ = 0;

  SkorradevSamplingRequest normal_{};
  SkorradevBmSamplingRequest bm_{};
  SkorradevMemSamplingRequest mem_{};
  Source configured_ = Source::None;

  bool running_ = false;
  bool manual_ = false;
  Run run_;
  uint64_t produced_ = 0;
  uint64_t read_ = 0;
  uint64_t dropped_ = 0;
  uint32_t eventInterrupts_ = 0;
  std::chrono::steady_clock::time_point clockStart_;
  uint64_t clockBase_ = 0;

  std::deque<Cause> causes_;
  uint32_t unannounced_ = 0;  // causes no interrupt wait has reported yet
  Cause lastCause_{0, 0, 0};
  std::deque<PlatRequest*> waits_;
  std::deque<PlatRequest*> directReads_;
  std::deque<PlatRequest*> transfers_;  // at most one: 0xB0C or 0xAE4
  uint64_t transferWritten_ = 0;

  std::map<uint32_t, uint32_t> ioRegisters_;
  std::map<uint32_t, uint32_t> memRegisters_;
  std::map<uint64_t, std::array<uint32_t, 4>> stored_;  // set/get pairs by (function, key)
  uint32_t digitalOut_ = 0;
  uint32_t filter_ = 0;
  std::array<std::array<uint32_t, 3>, 4> lvSlots_{};
  bool lvRunning_ = false;
  uint64_t lvScans_ = 0;

  std::map<DWORD, Fault> faults_;
  std::map<DWORD, DWORD> counts_;

  std::thread clock_;
};

}  // namespace skorradev
