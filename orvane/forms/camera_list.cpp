#include "camera_list.h"

#include <algorithm>

#include "core/ini_file.h"
#include "core/toolkit.h"
#include "core/utility.h"

namespace orvane::forms {
namespace {

constexpr const char* kAddFilterKey = "pGraph->AddFilter(pSrc, L\"Video Capture\")";
constexpr const char* kCapabilitiesKey = "pC->GetNumberOfCapabilities(&iCount,&iSize)";

// Points the INI path at the list file while it lives.
class IniPathOn {
 public:
  explicit IniPathOn(const std::string& path) : kept_(core::GetIniPath()) { core::SetIniPath(path); }
  ~IniPathOn() { core::SetIniPath(kept_); }
  IniPathOn(const IniPathOn&) = delete;
  IniPathOn& operator=(const IniPathOn&) = delete;

 private:
  std::string kept_;
};

// A count as the list gives it; what is no number counts 0, and no count
// can ask for more entries than a list holds.
int32_t Count(const std::string& text) {
  constexpr double kMost = 4096;
  const double v = core::IsNumeric(text) ? core::Val(text) : 0.0;
  return static_cast<int32_t>(std::clamp(v, 0.0, kMost));
}

void AddOnce(std::vector<std::string>& list, std::string entry) {
  if (core::FindComboItem(list, entry) < 0) list.push_back(std::move(entry));
}

}  // namespace

std::string CameraListPath(const std::string& programFolder) { return programFolder + "/" + kCameraListName; }

bool IsCameraAvailable(const std::string& listPath) {
  IniPathOn on(listPath);
  return core::ReadIni("ALL", kAddFilterKey, "") == "0";
}

std::vector<std::string> CameraNames(const std::string& listPath) {
  IniPathOn on(listPath);
  std::vector<std::string> names;
  const int32_t n = Count(core::ReadIni("ALL", "GlCAMNum", ""));
  for (int32_t i = 0; i < n; ++i) AddOnce(names, core::ReadIni("CAMLIST", "CAM" + std::to_string(i), ""));
  return names;
}

std::vector<std::string> FrameSizes(const std::string& listPath) {
  std::vector<std::string> sizes;
  if (!IsCameraAvailable(listPath)) return sizes;
  IniPathOn on(listPath);
  const std::string counts = core::ReadIni("ALL", kCapabilitiesKey, "");
  const int32_t n = Count(counts.empty() ? counts : core::PickFields(counts, 1, 1, ","));
  for (int32_t i = 0; i < n; ++i) {
    const std::string section = "iFormat_" + std::to_string(i);
    AddOnce(sizes, core::ReadIni(section, "scc1.InputSize.cx", "") + "," + core::ReadIni(section, "scc1.InputSize.cy", ""));
  }
  for (const char* common : {"720,480", "640,480", "320,240"}) AddOnce(sizes, common);
  return sizes;
}

}  // namespace orvane::forms
