#include "device.h"

namespace halviksim {

namespace {
constexpr size_t kLogLength = 4096;
}

Device::Device(Placement placement)
    : placement_(std::move(placement)),
      model_(findModel(placement_.model)),
      holder_(placement_.deviceName),
      counters_(model_.counters),
      timerCountText_(placement_.model.begin(), placement_.model.end()) {}

Device::Values Device::setting(DWORD code, DWORD size, int64_t key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = settings_.find({code, size, key});
  return it == settings_.end() ? Values{} : it->second;
}

bool Device::isSet(DWORD code, DWORD size, int64_t key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return settings_.count({code, size, key}) != 0;
}

void Device::store(DWORD code, DWORD size, int64_t key, const Values& values) {
  std::lock_guard<std::mutex> lock(mutex_);
  settings_[{code, size, key}] = values;
  lastKeys_[{code, size}] = key;
}

int64_t Device::lastKey(DWORD code, DWORD size) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = lastKeys_.find({code, size});
  return it == lastKeys_.end() ? 0 : it->second;
}

std::string Device::revision() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return revision_;
}

void Device::setRevision(const std::string& revision) {
  std::lock_guard<std::mutex> lock(mutex_);
  revision_ = revision;
}

WORD Device::firmware() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return firmware_;
}

void Device::setFirmware(WORD version) {
  std::lock_guard<std::mutex> lock(mutex_);
  firmware_ = version;
}

int16_t Device::counters() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return counters_;
}

void Device::setCounters(int16_t channels) {
  std::lock_guard<std::mutex> lock(mutex_);
  counters_ = channels;
}

bool Device::hasUnit(Function function, int64_t unit) const {
  switch (function) {
    case Function::Counter: {
      const int16_t count = counters();
      return unit == -1 ? count > 0 : unit >= 0 && unit < count;
    }
    case Function::Timer:
      return unit >= 0 && unit < model_.timers;
    default:
      return true;
  }
}

int32_t Device::statusBits(Function function, int64_t unit) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = statusBits_.find({function, unit});
  return it == statusBits_.end() ? 0 : it->second;
}

void Device::setStatusBits(Function function, int64_t unit, int32_t bits) {
  std::lock_guard<std::mutex> lock(mutex_);
  statusBits_[{function, unit}] = bits;
}

std::u16string Device::timerCountText() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return timerCountText_;
}

int32_t Device::timerCountValue() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return timerCountValue_;
}

void Device::setTimerCountDescription(const std::u16string& text, int32_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  timerCountText_ = text;
  timerCountValue_ = value;
}

int Device::openFiles() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return openFiles_;
}

void Device::fileOpened(int change) {
  std::lock_guard<std::mutex> lock(mutex_);
  openFiles_ += change;
}

void Device::setFault(DWORD code, const Fault& fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (fault.times == 0) {
    faults_.erase(code);
  } else {
    faults_[code] = fault;
  }
}

void Device::clearFaults() {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.clear();
}

std::optional<Fault> Device::takeFault(DWORD code) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = faults_.find(code);
  if (it == faults_.end()) return std::nullopt;
  const Fault fault = it->second;
  if (it->second.times > 0 && --it->second.times == 0) faults_.erase(it);
  return fault;
}

void Device::note(DWORD code) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (log_.size() == kLogLength) log_.pop_front();
  log_.push_back(code);
}

std::vector<DWORD> Device::log() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {log_.begin(), log_.end()};
}

void Device::clearLog() {
  std::lock_guard<std::mutex> lock(mutex_);
  log_.clear();
}

}  // namespace halviksim
