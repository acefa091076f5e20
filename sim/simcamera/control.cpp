// The test and installer calls of simcamera.h.
#include <windows.h>
#include <winreg.h>

#include <chrono>
#include <utility>
#include <vector>

#include "hub.h"
#include "camera_key.h"
#include "source.h"

namespace simcamera {

std::string CameraKey(int number) {
  return std::string(plat::camera::kInstalledCamerasKey) + "\\" + std::to_string(number);
}

bool InstallCamera(int number, const CameraSpec& spec) {
  if (number < 0 || spec.sizes.empty()) return false;
  for (const plat::camera::FrameSize& s : spec.sizes) {
    if (s.width < 1 || s.height < 1 || s.minInterval > s.maxInterval) return false;
  }
  return WriteSpec(CameraKey(number), spec);
}

bool UninstallAll() {
  const LONG result = RegDeleteTreeA(HKEY_LOCAL_MACHINE, plat::camera::kInstalledCamerasKey);
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

void SetManualMode(bool manual) {
  Hub& h = hub();
  std::lock_guard<std::mutex> lock(h.mutex);
  if (h.manual == manual) return;
  h.manual = manual;
  for (auto& [id, source] : h.running) source->modeChanged(manual);
  h.changed.notify_all();
}

int StepFrames(int frames) {
  if (frames < 0) return 0;
  Hub& h = hub();
  std::unique_lock<std::mutex> lock(h.mutex);
  std::vector<std::pair<uint64_t, uint64_t>> targets;  // stream id, delivered count
  for (auto& [id, source] : h.running) {
    if (!source->interrupted()) targets.emplace_back(id, source->grant(frames));
  }
  h.changed.notify_all();
  auto pending = [&](const std::pair<uint64_t, uint64_t>& t) {
    auto it = h.running.find(t.first);
    return it != h.running.end() && !it->second->interrupted() && !it->second->delivered(t.second);
  };
  auto settled = [&] {
    for (const auto& t : targets) {
      if (pending(t)) return false;
    }
    return true;
  };
  h.changed.wait_for(lock, std::chrono::seconds(10), settled);
  int count = 0;
  for (const auto& t : targets) {
    auto it = h.running.find(t.first);
    if (it != h.running.end() && it->second->delivered(t.second)) ++count;
  }
  return count;
}

int PropertyDialogsShown(int number) {
  Hub& h = hub();
  std::lock_guard<std::mutex> lock(h.mutex);
  auto it = h.dialogsShown.find(number);
  return it == h.dialogsShown.end() ? 0 : it->second;
}

}  // namespace simcamera
