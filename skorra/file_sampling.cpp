// File sampling: a whole run into a mapped file, raw or as text rows.
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include <skorradev.h>

#include "codes.h"
#include "convert.h"
#include "request.h"
#include "wire.h"

namespace skorra {

uint32_t readNormalConfig(const Device& d, SkorradevSamplingRequest& out);
uint32_t readBmConfig(const Device& d, SkorradevBmSamplingRequest& out);
uint32_t requireStopped(const Device& d);
uint32_t bytesPerSample(uint32_t bits);
uint32_t bmWordsPerScan(uint32_t channels, uint32_t transferSelection);

namespace {

// Scans asked for in one data request.
constexpr uint32_t kChunkScans = 0x80000;
// Larger files than a 32-bit view could hold are refused.
constexpr uint64_t kMaxFileSize = 0x7FFFFFFFu;
constexpr size_t kCellWidth = 12;

class Handle {
 public:
  explicit Handle(HANDLE h = nullptr) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~Handle() {
    if (h_ != nullptr) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HANDLE h_;
};

class View {
 public:
  View(HANDLE mapping, uint64_t size)
      : p_(mapping ? static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0))
                   : nullptr),
        size_(size) {}
  ~View() {
    if (p_ != nullptr) UnmapViewOfFile(p_);
  }
  View(const View&) = delete;
  View& operator=(const View&) = delete;
  unsigned char* data() const { return p_; }
  uint64_t size() const { return size_; }

 private:
  unsigned char* p_;
  uint64_t size_;
};

// Puts the completion event back when the run ends, whatever the way.
class RunEvent {
 public:
  explicit RunEvent(DeviceSlot& s) : s_(s), event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    if (event_ != nullptr) {
      s_.fileSamplingEvent = event_;
      s_.completionEvent = event_;
    }
  }
  ~RunEvent() {
    if (event_ == nullptr) return;
    HANDLE mine = event_;
    s_.completionEvent.compare_exchange_strong(mine, nullptr);
    s_.fileSamplingEvent = nullptr;
    CloseHandle(event_);
  }
  RunEvent(const RunEvent&) = delete;
  RunEvent& operator=(const RunEvent&) = delete;
  HANDLE get() const { return event_; }

 private:
  DeviceSlot& s_;
  HANDLE event_;
};

struct Layout {
  uint32_t channels = 0;       // values of the channel list per scan
  uint32_t wordsPerScan = 0;   // values per scan the driver delivers
  uint32_t bytesPerSample = 0;
  uint32_t resolution = 0;
  uint32_t sampleCount = 0;
  uint32_t ranges[SK_MAX_CHANNELS] = {};
  bool bm = false;
};

uint32_t readCode(const unsigned char* p, uint32_t width) {
  uint32_t v = 0;
  std::memcpy(&v, p, width);
  return v;
}

void putCell(unsigned char* dst, const char* format, double value, char separator) {
  char scratch[64];
  int len = std::snprintf(scratch, sizeof scratch, format, value);
  if (len < 0) len = 0;
  size_t n = static_cast<size_t>(len) < kCellWidth - 1 ? static_cast<size_t>(len) : kCellWidth - 1;
  std::memset(dst, ' ', kCellWidth - 1);
  std::memcpy(dst + (kCellWidth - 1 - n), scratch, n);
  dst[kCellWidth - 1] = static_cast<unsigned char>(separator);
}

// Formats whole scans of raw data as text rows.
void formatRows(const Layout& L, const unsigned char* src, uint32_t scans, unsigned char* dst) {
  for (uint32_t s = 0; s < scans; ++s) {
    for (uint32_t w = 0; w < L.wordsPerScan; ++w) {
      uint32_t code = readCode(src, L.bytesPerSample);
      src += L.bytesPerSample;
      bool last = w + 1 == L.wordsPerScan;
      char sep = last ? '\n' : ',';
      if (w < L.channels)
        putCell(dst, "%11.7f", codeToVoltRange(code, L.resolution, L.ranges[w]), sep);
      else
        putCell(dst, "%11.0f", static_cast<double>(code), sep);
      dst += kCellWidth;
    }
  }
}

uint32_t fileSampling(HANDLE h, const char* path, uint32_t fileMode, bool bm) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (path == nullptr) return SK_E_NULL_BUFFER;
  if (fileMode == 0 || fileMode > 2) return SK_E_INVALID_ARGUMENT;
  const bool text = fileMode == 2;
  uint32_t status = requireStopped(d);
  if (status != 0) return status;
  SkDeviceInfo info;
  status = deviceInfo(d, info);
  if (status != 0) return status;
  if (bm && info.dw[SK_INFO_MODEL] == 4809) return SK_E_NOT_AVAILABLE;

  Layout L;
  L.bm = bm;
  L.resolution = info.dw[SK_INFO_RESOLUTION];
  L.bytesPerSample = bytesPerSample(L.resolution);
  uint32_t startMode = 3;
  if (bm) {
    SkorradevBmSamplingRequest cfg;
    status = readBmConfig(d, cfg);
    if (status != 0) return status;
    L.channels = cfg.channelCount > SK_MAX_CHANNELS ? SK_MAX_CHANNELS : cfg.channelCount;
    L.wordsPerScan = bmWordsPerScan(L.channels, cfg.transferSelection);
    L.sampleCount = cfg.sampleCount;
    for (uint32_t i = 0; i < L.channels; ++i) L.ranges[i] = cfg.channels[i].range;
  } else {
    SkorradevSamplingRequest cfg;
    status = readNormalConfig(d, cfg);
    if (status != 0) return status;
    L.channels = cfg.channelCount > SK_MAX_CHANNELS ? SK_MAX_CHANNELS : cfg.channelCount;
    L.wordsPerScan = L.channels;
    L.sampleCount = cfg.sampleCount;
    for (uint32_t i = 0; i < L.channels; ++i) L.ranges[i] = cfg.channels[i].range;
    if (cfg.mode == 4 && text) startMode = 1;
  }
  if (L.channels == 0 || L.sampleCount == 0) return SK_E_INVALID_CONFIG;

  const uint64_t scanBytes = static_cast<uint64_t>(L.wordsPerScan) * L.bytesPerSample;
  const uint64_t rowBytes = static_cast<uint64_t>(L.wordsPerScan) * kCellWidth;
  const uint64_t fileSize = text ? L.sampleCount * rowBytes + 1 : L.sampleCount * scanBytes;
  if (fileSize > kMaxFileSize) return SK_E_DATA_FILE;

  std::unique_ptr<unsigned char[]> work;
  if (text) {
    work.reset(new (std::nothrow) unsigned char[kChunkScans * scanBytes]);
    if (!work) return SK_E_NO_RESOURCES;
  }
  Handle file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return SK_E_DATA_FILE;
  Handle mapping(CreateFileMappingA(file.get(), nullptr, PAGE_READWRITE, static_cast<DWORD>(fileSize >> 32),
                                    static_cast<DWORD>(fileSize), nullptr));
  View view(mapping.get(), fileSize);
  if (view.data() == nullptr) return SK_E_DATA_FILE;
  for (uint64_t off = 0; off < fileSize; off += 4096) view.data()[off] = 0;

  DeviceSlot& s = *d.slot;
  RunEvent runEvent(s);
  if (runEvent.get() == nullptr) return SK_E_NO_RESOURCES;
  Dwords<3> start;
  start.in[0] = static_cast<uint32_t>(d.n);
  start.in[1] = startMode;
  start.in[2] = kNoDriverEvent;
  status = start.send(d.driver, SKDF_START);
  if (status != 0) return status;

  uint64_t scansDone = 0;
  const uint32_t fn = bm ? SKDF_BM_READ_DATA : SKDF_READ_DATA;
  // Reads what the driver holds, never more than the file has room for.
  auto fetch = [&]() -> uint32_t {
    while (scansDone < L.sampleCount) {
      uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(kChunkScans, L.sampleCount - scansDone));
      unsigned char* target = text ? work.get() : view.data() + scansDone * scanBytes;
      SkorradevDataRequest in{static_cast<uint32_t>(d.n), want, addressOf(target)};
      SkorradevDataRequest out;
      uint32_t st = transactLocked(d.driver, fn, &in, sizeof in, &out, sizeof out);
      if (st != 0) return st;
      uint32_t got = out.count < want ? out.count : want;
      if (got == 0) return 0;
      if (text) formatRows(L, work.get(), got, view.data() + scansDone * rowBytes);
      scansDone += got;
    }
    return 0;
  };

  const HANDLE waits[2] = {runEvent.get(), s.stopEvent};
  constexpr DWORD kSliceMs = 100;
  for (;;) {
    DWORD r = WaitForMultipleObjects(2, waits, FALSE, kSliceMs);
    if (r == WAIT_OBJECT_0) ResetEvent(runEvent.get());
    bool closing = r == WAIT_OBJECT_0 + 1 || r == WAIT_FAILED;
    uint32_t cause = 0;
    if (r == WAIT_OBJECT_0) {
      uint32_t reply[2];
      if (simpleRequest(d, SKDF_INTERRUPT_CAUSE, 2, reply) == 0) cause = reply[1];
    }
    status = fetch();
    if (status != 0 || closing) break;
    if (cause == 1) continue;
    uint32_t state = 0;
    status = samplingState(d, state);
    if (status != 0) break;
    if (state == SK_STATE_STOPPED) {
      status = fetch();
      break;
    }
  }
  return status;
}

}  // namespace
}  // namespace skorra

using namespace skorra;

DLL_EXPORT SkResult WINAPI SkStartFileSampling(HANDLE h, const char* path, uint32_t fileMode) {
  return fileSampling(h, path, fileMode, false);
}

DLL_EXPORT SkResult WINAPI SkBmStartFileSampling(HANDLE h, const char* path, uint32_t fileMode) {
  return fileSampling(h, path, fileMode, true);
}
