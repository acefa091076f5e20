#include "camera_key.h"

#include <platform/registry_key.h>
#include <windows.h>

#include <cinttypes>
#include <cstdio>

namespace simcamera {

namespace {

bool getFlag(HKEY key, const char* name, bool fallback) {
  const std::optional<DWORD> value = plat::GetRegistryNumber(key, name);
  return value ? *value != 0 : fallback;
}

}  // namespace

std::string SizesText(const std::vector<plat::camera::FrameSize>& sizes) {
  std::string text;
  for (const plat::camera::FrameSize& s : sizes) {
    char entry[96];
    std::snprintf(entry, sizeof entry, "%s%dx%d@%" PRId64 "-%" PRId64, text.empty() ? "" : ";", s.width, s.height,
                  s.minInterval, s.maxInterval);
    text += entry;
  }
  return text;
}

std::optional<std::vector<plat::camera::FrameSize>> ParseSizes(const std::string& text) {
  std::vector<plat::camera::FrameSize> sizes;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    const std::string entry = text.substr(start, end - start);
    plat::camera::FrameSize s;
    int used = 0;
    if (std::sscanf(entry.c_str(), "%dx%d@%" SCNd64 "-%" SCNd64 "%n", &s.width, &s.height, &s.minInterval,
                    &s.maxInterval, &used) != 4 ||
        static_cast<size_t>(used) != entry.size()) {
      return std::nullopt;
    }
    sizes.push_back(s);
    start = end + 1;
  }
  return sizes;
}

std::optional<CameraSpec> ReadSpec(const std::string& path) {
  plat::RegistryKey key;
  if (!key.open(HKEY_LOCAL_MACHINE, path.c_str(), KEY_READ)) return std::nullopt;
  CameraSpec spec;
  spec.friendlyName = plat::GetRegistryText(key.get(), "FriendlyName");
  spec.description = plat::GetRegistryText(key.get(), "Description");
  spec.devicePath = plat::GetRegistryText(key.get(), "DevicePath");
  spec.capturePin = plat::GetRegistryText(key.get(), "CapturePin");
  spec.hasStreamConfig = getFlag(key.get(), "StreamConfig", true);
  spec.hasPropertyDialog = getFlag(key.get(), "PropertyDialog", true);
  std::optional<std::vector<plat::camera::FrameSize>> sizes =
      ParseSizes(plat::GetRegistryText(key.get(), "Sizes"));
  if (!sizes || sizes->empty()) return std::nullopt;
  spec.sizes = std::move(*sizes);
  return spec;
}

bool WriteSpec(const std::string& path, const CameraSpec& spec) {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());  // no value of an earlier install stays
  plat::RegistryKey key;
  if (!key.create(HKEY_LOCAL_MACHINE, path.c_str())) return false;
  bool ok = plat::SetRegistryText(key.get(), "Library", kLibraryName) &&
            plat::SetRegistryText(key.get(), "Sizes", SizesText(spec.sizes)) &&
            plat::SetRegistryNumber(key.get(), "StreamConfig", spec.hasStreamConfig ? 1 : 0) &&
            plat::SetRegistryNumber(key.get(), "PropertyDialog", spec.hasPropertyDialog ? 1 : 0);
  const std::pair<const char*, const std::string*> texts[] = {{"FriendlyName", &spec.friendlyName},
                                                              {"Description", &spec.description},
                                                              {"DevicePath", &spec.devicePath},
                                                              {"CapturePin", &spec.capturePin}};
  for (const auto& [name, text] : texts) {
    if (ok && !text->empty()) ok = plat::SetRegistryText(key.get(), name, *text);
  }
  return ok;
}

}  // namespace simcamera
