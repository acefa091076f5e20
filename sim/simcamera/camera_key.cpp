#include "camera_key.h"

#include <windows.h>
#include <winreg.h>

#include <cinttypes>
#include <cstdio>

namespace simcamera {

namespace {

struct Key {
  HKEY handle = nullptr;
  ~Key() {
    if (handle != nullptr) RegCloseKey(handle);
  }
};

bool setText(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool setNumber(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
         ERROR_SUCCESS;
}

std::string getText(HKEY key, const char* name) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return {};
  std::string text(size + 1, '\0');
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS) {
    return {};
  }
  text.resize(std::char_traits<char>::length(text.c_str()));
  return text;
}

bool getFlag(HKEY key, const char* name, bool fallback) {
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    return fallback;
  }
  return value != 0;
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
  Key key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key.handle) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  CameraSpec spec;
  spec.friendlyName = getText(key.handle, "FriendlyName");
  spec.description = getText(key.handle, "Description");
  spec.devicePath = getText(key.handle, "DevicePath");
  spec.capturePin = getText(key.handle, "CapturePin");
  spec.hasStreamConfig = getFlag(key.handle, "StreamConfig", true);
  spec.hasPropertyDialog = getFlag(key.handle, "PropertyDialog", true);
  std::optional<std::vector<plat::camera::FrameSize>> sizes = ParseSizes(getText(key.handle, "Sizes"));
  if (!sizes || sizes->empty()) return std::nullopt;
  spec.sizes = std::move(*sizes);
  return spec;
}

bool WriteSpec(const std::string& path, const CameraSpec& spec) {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());  // no value of an earlier install stays
  Key key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.handle,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  bool ok = setText(key.handle, "Library", kLibraryName) && setText(key.handle, "Sizes", SizesText(spec.sizes)) &&
            setNumber(key.handle, "StreamConfig", spec.hasStreamConfig ? 1 : 0) &&
            setNumber(key.handle, "PropertyDialog", spec.hasPropertyDialog ? 1 : 0);
  const std::pair<const char*, const std::string*> texts[] = {{"FriendlyName", &spec.friendlyName},
                                                              {"Description", &spec.description},
                                                              {"DevicePath", &spec.devicePath},
                                                              {"CapturePin", &spec.capturePin}};
  for (const auto& [name, text] : texts) {
    if (ok && !text->empty()) ok = setText(key.handle, name, *text);
  }
  return ok;
}

}  // namespace simcamera
