#include "support/halvik_double.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace vekmath {

// The test program has no Halvik of its own: a test that drives a WDM board
// installs the double.
HalvikBinding linkedHalvik() { return {}; }

}  // namespace vekmath

namespace wdmtest {
namespace {

struct DeviceState {
  std::mutex lock;
  Script script;
  std::vector<std::string> calls;
  short channels = 0;
  bool running = false;
  int64_t sampled = 0;  // scans since the start
  int64_t fetched = 0;
  int statusQueries = 0;
  LONG status = 0;
};

DeviceState& dev() {
  static DeviceState* state = new DeviceState;
  return *state;
}

std::string format(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}
std::string format(const char* v) { return v; }
std::string format(HWND v) { return std::to_string(reinterpret_cast<intptr_t>(v)); }

// Logs the call; the scripted refusal when it is this entry's turn.
template <typename... A>
LONG record(const char* name, A... args) {
  std::string line = std::string(name) + "(";
  const char* separator = "";
  ((line += separator + format(args), separator = ","), ...);
  dev().calls.push_back(line + ")");
  return dev().script.failing == name ? dev().script.failCode : 0;
}

#define LOCKED std::lock_guard<std::mutex> guard(dev().lock)

LONG WINAPI getErrorString(LONG code, char* text) {
  std::snprintf(text, 256, "%s", textOf(code).c_str());
  return 0;
}

LONG WINAPI init(const char* name, short* id) {
  LOCKED;
  *id = -1;
  if (LONG r = record("XanInit", name); r != 0) return r;
  const std::vector<Device>& devices = dev().script.devices;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    if (devices[i].name == name && devices[i].opens) {
      *id = static_cast<short>(i + 1);
      return 0;
    }
  }
  return kUnknownDevice;
}

LONG WINAPI queryDeviceName(short index, char* name, char* model) {
  LOCKED;
  if (LONG r = record("XanQueryDeviceName", index); r != 0) return r;
  const std::vector<Device>& devices = dev().script.devices;
  if (index < 0 || static_cast<std::size_t>(index) >= devices.size()) return kNoSuchIndex;
  std::snprintf(name, 256, "%s", devices[index].name.c_str());
  std::snprintf(model, 256, "%s", devices[index].model.c_str());
  return 0;
}

LONG WINAPI setAiChannels(short id, short channels) {
  LOCKED;
  dev().channels = channels;
  return record("XanSetAiChannels", id, channels);
}

LONG WINAPI startAi(short id) {
  LOCKED;
  if (LONG r = record("XanStartAi", id); r != 0) return r;
  DeviceState& d = dev();
  d.running = true;
  d.status = 1;
  d.sampled = d.fetched = 0;
  d.statusQueries = 0;
  return 0;
}

LONG WINAPI stopAi(short id) {
  LOCKED;
  dev().running = false;
  dev().status &= ~LONG{1};
  return record("XanStopAi", id);
}

LONG WINAPI getAiStatus(short id, LONG* status) {
  LOCKED;
  DeviceState& d = dev();
  if (d.running && ++d.statusQueries == d.script.faultAfterQueries) {
    d.running = false;
    d.status = d.script.faultStatus;
  }
  *status = d.status;
  return record("XanGetAiStatus", id);
}

// Scans sampled and not yet fetched.
LONG WINAPI getAiSamplingCount(short id, LONG* count) {
  LOCKED;
  DeviceState& d = dev();
  if (d.running) d.sampled += d.script.scansPerQuery;
  if (d.running && d.script.stopAfterScans >= 0 && d.sampled >= d.script.stopAfterScans) {
    d.sampled = d.script.stopAfterScans;
    d.running = false;
    d.status &= ~LONG{1};
  }
  *count = static_cast<LONG>(d.sampled - d.fetched);
  return record("XanGetAiSamplingCount", id);
}

LONG WINAPI getAiSamplingData(short id, LONG* scans, LONG* data) {
  LOCKED;
  DeviceState& d = dev();
  const LONG asked = *scans;
  if (LONG r = record("XanGetAiSamplingData", id, asked); r != 0) return r;
  const int64_t n = std::min<int64_t>({asked, d.sampled - d.fetched, d.script.deliverAtMost});
  for (int64_t s = 0; s < n; ++s) {
    for (int32_t ch = 0; ch < d.channels; ++ch) data[s * d.channels + ch] = rawCount(d.fetched + s, ch);
  }
  d.fetched += n;
  *scans = static_cast<LONG>(n);
  return 0;
}

}  // namespace

HalvikDouble::HalvikDouble() : saved_(vekmath::halvik()) {
  {
    LOCKED;
    DeviceState& d = dev();
    d.script = Script{};
    d.calls.clear();
    d.running = false;
    d.status = 0;
  }
  vekmath::HalvikBinding& t = vekmath::halvik();
  t.XanGetErrorString = getErrorString;
  t.XanInit = init;
  t.XanQueryDeviceName = queryDeviceName;
  t.XanSetAiChannels = setAiChannels;
  t.XanStartAi = startAi;
  t.XanStopAi = stopAi;
  t.XanGetAiStatus = getAiStatus;
  t.XanGetAiSamplingCount = getAiSamplingCount;
  t.XanGetAiSamplingData = getAiSamplingData;
  t.XanExit = [](short id) WINAPI -> LONG { LOCKED; return record("XanExit", id); };
  t.XanResetDevice = [](short id) WINAPI -> LONG { LOCKED; return record("XanResetDevice", id); };
  t.XanResetAiMemory = [](short id) WINAPI -> LONG { LOCKED; return record("XanResetAiMemory", id); };
  t.XanSetAiChannelSequence = [](short id, short i, short ch) WINAPI -> LONG {
    LOCKED;
    return record("XanSetAiChannelSequence", id, i, ch);
  };
  t.XanSetAiMemoryType = [](short id, short v) WINAPI -> LONG { LOCKED; return record("XanSetAiMemoryType", id, v); };
  t.XanSetAiClockType = [](short id, short v) WINAPI -> LONG { LOCKED; return record("XanSetAiClockType", id, v); };
  t.XanSetAiSamplingClock = [](short id, float v) WINAPI -> LONG {
    LOCKED;
    return record("XanSetAiSamplingClock", id, v);
  };
  t.XanSetAiScanClock = [](short id, float v) WINAPI -> LONG { LOCKED; return record("XanSetAiScanClock", id, v); };
  t.XanSetAiStartTrigger = [](short id, short v) WINAPI -> LONG {
    LOCKED;
    return record("XanSetAiStartTrigger", id, v);
  };
  t.XanSetAiStopTrigger = [](short id, short v) WINAPI -> LONG { LOCKED; return record("XanSetAiStopTrigger", id, v); };
  t.XanSetAiStopLevel = [](short id, short ch, LONG level, short dir) WINAPI -> LONG {
    LOCKED;
    return record("XanSetAiStopLevel", id, ch, level, dir);
  };
  t.XanSetAiStopTimes = [](short id, LONG v) WINAPI -> LONG { LOCKED; return record("XanSetAiStopTimes", id, v); };
  t.XanSetAiStopDelayTimes = [](short id, LONG v) WINAPI -> LONG {
    LOCKED;
    return record("XanSetAiStopDelayTimes", id, v);
  };
  t.XanSetAiEvent = [](short id, HWND w, LONG mask) WINAPI -> LONG {
    LOCKED;
    return record("XanSetAiEvent", id, w, mask);
  };
  t.XanSetAiRepeatTimes = [](short id, LONG v) WINAPI -> LONG { LOCKED; return record("XanSetAiRepeatTimes", id, v); };
}

HalvikDouble::~HalvikDouble() { vekmath::halvik() = saved_; }

Script& HalvikDouble::script() { return dev().script; }

std::vector<std::string> HalvikDouble::calls() const {
  LOCKED;
  return dev().calls;
}

void HalvikDouble::clearCalls() {
  LOCKED;
  dev().calls.clear();
}

}  // namespace wdmtest
