// Digital lines over one loopback register per device: outputs drive their
// bits of it, inputs read theirs. Bit k of a value is the task's k-th line.
#include "nisim.h"
#include "sim_state.h"

using namespace daqmx;
using namespace nisim;

namespace {

constexpr int32_t kPortLines[] = {8, 4};

// "DevN/portP/lineL" into the device and the register bit 8 x P + L.
bool parseLine(const std::string& entry, std::string& device, int32_t& bit) {
  const std::size_t first = entry.find('/');
  const std::size_t second = first == std::string::npos ? first : entry.find('/', first + 1);
  if (second == std::string::npos) return false;
  device = entry.substr(0, first);
  const std::string port = entry.substr(first + 1, second - first - 1);
  const std::string line = entry.substr(second + 1);
  if (port.size() != 5 || port.rfind("port", 0) != 0 || line.rfind("line", 0) != 0 || line.size() < 5) return false;
  const int32_t p = port[4] - '0';
  if (p < 0 || p > 1 || line.substr(4).find_first_not_of("0123456789") != std::string::npos) return false;
  const int32_t l = std::stoi(line.substr(4));
  if (l >= kPortLines[p]) return false;
  bit = 8 * p + l;
  return true;
}

int32 createLines(const char* function, TaskHandle task, const char* lines, const char* name, int32 grouping,
                  Kind kind) {
  if (int32 e = enter(function, format("%s,%s,%d", text(lines).c_str(), text(name).c_str(), grouping))) return e;
  std::shared_ptr<Task> t = findTask(task);
  if (t == nullptr) return refuse(kErrInvalidTask, "Task specified is invalid or does not exist.");
  if (lines == nullptr || grouping != kValChanForAllLines) return refuse(kErrBadArgument, "Invalid line arguments.");
  std::vector<int32_t> bits;
  std::string device;
  for (const std::string& entry : splitList(lines)) {
    std::string name2;
    int32_t bit = 0;
    if (!parseLine(entry, name2, bit)) return refuse(kErrBadChannel, "Physical channel specified does not exist: " + entry);
    if (!deviceExists(name2)) return refuse(kErrBadDevice, "Device identifier is invalid: " + name2);
    device = name2;
    bits.push_back(bit);
  }
  std::lock_guard<std::mutex> lock(t->m);
  if (t->kind != Kind::None && t->kind != kind) return refuse(kErrBadArgument, "Task is of another kind.");
  t->kind = kind;
  t->device = device;
  t->lineBits.insert(t->lineBits.end(), bits.begin(), bits.end());
  return 0;
}

// The task's device and lines, when it is of the kind.
bool linesOf(TaskHandle task, Kind kind, std::string& device, std::vector<int32_t>& bits) {
  std::shared_ptr<Task> t = findTask(task);
  if (t == nullptr) return false;
  std::lock_guard<std::mutex> lock(t->m);
  if (t->kind != kind) return false;
  device = t->device;
  bits = t->lineBits;
  return true;
}

}  // namespace

extern "C" {

DLL_EXPORT int32 WINAPI DAQmxCreateDOChan(TaskHandle task, const char* lines, const char* nameToAssignToLines,
                                          int32 lineGrouping) {
  return createLines("DAQmxCreateDOChan", task, lines, nameToAssignToLines, lineGrouping, Kind::DigitalOut);
}

DLL_EXPORT int32 WINAPI DAQmxCreateDIChan(TaskHandle task, const char* lines, const char* nameToAssignToLines,
                                          int32 lineGrouping) {
  return createLines("DAQmxCreateDIChan", task, lines, nameToAssignToLines, lineGrouping, Kind::DigitalIn);
}

DLL_EXPORT int32 WINAPI DAQmxWriteDigitalU32(TaskHandle task, int32 numSampsPerChan, bool32 autoStart,
                                             float64 timeout, bool32 dataLayout, const uInt32 writeArray[],
                                             int32* sampsPerChanWritten, bool32* reserved) {
  if (int32 e = enter("DAQmxWriteDigitalU32",
                      format("%d,%u,%g,%u,%u", numSampsPerChan, autoStart, timeout, dataLayout,
                             writeArray != nullptr ? writeArray[0] : 0u))) {
    return e;
  }
  (void)reserved;
  std::string device;
  std::vector<int32_t> bits;
  if (!linesOf(task, Kind::DigitalOut, device, bits)) return refuse(kErrInvalidTask, "No digital output task.");
  if (writeArray == nullptr || numSampsPerChan < 1) return refuse(kErrBadArgument, "Nothing to write.");
  Sim& s = sim();
  std::lock_guard<std::mutex> lock(s.m);
  Device* d = findDevice(s, device);
  if (d == nullptr) return kErrBadDevice;  // gone since the task was made: not with a fixed list
  // Several samples end on the last one, as the lines show it afterwards.
  const uInt32 value = writeArray[numSampsPerChan - 1];
  for (std::size_t k = 0; k < bits.size(); ++k) {
    const uint32_t mask = 1u << bits[k];
    d->lines = (value >> k) & 1u ? d->lines | mask : d->lines & ~mask;
  }
  if (sampsPerChanWritten != nullptr) *sampsPerChanWritten = numSampsPerChan;
  return 0;
}

DLL_EXPORT int32 WINAPI DAQmxReadDigitalU32(TaskHandle task, int32 numSampsPerChan, float64 timeout,
                                            bool32 fillMode, uInt32 readArray[], uInt32 arraySizeInSamps,
                                            int32* sampsPerChanRead, bool32* reserved) {
  if (int32 e = enter("DAQmxReadDigitalU32", format("%d,%g,%u,%u", numSampsPerChan, timeout, fillMode, arraySizeInSamps))) {
    return e;
  }
  (void)reserved;
  std::string device;
  std::vector<int32_t> bits;
  if (!linesOf(task, Kind::DigitalIn, device, bits)) return refuse(kErrInvalidTask, "No digital input task.");
  if (readArray == nullptr || numSampsPerChan < 1 || arraySizeInSamps < static_cast<uInt32>(numSampsPerChan)) {
    return refuse(kErrBufferTooSmall, "The read buffer is too small.");
  }
  Sim& s = sim();
  std::lock_guard<std::mutex> lock(s.m);
  Device* d = findDevice(s, device);
  if (d == nullptr) return kErrBadDevice;  // gone since the task was made: not with a fixed list
  uInt32 value = 0;
  for (std::size_t k = 0; k < bits.size(); ++k) value |= ((d->lines >> bits[k]) & 1u) << k;
  for (int32 i = 0; i < numSampsPerChan; ++i) readArray[i] = value;
  if (sampsPerChanRead != nullptr) *sampsPerChanRead = numSampsPerChan;
  return 0;
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&DAQmxCreateDOChan), CreateDOChanProc>);
static_assert(std::is_same_v<decltype(&DAQmxCreateDIChan), CreateDIChanProc>);
static_assert(std::is_same_v<decltype(&DAQmxWriteDigitalU32), WriteDigitalU32Proc>);
static_assert(std::is_same_v<decltype(&DAQmxReadDigitalU32), ReadDigitalU32Proc>);
