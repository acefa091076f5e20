// Both serial units: the port opened and set at SetupSampling, the lines
// read and parsed on the acquisition thread, the stop by command (unit A)
// or by closing the port (unit B).
#include "backends/serial/serial_backend.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "acquisition/backend.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "backends/serial/line_parser.h"
#include "backends/serial/unit_port.h"
#include "status/status_texts.h"

namespace vekmath {
namespace {

// The zero byte goes out with the start command: the unit may expect it.
constexpr char kStartCommand[] = "START     \r";
constexpr DWORD kStartBytes = sizeof kStartCommand;
constexpr char kStopCommand[] = "END       \r";
constexpr DWORD kStopBytes = sizeof kStopCommand - 1;
constexpr int kStopRepeats = 10;
constexpr DWORD kCommandPauseMs = 100;
constexpr DWORD kReadBytes = 100;

static_assert(kStartBytes == 12 && kStopBytes == 11);

// One port at a time, whichever unit opened it.
struct SerialState {
  UnitPort port;
  LineParser parser;
};

SerialState& state() {
  static SerialState* instance = new SerialState;
  return *instance;
}

int32_t portFailure() {
  setOwnStatusText(kStatusComPort);
  return kStatusComPort;
}

class SerialBackEnd final : public BackEnd {
 public:
  SerialBackEnd(DWORD baud, bool commands) : baud_(baud), commands_(commands) {}

  int32_t configure(SamplingConfig& cfg, const int16_t* channelList) override {
    SerialState& s = state();
    s.parser.clear();
    cfg.samplingMode = 0;
    std::memcpy(cfg.channelList, channelList, sizeof cfg.channelList);
    if (!s.port.open(selection().deviceName, baud_)) return portFailure();
    return 0;
  }

  int32_t start(const SamplingConfig&, bool& useThread) override {
    useThread = true;
    if (!commands_) return 0;
    if (!state().port.write(kStartCommand, kStartBytes)) return portFailure();
    Sleep(kCommandPauseMs);
    return 0;
  }

  int32_t fetch(uint16_t* dest, int32_t channels, int32_t maxScans, int32_t& scans) override;

  int32_t stop() override {
    UnitPort& port = state().port;
    if (!commands_) {
      port.close();
      return 0;
    }
    // A unit that is gone cannot be told to stop; the stop still ends.
    for (int i = 0; i < kStopRepeats && port.isOpen(); ++i) {
      port.write(kStopCommand, kStopBytes);
      Sleep(kCommandPauseMs);
    }
    return 0;
  }

  int32_t close() override {
    state().port.close();
    return 0;
  }

 private:
  DWORD baud_;
  bool commands_;
};

// One pass. It never blocks in the port: it reads only what has arrived,
// and a silent unit costs a millisecond's sleep per pass, so that the
// thread sees a stop at once.
int32_t SerialBackEnd::fetch(uint16_t* dest, int32_t channels, int32_t maxScans, int32_t& scans) {
  SerialState& s = state();
  // Lines that found no room in the ring last time come first.
  scans = s.parser.takeScans(dest, channels, maxScans);
  if (scans > 0) return 0;
  DWORD waiting = 0;
  // A failing port (unplugged, or closed by unit B's stop) ends the run.
  if (!s.port.queued(waiting)) return portFailure();
  const DWORD wanted = std::min<DWORD>({kReadBytes, waiting, static_cast<DWORD>(s.parser.spaceBytes())});
  if (wanted == 0) {
    Sleep(1);
    return 0;
  }
  DWORD got = 0;
  if (!s.port.read(s.parser.space(), wanted, got)) return portFailure();
  s.parser.added(got);
  scans = s.parser.takeScans(dest, channels, maxScans);
  return 0;
}

}  // namespace

BackEnd& serialUnitABackEnd() {
  static SerialBackEnd* instance = new SerialBackEnd(460800, true);
  return *instance;
}

BackEnd& serialUnitBBackEnd() {
  static SerialBackEnd* instance = new SerialBackEnd(115200, false);
  return *instance;
}

int64_t serialDroppedLines() { return state().parser.droppedLines(); }

}  // namespace vekmath
